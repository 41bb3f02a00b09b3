pictavo_fuzzer(fuzz_icon_graphics DEPENDS peres util platform)

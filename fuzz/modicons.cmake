pictavo_fuzzer(fuzz_module_icons DEPENDS icons peres util platform)
pictavo_fuzzer(fuzz_version_info DEPENDS peres util platform)

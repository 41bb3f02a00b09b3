pictavo_fuzzer(fuzz_multiicon_load DEPENDS icons util platform)

pictavo_fuzzer(fuzz_search DEPENDS search)

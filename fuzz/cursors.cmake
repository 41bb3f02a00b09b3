pictavo_fuzzer(fuzz_ani_reader DEPENDS cursors icons util platform)

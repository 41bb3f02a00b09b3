pictavo_fuzzer(fuzz_pe_resources DEPENDS peres util platform)
pictavo_fuzzer(fuzz_module_reader DEPENDS peres util platform)
pictavo_fuzzer(fuzz_program_writer DEPENDS peres util platform)

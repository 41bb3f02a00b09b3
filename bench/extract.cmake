pictavo_benchmark(bench_extract DEPENDS icons peres util platform)
target_compile_definitions(bench_extract PRIVATE PICTAVO_CLI="$<TARGET_FILE:pictavo-cli>")
add_dependencies(bench_extract pictavo-cli)

pictavo_benchmark(bench_scan DEPENDS icons peres util platform)
target_compile_definitions(bench_scan PRIVATE PICTAVO_CLI="$<TARGET_FILE:pictavo-cli>")
add_dependencies(bench_scan pictavo-cli)

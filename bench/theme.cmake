pictavo_benchmark(bench_theme DEPENDS icons peres util platform)
target_compile_definitions(bench_theme PRIVATE PICTAVO_CLI="$<TARGET_FILE:pictavo-cli>")
add_dependencies(bench_theme pictavo-cli)

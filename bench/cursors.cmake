pictavo_benchmark(bench_cursor_theme DEPENDS util platform)
target_compile_definitions(bench_cursor_theme PRIVATE PICTAVO_CLI="$<TARGET_FILE:pictavo-cli>")
add_dependencies(bench_cursor_theme pictavo-cli)

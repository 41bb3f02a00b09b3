pictavo_benchmark(bench_program DEPENDS library peres util platform)
target_compile_definitions(bench_program PRIVATE PICTAVO_CLI="$<TARGET_FILE:pictavo-cli>"
    PICTAVO_FIXTURES="${CMAKE_SOURCE_DIR}/tests/fixtures")
add_dependencies(bench_program pictavo-cli)

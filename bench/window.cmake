# The window's speed on the offscreen platform; built when the window is.
if(TARGET pictavo_app)
    pictavo_benchmark(bench_window DEPENDS pictavo_app)
    target_compile_definitions(bench_window PRIVATE
        PICTAVO_FIXTURES="${CMAKE_SOURCE_DIR}/tests/fixtures"
        PICTAVO_CLI="$<TARGET_FILE:pictavo-cli>")
    add_dependencies(bench_window pictavo-cli)
endif()

pictavo_benchmark(bench_thumbnailer DEPENDS icons peres util platform)
target_compile_definitions(bench_thumbnailer PRIVATE
    PICTAVO_THUMBNAILER="$<TARGET_FILE:pictavo-thumbnailer>")
add_dependencies(bench_thumbnailer pictavo-thumbnailer)

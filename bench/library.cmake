pictavo_benchmark(bench_library DEPENDS library search icons peres util platform)

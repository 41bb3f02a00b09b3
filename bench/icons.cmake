pictavo_benchmark(bench_icons DEPENDS icons util platform)

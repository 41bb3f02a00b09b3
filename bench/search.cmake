pictavo_benchmark(bench_search DEPENDS search)

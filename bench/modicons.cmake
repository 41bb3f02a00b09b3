pictavo_benchmark(bench_module_icons DEPENDS icons peres util platform)

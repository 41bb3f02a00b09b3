# Quick start: `make run` builds and starts the program, `make test` builds and
# runs the whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer.
JOBS ?= 2
CMAKE_GEN := -G Ninja -Wno-dev

.PHONY: run build install test fuzz fuzz-smoke bench deps deb clean

# `gui` brings Qt 6 and a CJK font: both the program and its tests need the window.
deps:
	@scripts/install-deps gui

build: deps
	cmake -S . -B build $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release
	cmake --build build -j $(JOBS)

# `make install PREFIX=~/.local`: the programs, desktop entry, icons, thumbnailer, man page.
PREFIX ?= /usr/local
install: build
	cmake --install build --prefix $(PREFIX)

run: build
	scripts/run-window

# `make deb`: pictavo_VERSION_amd64.deb (CPack), checked with lintian.
deb: deps
	@scripts/install-deps package
	cmake -S . -B build-deb $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build build-deb -j $(JOBS)
	cd build-deb && cpack -G DEB
	cp build-deb/pictavo_*.deb .
	lintian --fail-on error pictavo_*.deb

test: deps
	cmake -S . -B build-test $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DPICTAVO_SANITIZE=ON -DPICTAVO_TESTS=ON
	cmake --build build-test -j $(JOBS)
	cd build-test && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    ctest --output-on-failure -j $(JOBS)
	$(MAKE) fuzz-smoke FUZZ_SECONDS=10

# libFuzzer targets (clang). FUZZ_SECONDS bounds each target's run in fuzz-smoke.
FUZZ_SECONDS ?= 20
fuzz: deps
	cmake -S . -B build-fuzz $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DPICTAVO_FUZZ=ON
	cmake --build build-fuzz -j $(JOBS)

fuzz-smoke: fuzz
	scripts/fuzz-smoke build-fuzz/bin $(FUZZ_SECONDS)

bench: deps
	cmake -S . -B build-bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DPICTAVO_BENCH=ON
	cmake --build build-bench -j $(JOBS)
	@for b in build-bench/bin/bench_*; do echo "== $$b"; $$b; done

clean:
	rm -rf build build-test build-fuzz build-bench build-deb

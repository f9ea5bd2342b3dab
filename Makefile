# Kartzmap — top-level commands. See README.md.
JOBS ?= $(shell nproc)
TEST_DIR  ?= build/test
BENCH_DIR ?= build/bench
DEMO_DIR  ?= build/demo
FUZZ_DIR  ?= build/fuzz
FUZZ_SECONDS ?= 60
# Fuzz targets to build and run (e.g. DocumentFileFuzz); empty: all of them.
FUZZ_TARGETS ?=

.PHONY: deps test bench demo fuzz clean

deps:
	scripts/deps.sh

test: deps
	cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DKZ_SANITIZE=ON
	cmake --build $(TEST_DIR) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(TEST_DIR) --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DKZ_TESTS=OFF -DKZ_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS)
	scripts/bench.sh $(BENCH_DIR)
	python3 scripts/bench-maps.py $(BENCH_DIR)

demo: deps
	cmake -S . -B $(DEMO_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKZ_TESTS=OFF
	cmake --build $(DEMO_DIR) -j $(JOBS) --target kzmap Kartzmap
	scripts/demo.sh $(DEMO_DIR)

# Runs every libFuzzer target (or FUZZ_TARGETS) for FUZZ_SECONDS each (clang).
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKZ_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS) $(if $(FUZZ_TARGETS),--target $(FUZZ_TARGETS))
	scripts/fuzz.sh $(FUZZ_DIR) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

clean:
	rm -rf build

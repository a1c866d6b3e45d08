# The two everyday commands: `make run` and `make test`.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all deps configure build test run bench clean

all: build

deps:
	@scripts/install-deps

configure:
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS) > /dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# Installs what is missing, builds, runs every test; failing tests show their output.
test: deps
	@$(MAKE) --no-print-directory build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 600

# Builds and starts the program on the simulated instrument.
run: deps
	@$(MAKE) --no-print-directory build
	@scripts/run-demo $(BUILD_DIR)

# Builds and runs the benchmarks (not part of make test).
bench: deps
	@$(MAKE) --no-print-directory build BUILD_DIR=build-bench BUILD_TYPE=Release CMAKE_FLAGS="-DORBILAN_BUILD_BENCH=ON -DORBILAN_BUILD_TESTS=OFF -DORBILAN_BUILD_GUI=OFF"
	@for b in build-bench/bin/bench_*; do [ -x "$$b" ] && "$$b"; done

clean:
	rm -rf $(BUILD_DIR)

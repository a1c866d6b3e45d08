# The two everyday commands: `make run` and `make test`.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all deps configure build test test-asan fuzz run bench package check-package clean

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

# The whole test suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	@$(MAKE) --no-print-directory build BUILD_DIR=build-asan BUILD_TYPE=Debug CMAKE_FLAGS="-DORBILAN_SANITIZE=ON"
	@cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp ctest --output-on-failure -j $(JOBS) --timeout 900

# The fuzz targets (clang, libFuzzer), each run for FUZZ_SECONDS from its seed corpus.
FUZZ_SECONDS ?= 10
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORBILAN_FUZZ=ON \
	  -DORBILAN_BUILD_GUI=OFF -DORBILAN_BUILD_TESTS=OFF > /dev/null
	@cmake --build build-fuzz -j $(JOBS) --target fuzzers
	@scripts/run-fuzzers build-fuzz $(FUZZ_SECONDS)

# Builds and starts the program on the simulated instrument.
run: deps
	@$(MAKE) --no-print-directory build
	@scripts/run-demo $(BUILD_DIR)

# Builds and runs the benchmarks (not part of make test).
bench: deps
	@$(MAKE) --no-print-directory build BUILD_DIR=build-bench BUILD_TYPE=Release CMAKE_FLAGS="-DORBILAN_BUILD_BENCH=ON -DORBILAN_BUILD_TESTS=OFF"
	@for b in build-bench/bin/bench_*; do [ -x "$$b" ] && "$$b"; done

# The Debian package: a Release build with Debian's hardening flags, no tests,
# installed under /usr and packed by CPack; prints the package's path.
PACKAGE_DIR ?= build-package
package: deps
	@DEB_BUILD_MAINT_OPTIONS=hardening=+all; export DEB_BUILD_MAINT_OPTIONS; \
	cmake -S . -B $(PACKAGE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	  -DORBILAN_BUILD_TESTS=OFF \
	  -DCMAKE_C_FLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CFLAGS)" \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	  -DCMAKE_SHARED_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" > /dev/null
	@cmake --build $(PACKAGE_DIR) -j $(JOBS)
	@rm -f $(PACKAGE_DIR)/orbilan_*_*.deb
	@cd $(PACKAGE_DIR) && cpack -G DEB > cpack.log 2>&1 || { cat cpack.log; exit 1; }
	@ls $(PACKAGE_DIR)/orbilan_*_*.deb

# The package checked as CI checks it: lintian, where errors and warnings
# fail (what we keep on purpose is overridden, with the reason, in
# packaging/lintian-overrides), then the unpacked tree used from another folder.
check-package: package
	@lintian --fail-on error,warning $(PACKAGE_DIR)/orbilan_*_*.deb
	@tests/packaging/installed_tree_test.sh --deb $(PACKAGE_DIR)/orbilan_*_*.deb tests/packaging/check_run_paths.sh ON

clean:
	rm -rf $(BUILD_DIR)

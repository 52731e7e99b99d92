# The two commands of the README: `make run` and `make test`. Everything else is a step of them.
.PHONY: all deps configure build run test test-windows asan tsan fuzz bench bench-build package \
	package-windows format format-check tidy clean

PRESET ?= default
# CI treats warnings as errors.
CMAKE_FLAGS := $(if $(CI),-DTROVIK_WERROR=ON,)

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	cmake --preset $(PRESET) $(CMAKE_FLAGS)

build: configure
	cmake --build --preset $(PRESET)

run: build
	build/bin/trovik

test: build
	ctest --preset $(PRESET)

# trovik-scan and its tests built for Windows with MinGW-w64 and run under wine, and the 32-bit
# build linked. Installs the cross compilers and wine when missing; `make test` needs neither.
test-windows:
	scripts/test-windows.sh $(CMAKE_FLAGS)

asan:
	$(MAKE) test PRESET=asan

# The scanning core and the command line (its thread pool) under ThreadSanitizer.
tsan:
	$(MAKE) test PRESET=tsan

# Each libFuzzer target for FUZZ_SECONDS, from the seeds in fuzz/corpus/; what it learns is kept
# in build-fuzz/corpus/, outside the source tree.
FUZZ_SECONDS ?= 60
FUZZERS := matcher target_path
fuzz: deps
	cmake --preset fuzz $(CMAKE_FLAGS)
	cmake --build --preset fuzz
	@set -e; for name in $(FUZZERS); do \
	    mkdir -p build-fuzz/corpus/$$name; \
	    dict=; if [ -f fuzz/$$name.dict ]; then dict=-dict=fuzz/$$name.dict; fi; \
	    echo "fuzzing $$name for $(FUZZ_SECONDS) s"; \
	    build-fuzz/bin/trovik_$${name}_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	        -max_len=4096 -artifact_prefix=build-fuzz/ $$dict \
	        build-fuzz/corpus/$$name fuzz/corpus/$$name; \
	done

# trovik-scan timed against a bare C loop and its peers on a generated corpus, with the matcher's
# micro benchmarks; installs the tools it alone needs. The benchmarks have a build of their own,
# which `make test` does not make.
bench-build: deps
	cmake --preset bench $(CMAKE_FLAGS)
	cmake --build --preset bench

bench: bench-build
	bench/run-bench.py --build build-bench
	bench/window-figures.py --build build-bench

# The Debian package, checked with lintian and installed on this machine for a moment.
package: build
	@scripts/install-deps.sh lintian dpkg-dev
	scripts/check-package.sh build

# The Windows installers (NSIS) and portable archives, 64-bit in build-windows/package/ and 32-bit
# in build-windows32/package/: only the programs are built, not their tests. Installs the cross
# compilers and NSIS when missing; make test-windows tests the installers under wine.
WINDOWS_PACKAGE_DEPS := cmake ninja-build libcli11-dev nlohmann-json3-dev googletest python3-pil \
	g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix nsis
package-windows:
	@scripts/install-deps.sh $(WINDOWS_PACKAGE_DEPS)
	@set -e; for preset in windows windows32; do \
	    cmake --preset $$preset $(CMAKE_FLAGS); \
	    cmake --build --preset $$preset --target trovik_windows_packages; \
	done
	ls -l build-windows/package build-windows32/package

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	@scripts/install-deps.sh clang-format
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

# clang-tidy with the checks in .clang-tidy over every C++ file of the default build and of the
# benchmarks' build; a finding fails. The C baseline of the benchmarks is left to the compiler's
# warnings.
tidy: build bench-build
	@scripts/install-deps.sh clang-tidy
	run-clang-tidy -quiet -p build -j $$(nproc) '^$(CURDIR)/(scan|platform|cli|window|tests)/.*\.cpp$$'
	run-clang-tidy -quiet -p build-bench -j $$(nproc) '^$(CURDIR)/bench/.*\.cpp$$'

clean:
	rm -rf build build-bench build-debug build-asan build-tsan build-fuzz build-windows build-windows32

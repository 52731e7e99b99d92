# The two commands of the README: `make run` and `make test`. Everything else is a step of them.
.PHONY: all deps configure build run test asan package format format-check clean

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

asan:
	$(MAKE) test PRESET=asan

# The Debian package, checked with lintian and installed on this machine for a moment.
package: build
	@scripts/install-deps.sh lintian dpkg-dev
	scripts/check-package.sh build

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build build-debug build-asan

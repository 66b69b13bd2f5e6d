# Lumenfold: `make test` installs what is missing, builds and runs every test.

BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=

PREFIX     ?= /usr/local

.PHONY: all deps configure build test run install package test-asan test-tsan format format-check clean

all: build

deps:
	@./tools/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_ARGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) -j $(JOBS) --output-on-failure

# The viewer on the demonstration collection, with the camera simulator's demonstration set.
run: build
	./tools/run-demo.sh $(BUILD)

# zelppc, zelctl, camsim, the stream control, the help document, the desktop entry, icons,
# AppStream metainfo and manual pages.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The same as a Debian package: $(BUILD)/lumenfold_<version>_<arch>.deb.
package: build
	cmake --build $(BUILD) --target package

# The same tests under the address and the thread sanitizer.
test-asan:
	$(MAKE) test BUILD=build-asan CMAKE_ARGS="-DSANITIZE=address -DLUMENFOLD_BENCH=OFF"

test-tsan:
	$(MAKE) test BUILD=build-tsan CMAKE_ARGS="-DSANITIZE=thread -DLUMENFOLD_BENCH=OFF"

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Fails, naming the files, when a source file is not laid out as .clang-format says.
format-check: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

clean:
	rm -rf $(BUILD) build-asan build-tsan

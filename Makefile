# Newcomer's entry points: `make run` and `make test`.
BUILD_DIR  ?= build
ASAN_DIR   ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_TYPE ?= RelWithDebInfo
# The builds that CMake's makefiles run below this one say nothing of the
# folders they enter.
MAKEFLAGS  += --no-print-directory

.PHONY: all deps build run test package lint test-asan bench fuzz screenshots clean

all: build

# scripts/install-deps installs what the targets asked for need: `make run`
# only the build's and the program's packages, `make test` the test tools too.
NEEDS := $(patsubst test-asan,test,$(filter build run test test-asan lint package bench screenshots,$(MAKECMDGOALS)))
deps:
	@./scripts/install-deps $(or $(NEEDS),build)

build: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(CMAKE_TYPE) >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@./scripts/run-gui $(BUILD_DIR)/varko

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The Debian package $(BUILD_DIR)/varko_<version>_<architecture>.deb, checked by
# lintian, whose cache files go with a scratch folder of their own.
package: build
	@cd $(BUILD_DIR) && cpack -G DEB && scratch=$$(mktemp -d) && \
	  { TMPDIR=$$scratch lintian --fail-on error \
	      "varko_$$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' CMakeCache.txt)_$$(dpkg --print-architecture).deb"; \
	    status=$$?; rm -rf "$$scratch"; exit $$status; }

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	@ctest --preset asan -j $(JOBS)

# Formatting as .clang-format says, and clang-tidy clean over the program's code.
lint: build
	@./scripts/check-style $(BUILD_DIR)

bench: build
	@./scripts/run-bench $(BUILD_DIR)

# The archive fuzzer (clang, libFuzzer, ASan + UBSan), for FUZZ_SECONDS seconds.
FUZZ_SECONDS ?= 60
fuzz:
	@FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) ./scripts/run-fuzz build-fuzz

# Screenshots of the user guide, taken from the real program on a virtual display.
screenshots: build
	@./scripts/screenshots $(BUILD_DIR)/varko docs/screenshots 1

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR)

# Two commands for a newcomer: `make run` and `make test`. Both install what is missing first.
# `make test SANITIZE=1` builds the pure libraries and their tests with ASan and UBSan.

JOBS ?= $(shell nproc)
BUILD_TYPE ?= RelWithDebInfo
BUILD_DIR := build
CMAKE_FLAGS :=

ifeq ($(SANITIZE),1)
BUILD_DIR := build-sanitize
BUILD_TYPE := Debug
CMAKE_FLAGS += -DBOARDCAST_SANITIZE=ON -DBOARDCAST_PURE_ONLY=ON
endif

.PHONY: all deps configure build test run bench clean format

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

run: build
	./$(BUILD_DIR)/boardcast

bench: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target bench_convert
	./$(BUILD_DIR)/bench/bench_convert

format:
	@find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build build-sanitize

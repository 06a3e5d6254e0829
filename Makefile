# Two commands for a newcomer: `make run` and `make test`. Both install what is missing first.
# `make install` installs under PREFIX (default /usr/local; DESTDIR honoured); `make package`
# builds a .deb.
# `make test SANITIZE=1` builds the pure libraries and their tests with ASan and UBSan.
# `make fuzz` runs the fuzz targets (RTF reader, page probe, data-file loaders, conversion) for
# FUZZ_SECONDS each (clang, libFuzzer).

JOBS ?= $(shell nproc)
BUILD_TYPE ?= RelWithDebInfo
BUILD_DIR := build
CMAKE_FLAGS :=
FUZZ_SECONDS ?= 60
FUZZ_DIR := build-fuzz
TEST_SETUP := editors

ifeq ($(SANITIZE),1)
BUILD_DIR := build-sanitize
BUILD_TYPE := Debug
CMAKE_FLAGS += -DBOARDCAST_SANITIZE=ON -DBOARDCAST_PURE_ONLY=ON
TEST_SETUP :=
endif

# CI treats warnings as errors.
ifeq ($(CI),true)
CMAKE_FLAGS += -DBOARDCAST_WERROR=ON
endif

PREFIX ?= /usr/local
DESTDIR ?=

.PHONY: all deps configure build editors test run install package bench fuzz clean format

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# The rich text editors that the browser tests load, from npm into the build folder.
editors:
	@scripts/install-editors.sh $(BUILD_DIR)/editors

test: build $(TEST_SETUP)
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

run: build
	./$(BUILD_DIR)/boardcast

# Installs under PREFIX (below DESTDIR when set, for staging).
install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# A Debian package, $(BUILD_DIR)/boardcast_VERSION_ARCH.deb.
package: build
	@cd $(BUILD_DIR) && cpack -G DEB >/dev/null && ls -1 $(CURDIR)/$(BUILD_DIR)/boardcast_*.deb

bench: build
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target bench_convert bench_desktop_check bench_thread_posts
	./$(BUILD_DIR)/bench/bench_convert
	bench/start_bench.sh $(BUILD_DIR)

# The seeds are copied to a scratch corpus so that the run never writes into the tree;
# inputs that fail land in $(FUZZ_DIR)/artifacts.
fuzz:
	@scripts/install-deps.sh clang
	@cmake -S . -B $(FUZZ_DIR) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DBOARDCAST_PURE_ONLY=ON -DBOARDCAST_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS) --target rtf_reader_fuzz page_probe_fuzz data_files_fuzz \
		conversion_fuzz
	@mkdir -p $(FUZZ_DIR)/artifacts
	@corpus=$$(mktemp -d) && trap 'rm -rf "$$corpus"' EXIT && \
		cp tests/core/help/fixtures/rtf/*.rtf src/ui/resources/help/Help.rtf "$$corpus"/ && \
		$(FUZZ_DIR)/fuzz/rtf_reader_fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
			-rss_limit_mb=2048 -max_len=65536 -dict=fuzz/rtf.dict \
			-artifact_prefix=$(FUZZ_DIR)/artifacts/ "$$corpus"
	@corpus=$$(mktemp -d) && trap 'rm -rf "$$corpus"' EXIT && \
		cp fuzz/probe_seeds/* "$$corpus"/ && \
		$(FUZZ_DIR)/fuzz/page_probe_fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
			-rss_limit_mb=2048 -max_len=8192 -dict=fuzz/probe.dict \
			-artifact_prefix=$(FUZZ_DIR)/artifacts/ "$$corpus"
	@for target in data_files_fuzz conversion_fuzz; do \
		corpus=$$(mktemp -d) && cp fuzz/data_seeds/* "$$corpus"/ && \
		$(FUZZ_DIR)/fuzz/$$target -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
			-rss_limit_mb=2048 -max_len=16384 -artifact_prefix=$(FUZZ_DIR)/artifacts/ "$$corpus"; \
		status=$$?; rm -rf "$$corpus"; [ $$status -eq 0 ] || exit $$status; \
	done

# The files that scripts/check-format.sh checks.
format:
	@find src tests bench fuzz tools -name fixtures -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) \
		-print0 | xargs -0 clang-format -i

clean:
	rm -rf build build-sanitize build-fuzz

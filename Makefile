# The two set-up commands of the README: `make run` and `make test`.
# Everything else is a convenience for developers.
SHELL := /bin/bash
ROOT := $(abspath .)
NATIVE := $(ROOT)/build/native
WIN := $(ROOT)/build/win
WIN64 := $(ROOT)/build/win64
RELEASE := $(ROOT)/build/release
FUZZ := $(ROOT)/build/fuzz
JOBS ?= 2
SAMPLES := $(ROOT)/build/samples

.PHONY: all setup native win win64 test test-native test-win run dist doc-pictures bench net-figure fuzz format clean

all: native win win64

setup:
	@bash scripts/setup

native: setup
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(NATIVE) -j$(JOBS)

win: setup
	@cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(WIN) -j$(JOBS)

test-native: native
	@ctest --test-dir $(NATIVE) --output-on-failure -j$(JOBS)

# The shipped programs are the 32-bit build. Where this machine cannot run
# 32-bit programs (some kernels lack it), the same tests run in the 64-bit
# build under 64-bit Wine instead.
win64: setup
	@cmake -S . -B $(WIN64) -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(WIN64) -j$(JOBS)

# The window tests need a display: the Windows tests run under Xvfb. The
# 64-bit build is made only where the tests need it.
test-win: win
	@if bash scripts/can-run-32bit; then \
	  xvfb-run -a ctest --test-dir $(WIN) --output-on-failure; \
	else \
	  echo "32-bit programs cannot run here: Windows tests run in the 64-bit build"; \
	  $(MAKE) --no-print-directory win64 && xvfb-run -a ctest --test-dir $(WIN64) --output-on-failure; \
	fi

test: test-native test-win
	@echo "make test: native and Windows tests passed"

# The editor under Wine on the installer's textured pillar (the command-line
# generator writes the samples): in the X session, or under Xvfb with
# screenshots.
run: native win
	@if bash scripts/can-run-32bit; then dir=$(WIN); else $(MAKE) --no-print-directory win64; dir=$(WIN64); fi; \
	bash scripts/run-samples $(NATIVE)/cli/orbiform-cli $$dir/cli/orbiform-cli.exe $(SAMPLES) && \
	bash scripts/run-editor $$dir/editor/Orbiform2.exe $(SAMPLES)/textured/Pillar.ek7mobj $(ROOT)/build/screenshots

# The release: Orbiform-<version>-setup.exe and a zip of the same files, from
# the 32-bit programs.
dist: native win
	@bash scripts/make-dist $(WIN) $(NATIVE)/cli/orbiform-cli $(ROOT)/build/dist x86-unicode

# Every picture of the README and the manual, from the 32-bit programs.
doc-pictures: native win
	@bash scripts/doc-pictures $(WIN) $(NATIVE)/cli/orbiform-cli

bench: setup
	@cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release -DORBIFORM_SANITIZE=OFF -DORBIFORM_TESTS=OFF -DORBIFORM_BENCHMARKS=ON >/dev/null
	@cmake --build $(RELEASE) -j$(JOBS)
	@$(RELEASE)/bench/orbiform_bench
	@$(MAKE) --no-print-directory win64
	@echo "The same under Wine (64-bit Windows build):"
	@scripts/wine-run $(WIN64)/bench/orbiform_timing.exe

# Download throughput: AsyncInternet under Wine beside curl, same service.
net-figure: win win64
	@if bash scripts/can-run-32bit; then bash scripts/net-figure $(WIN); else bash scripts/net-figure $(WIN64); fi

FUZZ_SECONDS ?= 60
fuzz: setup
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORBIFORM_SANITIZE=OFF -DORBIFORM_TESTS=OFF -DORBIFORM_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ) -j$(JOBS) --target fuzz_project fuzz_options fuzz_bitmap fuzz_infos fuzz_manifest fuzz_addresses
	@for t in project options bitmap infos manifest addresses; do \
	  mkdir -p $(FUZZ)/corpus/$$t; \
	  $(FUZZ)/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $(FUZZ)/corpus/$$t fuzz/corpus/$$t || exit 1; \
	done

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(NATIVE) $(WIN) $(WIN64) $(RELEASE) $(FUZZ)

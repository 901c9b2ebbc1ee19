# The front door. Each target installs what is missing, builds with CMake and runs.
.PHONY: all setup setup-test build run install package windows web test test-debug test-install test-asan \
        test-fuzz test-wine test-web bench clean goldens

JOBS ?= $(shell nproc)
PREFIX ?= /usr/local

all: build

setup:
	@bash scripts/setup

build: setup
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j $(JOBS)

run: build
	@if [ -x build/release/game/frostvel ]; then \
	  cd build/release/game && ./frostvel; \
	else \
	  echo "The game is not built yet: there is nothing to run."; \
	fi

# The library (libtevra.so, tevra.h, tevra.pc, the CMake package) and the game under PREFIX.
install: build
	@cmake --install build/release --prefix $(PREFIX)

# The Debian package build/release/tevra_<version>_amd64.deb (library, header, tevra.pc, the CMake
# package, the game and the examples).
package: build
	@cd build/release && cpack -G DEB | grep 'package:'

# `make test` runs each stage of TEST_STAGES, whatever the ones before it did, and ends with one
# line for the whole run, "N passed, N failed" (", N skipped" when any were); it fails when any
# stage did. A stage adds its counts to build/test-results as lines "NAME PASSED FAILED SKIPPED"
# (see scripts/test-results, whose subcommands run ctest, libFuzzer, single checks and quiet
# builds and add their lines); a new stage is a target that does so, named in TEST_STAGES.
TEST_STAGES := test-debug test-install test-fuzz test-asan test-wine test-web
RESULTS := scripts/test-results

test: setup-test
	@$(RESULTS) reset
	@status=0; \
	for stage in $(TEST_STAGES); do $(MAKE) --no-print-directory $$stage || status=1; done; \
	$(RESULTS) summary $$status

# What the whole suite needs, MinGW-w64, Wine, emscripten and Chromium included (`make run` installs
# none of that).
setup-test:
	@bash scripts/setup test

# The Windows programs, cross-built with MinGW-w64: build/windows/game/frostvel.exe,
# build/windows/examples/bounce.exe and the library build/windows/tevra/libtevra.a.
windows:
	@bash scripts/setup windows
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows --target frostvel bounce tevra -j $(JOBS)

test-debug:
	@cmake --preset debug >/dev/null
	@$(RESULTS) build debug cmake --build --preset debug -j $(JOBS) -- --quiet
	@$(RESULTS) ctest debug --preset debug -j $(JOBS)

# TEVRA as a user gets it: installed into a temporary prefix, every example built outside the tree
# (pkg-config, find_package, add_subdirectory) and run headless, the Debian package checked.
test-install:
	@cmake --preset debug >/dev/null
	@$(RESULTS) build debug cmake --build --preset debug -j $(JOBS) -- --quiet
	@$(RESULTS) run install bash tests/install/run.sh build/debug

test-asan:
	@cmake --preset asan >/dev/null
	@$(RESULTS) build asan cmake --build --preset asan -j $(JOBS) -- --quiet
	@$(RESULTS) ctest asan --preset asan -j $(JOBS)

# Fuzz targets need clang's libFuzzer: a clang build of its own, each target run for 20 seconds.
test-fuzz:
	@if command -v clang++ >/dev/null 2>&1; then \
	  cmake -S . -B build/fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	    -DCMAKE_BUILD_TYPE=Debug -DTEVRA_BENCH=OFF >/dev/null && \
	  $(RESULTS) build fuzz cmake --build build/fuzz --target script_reader_fuzz primitives_fuzz -j $(JOBS) -- --quiet && \
	  mkdir -p build/fuzz/corpus/script_reader build/fuzz/corpus/primitives && \
	  { status=0; \
	    $(RESULTS) fuzz fuzz-script-reader build/fuzz/fuzz/script_reader_fuzz -max_total_time=20 \
	      $(CURDIR)/build/fuzz/corpus/script_reader $(CURDIR)/fuzz/script_seeds || status=1; \
	    $(RESULTS) fuzz fuzz-primitives build/fuzz/fuzz/primitives_fuzz -max_total_time=20 -timeout=10 \
	      -artifact_prefix=build/fuzz/ build/fuzz/corpus/primitives || status=1; \
	    exit $$status; }; \
	else \
	  echo "clang++ not found: fuzzing skipped"; \
	  $(RESULTS) add fuzz 0 0 2 "clang++ not found"; \
	fi

# The Windows build under Wine: its tests, game.scr against winport frame by frame, the real-window
# test (tests/wine/run.sh; skipped with a notice where MinGW-w64 or Wine is missing).
test-wine:
	@JOBS=$(JOBS) bash tests/wine/run.sh

# The game and the examples as web pages in build/web (emscripten); serve that folder and open
# frostvel.html.
web:
	@bash scripts/setup web
	@cmake --preset web >/dev/null
	@cmake --build --preset web -j $(JOBS)
	@echo "web: pages in build/web; serve them with: python3 -m http.server -d build/web --bind 127.0.0.1 8000"

# The pages in headless Chromium, compared with the headless display's frames (from the debug build;
# scripts/setup test installs Chromium, and where it cannot the stage is skipped with a notice).
test-web:
	@if ! command -v chromium >/dev/null 2>&1 || ! command -v chromedriver >/dev/null 2>&1 || \
	    ! command -v emcc >/dev/null 2>&1; then \
	  echo "Chromium or emscripten cannot be installed here: browser tests skipped"; \
	  $(RESULTS) add web 0 0 1 "Chromium or emscripten missing" >/dev/null; \
	else \
	  $(RESULTS) build web $(MAKE) --no-print-directory web >/dev/null && \
	  cmake --preset debug >/dev/null && \
	  $(RESULTS) build web-replay cmake --build --preset debug --target frostvel-replay tevra-check -j $(JOBS) -- --quiet && \
	  /usr/bin/python3 tests/web/browser_test.py; \
	fi

# Debian's libbenchmark is built for debugging and says so in every program's header; that
# concerns the library's own code, not these benchmarks (built as Release), so it is said once.
bench: build
	@rm -f build/bench-debug-library; \
	for b in build/release/bench/*_bench; do \
	  [ -x "$$b" ] || continue; \
	  "$$b" --benchmark_min_time=0.5 2>&1 | \
	    awk '/Library was built as DEBUG/ { system("touch build/bench-debug-library"); next } { print }'; \
	done; \
	if [ -e build/bench-debug-library ]; then \
	  echo "Note: Debian's libbenchmark is a debug build, hence its warning 'Library was built as DEBUG' (left out above); the benchmarks themselves are built as Release."; \
	fi; \
	bash bench/startup.sh; true

clean:
	rm -rf build

# Regenerates the golden frames of the end-to-end tests (and the README's screenshots) from
# tests/golden/game.scr. Look at every changed image before committing it.
goldens: setup
	@cmake --preset debug >/dev/null
	@cmake --build --preset debug --target frostvel-replay -j $(JOBS)
	@bash tools/make-goldens.sh build/debug

# The front door. Each target installs what is missing, builds with CMake and runs.
.PHONY: all setup setup-test build run windows web test test-debug test-asan test-fuzz test-wine test-web bench \
        clean goldens

JOBS ?= $(shell nproc)

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

# The Windows programs, cross-built with MinGW-w64: build/windows/game/frostvel.exe,
# build/windows/examples/bounce.exe and the library build/windows/tevra/libtevra.a.
windows:
	@bash scripts/setup windows
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows --target frostvel bounce tevra -j $(JOBS)

test: setup-test test-debug test-fuzz test-asan test-wine test-web

# What the whole suite needs, MinGW-w64, Wine, emscripten and Chromium included (`make run` installs
# none of that).
setup-test:
	@bash scripts/setup test

test-debug:
	@cmake --preset debug >/dev/null
	@cmake --build --preset debug -j $(JOBS)
	@ctest --preset debug -j $(JOBS)

test-asan:
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	@ctest --preset asan -j $(JOBS)

# Fuzz targets need clang's libFuzzer: a clang build of its own, each target run for 20 seconds.
test-fuzz:
	@if command -v clang++ >/dev/null 2>&1; then \
	  cmake -S . -B build/fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	    -DCMAKE_BUILD_TYPE=Debug -DFROSTVEL_BENCH=OFF >/dev/null && \
	  cmake --build build/fuzz --target script_reader_fuzz primitives_fuzz -j $(JOBS) && \
	  mkdir -p build/fuzz/corpus/script_reader build/fuzz/corpus/primitives && \
	  { build/fuzz/fuzz/script_reader_fuzz -max_total_time=20 \
	    $(CURDIR)/build/fuzz/corpus/script_reader $(CURDIR)/fuzz/script_seeds 2>build/fuzz/script_reader.log || \
	    { tail -40 build/fuzz/script_reader.log; exit 1; }; } && \
	  { build/fuzz/fuzz/primitives_fuzz -max_total_time=20 -timeout=10 -artifact_prefix=build/fuzz/ \
	    build/fuzz/corpus/primitives 2>build/fuzz/primitives.log || \
	    { tail -40 build/fuzz/primitives.log; exit 1; }; }; \
	else \
	  echo "clang++ not found: fuzzing skipped"; \
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
	else \
	  $(MAKE) --no-print-directory web >/dev/null && \
	  cmake --preset debug >/dev/null && \
	  cmake --build --preset debug --target frostvel-replay -j $(JOBS) >/dev/null && \
	  /usr/bin/python3 tests/web/browser_test.py; \
	fi

bench: build
	@for b in build/release/bench/*_bench; do [ -x "$$b" ] && "$$b" --benchmark_min_time=0.5; done; true

clean:
	rm -rf build

# Regenerates the golden frames of the end-to-end tests (and the README's screenshots) from
# tests/golden/game.scr. Look at every changed image before committing it.
goldens: setup
	@cmake --preset debug >/dev/null
	@cmake --build --preset debug --target frostvel-replay -j $(JOBS)
	@bash tools/make-goldens.sh build/debug

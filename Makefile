# The front door. Each target installs what is missing, builds with CMake and runs.
.PHONY: all setup build run test test-debug test-asan bench clean

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

test: setup test-debug test-asan

test-debug:
	@cmake --preset debug >/dev/null
	@cmake --build --preset debug -j $(JOBS)
	@ctest --preset debug -j $(JOBS)

test-asan:
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	@ctest --preset asan -j $(JOBS)

bench: build
	@for b in build/release/bench/*_bench; do [ -x "$$b" ] && "$$b" --benchmark_min_time=0.5; done; true

clean:
	rm -rf build

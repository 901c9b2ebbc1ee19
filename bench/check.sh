#!/bin/bash
# check.sh — how long tevra-check takes to judge the recorded game (tests/golden/game.scr, 128
# frames) against a reference recorded without frames, that is from the frame hashes of its draw
# log alone: (a) one `verify`, from exec to verdict; (b) a folder of 50 such references with -j2.
#
#   bench/check.sh [BUILD_DIR] [RUNS]      defaults: build/release, 11
set -u
build=${1:-build/release}
runs=${2:-11}
check=$build/tools/tevra_check/tevra-check
game=$build/game/frostvel
for tool in "$check" "$game"; do [ -x "$tool" ] || { echo "check: $tool is not built"; exit 1; }; done
script=$(cd "$(dirname "$0")/.." && pwd)/tests/golden/game.scr
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$check" record --script "$script" --out "$work/ref" "$game" >/dev/null || { echo "check: the game could not be recorded"; exit 1; }
mkdir "$work/refs"
for i in $(seq -w 1 50); do cp -r "$work/ref" "$work/refs/game-$i"; done

# elapsed COMMAND...: the wall time of one run of COMMAND in milliseconds; a verdict other than
# "passed" ends the benchmark, which would otherwise time a failure.
elapsed() {
  local start end
  start=$(date +%s%N)
  "$@" >"$work/out" 2>&1 || { echo "check: $* did not pass:"; head -3 "$work/out"; exit 1; }
  end=$(date +%s%N)
  echo $(((end - start) / 1000))
}
# median LABEL TARGET_MS: the median and fastest of the times (microseconds) on stdin.
median() {
  sort -n | awk -v label="$1" -v target="$2" '{ t[NR] = $1 / 1000 }
    END { printf "check: %s %.1f ms (median of %d runs; fastest %.1f ms; target under %d ms)\n", label, t[int((NR + 1) / 2)], NR, t[1], target }'
}
for _ in $(seq "$runs"); do elapsed "$check" verify --ref "$work/ref" "$game"; done |
  median "verify of the recorded game from hashes:" 100
for _ in $(seq 3); do elapsed "$check" verify --refs "$work/refs" -j2 "$game"; done |
  median "verify of 50 references of the game, -j2:" 5000

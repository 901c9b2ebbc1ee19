#!/usr/bin/env bash
# Draws the shape battery through a real GDI (Windows' GDI under Wine) and through winport, and
# compares them case by case. Needs wine, wine64 and mingw-w64 installed locally (not in CI):
#
#   tools/gdi-crosscheck/run.sh BUILD_DIR [compare.py options, e.g. --show 3 --only 'ellipse .*/w2N']
#
# BUILD_DIR must hold a built winport/libwinport_gdi.a. Prints per family how many cases and
# pixels differ, then whether the pinned family hashes (tests/winport/gdi/reference_test.cpp)
# agree with the ones winport gives.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:?usage: run.sh BUILD_DIR [compare options]}
shift
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
libs="$build/winport/libwinport_gdi.a $(pkg-config --libs freetype2 fontconfig libpng)"
for prog in crosscheck battery; do
  x86_64-w64-mingw32-g++-posix -std=c++20 -O1 "tools/gdi-crosscheck/$prog.cpp" -static -lgdi32 -luser32 \
    -o "$out/$prog.exe"
  # shellcheck disable=SC2086
  g++ -std=c++20 -O1 -Iwinport/include "tools/gdi-crosscheck/$prog.cpp" $libs -o "$out/$prog"
done
export WINEDEBUG=-all
wineserver -p >/dev/null 2>&1 || true
for prog in crosscheck battery; do
  wine "$out/$prog.exe" "Z:${out//\//\\}\\$prog-gdi.txt" >"$out/wine.log" 2>&1 </dev/null
  "$out/$prog" "$out/$prog-winport.txt"
done
python3 tools/gdi-crosscheck/compare.py "$out/crosscheck-gdi.txt" "$out/crosscheck-winport.txt" "$@"
if diff --strip-trailing-cr "$out/battery-gdi.txt" "$out/battery-winport.txt" >/dev/null; then
  echo "pinned families: all match"
else
  echo "pinned families that differ (GDI first, then winport):"
  diff --strip-trailing-cr "$out/battery-gdi.txt" "$out/battery-winport.txt" || true
fi

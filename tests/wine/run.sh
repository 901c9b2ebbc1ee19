#!/usr/bin/env bash
# The Windows build on real Win32 (Wine): cross-builds with MinGW-w64, then, on a private Xvfb and a
# Wine prefix of its own under build/wine,
#   1. runs every test program built for Windows (those that need no winport);
#   2. plays tests/golden/game.scr through frostvel.exe (TEVRA_SCRIPT, TEVRA_FRAMES, TEVRA_ECHO=1)
#      and through the Linux build on winport's headless display, and expects status 0 from both,
#      the same console lines and every frame equal outside the text boxes (diff images of frames
#      that differ go to build/wine/diff);
#   3. verifies `wine frostvel.exe` with tevra-check against a reference recorded on winport, outside
#      the text (the fonts differ);
#   4. runs the real-window game test (tests/xvfb/frostvel.sh) against `wine frostvel.exe`.
#
#   tests/wine/run.sh        (`make test-wine`; `make test` runs it)
#
# Skipped, with one line, only when MinGW-w64 or Wine is not installed (`scripts/setup test`
# installs both). Programs run under Wine write to files, never to pipes (a pipe can hang Wine).
set -uo pipefail
cd "$(dirname "$0")/../.."
ROOT=$PWD
JOBS=${JOBS:-2}

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || ! command -v wine >/dev/null ||
   ! command -v Xvfb >/dev/null; then
  echo "test-wine: skipped: MinGW-w64, Wine or Xvfb is not installed (scripts/setup test installs them)"
  scripts/test-results add wine 0 0 1 "MinGW-w64, Wine or Xvfb missing" >/dev/null
  exit 0
fi

STARTED=$(date +%s)
OUT=$ROOT/build/wine
WIN=$ROOT/build/windows
LINUX=$ROOT/build/debug
source tests/wine/session.sh

# Each check adds itself to make test's tally (scripts/test-results).
checks=0
fail() {
  echo "test-wine: FAIL: $*"
  scripts/test-results add wine "$checks" 1 >/dev/null
  exit 1
}

# show FILE: the end of a log, when a step failed.
show() { [ -s "$1" ] && { echo "--- $1"; tail -n 30 "$1"; }; }

# --- Build: the Windows programs and tests, and the Linux game and tools to compare with.
mkdir -p "$OUT"
{ cmake --preset windows && cmake --build --preset windows -j "$JOBS"; } >"$OUT/build-windows.log" 2>&1 ||
  { show "$OUT/build-windows.log"; fail "the MinGW-w64 build failed"; }
{ cmake --preset debug && cmake --build --preset debug --target frostvel tevra-check xvfb_probe xvfb_xtool -j "$JOBS"; } \
  >"$OUT/build-linux.log" 2>&1 || { show "$OUT/build-linux.log"; fail "the Linux build failed"; }

# --- Wine: a prefix of its own (made once, kept under build/), one server for all runs.
wine_session "$OUT" || fail "Xvfb did not start"

# --- 1. The test programs built for Windows.
rm -rf "$OUT/tests" && mkdir -p "$OUT/tests"
ran=()
for exe in "$WIN"/tests/*.exe; do
  [ -e "$exe" ] || continue
  name=$(basename "$exe" .exe)
  wine "$exe" >"$OUT/tests/$name.out" 2>&1 </dev/null || { show "$OUT/tests/$name.out"; fail "$name failed under Wine"; }
  passed=$(tr -d '\r' <"$OUT/tests/$name.out" | sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\.$/\1/p')
  ran+=("$name (${passed:-?} tests)")
  checks=$((checks + ${passed:-1}))
done
[ ${#ran[@]} -gt 0 ] || fail "no test program was built for Windows"
echo "test-wine: passed under Wine: ${ran[*]}"

# --- 2. One scripted game on both platforms.
# play DIR COMMAND...: the game in DIR, its console lines in DIR/console.txt, its frames in DIR/frames,
# its draw log in DIR/run.log.
play() {
  local dir=$1
  shift
  rm -rf "$dir" && mkdir -p "$dir"
  (cd "$dir" && TEVRA_SCRIPT="$ROOT/tests/golden/game.scr" TEVRA_FRAMES="$dir/frames" TEVRA_LOG=run.log TEVRA_ECHO=1 \
    exec "$@" >"$dir/stdout.txt" 2>"$dir/console.txt" </dev/null)
}
play "$OUT/winport" env WINPORT_DISPLAY=headless "$LINUX/game/frostvel"
status=$?
[ "$status" -eq 0 ] || { show "$OUT/winport/console.txt"; fail "the game on winport ended with status $status"; }
play "$OUT/win32" wine "$WIN/game/frostvel.exe"
status=$?
[ "$status" -eq 0 ] || { show "$OUT/win32/console.txt"; fail "frostvel.exe under Wine ended with status $status"; }

tr -d '\r' <"$OUT/win32/console.txt" >"$OUT/win32/console-lf.txt"
diff "$OUT/winport/console.txt" "$OUT/win32/console-lf.txt" >"$OUT/console.diff" ||
  { show "$OUT/console.diff"; fail "the console lines differ (winport first, then Win32)"; }
lines=$(wc -l <"$OUT/winport/console.txt")

# The draw logs are the same but for the whole-frame hashes, which the fonts change.
for side in winport win32; do sed -E 's/"hash":"[0-9a-f]{16}",//' "$OUT/$side/run.log" >"$OUT/$side/run-nohash.log"; done
diff "$OUT/winport/run-nohash.log" "$OUT/win32/run-nohash.log" >"$OUT/log.diff" ||
  { show "$OUT/log.diff"; fail "the draw logs differ (winport first, then Win32)"; }
records=$(wc -l <"$OUT/winport/run.log")

rm -rf "$OUT/diff"
/usr/bin/python3 tests/wine/compare_frames.py "$OUT/winport/frames" "$OUT/win32/frames" "$OUT/diff" \
  >"$OUT/frames.txt" 2>&1
compared=$?
if [ "$compared" -ne 0 ]; then
  cat "$OUT/frames.txt"
  fail "frames differ outside the text (diff images in build/wine/diff)"
fi
checks=$((checks + 1))
echo "test-wine: game.scr on Win32 and winport: status 0, the same $lines console lines and $records log records, $(tail -n 1 "$OUT/frames.txt")"

# --- 3. A reference recorded on Linux verifies the Windows build (Wine's start takes its time).
CHECK=$LINUX/tools/tevra_check/tevra-check
{ "$CHECK" record --script tests/golden/game.scr --out "$OUT/reference" "$LINUX/game/frostvel" &&
  "$CHECK" verify --ref "$OUT/reference" --outside-text --memory 0 --timeout 120 --report "$OUT/check-report" \
    wine "$WIN/game/frostvel.exe"; } >"$OUT/check.txt" 2>&1 ||
  { cat "$OUT/check.txt"; fail "tevra-check did not verify frostvel.exe against the winport reference"; }
checks=$((checks + 1))
echo "test-wine: frostvel.exe under Wine passed tevra-check verify --outside-text against a reference recorded on winport"

# --- 4. The real-window game test against the Windows build.
FROSTVEL_GAME="wine $WIN/game/frostvel.exe" bash tests/xvfb/frostvel.sh "$LINUX" >"$OUT/window-test.txt" 2>&1 ||
  { cat "$OUT/window-test.txt"; fail "the real-window game test failed against frostvel.exe"; }
checks=$((checks + 1))
echo "test-wine: the real-window game test passed against wine frostvel.exe"
scripts/test-results add wine "$checks" 0 >/dev/null
echo "test-wine: passed in $(($(date +%s) - STARTED)) s"

# common.bash — shared by the real-window tests (sourced; not a test itself).
#
# Starts a private Xvfb on a free display number, runs the probe program on the SDL display, and
# waits for things by polling with a bound, never by guessing a delay. Everything started here is
# stopped on exit. A test exits 77 (skipped) only when Xvfb itself is missing.
set -uo pipefail

BUILD=${1:?usage: bash $0 BUILD_DIR}
PROBE=$BUILD/tests/xvfb_probe
XTOOL=$BUILD/tests/xvfb_xtool
WORK=$(mktemp -d)
XVFB_PID=""
PROBE_PID=""

cleanup() {
  [ -n "$PROBE_PID" ] && kill "$PROBE_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

skip() { echo "SKIP: $*"; exit 77; }

fail() {
  echo "FAIL: $*"
  for f in "$WORK"/*.out "$WORK"/*.err; do
    [ -s "$f" ] && { echo "--- $(basename "$f")"; tail -n 40 "$f"; }
  done
  exit 1
}

# wait_for COMMAND...: run COMMAND every 50 ms until it succeeds; give up after 20 s.
wait_for() {
  local tries=400
  until "$@"; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.05
  done
}

require_programs() {
  [ -x "$PROBE" ] || fail "$PROBE is not built"
  [ -x "$XTOOL" ] || fail "$XTOOL is not built (needs libx11-dev)"
  command -v xdotool >/dev/null || fail "xdotool is not installed (scripts/setup installs it)"
}

# start_xvfb [WIDTHxHEIGHT]: a private X server, 1280 x 1024 unless told. -displayfd makes Xvfb
# pick a free display number and report it once it accepts connections.
start_xvfb() {
  command -v Xvfb >/dev/null || skip "Xvfb is not installed (scripts/setup installs it)"
  require_programs
  Xvfb -displayfd 5 -screen 0 "${1:-1280x1024}x24" -nolisten tcp 5>"$WORK/display" 2>"$WORK/xvfb.err" &
  XVFB_PID=$!
  wait_for test -s "$WORK/display" || fail "Xvfb did not start"
  DISPLAY=":$(head -n 1 "$WORK/display")"
  export DISPLAY
  unset WAYLAND_DISPLAY
  export WINPORT_DISPLAY=sdl
  unset WINPORT_SCALE SDL_VIDEODRIVER
}

# start_probe [idle]: the probe in the background, its output in $WORK/probe.out; waits until its
# window has painted.
start_probe() {
  : >"$WORK/probe.out"  # exists before the first look at it, whenever the probe gets to run
  "$PROBE" "$@" >>"$WORK/probe.out" 2>"$WORK/probe.err" &
  PROBE_PID=$!
  wait_for grep -qx ready "$WORK/probe.out" || fail "the probe never reported its window ready"
}

probe_said() { grep -qx "$1" "$WORK/probe.out"; }

# The probe's X window, found by its title, in WINDOW.
WINDOW=""
window_found() {
  WINDOW=$(xdotool search --name '^winport probe$' 2>/dev/null | head -n 1)
  [ -n "$WINDOW" ]
}
find_probe_window() { wait_for window_found || fail "no window titled 'winport probe'"; }

probe_gone() { ! kill -0 "$PROBE_PID" 2>/dev/null; }

# stop_probe WINDOW: close the window as a window manager's close box does, then expect the probe
# to end by itself with status 0.
stop_probe() {
  "$XTOOL" close "$1" || fail "could not send WM_DELETE_WINDOW"
  wait_for probe_gone || fail "the probe did not end after its window was closed"
  wait "$PROBE_PID"
  local status=$?
  PROBE_PID=""
  [ "$status" -eq 0 ] || fail "the probe ended with status $status"
  probe_said destroyed || fail "the probe's window procedure never saw WM_DESTROY"
}

# Which display a program gets: without a desktop and without a choice it stops with a message
# saying how to choose, and it never settles for an SDL window nobody can see.
source "$(dirname "$0")/common.bash"

[ -x "$PROBE" ] || fail "$PROBE is not built"

# expect_refusal TEXT ENV...: the probe, run with ENV and no desktop, ends at once with a failure
# status and TEXT on standard error.
expect_refusal() {
  local text=$1
  shift
  env -u DISPLAY -u WAYLAND_DISPLAY -u WINPORT_DISPLAY -u SDL_VIDEODRIVER "$@" \
    timeout 30 "$PROBE" >"$WORK/choice.out" 2>"$WORK/choice.err"
  local status=$?
  if [ "$status" -eq 0 ] || [ "$status" -eq 124 ]; then fail "status $status with $*"; fi
  grep -qF -- "$text" "$WORK/choice.err" || fail "no '$text' on standard error with $*"
  [ ! -s "$WORK/choice.out" ] || fail "the probe got as far as a window with $*"
}

expect_refusal "WINPORT_DISPLAY=headless"
expect_refusal "WINPORT_DISPLAY=table names no display" WINPORT_DISPLAY=table
expect_refusal "SDL found no desktop" WINPORT_DISPLAY=sdl
# A desktop named but not there: the message names it, in one line of its own.
expect_refusal "winport: cannot reach the X display :9999 (from DISPLAY)" DISPLAY=:9999
[ "$(wc -l <"$WORK/choice.err")" -eq 1 ] || fail "more than the one line: $(cat "$WORK/choice.err")"
echo "PASS"

# On a large screen the SDL display shows windows at twice their size: the program sees half the
# screen, a click lands on the client point under it, and every pixel of the image covers 2 x 2.
# A scale never leaves the program a screen smaller than 1280 x 960, where windows laid out for
# the desktop (the graphics window above a text window on the bottom third) would overlap.
source "$(dirname "$0")/common.bash"

# screen_at SIZE [VAR=VALUE...]: the "screen W H" line of the probe on a desktop of SIZE, in SEEN.
screen_at() {
  local size=$1
  shift
  rm -f "$WORK/display"  # the last server's number, read before the new one writes its own
  start_xvfb "$size"
  : >"$WORK/probe.out"
  env "$@" "$PROBE" >"$WORK/probe.out" 2>"$WORK/probe.err" &
  PROBE_PID=$!
  wait_for grep -q '^screen' "$WORK/probe.out" || fail "no screen size from the probe on $size"
  SEEN=$(grep '^screen' "$WORK/probe.out")
  kill "$PROBE_PID" "$XVFB_PID"
  wait "$PROBE_PID" "$XVFB_PID" 2>/dev/null
  PROBE_PID=""
  XVFB_PID=""
  rm -f "$WORK/display"
}

screen_at 2560x1440
[ "$SEEN" = "screen 2560 1440" ] || fail "a 2560 x 1440 desktop is not scaled; the probe saw: $SEEN"
screen_at 1600x1200 WINPORT_SCALE=2
[ "$SEEN" = "screen 1600 1200" ] || fail "WINPORT_SCALE=2 on 1600 x 1200 should fall back to 1; saw: $SEEN"
grep -q "WINPORT_SCALE=2 would leave a screen of 800 x 600" "$WORK/probe.err" || fail "no word of the fallback"

SCALE=2
MENU_BAR=19
CLIENT_W=595
CLIENT_H=496

start_xvfb 2560x1920
start_probe
find_probe_window
probe_said "screen 1280 960" || fail "the probe should see 1280 x 960, saw: $(grep '^screen' "$WORK/probe.out")"

geometry=$(xdotool getwindowgeometry "$WINDOW")
grep -q "Geometry: $((CLIENT_W * SCALE))x$(((CLIENT_H + MENU_BAR) * SCALE))" <<<"$geometry" ||
  fail "window size: $geometry"

# Both native pixels of a doubled pixel are the same client point; the one below is the next.
xdotool mousemove --window "$WINDOW" 400 $(((150 + MENU_BAR) * SCALE)) click 1
wait_for probe_said "click 200 150" || fail "no WM_LBUTTONDOWN at client (200, 150)"
xdotool mousemove --window "$WINDOW" 401 $(((150 + MENU_BAR) * SCALE + 1)) click 1
xdotool mousemove --window "$WINDOW" 401 $(((151 + MENU_BAR) * SCALE)) click 1
wait_for probe_said "click 200 151" || fail "no WM_LBUTTONDOWN at client (200, 151)"
clicks=$(grep '^click' "$WORK/probe.out" | tr '\n' ' ')
[ "$clicks" = "click 200 150 click 200 150 click 200 151 " ] || fail "clicks were: $clicks"

# The menu bar fills the top 38 native rows, the client colour starts right below them.
scaled_drawn() {
  "$XTOOL" shot "$WORK/screen.ppm" || return 1
  read -r _ bar_n _ bar_colour bar_m _ _ <<<"$("$XTOOL" stats "$WORK/screen.ppm" 0 0 $((CLIENT_W * SCALE)) $((MENU_BAR * SCALE)))"
  read -r _ client_n _ client_colour client_m _ _ <<<"$("$XTOOL" stats "$WORK/screen.ppm" 0 $((MENU_BAR * SCALE)) \
    $((CLIENT_W * SCALE)) $((CLIENT_H * SCALE)))"
  [ "$bar_colour" != 3366FF ] && [ $((bar_m * 10)) -ge $((bar_n * 8)) ] &&
    [ "$client_colour" = 3366FF ] && [ "$client_m" -eq "$client_n" ]
}
wait_for scaled_drawn || fail "screenshot: menu bar [$bar_colour x $bar_m of $bar_n], client [$client_colour x $client_m of $client_n]"

stop_probe "$WINDOW"
echo "PASS"

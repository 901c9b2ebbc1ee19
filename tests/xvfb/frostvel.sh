# Frostvel on a real X server: the intro gives way to the building scene, a click on "Add Scoop"
# puts a second (magenta) scoop on the cone, and Ctrl+Q plays the farewell and ends the game with
# status 0.
#
# FROSTVEL_GAME, when set, is the command that starts the game instead of BUILD_DIR/game/frostvel
# (the Wine stage sets it to `wine .../frostvel.exe`).
source "$(dirname "$0")/common.bash"

if [ -n "${FROSTVEL_GAME:-}" ]; then
  read -r -a GAME <<<"$FROSTVEL_GAME"
else
  GAME=("$(cd "$BUILD" && pwd)/game/frostvel")
  [ -x "${GAME[0]}" ] || fail "${GAME[0]} is not built"
fi
MENU_BAR=19   # the menu bar sits above the client area in the native window

# Logical point (x, y) of the game as a point of the native window (origin at client (297, 248)).
window_x() { echo $((297 + $1)); }
window_y() { echo $((248 - $1 + MENU_BAR)); }

# Where the native window sits on the screen, as the window system reports it: a window manager, or
# Wine's own frame when there is none, may put it anywhere.
WINDOW_LEFT=0
WINDOW_TOP=0
window_position() {
  local geometry
  geometry=$(xdotool getwindowgeometry --shell "$WINDOW") || return 1
  WINDOW_LEFT=$(sed -n 's/^X=//p' <<<"$geometry")
  WINDOW_TOP=$(sed -n 's/^Y=//p' <<<"$geometry")
  [ -n "$WINDOW_LEFT" ] && [ -n "$WINDOW_TOP" ]
}

# region_is COLOUR X Y: the 11 x 11 square around logical (X, Y) on screen is all COLOUR.
region_is() {
  local x y stats
  x=$((WINDOW_LEFT + $(window_x "$2") - 5))
  y=$((WINDOW_TOP + $(window_y "$3") - 5))
  "$XTOOL" shot "$WORK/screen.ppm" || return 1
  stats=$("$XTOOL" stats "$WORK/screen.ppm" "$x" "$y" 11 11) || return 1
  read -r _ n _ colour m _ _ <<<"$stats"
  [ "$colour" = "$1" ] && [ "$m" -eq "$n" ]
}

start_xvfb
# In a directory of its own: the game's only file is the script file it may be asked to write.
(cd "$WORK" && exec "${GAME[@]}") >"$WORK/game.out" 2>"$WORK/game.err" &
PROBE_PID=$!   # stopped by common.bash's cleanup if the test fails

WINDOW=""
game_window() {
  WINDOW=$(xdotool search --name '^TEVRA Graphics$' 2>/dev/null | head -n 1)
  [ -n "$WINDOW" ]
}
wait_for game_window || fail "no window titled 'TEVRA Graphics'"
wait_for window_position || fail "the window system gives no position for 'TEVRA Graphics'"

# The building scene: the control panel's buttons (20% gray) where the intro was black, the orange
# scoop, and the brown peak above it. All three are waited for together: the intro's grey banner
# (frame 41) also covers the panel's point for a moment, before there is any peak.
building_scene() { region_is CCCCCC -240 8 && region_is FF6600 0 60 && region_is 996633 0 105; }
wait_for building_scene || fail "the building scene (panel, orange scoop, brown peak) never appeared"

xdotool mousemove --window "$WINDOW" "$(window_x -240)" "$(window_y 233)" click 1
wait_for region_is FF00FF 0 120 || fail "no magenta second scoop after clicking 'Add Scoop'"

xdotool windowfocus --sync "$WINDOW"
xdotool key ctrl+q
game_gone() { ! kill -0 "$PROBE_PID" 2>/dev/null; }
wait_for game_gone || fail "the game did not end after Ctrl+Q and its farewell"
wait "$PROBE_PID"
status=$?
PROBE_PID=""
[ "$status" -eq 0 ] || fail "the game ended with status $status"
echo "PASS"

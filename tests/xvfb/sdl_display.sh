# The SDL display on a real X server: clicks arrive at the client point they were aimed at, keys
# become the right WM_KEYDOWN and WM_CHAR and work the menu, the screen shows the menu bar and the client area in
# their colours, and the close box ends the program cleanly.
source "$(dirname "$0")/common.bash"

MENU_BAR=19          # the menu bar sits above the client area in the native window
CLIENT_W=595
CLIENT_H=496

start_xvfb
start_probe
find_probe_window
probe_said "screen 1280 1024" || fail "the probe saw another screen size than 1280 x 1024"

# Without a window manager there is no frame: the native window is the menu bar and client area.
geometry=$(xdotool getwindowgeometry "$WINDOW")
grep -q "Position: 0,0" <<<"$geometry" || fail "window not at (0,0): $geometry"
grep -q "Geometry: ${CLIENT_W}x$((CLIENT_H + MENU_BAR))" <<<"$geometry" || fail "window size: $geometry"

# Clicks, at two points that would tell swapped, offset or scaled coordinates apart.
xdotool mousemove --window "$WINDOW" 200 $((150 + MENU_BAR)) click 1
wait_for probe_said "click 200 150" || fail "no WM_LBUTTONDOWN at client (200, 150)"
xdotool mousemove --window "$WINDOW" 7 $((480 + MENU_BAR)) click 1
wait_for probe_said "click 7 480" || fail "no WM_LBUTTONDOWN at client (7, 480)"
[ "$(grep -c '^click' "$WORK/probe.out")" -eq 2 ] || fail "expected exactly two clicks"

# Keys: a letter with and without Shift, Ctrl+letter, Enter.
xdotool windowfocus --sync "$WINDOW"
xdotool key a shift+a ctrl+b Return
wait_for probe_said "char 13" || fail "Enter gave no WM_CHAR 13"
chars=$(grep '^char' "$WORK/probe.out" | cut -d' ' -f2 | tr '\n' ' ')
[ "$chars" = "97 65 2 13 " ] || fail "WM_CHAR codes were '$chars', expected '97 65 2 13 '"
for vk in 65 16 17 66 13; do
  probe_said "keydown $vk" || fail "no WM_KEYDOWN $vk"
done

# The menu from the keyboard: Alt+R opens "Run", L chooses "Log" (command 102).
xdotool key alt+r l
wait_for probe_said "command 102" || fail "Alt+R, L did not choose Run > Log"

# The screen: a light gray menu bar with dark text near its left end ("Run"), and the client
# area in the colour the probe painted (a swapped red and blue would show as FF6633).
menu_drawn() {
  "$XTOOL" shot "$WORK/screen.ppm" || return 1
  local bar text client
  bar=$("$XTOOL" stats "$WORK/screen.ppm" 0 0 $CLIENT_W $MENU_BAR) || return 1
  text=$("$XTOOL" stats "$WORK/screen.ppm" 0 0 60 $MENU_BAR) || return 1
  client=$("$XTOOL" stats "$WORK/screen.ppm" 0 $MENU_BAR $CLIENT_W $CLIENT_H) || return 1
  # "pixels N common RRGGBB M dark D"
  read -r _ bar_n _ bar_colour bar_m _ _ <<<"$bar"
  read -r _ _ _ _ _ _ text_dark <<<"$text"
  read -r _ client_n _ client_colour client_m _ _ <<<"$client"
  local r=$((16#${bar_colour:0:2})) g=$((16#${bar_colour:2:2})) b=$((16#${bar_colour:4:2}))
  [ "$r" -eq "$g" ] && [ "$g" -eq "$b" ] && [ "$r" -ge 160 ] && [ "$r" -le 245 ] &&
    [ $((bar_m * 10)) -ge $((bar_n * 8)) ] && [ "$text_dark" -ge 10 ] &&
    [ "$client_colour" = 3366FF ] && [ "$client_m" -eq "$client_n" ]
}
wait_for menu_drawn || fail "screenshot: menu bar [$bar_colour x $bar_m of $bar_n, $text_dark dark in 'Run'], client [$client_colour x $client_m of $client_n]"

stop_probe "$WINDOW"
echo "PASS"

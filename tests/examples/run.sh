#!/usr/bin/env bash
# Runs every example headless with its script (examples/NAME.scr) and checks what it drew.
#
#   tests/examples/run.sh CHECK_FRAME BIN_DIR
#
# CHECK_FRAME is the built check_frame tool, BIN_DIR holds the built examples. Each program must end
# by itself (the scripts end with Esc) with status 0, having written one frame per event; its last
# frame is checked at a few logical points, and the console lines of typing at their words.
set -euo pipefail
check=$(realpath "$1")
bin=$(realpath "$2")
scripts=$(cd "$(dirname "$0")/../../examples" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# run NAME: plays examples/NAME.scr; leaves the frames in $work/NAME and the console in $work/NAME.txt.
run() {
  local name=$1 status=0
  (cd "$work" && TEVRA_SCRIPT="$scripts/$name.scr" TEVRA_FRAMES="$work/$name" WINPORT_DISPLAY=headless \
     TEVRA_ECHO=1 timeout 60 "$bin/$name" 2>"$work/$name.txt") || status=$?
  if [ "$status" -ne 0 ]; then
    echo "examples: $name exited with status $status" >&2
    cat "$work/$name.txt" >&2
    return 1
  fi
  local events frames
  events=$(awk -F'[()]' '/TEVRA_PERIODIC/ {n += $2} /TEVRA_(MOUSE|KBD)/ {n++} END {print n}' "$scripts/$name.scr")
  frames=$(ls "$work/$name" | grep -c '^frame-.*\.png$')
  # frame 0 at the first wait, one after each event, the last one at tevra_close
  if [ "$frames" -lt $((events + 1)) ]; then
    echo "examples: $name wrote $frames frames for $events events" >&2
    return 1
  fi
}
last() { ls "$work/$1"/frame-*.png | tail -1; }

run bounce # a click puts the ball at (-100, 100), three ticks move it by (7, 5) each
"$check" "$(last bounce)" -79 115 FF6600 -100 100 99FFFF 200 -100 99FFFF
run paint # circle, triangle, square in blue; then a yellow oval outline and a line from its centre
"$check" "$(last paint)" -200 100 0000FF -100 95 0000FF 0 100 0000FF 90 100 FFFFFF 71 100 FFFF00 150 50 FFFF00
run typing # "Hi" Enter; Tab (logging on); "TEVX", Backspace, "RA"
grep -qx 'Hi' "$work/typing.txt"
grep -q 'black text at (-280,-188), "> TEVRA_"' "$work/typing.txt"
"$check" "$(last typing)" 0 0 FFFF99
run clock # six steps in all, with a halt and a single step among them: the hand points down
"$check" "$(last clock)" 0 -60 003399 0 60 FFFFFF
run record # three points; four ticks take the ball from the first point round to the second
"$check" "$(last record)" 0 100 FF6600 -100 0 33CC99 200 -100 006633
echo "examples: 5 programs ran headless with their scripts and drew what they should"

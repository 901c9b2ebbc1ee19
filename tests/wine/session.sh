# Sourced by the Wine tests (run.sh, kit.sh): one Wine session for a script's many short runs.
#
#   wine_session OUT     Wine prefix build/wine/prefix (made once, shared by the tests), a private
#                        Xvfb whose display number goes to OUT/display, and one wineserver kept
#                        running; both end when the script exits. Returns 1 when Xvfb does not start.
#
# Programs run under Wine write to files, never to pipes (a pipe can hang Wine).
WINE_XVFB_PID=""

wine_session_end() {
  wineserver -k >/dev/null 2>&1
  [ -n "$WINE_XVFB_PID" ] && kill "$WINE_XVFB_PID" 2>/dev/null
  return 0
}

wine_session() {
  local out=$1
  export WINEPREFIX=$ROOT/build/wine/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  unset WAYLAND_DISPLAY WINPORT_DISPLAY TEVRA_SCRIPT TEVRA_FRAMES TEVRA_ECHO TEVRA_LOG
  trap wine_session_end EXIT
  mkdir -p "$out" "$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >"$out/wineboot.log" 2>&1
    wineserver -w
  fi
  rm -f "$out/display"
  Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$out/display" 2>"$out/xvfb.err" &
  WINE_XVFB_PID=$!
  for _ in $(seq 200); do [ -s "$out/display" ] && break; sleep 0.05; done
  [ -s "$out/display" ] || return 1
  export DISPLAY=":$(head -n 1 "$out/display")"
  wineserver -p
}

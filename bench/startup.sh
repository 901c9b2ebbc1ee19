#!/bin/bash
# startup.sh — how long `frostvel-replay tests/golden/game.scr` takes from exec to its first frame
# on the screen, that is to the return of the first present of the windows
# (winport::user::present_all), which shows the menu bar and the title's first frame. Needs perf
# with uprobes (root, or a kernel that lets the user place them); says so and stops otherwise.
#
#   bench/startup.sh [REPLAY_TOOL] [RUNS]      defaults: build/release/tools/frostvel-replay, 11
set -u
tool=${1:-build/release/tools/frostvel-replay}
runs=${2:-11}
if ! command -v perf >/dev/null 2>&1; then
  echo "startup: perf is not installed; nothing measured"
  exit 0
fi
[ -x "$tool" ] || { echo "startup: $tool is not built"; exit 1; }
offset=$(nm "$tool" | awk '/ _ZN7winport4user11present_allEv$/ { print $1 }')
[ -n "$offset" ] || { echo "startup: $tool has no present_all symbol"; exit 1; }
work=$(mktemp -d)
trap 'perf probe -q -d "probe_startup:*" >/dev/null 2>&1; rm -rf "$work"' EXIT
if ! perf probe -q -x "$tool" -a "probe_startup:presented=0x$offset%return" >/dev/null 2>&1; then
  echo "startup: cannot place a uprobe (not root?); nothing measured"
  exit 0
fi
# The recorded game of the end-to-end tests; its first frame is the title's, as any game's is.
script=$(cd "$(dirname "$0")/.." && pwd)/tests/golden/game.scr
for _ in $(seq "$runs"); do
  perf record -q -o "$work/perf.data" -e sched:sched_process_exec -e "probe_startup:*" \
    "$tool" "$script" >/dev/null 2>&1
  perf script -i "$work/perf.data" -F time,event 2>/dev/null |
    awk '/exec/ { start = $1 + 0 } /presented/ && !done { printf "%.2f\n", ($1 - start) * 1000; done = 1 }'
done | sort -n | awk '{ t[NR] = $1 } END { printf "startup: first frame presented %.1f ms after exec (median of %d runs; fastest %.1f ms)\n", t[int((NR + 1) / 2)], NR, t[1] }'

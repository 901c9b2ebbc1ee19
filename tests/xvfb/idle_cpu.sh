# An idle program on the SDL display waits inside the window system: with a 100 ms timer running
# it uses almost no processor time, and the ticks keep coming on time.
source "$(dirname "$0")/common.bash"

SECONDS_IDLE=${IDLE_SECONDS:-3}
LIMIT_PERCENT=5     # a polling loop would use close to 100

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$PROBE_PID/stat"; }
now_ns() { date +%s%N; }

start_xvfb
start_probe idle
find_probe_window

before=$(cpu_ticks)
t0=$(now_ns)
sleep "$SECONDS_IDLE"
after=$(cpu_ticks)
t1=$(now_ns)

hz=$(getconf CLK_TCK)
elapsed_ms=$(((t1 - t0) / 1000000))
# Processor time in hundredths of a percent of one core.
used=$(((after - before) * 1000 * 10000 / hz / elapsed_ms))
printf 'idle: %d.%02d%% of a core over %d ms\n' $((used / 100)) $((used % 100)) "$elapsed_ms"
[ "$used" -lt $((LIMIT_PERCENT * 100)) ] || fail "the idle probe used more than $LIMIT_PERCENT% of a core"

stop_probe "$WINDOW"
read -r _ ticks _ max_gap <<<"$(grep '^ticks' "$WORK/probe.out")"
echo "ticks: $ticks, longest gap ${max_gap} ms"
[ "$ticks" -ge $((elapsed_ms * 8 / 1000)) ] || fail "only $ticks timer ticks in $elapsed_ms ms"
[ "$max_gap" -lt 300 ] || fail "a timer tick came ${max_gap} ms after the one before"
echo "PASS"

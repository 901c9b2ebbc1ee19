# scripts/test-results, the tally behind the last line of `make test`, on a made-up run: a ctest
# whose GoogleTest program has a failing case and whose script was skipped, a program that crashed
# after its cases passed, a fuzz run, and a stage that failed without counting.
set -uo pipefail
SOURCE=$(cd "$(dirname "$0")/../.." && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export TEST_RESULTS=$WORK/build/test-results
fail() { echo "FAIL: $*"; exit 1; }

# A ctest that reports like the real one and writes the GoogleTest reports where it is told.
mkdir -p "$WORK/bin"
cat >"$WORK/bin/ctest" <<'FAKE'
#!/usr/bin/env bash
dir=${GTEST_OUTPUT#xml:}
case "$*" in
*crash*)
  printf '    <testcase name="a" status="run" result="completed" classname="S" />\n' >"$dir/crashy.xml"
  echo "1/1 Test #1: crashy ...........................***Exception: SegFault  0.10 sec"
  ;;
*)
  {
    printf '    <testcase name="a" status="run" result="completed" classname="S" />\n'
    printf '    <testcase name="b" status="run" result="completed" classname="S">\n'
    printf '      <failure message="x"><![CDATA[Expected 1]]></failure>\n    </testcase>\n'
    printf '    <testcase name="c" status="run" result="skipped" classname="S">\n    </testcase>\n'
  } >"$dir/unit.xml"
  echo "1/2 Test #1: unit .............................***Failed    0.20 sec"
  echo "2/2 Test #2: xvfb_probe .......................***Skipped   0.01 sec"
  ;;
esac
exit 8
FAKE
chmod +x "$WORK/bin/ctest"
cd "$WORK" || exit 1
export PATH=$WORK/bin:$PATH
R=$SOURCE/scripts/test-results

$R reset
$R ctest debug --preset debug >out.txt 2>&1 && fail "a failing ctest passed"
grep -qx "debug: 1 passed, 1 failed, 2 skipped (3 GoogleTest cases, 1 scripts)" out.txt || fail "$(cat out.txt)"
$R ctest asan --crash >out.txt 2>&1
grep -qx "asan: 1 passed, 1 failed (1 GoogleTest cases, 0 scripts)" out.txt || fail "$(cat out.txt)"
$R fuzz fuzz-x bash -c 'echo "Done 4321 runs in 20 second(s)" >&2' >out.txt || fail "the fuzz run failed"
grep -qx "fuzz-x: 1 passed, 0 failed (4321 execs in 20 s)" out.txt || fail "$(cat out.txt)"
$R summary 0 >out.txt && fail "a run with failures passed"
[ "$(tail -n 1 out.txt)" = "3 passed, 2 failed, 2 skipped" ] || fail "last line: $(cat out.txt)"

$R reset
$R add wine 4 0 0 >/dev/null
$R summary 2 >out.txt && fail "a stage that failed without counting passed"
[ "$(tail -n 1 out.txt)" = "4 passed, 1 failed" ] || fail "last line: $(cat out.txt)"
$R reset
$R add wine 4 0 >/dev/null
$R summary 0 >out.txt || fail "a clean run failed"
[ "$(cat out.txt)" = "4 passed, 0 failed" ] || fail "$(cat out.txt)"
echo PASS

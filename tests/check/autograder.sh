#!/usr/bin/env bash
# The sample autograder (examples/autograder) in a scratch root laid out as Gradescope's: paint.c
# must score 1, a copy with a circle one pixel too wide 0 with the divergence in its output, and a
# submission that does not compile 0 with the compiler's words. Also checks the JUnit report.
#
#   tests/check/autograder.sh BUILD_DIR      (exit 77: skipped, no C compiler)
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?usage: tests/check/autograder.sh BUILD_DIR}" && pwd)
python=/usr/bin/python3
command -v cc >/dev/null || { echo "autograder: no cc, skipped"; exit 77; }
[ "${TEVRA_SANITIZED:-0}" = 1 ] && { echo "autograder: a sanitizer build, skipped"; exit 77; }
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "autograder: FAILED: $*" >&2; exit 1; }

export AUTOGRADER_ROOT="$root" REFERENCES_DIR="$src/examples/autograder/references"
export TEVRA_CHECK="$build/tools/tevra_check/tevra-check"
export TEVRA_CFLAGS="-I$src/include" TEVRA_LIBS="-L$build/tevra -Wl,-rpath,$build/tevra -ltevra"

# grade SOURCE SCORE TEXT: SOURCE as the submission must give a valid results.json with SCORE, and
# TEXT in its test's output.
grade() {
  rm -rf "$root/submission" "$root/results"
  mkdir -p "$root/submission"
  cp "$1" "$root/submission/paint.c"
  bash "$src/examples/autograder/run_autograder" >"$root/log" 2>&1 || { cat "$root/log"; fail "run_autograder on $1"; }
  "$python" -c 'import json, sys
r = json.load(open(sys.argv[1]))
t = r["tests"][0]
assert r["score"] == int(sys.argv[2]) and t["score"] == r["score"], r
assert sys.argv[3] in t["output"], t["output"]' "$root/results/results.json" "$2" "$3" ||
    fail "$1: results.json"
}

grade "$src/examples/paint.c" 1 passed
sed 's/tevra_circle(color, x, y, 20)/tevra_circle(color, x, y, 21)/' "$src/examples/paint.c" >"$root/wrong.c"
grep -q 'y, 21)' "$root/wrong.c" || fail "the mistake was not made in the copy of paint.c"
grade "$root/wrong.c" 0 'First divergence at event 1 (script line 1): expected "blue circle at (-200,100), radius 20", got "blue circle at (-200,100), radius 21".'
echo 'int main(void) { return missing; /* "x" */ }' >"$root/broken.c"
grade "$root/broken.c" 0 "undeclared"
echo "autograder: right 1, wrong 0 with its divergence, broken 0 with the compiler's words"

# The JUnit report of the wrong program, as a CI server reads it.
# shellcheck disable=SC2086 # the flags are word lists
cc "$root/wrong.c" $TEVRA_CFLAGS $TEVRA_LIBS -o "$root/paint"
(cd "$root" && "$TEVRA_CHECK" verify --ref "$REFERENCES_DIR/paint" --outside-text --junit junit.xml ./paint >/dev/null) &&
  fail "the wrong program passed"
"$python" -c 'import sys, xml.etree.ElementTree as ET
s = ET.parse(sys.argv[1]).getroot().find("testsuite")
assert s is not None and s.get("tests") == "1" and s.get("failures") == "1", s
c = s.find("testcase")
assert c is not None and c.get("name") == "paint" and "radius 21" in c.find("failure").text' "$root/junit.xml" ||
  fail "junit.xml"
echo "autograder: junit.xml is a testsuite with one failed testcase"

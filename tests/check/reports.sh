#!/usr/bin/env bash
# The checker's JUnit and Gradescope reports, of one program and of a folder of references, are
# valid by the schemas in tests/check/schemas (xmllint, Python's jsonschema); the schemas themselves
# refuse a report with a mistake in it.
#
#   tests/check/reports.sh BUILD_DIR      (exit 77: skipped, no xmllint or jsonschema)
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?usage: tests/check/reports.sh BUILD_DIR}" && pwd)
schemas="$src/tests/check/schemas"
# No memory limit: the reports are what is checked here, and a sanitizer build needs the room.
check() { "$build/tools/tevra_check/tevra-check" "$1" --memory 0 "${@:2}"; }
examples="$build/examples"
python=/usr/bin/python3
command -v xmllint >/dev/null || { echo "reports: no xmllint, skipped"; exit 77; }
"$python" -c 'import jsonschema' 2>/dev/null || { echo "reports: no jsonschema for $python, skipped"; exit 77; }
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "reports: FAILED: $*" >&2; exit 1; }

valid_junit() { xmllint --noout --schema "$schemas/junit.xsd" "$1" 2>"$root/why"; }
valid_gradescope() {
  "$python" -c 'import json, sys, jsonschema
schema = json.load(open(sys.argv[1]))
jsonschema.Draft202012Validator(schema).validate(json.load(open(sys.argv[2])))' "$schemas/gradescope-results.json" "$1" 2>"$root/why"
}
# both NAME: the two reports NAME.xml and NAME.json are valid.
both() {
  valid_junit "$root/$1.xml" || { cat "$root/why"; fail "$1.xml"; }
  valid_gradescope "$root/$1.json" || { tail -3 "$root/why"; fail "$1.json"; }
}

# References: bounce's and paint's own runs, and one of another format version.
mkdir -p "$root/refs/broken"
check record --script "$src/examples/bounce.scr" --out "$root/refs/bounce" "$examples/bounce" >/dev/null
check record --script "$src/examples/paint.scr" --out "$root/refs/paint" "$examples/paint" >/dev/null
echo '{"tevra_check": 2}' >"$root/refs/broken/reference.json"
touch "$root/refs/broken/log.jsonl"

cd "$root"
check verify --ref refs/bounce --junit one-passed.xml --gradescope one-passed.json "$examples/bounce" >/dev/null
check verify --ref refs/bounce --junit one-diverged.xml --gradescope one-diverged.json "$examples/paint" >/dev/null &&
  fail "paint passed on bounce's reference"
status=0
check verify --refs refs -j2 --junit folder.xml --gradescope folder.json "$examples/paint" >folder.txt || status=$?
[ "$status" = 2 ] || fail "the folder's exit status is $status, not 2"
[ "$(tail -1 folder.txt)" = "1 passed, 1 diverged, 1 not checked" ] || fail "the folder's summary: $(tail -1 folder.txt)"
for name in one-passed one-diverged folder; do both "$name"; done
grep -q '<error message="not checked: ' folder.xml || fail "the unreadable reference is not an error in folder.xml"

# A mistake in either report is caught: a testcase without its classname, a status Gradescope
# does not know.
sed 's/ classname="tevra-check"//' folder.xml >wrong.xml
valid_junit wrong.xml && fail "the JUnit schema took a testcase without a classname"
sed 's/"status": "failed"/"status": "fail"/' folder.json >wrong.json
valid_gradescope wrong.json && fail "the Gradescope schema took the status \"fail\""
echo "reports: single and folder reports valid; the schemas refuse a broken one"

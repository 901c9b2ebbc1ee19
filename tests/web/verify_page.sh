#!/usr/bin/env bash
# The browser build verified like any program: tevra-check records tests/golden/game.scr on the
# desktop game (winport's headless display), then verifies the game's page in headless Chromium
# (tests/web/page_program.py) against that reference, outside the text, whose fonts differ.
#
#   tests/web/verify_page.sh [BUILD_WEB]   (default build/web; needs build/debug's frostvel and tevra-check)
set -uo pipefail
cd "$(dirname "$0")/../.."
WEB=${1:-build/web}
OUT=build/web-check
CHECK=build/debug/tools/tevra_check/tevra-check
rm -rf "$OUT" && mkdir -p "$OUT"
if "$CHECK" record --script tests/golden/game.scr --out "$OUT/reference" build/debug/game/frostvel >"$OUT/check.txt" 2>&1 &&
   "$CHECK" verify --ref "$OUT/reference" --outside-text --memory 0 --timeout 120 --report "$OUT/report" \
     /usr/bin/python3 "$PWD/tests/web/page_program.py" "$(realpath "$WEB")/frostvel.html" >>"$OUT/check.txt" 2>&1; then
  echo "browser test: the page passed tevra-check verify --outside-text against a reference recorded on the desktop"
  scripts/test-results add web 1 0 >/dev/null
else
  echo "browser test FAILED: tevra-check did not verify the page against the desktop's reference:"
  cat "$OUT/check.txt"
  scripts/test-results add web 0 1 >/dev/null
  exit 1
fi

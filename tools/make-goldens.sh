#!/usr/bin/env bash
# Regenerates the golden frames in tests/golden (and the README's two screenshots in docs/) by
# replaying tests/golden/game.scr with frostvel-replay.
#
#   tools/make-goldens.sh [BUILD_DIR]     (default build/debug; `make goldens` runs it)
#
# Look at every image that changed (git status, then an image viewer) before committing it: the
# end-to-end tests compare the game with these images pixel for pixel.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/debug}
replay="$build/tools/frostvel-replay"
[ -x "$replay" ] || { echo "make-goldens: $replay is not built" >&2; exit 1; }

frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
"$replay" --frames "$frames" tests/golden/game.scr

while read -r number name; do
  case "$number" in ''|'#'*) continue ;; esac
  cp "$frames/$(printf 'frame-%06d.png' "$number")" "tests/golden/$name.png"
done < tests/golden/frames.txt

# The README's screenshots: a cone being built, and the goodbye.
mkdir -p docs
cp "$frames/frame-000065.png" docs/building.png
cp "$frames/frame-000118.png" docs/farewell.png
echo "make-goldens: wrote $(grep -c '^[0-9]' tests/golden/frames.txt) golden frames and 2 screenshots"
git status --short tests/golden docs

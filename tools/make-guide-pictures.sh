#!/usr/bin/env bash
# Makes the pictures of docs/guide.md: each example runs headless with its script
# (examples/NAME.scr), and the frame it leaves at the end becomes docs/guide/NAME.png.
#
#   tools/make-guide-pictures.sh [BUILD_DIR]     (default build/debug, with the examples built)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build/debug}" && pwd)
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
mkdir -p docs/guide
for name in bounce paint typing clock record; do
  (cd "$frames" && TEVRA_SCRIPT="$OLDPWD/examples/$name.scr" TEVRA_FRAMES="$frames/$name" WINPORT_DISPLAY=headless \
     "$build/examples/$name")
  cp "$(ls "$frames/$name"/frame-*.png | tail -1)" "docs/guide/$name.png"
done
echo "make-guide-pictures: wrote docs/guide/{bounce,paint,typing,clock,record}.png"

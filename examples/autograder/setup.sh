#!/usr/bin/env bash
# Gradescope runs this once, as root, when it builds the grading image; this folder is in
# /autograder/source. It installs TEVRA: the library, tevra.h, tevra.pc and tevra-check.
set -euo pipefail
apt-get update
apt-get install -y build-essential pkg-config

# Either the Debian package, put beside this script (`make package` makes it) ...
if ls /autograder/source/tevra_*_amd64.deb >/dev/null 2>&1; then
  apt-get install -y /autograder/source/tevra_*_amd64.deb
  exit 0
fi

# ... or TEVRA built from its sources, here a checkout unpacked as /autograder/source/tevra
# (`make install` installs what the build needs first).
make -C /autograder/source/tevra install PREFIX=/usr

#!/usr/bin/env bash
# TEVRA as its users get it: installed, packaged, and used from outside this tree.
#
#   tests/install/run.sh BUILD_DIR      (`make test-install` runs it on build/debug)
#
# Installs BUILD_DIR into a temporary prefix; checks that libtevra.so exports only tevra_* entry
# points and that the README's snippet compiles as C++ with -pedantic-errors; builds every example
# three ways — the pkg-config one-liner (C, and bounce also as C++), find_package(tevra), and
# add_subdirectory of this checkout — and runs each set headless with its scripts
# (tests/examples/run.sh). Then builds the Debian package and checks its files and dependencies,
# and builds bounce with the one-liner against the package unpacked in a scratch root.
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?usage: tests/install/run.sh BUILD_DIR}" && pwd)
check="$build/tests/check_frame"
examples=(bounce paint typing clock record)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
say() { echo "install: $*"; }
fail() { echo "install: FAILED: $*" >&2; exit 1; }

# ---- install into a prefix ------------------------------------------------------------------------
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in include/tevra.h lib/libtevra.so lib/pkgconfig/tevra.pc lib/cmake/tevra/tevraConfig.cmake bin/frostvel; do
  [ -e "$prefix/$f" ] || fail "$f is not installed"
done
exports=$(nm -D --defined-only "$prefix/lib/libtevra.so" | awk '{print $3}' | grep -v '^__lsan_default_suppressions$')
others=$(grep -v '^tevra_' <<<"$exports" || true)
[ -z "$others" ] || fail "libtevra.so exports more than tevra_*: $others"
grep -q tevra_testing <<<"$exports" && fail "libtevra.so exports the testing hooks"
say "$(wc -l <<<"$exports") entry points exported, nothing else"

export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
flags=$(pkg-config --cflags --libs tevra)

# The README's program, as C++ with every warning an error.
awk '/^## Using TEVRA/ {on = 1} on && /^```c$/ {code = 1; next} code && /^```$/ {exit} code' "$src/README.md" \
  >"$work/readme.cpp"
grep -q tevra_open "$work/readme.cpp" || fail "no C snippet found in README.md"
c++ -x c++ -Wall -Wextra -pedantic-errors -Werror "$work/readme.cpp" $flags -o "$work/readme"
say "the README's snippet compiles as C++ with -pedantic-errors"

# ---- three ways to build the examples ---------------------------------------------------------------
mkdir -p "$work/oneliner"
for e in "${examples[@]}"; do
  cc -Wall -Wextra -Werror "$src/examples/$e.c" $(pkg-config --cflags --libs tevra) -o "$work/oneliner/$e"
done
c++ -x c++ -Wall -Wextra -Werror "$src/examples/bounce.c" $(pkg-config --cflags --libs tevra) -o "$work/bounce++"
say "pkg-config one-liner: ${#examples[@]} examples built (and bounce as C++)"

project() { # project DIR HOW: a CMake project that builds every example, finding TEVRA by HOW
  mkdir -p "$1"
  {
    echo "cmake_minimum_required(VERSION 3.22)"
    echo "project(examples C)"
    echo "$2"
    for e in "${examples[@]}"; do
      echo "add_executable($e $src/examples/$e.c)"
      echo "target_link_libraries($e PRIVATE tevra::tevra)"
    done
  } >"$1/CMakeLists.txt"
  cmake -S "$1" -B "$1/build" -G Ninja "${@:3}" >"$1/configure.log" ||
    { cat "$1/configure.log"; fail "configuring $1"; }
  cmake --build "$1/build" -j 2 >"$1/build.log" || { tail -30 "$1/build.log"; fail "building $1"; }
}
project "$work/find_package" "find_package(tevra 1 REQUIRED)" -DCMAKE_PREFIX_PATH="$prefix"
say "find_package(tevra): built"
project "$work/subdirectory" "add_subdirectory($src tevra)"
say "add_subdirectory: built"

for dir in "$work/oneliner" "$work/find_package/build" "$work/subdirectory/build"; do
  bash "$src/tests/examples/run.sh" "$check" "$dir" >/dev/null || fail "the examples built in $dir"
done
say "each set ran headless with its scripts and drew what it should"

# ---- the Debian package -----------------------------------------------------------------------------
(cd "$build" && cpack -G DEB -B "$work/package" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/package/tevra_*_amd64.deb)
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/lib/libtevra.so.1 ./usr/include/tevra.h ./usr/lib/pkgconfig/tevra.pc \
         ./usr/lib/cmake/tevra/tevraConfig.cmake ./usr/bin/frostvel ./usr/share/doc/tevra/examples/paint.c; do
  grep -qx -- "$f" <<<"$contents" || fail "$(basename "$deb") lacks $f"
done
depends=$(dpkg-deb -f "$deb" Depends)
for p in libsdl2-2.0-0 libfreetype6 libfontconfig1 libstdc++6 fonts-dejavu-core; do
  grep -q "$p" <<<"$depends" || fail "$(basename "$deb") does not depend on $p: $depends"
done
root="$work/root"
dpkg-deb -x "$deb" "$root"
PKG_CONFIG_PATH="$root/usr/lib/pkgconfig" PKG_CONFIG_SYSROOT_DIR="$root" \
  sh -c "cc '$src/examples/bounce.c' \$(pkg-config --cflags --libs tevra) -o '$work/bounce-deb'"
mkdir -p "$work/deb-bin" && mv "$work/bounce-deb" "$work/deb-bin/bounce"
(cd "$work" && LD_LIBRARY_PATH="$root/usr/lib" TEVRA_SCRIPT="$src/examples/bounce.scr" WINPORT_DISPLAY=headless \
   timeout 60 "$work/deb-bin/bounce" 2>/dev/null) || fail "bounce built against the package"
say "$(basename "$deb"): files and Depends as they should be; the one-liner builds against it"

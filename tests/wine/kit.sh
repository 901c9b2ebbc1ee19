#!/usr/bin/env bash
# The Windows kit as a Windows programmer gets it (`make test-wine` runs it after run.sh):
#   1. builds the kit (scripts/windows-kit) and unzips it into a scratch folder with a space in its
#      path;
#   2. writes a C program of a user's own, outside this tree, and builds it against the kit with
#      the plain C driver (no C++ driver, no -static) twice: through the pkg-config file, and through
#      find_package(tevra) in a CMake project cross-compiled with a MinGW toolchain file of its own
#      and with the MSVC import library tevra.lib (by GNU ld, and for the MSVC ABI by clang and
#      lld-link where they are installed); no program may need a DLL beyond Windows' own and
#      tevra.dll;
#   3. runs them under Wine with TEVRA_SCRIPT and TEVRA_FRAMES (one finds tevra.dll beside it, the
#      other on WINEPATH) and the same program built for Linux on winport's headless display: status
#      0 everywhere, the same console lines, every frame equal outside the text boxes;
#   4. plays tests/golden/game.scr through the kit's own frostvel.exe, and each example's script
#      through the kit's example programs, against the same on Linux.
#
#   tests/wine/kit.sh
#
# Skipped, with one line, when MinGW-w64, Wine, Xvfb or zip is not installed.
set -uo pipefail
cd "$(dirname "$0")/../.."
ROOT=$PWD
JOBS=${JOBS:-2}
MINGW=x86_64-w64-mingw32
OUT=$ROOT/build/wine/kit
LINUX=$ROOT/build/debug
EXAMPLES="bounce paint typing clock record"

if ! command -v $MINGW-gcc >/dev/null || ! command -v wine >/dev/null || ! command -v Xvfb >/dev/null ||
   ! command -v zip >/dev/null || ! command -v unzip >/dev/null; then
  echo "test-wine-kit: skipped: MinGW-w64, Wine, Xvfb or zip is not installed (scripts/setup test installs them)"
  scripts/test-results add wine-kit 0 0 1 "MinGW-w64, Wine, Xvfb or zip missing" >/dev/null
  exit 0
fi
STARTED=$(date +%s)
source tests/wine/session.sh
checks=0
fail() {
  echo "test-wine-kit: FAIL: $*"
  scripts/test-results add wine-kit "$checks" 1 >/dev/null
  exit 1
}
show() { [ -s "$1" ] && { echo "--- $1"; tail -n 30 "$1"; }; }

# --- 1. The kit, and the Linux library to compare with.
rm -rf "$OUT" && mkdir -p "$OUT"
JOBS=$JOBS scripts/windows-kit >"$OUT/kit.log" 2>&1 || { show "$OUT/kit.log"; fail "scripts/windows-kit failed"; }
{ cmake --preset debug && cmake --build --preset debug --target tevra_shared frostvel $EXAMPLES -j "$JOBS"; } >"$OUT/build-linux.log" 2>&1 ||
  { show "$OUT/build-linux.log"; fail "the Linux build failed"; }
zip=$(ls build/windows-kit/tevra-*-win64.zip)
KIT="$OUT/Program Files/tevra kit"
PROG="$OUT/my program"
mkdir -p "$KIT" "$PROG"
unzip -q "$zip" -d "$KIT" || fail "cannot unzip $zip"
checks=$((checks + 1))

# --- 2. A program of the user's own, and its script: every primitive, clicks, keys, ticks, and
# logging switched on halfway ('l'), so the console lines compared below describe drawing calls too.
cat >"$PROG/shapes.c" <<'C'
#include <tevra.h>

/* No C library call: the program also builds for the MSVC ABI without a C runtime. */
static int spots[16][2], n_spots, ticks, logging, n_typed;
static char typed[32];

static void draw(void) {
  int i;
  tevra_clear();
  tevra_rectangle(TEVRA_ICE_BLUE, -290, 240, 290, 100, 0);
  tevra_oval(TEVRA_GOLD, -250, 220, -150, 140, 0);
  tevra_oval(TEVRA_NAVY_BLUE, -250, 220, -150, 140, 3);
  tevra_triangle(TEVRA_FOREST_GREEN, -100, 120, 0, 230, 100, 120, 0);
  tevra_triangle(TEVRA_BLACK, -100, 120, 0, 230, 100, 120, 2);
  tevra_rectangle(TEVRA_PURPLE, 150, 220, 260, 130, 4);
  tevra_line(TEVRA_RED, -290, 90, -290 + 20 * (ticks % 30), 60, 5);
  for (i = 0; i < n_spots; i++) tevra_circle((2 + 5 * i) % TEVRA_COLORS, spots[i][0], spots[i][1], 8 + 3 * i);
  tevra_printf(TEVRA_BLACK, -280, -200, 20, "%d ticks, %d clicks", ticks, n_spots);
  tevra_text(TEVRA_PINK, -280, -235, 24, typed);
}

int main(void) {
  int x, y;
  char key;
  tevra_open(0, 0, "", 1);
  tevra_set_logging(0);
  tevra_set_animation(TEVRA_ANIM_RUN);
  draw();
  for (;;) {
    int kind = tevra_await_event(&x, &y, &key);
    if (kind == TEVRA_QUIT || (kind == TEVRA_KBD && key == 'q')) break;
    if (kind == TEVRA_MOUSE && n_spots < 16) {
      spots[n_spots][0] = x;
      spots[n_spots++][1] = y;
    }
    if (kind == TEVRA_PERIODIC) ticks++;
    if (kind == TEVRA_KBD && key == 'l') tevra_set_logging(logging = !logging);
    if (kind == TEVRA_KBD && n_typed < (int)sizeof typed - 1) typed[n_typed++] = key;
    draw();
  }
  tevra_log("%d ticks, %d clicks, typed \"%s\"", ticks, n_spots, typed);
  tevra_close();
  return 0;
}
C
printf '%s\n' 'TEVRA_PERIODIC(3);' 'TEVRA_MOUSE(-200, 0);' 'TEVRA_MOUSE(120, -60);' 'TEVRA_KBD(72);' \
  'TEVRA_KBD(105);' 'TEVRA_KBD(108);' 'TEVRA_PERIODIC(2);' 'TEVRA_MOUSE(0, 50);' 'TEVRA_KBD(113);' >"$PROG/shapes.scr"

# The C driver alone, with the flags of the kit's pkg-config file (eval: they escape the spaces).
eval "flags=($(PKG_CONFIG_LIBDIR="$KIT/lib/pkgconfig" pkg-config --cflags --libs tevra))" ||
  fail "pkg-config cannot read the kit's tevra.pc"
mkdir -p "$PROG/gcc"
$MINGW-gcc -Wall -Wextra -Werror "$PROG/shapes.c" "${flags[@]}" -o "$PROG/gcc/shapes.exe" >"$OUT/gcc.log" 2>&1 ||
  { show "$OUT/gcc.log"; fail "$MINGW-gcc could not build a program against the kit"; }
cp "$KIT/bin/tevra.dll" "$PROG/gcc/"
# MSVC's import library: GNU ld reads it too, and where clang and lld-link (a linker for the MSVC
# ABI; MSVC's own cannot run here) are installed, the program is built for the MSVC ABI, without a C
# runtime, and linked with tevra.lib alone.
$MINGW-gcc "$PROG/shapes.c" -I"$KIT/include" "$KIT/lib/tevra.lib" -o "$PROG/gcc/shapes-msvc-lib.exe" \
  >"$OUT/msvc-lib.log" 2>&1 || { show "$OUT/msvc-lib.log"; fail "a program does not link with the kit's tevra.lib"; }
msvc=""
if command -v clang >/dev/null && command -v lld-link >/dev/null; then
  msvc="$PROG/msvc"
  mkdir -p "$msvc" && cp "$KIT/bin/tevra.dll" "$msvc/"
  { clang --target=x86_64-pc-windows-msvc -ffreestanding -Wall -Wextra -Werror -I"$KIT/include" -c "$PROG/shapes.c" \
      -o "$msvc/shapes.obj" &&
    lld-link /nologo /nodefaultlib /entry:main /subsystem:console "$msvc/shapes.obj" "$KIT/lib/tevra.lib" \
      /out:"$msvc/shapes.exe"; } >"$OUT/lld-link.log" 2>&1 ||
    { show "$OUT/lld-link.log"; fail "lld-link cannot link a program with the kit's tevra.lib"; }
else
  echo "test-wine-kit: clang or lld-link is not installed: tevra.lib is tried with GNU ld only"
fi

# CMake, cross-compiling with a toolchain file that knows nothing of TEVRA.
cat >"$PROG/mingw.cmake" <<CMAKE
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER $MINGW-gcc)
CMAKE
cat >"$PROG/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.22)
project(shapes C)
find_package(tevra 1 REQUIRED)
add_executable(shapes shapes.c)
target_link_libraries(shapes PRIVATE tevra::tevra)
CMAKE
{ cmake -S "$PROG" -B "$PROG/cmake" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PROG/mingw.cmake" \
    -DCMAKE_PREFIX_PATH="$KIT" && cmake --build "$PROG/cmake"; } >"$OUT/cmake.log" 2>&1 ||
  { show "$OUT/cmake.log"; fail "find_package(tevra) with the kit did not build"; }

for exe in "$PROG"/gcc/*.exe "$PROG/cmake/shapes.exe" ${msvc:+"$msvc/shapes.exe"} "$KIT"/bin/*.exe; do
  needs=$($MINGW-objdump -p "$exe" | awk '/DLL Name:/ {print $3}' | grep -Eiv '^(KERNEL32|USER32|GDI32|msvcrt|tevra)\.dll$')
  [ -z "$needs" ] || fail "${exe#"$OUT"/} needs $(echo $needs) besides Windows and tevra.dll"
done
checks=$((checks + 3))
echo "test-wine-kit: a C program built against the kit with $MINGW-gcc (pkg-config, and tevra.lib) and find_package(tevra), in \"${KIT#"$ROOT"/}\""

# --- 3. The program on Win32 (Wine) and on winport, frame by frame.
mkdir -p "$OUT/linux-build"
cc -Wall -Wextra -Werror "$PROG/shapes.c" -I include -L "$LINUX/tevra" -Wl,-rpath,"$LINUX/tevra" -ltevra \
  -o "$OUT/linux-build/shapes" >"$OUT/cc.log" 2>&1 || { show "$OUT/cc.log"; fail "the Linux build of the program failed"; }
wine_session "$OUT" || fail "Xvfb did not start"

# play DIR SCRIPT COMMAND...: COMMAND run in DIR with SCRIPT, its frames in DIR/frames, its console
# lines (LF line ends) in DIR/console.txt; fails the test unless it ends with status 0.
play() {
  local dir=$1 script=$2 status
  shift 2
  rm -rf "$dir" && mkdir -p "$dir"
  (cd "$dir" && TEVRA_SCRIPT="$script" TEVRA_FRAMES="$dir/frames" TEVRA_ECHO=1 \
    exec "$@" >"$dir/stdout.txt" 2>"$dir/console-raw.txt" </dev/null)
  status=$?
  tr -d '\r' <"$dir/console-raw.txt" >"$dir/console.txt"
  [ "$status" -eq 0 ] || { show "$dir/console.txt"; fail "${dir#"$OUT"/}: $* ended with status $status"; }
}

# same REFERENCE OTHER: the same console lines and every frame equal outside the text boxes.
same() {
  diff "$1/console.txt" "$2/console.txt" >"$2/console.diff" ||
    { show "$2/console.diff"; fail "${2#"$OUT"/}: the console lines differ from ${1#"$OUT"/}'s"; }
  /usr/bin/python3 tests/wine/compare_frames.py "$1/frames" "$2/frames" "$2/diff" >"$2/frames.txt" 2>&1 ||
    { cat "$2/frames.txt"; fail "${2#"$OUT"/}: frames differ outside the text (diff images in ${2#"$ROOT"/}/diff)"; }
  checks=$((checks + 1))
}

play "$OUT/linux" "$PROG/shapes.scr" env WINPORT_DISPLAY=headless "$OUT/linux-build/shapes"
play "$OUT/gcc" "$PROG/shapes.scr" wine "$PROG/gcc/shapes.exe"
same "$OUT/linux" "$OUT/gcc"
play "$OUT/cmake" "$PROG/shapes.scr" env WINEPATH="$(winepath -w "$KIT/bin" 2>/dev/null)" wine "$PROG/cmake/shapes.exe"
same "$OUT/linux" "$OUT/cmake"
if [ -n "$msvc" ]; then
  play "$OUT/msvc" "$PROG/shapes.scr" wine "$msvc/shapes.exe"
  same "$OUT/linux" "$OUT/msvc"
fi
echo "test-wine-kit: the Windows builds${msvc:+ (the lld-link build too)} under Wine and the Linux build: status 0, the same $(wc -l <"$OUT/linux/console.txt") console lines, $(tail -n 1 "$OUT/cmake/frames.txt")"

# --- 4. The kit's own programs: the game and the examples, each with its script.
play "$OUT/frostvel-linux" "$ROOT/tests/golden/game.scr" env WINPORT_DISPLAY=headless "$LINUX/game/frostvel"
play "$OUT/frostvel" "$ROOT/tests/golden/game.scr" wine "$KIT/bin/frostvel.exe"
same "$OUT/frostvel-linux" "$OUT/frostvel"
for e in $EXAMPLES; do
  play "$OUT/$e-linux" "$KIT/examples/$e.scr" env WINPORT_DISPLAY=headless "$LINUX/examples/$e"
  play "$OUT/$e" "$KIT/examples/$e.scr" wine "$KIT/bin/$e.exe"
  same "$OUT/$e-linux" "$OUT/$e"
done
echo "test-wine-kit: the kit's frostvel.exe and examples ($EXAMPLES) played their scripts as on Linux"

scripts/test-results add wine-kit "$checks" 0 >/dev/null
echo "test-wine-kit: passed in $(($(date +%s) - STARTED)) s"

// display.cpp — which display this process uses.
//
// The choice is made once, on the first call of current(): a display selected by the program
// (headless::use()) wins, then WINPORT_DISPLAY=sdl|headless, then SDL when a desktop is present
// (DISPLAY or WAYLAND_DISPLAY set). With no desktop and no choice the program stops with a message
// saying how to choose, rather than guessing: SDL would silently fall back to an invisible
// offscreen window, and the headless display would run a program nobody can see.
#include "display/display.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace winport::display {
namespace {

const Display *chosen = nullptr;

#ifdef __EMSCRIPTEN__
// In a browser the page is the only screen there is.
const Display &choose() { return web_display(); }
#else
bool set(const char *name) {
  const char *value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

const Display &choose() {
  const char *choice = std::getenv("WINPORT_DISPLAY");
  if (choice != nullptr && *choice != '\0') {
    if (std::strcmp(choice, "sdl") == 0) return sdl_display();
    if (std::strcmp(choice, "headless") == 0) return headless_display();
    std::fprintf(stderr,
                 "winport: WINPORT_DISPLAY=%s names no display; "
                 "use WINPORT_DISPLAY=sdl or WINPORT_DISPLAY=headless\n",
                 choice);
    std::exit(EXIT_FAILURE);
  }
  if (set("DISPLAY") || set("WAYLAND_DISPLAY")) return sdl_display();
  std::fprintf(stderr,
               "winport: no desktop to show windows on (neither DISPLAY nor WAYLAND_DISPLAY is set); "
               "set WINPORT_DISPLAY=headless to run without a screen, "
               "or set DISPLAY to the X display to use\n");
  std::exit(EXIT_FAILURE);
}
#endif

}  // namespace

const Display &current() {
  if (chosen == nullptr) chosen = &choose();
  return *chosen;
}

void select(const Display &display) { chosen = &display; }

}  // namespace winport::display

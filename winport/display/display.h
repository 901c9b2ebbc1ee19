// display.h — the one seam between winport and a screen.
//
// A display is a table of functions, picked once at start-up (WINPORT_DISPLAY=sdl|headless, or SDL
// when a desktop is present; in a browser always the web display). winport hands each top-level
// window's pixels (menu bar above the client area, as two bands) to the display; the display turns
// the system's input into calls of the input sink (input.h). The headless display is the template
// for a new one.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace winport::display {

struct NativeWindow;  // owned by the display

// A window's image as two bands of rows, each `width` pixels wide (0x00RRGGBB, top-down): the menu
// bar (`bar_height` rows, none without a menu) above the client area. Each band keeps its own row
// stride in pixels (uint32_t units), so winport hands over the pixels where they are drawn instead
// of composing them into one image first. `width` x (bar_height + client_height) is what the
// display shows inside its own frame and caption.
struct Frame {
  int width = 0;
  const uint32_t *bar = nullptr;
  int bar_height = 0;
  int bar_stride = 0;
  const uint32_t *client = nullptr;
  int client_height = 0;
  int client_stride = 0;

  int height() const { return bar_height + client_height; }
  const uint32_t *row(int y) const {
    return y < bar_height ? bar + static_cast<size_t>(y) * static_cast<size_t>(bar_stride)
                          : client + static_cast<size_t>(y - bar_height) * static_cast<size_t>(client_stride);
  }
};

struct Display {
  const char *name;
  // Screen size in pixels.
  void (*screen_size)(int *width, int *height);
  // A native window for a top-level window of the given outer rectangle (screen pixels). The
  // display may place it elsewhere if the desktop insists. Hidden until show().
  NativeWindow *(*create)(HWND hwnd, const char *title, int x, int y, int width, int height);
  void (*destroy)(NativeWindow *window);
  void (*show)(NativeWindow *window, bool visible);
  void (*set_title)(NativeWindow *window, const char *title);
  // The window's pixels, menu bar above client area (see Frame). The pixels are only read during
  // the call; the display keeps no pointer to them.
  void (*present)(NativeWindow *window, const Frame &frame);
  // Milliseconds on the display's clock (real for SDL, virtual for headless).
  uint64_t (*now_ms)();
  // Deliver pending system input to the input sink; when `wait` is true and nothing is pending,
  // block until input arrives or the clock reaches `deadline_ms` (UINT64_MAX: no deadline).
  void (*pump)(bool wait, uint64_t deadline_ms);
};

// The display in use, chosen on first call (exits with a clear message when none can be chosen).
const Display &current();
// Use this display from now on, whatever the environment says (headless::use() selects the
// headless display this way). Call before the first window is created.
void select(const Display &display);

// The displays: SDL and headless on the desktop, the web display (the only one) in a browser.
const Display &sdl_display();
const Display &headless_display();
const Display &web_display();

}  // namespace winport::display

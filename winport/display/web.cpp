// web.cpp — the browser display: one <canvas> per top-level window, DOM input, the browser's clock.
//
// The page half is web.js (WinportWeb, loaded before the program): it makes a captioned <canvas> for
// each window, queues the DOM's mouse and keyboard events (keys already turned into Win32 virtual
// keys), and wakes a waiting program. This half is the display table over it; the character a key
// types comes from the keyboard table here, as on the desktop.
//
// A wait is a real pause: the program's stack is put aside (Asyncify), the browser runs, and the
// program resumes when input arrives or the deadline passes, so an idle page costs no processor
// time. A pump that must not wait (a script playing back never waits) still gives the browser a turn
// once a frame's time has passed without one, so the page stays responsive and shows what is drawn.
#include <emscripten.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "display/display.h"
#include "display/input.h"
#include "keyboard/keys.h"

namespace winport::display {
namespace {

EM_JS(int, js_create, (const char *title), { return WinportWeb.create(UTF8ToString(title)); });
EM_JS(void, js_destroy, (int id), { WinportWeb.destroy(id); });
EM_JS(void, js_show, (int id, int visible), { WinportWeb.show(id, visible != 0); });
EM_JS(void, js_set_title, (int id, const char *title), { WinportWeb.setTitle(id, UTF8ToString(title)); });
EM_JS(void, js_present, (int id, const uint8_t *rgba, int width, int height),
      { WinportWeb.present(id, HEAPU8.subarray(rgba, rgba + width * height * 4), width, height); });
EM_JS(double, js_now, (), { return performance.now(); });
EM_JS(void, js_screen_size, (int *width, int *height), {
  HEAP32[width >> 2] = WinportWeb.screenWidth;
  HEAP32[height >> 2] = WinportWeb.screenHeight;
});
// The oldest queued input as eight integers (kind, window, then the kind's values); 0 when none.
EM_JS(int, js_next_input, (int *out), {
  const item = WinportWeb.queue.shift();
  if (!item) return 0;
  for (let i = 0; i < 8; ++i) HEAP32[(out >> 2) + i] = item[i] | 0;
  return 1;
});
// Resolves when input is queued or after `timeout_ms` (negative: no timeout).
EM_ASYNC_JS(void, js_wait, (double timeout_ms), { await WinportWeb.wait(timeout_ms); });

// What web.js queues; the numbers are shared with it.
enum InputKind { kButton = 1, kMove = 2, kKey = 3, kFocus = 4, kClose = 5, kExpose = 6 };
enum Modifier { kCtrl = 1, kShift = 2, kAlt = 4, kCapsLock = 8 };

// How long a pump that must not wait may keep the browser from running (about one frame).
constexpr double kLongestTurnMs = 16;

struct WebWindow {
  HWND hwnd;
  int id;  // the page's number for it
};

struct Web {
  std::vector<WebWindow *> windows;
  std::vector<uint32_t> rgba;  // the presented image in the canvas's byte order
  double last_turn = 0;        // when the browser last ran
};

Web &web() {
  static Web &w = *new Web;  // lives as long as the windows it keeps
  return w;
}

NativeWindow *as_native(WebWindow *w) { return reinterpret_cast<NativeWindow *>(w); }
WebWindow *as_web(NativeWindow *w) { return reinterpret_cast<WebWindow *>(w); }

HWND hwnd_of(int id) {
  for (WebWindow *w : web().windows)
    if (w->id == id) return w->hwnd;
  return nullptr;
}

void screen_size(int *width, int *height) { js_screen_size(width, height); }

NativeWindow *create(HWND hwnd, const char *title, int, int, int, int) {
  auto *w = new WebWindow{hwnd, js_create(title != nullptr ? title : "")};
  web().windows.push_back(w);
  return as_native(w);
}

void destroy(NativeWindow *window) {
  WebWindow *w = as_web(window);
  auto &list = web().windows;
  list.erase(std::remove(list.begin(), list.end(), w), list.end());
  js_destroy(w->id);
  delete w;
}

bool deliver_queued();

// Input the page queued before the program's windows were on screen (its start-up commands, such as
// recording from the start) is delivered as soon as a window is shown: ahead of the first timer
// message, however long the program took to open.
void show(NativeWindow *window, bool visible) {
  js_show(as_web(window)->id, visible ? 1 : 0);
  if (visible) deliver_queued();
}

void set_title(NativeWindow *window, const char *title) {
  js_set_title(as_web(window)->id, title != nullptr ? title : "");
}

void present(NativeWindow *window, const Frame &frame) {
  const int width = frame.width, height = frame.height();
  if (width <= 0 || height <= 0) return;
  // 0x00RRGGBB becomes the canvas's R, G, B, A bytes: on little-endian memory, 0xAABBGGRR. The
  // conversion reads each row where it was drawn, so the two bands need no composing first.
  std::vector<uint32_t> &rgba = web().rgba;
  rgba.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    const uint32_t *src = frame.row(y);
    uint32_t *dst = rgba.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
    for (int x = 0; x < width; ++x) {
      const uint32_t p = src[x];
      dst[x] = 0xFF000000u | (p & 0x00FF00u) | (p >> 16 & 0xFFu) | (p & 0xFFu) << 16;
    }
  }
  js_present(as_web(window)->id, reinterpret_cast<const uint8_t *>(rgba.data()), width, height);
}

uint64_t now_ms() { return static_cast<uint64_t>(js_now()); }

// A key went down or up; `mods` are the page's modifier bits at that moment.
void key(HWND hwnd, int vk, bool down, int mods) {
  const bool shift = (mods & kShift) != 0;
  const bool letter = vk >= 'A' && vk <= 'Z';
  const bool upper = shift != (letter && (mods & kCapsLock) != 0);  // Caps Lock shifts letters only
  const unsigned char ch = down ? keyboard::character(vk, upper, false) : 0;
  input::key(hwnd, vk, down, ch, (mods & kCtrl) != 0, shift, (mods & kAlt) != 0);
}

void deliver(const int (&in)[8]) {
  HWND hwnd = hwnd_of(in[1]);
  if (hwnd == nullptr) return;  // the window went away while its input waited
  switch (in[0]) {
    case kButton: input::mouse_button(hwnd, in[2], in[3] != 0, in[4], in[5]); break;
    case kMove: input::mouse_move(hwnd, in[2], in[3]); break;
    case kKey: key(hwnd, in[2], in[3] != 0, in[4]); break;
    case kFocus: input::focus(hwnd, in[2] != 0); break;
    case kClose: input::close(hwnd); break;
    case kExpose: input::expose(hwnd); break;
    default: break;
  }
}

bool deliver_queued() {
  int in[8];
  bool any = false;
  while (js_next_input(in) != 0) {
    deliver(in);
    any = true;
  }
  return any;
}

void take_turn(double timeout_ms) {
  js_wait(timeout_ms);
  web().last_turn = js_now();
}

void pump(bool wait, uint64_t deadline_ms) {
  if (deliver_queued()) return;
  if (!wait) {
    if (js_now() - web().last_turn >= kLongestTurnMs) {
      take_turn(0);
      deliver_queued();
    }
    return;
  }
  const uint64_t now = now_ms();
  if (deadline_ms != UINT64_MAX && now >= deadline_ms) return;
  take_turn(deadline_ms == UINT64_MAX ? -1.0 : static_cast<double>(deadline_ms - now));
  deliver_queued();
}

}  // namespace

const Display &web_display() {
  static const Display display{"web", screen_size, create, destroy, show, set_title, present, now_ms, pump};
  return display;
}

}  // namespace winport::display

// console.cpp — the text console in the "TEVRA Text" window.
//
// Owns the ring of the last 25 lines, each in its own movable memory block. Promises: every line
// is kept exactly as formatted (cut to 1,023 characters) and drawn at the bottom of the window,
// earlier lines scrolling up, by the next message-pump step (all lines since the previous step in one
// scroll, so logging a whole frame costs little, with the pixels that drawing each line at once
// leaves); a repaint redraws the kept lines, oldest highest;
// memory stays bounded by the ring; keys pressed in the console reach the graphics window's
// shortcuts. While the console is hidden, lines are kept but not drawn, since the repaint that shows
// it draws them all.
// With TEVRA_ECHO=1 in the environment every line is also written to standard error. Also owns the
// logging flag, which the Logging item's check mark always shows.
#include "internal.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tevra {

namespace {

constexpr int kLineMax = 1024; // formatting buffer: 1,023 characters and the terminator

ConsoleState &state = context().console;

bool echo_enabled() {
  if (state.echo < 0) {
    const char *value = std::getenv("TEVRA_ECHO");
    state.echo = (value && std::strcmp(value, "1") == 0) ? 1 : 0;
  }
  return state.echo == 1;
}

// Keeps a copy of `text` in the ring, pushing out the oldest line when it is full. A line whose
// block cannot be had is not kept (false).
bool store_line(const char *text, size_t length) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, length + 1);
  if (!block) return false;
  char *copy = static_cast<char *>(GlobalLock(block));
  if (!copy) {
    GlobalFree(block);
    return false;
  }
  std::memcpy(copy, text, length + 1);
  GlobalUnlock(block);

  if (state.first == state.next) {
    GlobalFree(state.lines[state.first]);
    state.lines[state.first] = nullptr;
    state.first = (state.first + 1) % kRingSize;
  }
  state.lines[state.next] = block;
  if (state.first < 0) state.first = state.next;
  state.next = (state.next + 1) % kRingSize;
  return true;
}

bool console_visible() { return text_window() && IsWindowVisible(text_window()); }

// Scrolls the console up by `count` lines and draws the texts, oldest first, in the freed strip at
// the bottom, each without one trailing newline: the same pixels as drawing them one at a time.
void scroll_and_draw(const char *const *texts, int count) {
  if (count <= 0 || !console_visible()) return;
  HDC dc = GetDC(text_window());
  HGDIOBJ old_font = SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  const int h = metrics.tmHeight + metrics.tmExternalLeading;

  ScrollDC(dc, 0, -h * count, nullptr, nullptr, nullptr, nullptr);

  RECT client;
  GetClientRect(text_window(), &client);
  HBRUSH brush = CreateSolidBrush(GetBkColor(dc));
  HGDIOBJ old_brush = SelectObject(dc, brush);
  HGDIOBJ old_pen = SelectObject(dc, GetStockObject(NULL_PEN));
  // One pixel past the right and bottom edges: a rectangle without an outline stops one short of
  // both, and the last column would keep the ink of an earlier line.
  Rectangle(dc, client.left, client.bottom - h * count, client.right + 1, client.bottom + 1);
  SelectObject(dc, old_pen);
  SelectObject(dc, old_brush);
  DeleteObject(brush);

  for (int i = 0; i < count; ++i) {
    int n = static_cast<int>(std::strlen(texts[i]));
    if (n > 0 && texts[i][n - 1] == '\n') --n;
    TextOutA(dc, client.left + 5, client.bottom - h * (count - i), texts[i], n);
  }

  SelectObject(dc, old_font);
  ReleaseDC(text_window(), dc);
}

// Whether the console shows more rows than the ring holds lines. A line pushed out of the ring
// before it was drawn would then leave a row that drawing each line at once fills.
bool rows_beyond_ring() {
  HDC dc = GetDC(text_window());
  HGDIOBJ old_font = SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old_font);
  ReleaseDC(text_window(), dc);
  RECT client;
  GetClientRect(text_window(), &client);
  const int h = metrics.tmHeight + metrics.tmExternalLeading;
  return h > 0 && client.bottom - client.top > h * kRingSize;
}

void repaint(HWND window) {
  PAINTSTRUCT paint;
  BeginPaint(window, &paint);
  state.undrawn = 0; // the repaint draws every kept line
  if (state.first >= 0) {
    int index = state.first;
    do {
      const char *text = static_cast<const char *>(GlobalLock(state.lines[index]));
      if (text) {
        console_draw_line(text);
        GlobalUnlock(state.lines[index]);
      }
      index = (index + 1) % kRingSize;
    } while (index != state.next);
  }
  EndPaint(window, &paint);
}

} // namespace

// The kept text is only read: a line looks the same however often the console is repainted.
void console_draw_line(const char *text) { scroll_and_draw(&text, 1); }

void console_flush() {
  if (state.undrawn == 0) return;
  const char *texts[kRingSize];
  int indices[kRingSize];
  int count = 0;
  // The newest `undrawn` lines, oldest first: walk back from the slot before `next`.
  for (int i = state.undrawn; i >= 1; --i) {
    const int index = ((state.next - i) % kRingSize + kRingSize) % kRingSize;
    const char *text = state.lines[index] ? static_cast<const char *>(GlobalLock(state.lines[index])) : nullptr;
    if (!text) continue;
    indices[count] = index;
    texts[count++] = text;
  }
  scroll_and_draw(texts, count);
  for (int i = 0; i < count; ++i) GlobalUnlock(state.lines[indices[i]]);
  state.undrawn = 0;
}

LRESULT CALLBACK text_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
  case WM_PAINT: repaint(window); return 0;
  case WM_KEYDOWN:
  case WM_KEYUP:
    // The shortcuts live in the graphics window; while it exists, it gets the keys typed here.
    if (graphics_window_live()) PostMessageA(graphics_window(), message, wparam, lparam);
    return 0;
  case WM_KILLFOCUS:
    menu_on_focus_lost(reinterpret_cast<HWND>(wparam));
    return DefWindowProcA(window, message, wparam, lparam);
  default: return DefWindowProcA(window, message, wparam, lparam);
  }
}

void console_each_line(void (*visit)(const char *line, void *ctx), void *ctx) {
  if (state.first < 0) return;
  int index = state.first;
  do {
    const char *text = static_cast<const char *>(GlobalLock(state.lines[index]));
    if (text) {
      visit(text, ctx);
      GlobalUnlock(state.lines[index]);
    }
    index = (index + 1) % kRingSize;
  } while (index != state.next);
}

void console_release() {
  for (HGLOBAL block : state.lines) {
    if (block) GlobalFree(block);
  }
}

bool logging() { return state.logging; }

void set_logging(bool on) {
  state.logging = on;
  set_menu_check(kCmdLogging, on);
}

} // namespace tevra

using namespace tevra;

extern "C" int32_t tevra_log(const char *format, ...) {
  if (!on_library_thread(__func__)) return 0;
  char buffer[kLineMax];
  va_list args;
  va_start(args, format);
  int result = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (result < 0) { // an encoding error formats nothing
    buffer[0] = '\0';
    result = 0;
  }
  if (result > kLineMax - 1) result = kLineMax - 1; // longer output is cut to the buffer

  // The oldest undrawn line is about to leave the ring: on a console taller than the ring, draw
  // what is pending now, so that its row shows what drawing every line at once would have left.
  if (state.undrawn == kRingSize && console_visible() && rows_beyond_ring()) console_flush();
  const bool stored = store_line(buffer, std::strlen(buffer));
  testing_on_console_line(buffer);
  scripted_run_on_console_line(buffer);
  if (echo_enabled()) {
    const size_t n = std::strlen(buffer);
    std::fputs(buffer, stderr);
    if (n == 0 || buffer[n - 1] != '\n') std::fputc('\n', stderr);
  }
  // Drawn by the next pump step, from the ring: a line that could not be kept is not drawn, or the
  // step would draw an older line in its place.
  if (stored && console_visible() && state.undrawn < kRingSize) ++state.undrawn;
  return result;
}

extern "C" int32_t tevra_set_logging(int32_t on) {
  if (!on_library_thread(__func__)) return 0;
  if (graphics_window() == nullptr) return 0;
  set_logging(on != 0);
  if (on != 0) tevra_show_text_window(1);
  return 1;
}

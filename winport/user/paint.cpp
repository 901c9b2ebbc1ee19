// paint.cpp — window device contexts, the update region, and presentation.
//
// A window keeps its client pixels in a surface of its own (retained, unlike Win32's screen), so a
// window DC from GetDC or BeginPaint draws into that surface and nothing is lost while a window is
// hidden or covered. The update region is kept as one rectangle with an erase flag; WM_PAINT is
// generated for a visible window while it is invalid.
//
// Presentation: whenever the client surface was drawn on, or the menu bar or popup changed, the
// window's image is handed to the display as two bands, the menu bar (drawn in the top rows of the
// window's menu image) and the client pixels as they are (a bitmap's, while the window borrows them:
// gdi/deferred_blit.h): no pixel is copied on the way. Only an open popup, which lies over the
// client area, makes winport compose the whole image first. The message functions call
// present_all() before looking for a message, so a frame drawn between two waits reaches the
// screen whole.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "gdi/deferred_blit.h"
#include "gdi/objects.h"
#include "user/state.h"

namespace winport::user {

namespace {

// DCs handed out by GetDC and BeginPaint, so that ReleaseDC refuses anything else.
std::vector<HDC> &window_dcs() {
  static std::vector<HDC> dcs;
  return dcs;
}

RECT client_rect(const Window &w) {
  SIZE size = client_size(w);
  return {0, 0, size.cx, size.cy};
}

void add_to_update(Window &w, const RECT *rect, bool erase) {
  RECT full = client_rect(w);
  RECT r = rect != nullptr ? *rect : full;
  r.left = std::max(r.left, full.left);
  r.top = std::max(r.top, full.top);
  r.right = std::min(r.right, full.right);
  r.bottom = std::min(r.bottom, full.bottom);
  if (r.left >= r.right || r.top >= r.bottom) return;
  if (!w.invalid) {
    w.update = r;
  } else {
    w.update.left = std::min(w.update.left, r.left);
    w.update.top = std::min(w.update.top, r.top);
    w.update.right = std::max(w.update.right, r.right);
    w.update.bottom = std::max(w.update.bottom, r.bottom);
  }
  w.invalid = true;
  w.erase = w.erase || erase;
}

}  // namespace

void invalidate_all(Window &w, bool erase) { add_to_update(w, nullptr, erase); }

void present_window(Window &w) {
  if (!w.visible || w.native == nullptr) return;
  Surface &client = *w.client;
  const gdi::deferred_blit::View shown = gdi::deferred_blit::shown(client);
  const SIZE size = client_size(w);
  const int width = std::min<int>(size.cx, client.width), height = std::min<int>(size.cy, client.height);
  const int bar = menu_bar_height(w);
  display::Frame frame;
  frame.width = width;
  frame.client = shown.pixels;
  frame.client_height = height;
  frame.client_stride = shown.stride;
  if (bar > 0 || w.tracking.open) {
    // The menu bar is drawn into the image; only while a popup lies over the client area does the
    // image hold the client rows as well.
    Surface &image = *w.composed;
    bool bar_stale = w.frame_stale;
    const int image_height = w.tracking.open ? bar + height : bar;
    if (image.width != width || image.height != image_height) {
      image.resize(width, image_height, 0xC0C0C0);
      bar_stale = true;
    }
    if (w.composed_dc == nullptr) w.composed_dc = gdi::create_surface_dc(w.composed, w.handle);
    if (w.tracking.open) {
      const uint32_t *row = shown.pixels;
      for (int y = 0; y < height; ++y, row += shown.stride) std::copy_n(row, width, image.row(bar + y));
      frame.client_height = 0;
    }
    menu_draw(w, bar_stale);
    frame.bar = image.pixels.data();
    frame.bar_height = w.tracking.open ? image.height : bar;
    frame.bar_stride = image.width;
  }
  screen().present(w.native, frame);
  client.dirty = false;
  w.frame_stale = false;
}

void present_all() {
  // Presenting calls no window procedure, so the list cannot change underneath.
  for (auto &w : state().windows)
    if (w->visible && (w->client->dirty || w->frame_stale)) present_window(*w);
}

}  // namespace winport::user

using namespace winport::user;

HDC WINAPI GetDC(HWND hwnd) {
  if (hwnd == nullptr) {
    // The screen: a memory DC compatible with it, enough for creating compatible bitmaps.
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc != nullptr) window_dcs().push_back(dc);
    return dc;
  }
  Window *w = find_window(hwnd);
  if (w == nullptr) return nullptr;
  HDC dc = winport::gdi::create_surface_dc(w->client, hwnd);
  if (dc == nullptr) return nullptr;
  window_dcs().push_back(dc);
  return dc;
}

int WINAPI ReleaseDC(HWND, HDC hdc) {
  auto &dcs = window_dcs();
  auto it = std::find(dcs.begin(), dcs.end(), hdc);
  if (it == dcs.end()) return 0;
  dcs.erase(it);
  DeleteDC(hdc);
  return 1;
}

HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT ps) {
  Window *w = find_window(hwnd);
  if (w == nullptr || ps == nullptr) return nullptr;
  std::memset(ps, 0, sizeof *ps);
  ps->rcPaint = w->invalid ? w->update : RECT{0, 0, 0, 0};
  bool erase = w->erase;
  w->invalid = false;
  w->erase = false;
  ps->hdc = GetDC(hwnd);
  if (erase)
    ps->fErase = SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(ps->hdc), 0) != 0 ? FALSE : TRUE;
  return ps->hdc;
}

BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT *ps) {
  if (ps == nullptr) return FALSE;
  ReleaseDC(hwnd, ps->hdc);
  return TRUE;
}

BOOL WINAPI InvalidateRect(HWND hwnd, const RECT *rect, BOOL erase) {
  if (hwnd == nullptr) {
    for (auto &w : state().windows) add_to_update(*w, nullptr, erase != FALSE);
    return TRUE;
  }
  Window *w = find_window(hwnd);
  if (w == nullptr) return FALSE;
  add_to_update(*w, rect, erase != FALSE);
  return TRUE;
}

BOOL WINAPI UpdateWindow(HWND hwnd) {
  Window *w = find_window(hwnd);
  if (w == nullptr) return FALSE;
  if (w->visible && w->invalid) SendMessageA(hwnd, WM_PAINT, 0, 0);
  return TRUE;
}

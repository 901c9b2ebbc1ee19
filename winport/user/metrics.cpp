// metrics.cpp — classic Win32 window metrics and the client area they leave.
//
// A window's outer rectangle includes its frame, caption and menu bar; what remains is the client
// area, whose surface window DCs draw into. The numbers are classic Win32's: caption 19, menu bar
// 19, fixed (dialog) frame 3, sizing frame 4, border 1. The display draws the frame and caption
// itself; winport composes and presents only the menu bar and the client area.
#include <windows.h>

#include <algorithm>

#include "gdi/deferred_blit.h"
#include "user/state.h"

namespace winport::user {

namespace {
constexpr int kCaption = 19;
constexpr int kFixedFrame = 3;
constexpr int kSizingFrame = 4;
constexpr int kBorder = 1;
}  // namespace

int frame_width(DWORD style) {
  if (style & WS_THICKFRAME) return kSizingFrame;
  if (style & WS_DLGFRAME) return kFixedFrame;  // WS_CAPTION includes WS_DLGFRAME
  if (style & WS_BORDER) return kBorder;
  return 0;
}

int caption_height(DWORD style) { return (style & WS_CAPTION) == WS_CAPTION ? kCaption : 0; }

int menu_bar_height(const Window &w) { return w.menu != nullptr ? kMenuBarHeight : 0; }

SIZE client_size(const Window &w) {
  int frame = frame_width(w.style);
  int width = w.rect.right - w.rect.left - 2 * frame;
  int height = w.rect.bottom - w.rect.top - 2 * frame - caption_height(w.style) - menu_bar_height(w);
  return {std::max(width, 0), std::max(height, 0)};
}

namespace {

// Resizes `surface` to w x h, keeping the top-left pixels that still fit and filling the rest. At
// the same width the rows stay where they are: a menu bar attached after creation only takes rows
// away, and the surface keeps its memory, so no fresh pages have to be touched.
void resize_keeping(Surface &surface, int w, int h, uint32_t fill) {
  if (w == surface.width) {
    surface.pixels.resize(static_cast<size_t>(w) * static_cast<size_t>(h), fill);
  } else {
    Surface resized(w, h, fill);
    for (int y = 0; y < std::min(surface.height, h); ++y)
      std::copy_n(surface.row(y), std::min(surface.width, w), resized.row(y));
    surface.pixels.swap(resized.pixels);
  }
  surface.width = w;
  surface.height = h;
  surface.dirty = true;
}

}  // namespace

void update_client_size(HWND hwnd, bool notify) {
  Window *w = find_window(hwnd);
  if (w == nullptr) return;
  SIZE size = client_size(*w);
  Surface &surface = *w->client;
  if (size.cx == surface.width && size.cy == surface.height) return;
  // Keep what still fits at the top-left; new parts start white until painted.
  gdi::deferred_blit::before_write(surface);
  resize_keeping(surface, size.cx, size.cy, 0xFFFFFF);
  w->frame_stale = true;
  invalidate_all(*w, true);
  if (notify) SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(size.cx, size.cy));
}

}  // namespace winport::user

using namespace winport::user;

int WINAPI GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN:
    case SM_CYSCREEN: {
      int width = 0, height = 0;
      screen().screen_size(&width, &height);
      return index == SM_CXSCREEN ? width : height;
    }
    case SM_CYCAPTION: return kCaption;
    case SM_CXBORDER:
    case SM_CYBORDER: return kBorder;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return kFixedFrame;
    case SM_CXFRAME:
    case SM_CYFRAME: return kSizingFrame;
    case SM_CYMENU: return kMenuBarHeight;
    default: return 0;
  }
}

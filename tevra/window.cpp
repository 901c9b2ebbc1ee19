// window.cpp — windows and canvas.
//
// Owns the two windows, the graphics window's kept device context, the off-screen canvas with its
// bitmap, the class background brush, the canvas-dirty flag and the logical origin. Promises: every
// drawing reaches the screen only through the present step (one copy of the whole canvas per
// message-pump step, only when something was drawn) or through repainting, and the logical origin
// is always the centre of the graphics window's client area.
#include "internal.h"

namespace tevra {

namespace {

WindowState &state = context().window;

void copy_canvas_to_window() {
  BitBlt(state.window_context, 0, 0, kCanvasWidth, kCanvasHeight, state.canvas, 0, 0, SRCCOPY);
}

void on_size(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  state.origin_x = client.left + (client.right - client.left) / 2;
  state.origin_y = client.top + (client.bottom - client.top) / 2;
}

void on_paint(HWND window) {
  PAINTSTRUCT paint;
  BeginPaint(window, &paint);
  // The kept context, not the paint context: the canvas always lands on the client's top-left.
  if (state.window_context) copy_canvas_to_window();
  EndPaint(window, &paint);
  state.canvas_dirty = false;
}

// The graphics window is going: its timer stops, its menu goes with it, and the program is told to
// quit. A window of an earlier context (destroyed by the platform's own reset) is not ours.
void on_destroy(HWND window) {
  if (window != state.graphics_window) return;
  KillTimer(window, kTimerId);
  menu_on_window_gone();
  state.graphics_destroyed = true;
  PostQuitMessage(0);
}

// The graphics window's procedure: the canvas messages here, the rest handed to the module that
// owns their meaning.
LRESULT CALLBACK draw_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
  case WM_CREATE: menu_on_create(window); return 0;
  case WM_SIZE: on_size(window); return 0;
  case WM_PAINT: on_paint(window); return 0;
  case WM_LBUTTONDOWN: events_on_lbutton(lparam); return 0;
  case WM_CHAR: events_on_char(wparam); return 0;
  case WM_TIMER: events_on_timer(); return 0;
  case WM_COMMAND: menu_on_command(wparam); return 0;
  case WM_KEYDOWN: menu_on_keydown(wparam); return 0;
  case WM_KEYUP: menu_on_keyup(wparam); return 0;
  case WM_KILLFOCUS:
    menu_on_focus_lost(reinterpret_cast<HWND>(wparam));
    return DefWindowProcA(window, message, wparam, lparam);
  case WM_DESTROY: on_destroy(window); return 0;
  default: return DefWindowProcA(window, message, wparam, lparam);
  }
}

void register_classes(HINSTANCE instance) {
  state.background_brush = CreateSolidBrush(palette[TEVRA_WHITE]);
  WNDCLASSA cls = {};
  cls.style = CS_HREDRAW | CS_VREDRAW;
  cls.cbClsExtra = 0;
  cls.cbWndExtra = 0;
  cls.hInstance = instance;
  cls.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  cls.hbrBackground = state.background_brush;
  cls.lpszMenuName = "generic"; // no such menu resource exists, so neither class brings a menu
  cls.lpfnWndProc = draw_window_proc;
  cls.lpszClassName = "DrawWndClass";
  RegisterClassA(&cls);
  cls.lpfnWndProc = text_window_proc;
  cls.lpszClassName = "TextWndClass";
  RegisterClassA(&cls);
}

} // namespace

HWND graphics_window() { return state.graphics_window; }
HWND text_window() { return state.text_window; }
bool graphics_window_live() { return state.graphics_window && !state.graphics_destroyed; }
HDC canvas() { return state.canvas; }
int32_t origin_x() { return state.origin_x; }
int32_t origin_y() { return state.origin_y; }
void mark_canvas_dirty() { state.canvas_dirty = true; }

// GetDIBits wants the bitmap outside any device context, so it is swapped out for the read.
bool read_pixels(HDC dc, int w, int h, std::vector<uint32_t> &pixels, bool colours_only) {
  HBITMAP placeholder = CreateCompatibleBitmap(dc, 1, 1);
  HBITMAP bitmap = static_cast<HBITMAP>(SelectObject(dc, placeholder));
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h; // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  pixels.resize(static_cast<size_t>(w) * h); // every row is written, or the call has failed
  const int lines = GetDIBits(dc, bitmap, 0, h, pixels.data(), &info, DIB_RGB_COLORS);
  SelectObject(dc, bitmap);
  DeleteObject(placeholder);
  if (colours_only)
    for (uint32_t &p : pixels) p &= 0x00FFFFFFu;
  return lines == h;
}

bool read_canvas(std::vector<uint32_t> &pixels, bool colours_only) {
  return state.canvas && read_pixels(state.canvas, kCanvasWidth, kCanvasHeight, pixels, colours_only);
}

void present_step() {
  // After the graphics window is gone its context is gone with it: there is nothing to show.
  if (state.canvas_dirty && !state.graphics_destroyed && state.window_context) {
    copy_canvas_to_window();
    state.canvas_dirty = false;
  }
}

void window_release() {
  if (state.canvas) DeleteDC(state.canvas);
  if (state.canvas_bitmap) DeleteObject(state.canvas_bitmap);
  if (state.background_brush) DeleteObject(state.background_brush);
}

} // namespace tevra

using namespace tevra;

extern "C" int32_t tevra_open(void *instance_arg, void *previous_instance, const char *command_line,
                              int32_t show_command) {
  if (!on_library_thread(__func__)) return 0;
  claim_library_thread();
  (void)command_line;
  HINSTANCE instance = static_cast<HINSTANCE>(instance_arg);
  if (previous_instance == nullptr) register_classes(instance);

  const int screen_w = GetSystemMetrics(SM_CXSCREEN);
  const int screen_h = GetSystemMetrics(SM_CYSCREEN);

  halt_animation();

  state.graphics_window = CreateWindowExA(0, "DrawWndClass", "TEVRA Graphics", WS_CAPTION | WS_SYSMENU, 0, 0,
                                          kCanvasWidth, kCanvasHeight, nullptr, nullptr, instance, nullptr);
  state.text_window = CreateWindowExA(0, "TextWndClass", "TEVRA Text", WS_OVERLAPPEDWINDOW, 0, (2 * screen_h) / 3 + 1,
                                      screen_w, screen_h / 3, nullptr, nullptr, instance, nullptr);

  state.window_context = GetDC(state.graphics_window);
  state.canvas_bitmap = CreateCompatibleBitmap(state.window_context, kCanvasWidth, kCanvasHeight);
  state.canvas = CreateCompatibleDC(state.window_context);
  SelectObject(state.canvas, state.canvas_bitmap);

  ShowWindow(state.text_window, show_command);
  ShowWindow(state.graphics_window, show_command);

  SetTimer(state.graphics_window, kTimerId, kTimerPeriodMs, nullptr);
  scripted_run_open();
  return 1;
}

extern "C" int32_t tevra_close(void) {
  if (!on_library_thread(__func__)) return 0;
  // A destroyed window took its context with it; releasing it again would touch a dead window.
  if (state.window_context && !state.graphics_destroyed) ReleaseDC(state.graphics_window, state.window_context);
  state.window_context = nullptr;
  scripted_run_close();
  script_close_library();
  return 1;
}

extern "C" int32_t tevra_show_text_window(int32_t show) {
  if (!on_library_thread(__func__)) return 0;
  return ShowWindow(state.text_window, show ? SW_SHOW : SW_HIDE);
}

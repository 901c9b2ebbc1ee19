// window.cpp — windows and canvas.
//
// Owns the two windows, the graphics window's kept device context, the off-screen canvas with its
// bitmap, the class background brush, the canvas-dirty flag and the logical origin. Promises: every
// drawing reaches the screen only through the present step (one copy of the whole canvas per
// message-pump step, only when something was drawn) or through repainting, and the logical origin
// is always the centre of the graphics window's client area.
#include "internal.h"

namespace tevra {

HWND graphics_window = nullptr;
HWND text_window = nullptr;
HDC canvas = nullptr;
int32_t canvas_dirty = 1;
int32_t origin_x = 0;
int32_t origin_y = 0;
bool graphics_destroyed = false;

namespace {

HDC window_context = nullptr;
HBITMAP canvas_bitmap = nullptr;
HBRUSH background_brush = nullptr;

void copy_canvas_to_window() {
  BitBlt(window_context, 0, 0, kCanvasWidth, kCanvasHeight, canvas, 0, 0, SRCCOPY);
}

void on_size(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  origin_x = client.left + (client.right - client.left) / 2;
  origin_y = client.top + (client.bottom - client.top) / 2;
}

void on_paint(HWND window) {
  PAINTSTRUCT paint;
  BeginPaint(window, &paint);
  // The kept context, not the paint context: the canvas always lands on the client's top-left.
  if (window_context) copy_canvas_to_window();
  EndPaint(window, &paint);
  canvas_dirty = 0;
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
  case WM_DESTROY: menu_on_destroy(window); return 0;
  default: return DefWindowProcA(window, message, wparam, lparam);
  }
}

void register_classes(HINSTANCE instance) {
  background_brush = CreateSolidBrush(palette[TEVRA_WHITE]);
  WNDCLASSA cls = {};
  cls.style = CS_HREDRAW | CS_VREDRAW;
  cls.cbClsExtra = 0;
  cls.cbWndExtra = 0;
  cls.hInstance = instance;
  cls.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  cls.hbrBackground = background_brush;
  cls.lpszMenuName = "generic"; // no such menu resource exists, so neither class brings a menu
  cls.lpfnWndProc = draw_window_proc;
  cls.lpszClassName = "DrawWndClass";
  RegisterClassA(&cls);
  cls.lpfnWndProc = text_window_proc;
  cls.lpszClassName = "TextWndClass";
  RegisterClassA(&cls);
}

} // namespace

void present_step() {
  // After the graphics window is gone its context is gone with it: there is nothing to show.
  if (canvas_dirty && !graphics_destroyed && window_context) {
    copy_canvas_to_window();
    canvas_dirty = 0;
  }
}

void window_on_destroyed() { graphics_destroyed = true; }

void window_reset() {
  if (window_context && !graphics_destroyed && graphics_window) ReleaseDC(graphics_window, window_context);
  if (canvas) DeleteDC(canvas);
  if (canvas_bitmap) DeleteObject(canvas_bitmap);
  if (background_brush) DeleteObject(background_brush);
  graphics_window = nullptr;
  text_window = nullptr;
  canvas = nullptr;
  canvas_bitmap = nullptr;
  background_brush = nullptr;
  window_context = nullptr;
  canvas_dirty = 1;
  origin_x = 0;
  origin_y = 0;
  graphics_destroyed = false;
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

  graphics_window = CreateWindowExA(0, "DrawWndClass", "TEVRA Graphics", WS_CAPTION | WS_SYSMENU, 0, 0,
                                    kCanvasWidth, kCanvasHeight, nullptr, nullptr, instance, nullptr);
  text_window = CreateWindowExA(0, "TextWndClass", "TEVRA Text", WS_OVERLAPPEDWINDOW, 0, (2 * screen_h) / 3 + 1,
                                screen_w, screen_h / 3, nullptr, nullptr, instance, nullptr);

  window_context = GetDC(graphics_window);
  canvas_bitmap = CreateCompatibleBitmap(window_context, kCanvasWidth, kCanvasHeight);
  canvas = CreateCompatibleDC(window_context);
  SelectObject(canvas, canvas_bitmap);
#ifdef WINPORT_SHOW_BITMAP
  // Where the platform can show the canvas bitmap in the window itself, the present step's copy
  // finds the canvas already in place and moves nothing. Win32 keeps the copy.
  WinportShowBitmap(graphics_window, canvas_bitmap);
#endif

  ShowWindow(text_window, show_command);
  ShowWindow(graphics_window, show_command);

  SetTimer(graphics_window, kTimerId, kTimerPeriodMs, nullptr);
  scripted_run_open();
  return 1;
}

extern "C" int32_t tevra_close(void) {
  if (!on_library_thread(__func__)) return 0;
  // A destroyed window took its context with it; releasing it again would touch a dead window.
  if (window_context && !graphics_destroyed) ReleaseDC(graphics_window, window_context);
  window_context = nullptr;
  scripted_run_close();
  script_close_library();
  return 1;
}

extern "C" int32_t tevra_show_text_window(int32_t show) {
  if (!on_library_thread(__func__)) return 0;
  return ShowWindow(text_window, show ? SW_SHOW : SW_HIDE);
}

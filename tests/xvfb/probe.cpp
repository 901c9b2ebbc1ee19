// xvfb_probe — a small Win32 program for the real-window tests.
//
// It opens a 601 x 540 window with a caption, system menu and a "&Run" menu, fills the client
// area with one colour, and reports on standard output, a line each:
//   screen W H         the screen size the program sees (SM_CXSCREEN, SM_CYSCREEN)
//   ready              the window is shown and has painted once
//   click X Y          WM_LBUTTONDOWN at client point (X, Y)
//   keydown VK / char C   WM_KEYDOWN and WM_CHAR (decimal codes)
//   command ID         WM_COMMAND from the menu
//   destroyed          WM_DESTROY
//   ticks N max-gap G  (idle mode) timer ticks received and the longest gap between two, in ms
// With the argument "idle" it also runs a 100 ms timer, so that a test can watch the program wait.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

constexpr COLORREF kClientColour = RGB(0x33, 0x66, 0xFF);
constexpr UINT_PTR kTimer = 1;

bool painted = false;
bool idle_mode = false;
long ticks = 0;
long max_gap_ms = 0;
std::chrono::steady_clock::time_point last_tick;

void on_timer() {
  auto now = std::chrono::steady_clock::now();
  if (ticks > 0) {
    long gap = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(now - last_tick).count());
    if (gap > max_gap_ms) max_gap_ms = gap;
  }
  last_tick = now;
  ++ticks;
}

void paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  HBRUSH brush = CreateSolidBrush(kClientColour);
  FillRect(dc, &client, brush);
  DeleteObject(brush);
  EndPaint(hwnd, &ps);
  if (!painted) {
    painted = true;
    std::printf("ready\n");
  }
}

LRESULT CALLBACK window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: paint(hwnd); return 0;
    case WM_LBUTTONDOWN:
      std::printf("click %d %d\n", static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam)));
      return 0;
    case WM_KEYDOWN: std::printf("keydown %u\n", static_cast<unsigned>(wparam)); return 0;
    case WM_CHAR: std::printf("char %u\n", static_cast<unsigned>(wparam)); return 0;
    case WM_COMMAND: std::printf("command %u\n", static_cast<unsigned>(LOWORD(wparam))); return 0;
    case WM_TIMER: on_timer(); return 0;
    case WM_DESTROY:
      std::printf("destroyed\n");
      PostQuitMessage(0);
      return 0;
    default: return DefWindowProcA(hwnd, message, wparam, lparam);
  }
}

HMENU make_menu() {
  HMENU run = CreatePopupMenu();
  AppendMenuA(run, MF_STRING, 101, "&Start\tCtrl+S");
  AppendMenuA(run, MF_STRING | MF_CHECKED, 102, "&Log");
  AppendMenuA(run, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(run, MF_STRING, 103, "E&xit");
  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(run), "&Run");
  return bar;
}

}  // namespace

int main(int argc, char **argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  idle_mode = argc > 1 && std::strcmp(argv[1], "idle") == 0;

  WNDCLASSA wc{};
  wc.lpfnWndProc = window_proc;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = "winport-probe";
  if (RegisterClassA(&wc) == 0) return 2;
  HWND hwnd = CreateWindowExA(0, "winport-probe", "winport probe", WS_CAPTION | WS_SYSMENU, 0, 0, 601, 540,
                              nullptr, nullptr, nullptr, nullptr);
  if (hwnd == nullptr) return 2;
  SetMenu(hwnd, make_menu());
  std::printf("screen %d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  ShowWindow(hwnd, SW_SHOWNORMAL);
  if (idle_mode) SetTimer(hwnd, kTimer, 100, nullptr);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (idle_mode) std::printf("ticks %ld max-gap %ld\n", ticks, max_gap_ms);
  return static_cast<int>(msg.wParam);
}

// input.h — how a display hands the system's input to winport.
//
// Coordinates are in the window's composed image as presented (menu bar at y 0, client area below
// it), before any scaling by the display. winport decides whether a point hits the menu bar, an open
// popup or the client area, and posts the Win32 messages.
#pragma once

#include <windows.h>

namespace winport::input {

void mouse_button(HWND hwnd, int button /* 1 left, 2 middle, 3 right */, bool down, int x, int y);
void mouse_move(HWND hwnd, int x, int y);
// A key went down or up in the window. `vk` is the Win32 virtual-key code; `ch` is the character the
// key-down types without Ctrl (0 for none: arrows, Ctrl itself); `ctrl`, `shift`, `alt` are the
// modifier state at that moment. TranslateMessage turns a key-down with a character into WM_CHAR
// (Ctrl+letter into the control codes 1 to 26).
void key(HWND hwnd, int vk, bool down, unsigned char ch, bool ctrl, bool shift, bool alt);
void focus(HWND hwnd, bool gained);
// The close box of the window's frame.
void close(HWND hwnd);
// The screen needs the window's pixels again (exposed).
void expose(HWND hwnd);

}  // namespace winport::input

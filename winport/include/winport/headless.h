// winport/headless.h — control of the headless display, for tests and tools.
//
// On the headless display windows live in memory and time is virtual: when the program waits
// (WaitMessage, GetMessageA, or a display pump with nothing to do), the clock jumps to the next
// timer deadline or the next scheduled input. A PeekMessageA that finds nothing counts as a short
// wait: it may deliver scheduled input, and lets one virtual millisecond pass when there is none,
// unless the program has fed itself an event since its last look (winport/program_input.h).
// Tests and tools schedule input here and observe the frames that windows present. Windows are
// named by their title, looked up when the input is delivered, so input can be scheduled before
// the program creates its windows; input for a title that no window has then is dropped with a
// message on standard error.
//
// Nothing ever hangs: when no scheduled input remains and the clock has run on for the idle limit
// (60 virtual seconds unless set), the program is stopped with a message on standard error and exit
// status kStuckExitStatus (or the stuck handler runs instead, when one is set).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace winport::headless {

// Input scheduled at this time is delivered when the program next waits, whatever the clock says:
// one such item per wait, in the order scheduled, after any timed input that is due.
constexpr uint64_t kNextWait = UINT64_MAX;
constexpr int kStuckExitStatus = 124;

// Select the headless display for this process (same as WINPORT_DISPLAY=headless). Call before the
// first window is created.
void use();
// Forget everything: windows, classes, timers, menus, the queue and quit flag, scheduled input,
// frame observers; the clock goes back to 0. For tests that run several programs in one process.
void reset();

uint64_t now_ms();
// Idle time counts from the last delivered input (or from reset()).
void set_idle_limit_ms(uint64_t ms);
// Replaces exit(kStuckExitStatus). The handler should end the program's wait (throw, or post a
// quit message); if it returns, the program is given another idle period.
void set_stuck_handler(std::function<void()> handler);
void set_screen_size(int width, int height);             // default 1024 x 768

// Scheduled input. Coordinates are client coordinates of the window with that title.
void click(const std::string &title, int x, int y, uint64_t at_ms = kNextWait);
// A key pressed and released; `ch` is the character it types (0 for none), `ctrl` holds Ctrl down
// (a VK_CONTROL key-down before the key and its key-up after). The window gets the keyboard focus
// first if it has not got it, as if the user had clicked it.
void key(const std::string &title, int vk, unsigned char ch, bool ctrl = false, uint64_t at_ms = kNextWait);
void key_down(const std::string &title, int vk, unsigned char ch, bool ctrl = false, uint64_t at_ms = kNextWait);
void key_up(const std::string &title, int vk, bool ctrl = false, uint64_t at_ms = kNextWait);
// A key pressed and released while Alt is held (Alt goes down before it and up after it), as
// for a menu mnemonic.
void alt_key(const std::string &title, int vk, unsigned char ch, uint64_t at_ms = kNextWait);
// Choose the menu item with this command identifier, as if the user picked it with the mouse: its
// bar item is clicked, then the item. A grayed item refuses, and its popup stays open as it would
// for the user; an identifier the menu does not have is reported on standard error.
void menu_command(const std::string &title, UINT id, uint64_t at_ms = kNextWait);
// Click the window's close box.
void close(const std::string &title, uint64_t at_ms = kNextWait);
// Input still scheduled and not yet delivered.
size_t pending_input();

// Every presented frame of every window: the composed image (menu bar, then client area).
using FrameObserver = std::function<void(HWND hwnd, const uint32_t *pixels, int width, int height, int stride)>;
void on_frame(FrameObserver observer);

HWND find_window(const std::string &title);

}  // namespace winport::headless

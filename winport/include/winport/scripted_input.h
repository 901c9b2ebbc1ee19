// winport/scripted_input.h — input scheduled by tests and tools, for the headless display.
//
// Clicks, keys, menu commands and window closes are scheduled here by window title, looked up
// when the input is delivered, so input can be scheduled before the program creates its windows;
// input for a title that no window has then is dropped with a message on standard error. It is
// carried out through the input sink exactly as a real screen's input is. This part plugs itself
// into the headless display (winport/headless.h) as its input source when first used.
//
// Nothing ever hangs: when no scheduled input remains and the virtual clock has run on for the
// idle limit (60 virtual seconds unless set) since the last input, the program is stopped with a
// message on standard error and exit status kStuckExitStatus (or the stuck handler runs instead,
// when one is set). The clock only moves while the program does nothing (winport/headless.h), so
// a program busy with a long script is never called stuck.
#pragma once

#include <windows.h>
#include <winport/headless.h>

#include <cstdint>
#include <functional>
#include <string>

namespace winport::scripted {

// Input scheduled at this time is delivered when the program next waits, whatever the clock says:
// one such item per wait, in the order scheduled, after any timed input that is due.
constexpr uint64_t kNextWait = UINT64_MAX;
constexpr int kStuckExitStatus = headless::kStuckExitStatus;

// Forget everything for a new program in this process: USER32's windows, classes, timers, menus,
// queue and quit flag, all scheduled input, and the headless display's clock and frame observers
// (headless::reset()). The idle limit and the stuck handler stay as set.
void reset();

// Idle time counts from the last delivered input (or from reset()).
void set_idle_limit_ms(uint64_t ms);
// Replaces exit(kStuckExitStatus). The handler should end the program's wait (throw, or post a
// quit message); if it returns, the program is given another idle period.
void set_stuck_handler(std::function<void()> handler);

// Coordinates are client coordinates of the window with that title.
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

// The live top-level window with this title (the first created), or null.
HWND find_window(const std::string &title);

}  // namespace winport::scripted

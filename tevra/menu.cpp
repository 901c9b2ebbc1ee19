// menu.cpp — the "&Run" menu and the Ctrl shortcuts.
//
// Owns the Run popup and the Ctrl flag. Promises: the eight commands do the same from the menu and
// from Ctrl+letter (either case), and a Ctrl held while the focus leaves the library's windows does
// not stick.
#include "internal.h"

namespace tevra {

namespace {

MenuState &state = context().menu;

struct MenuItem {
  UINT flags;
  UINT id;
  const char *text;
};

// The popup's items in order. The last three lines are informational and cannot be chosen.
constexpr MenuItem kRunItems[] = {
    {MF_STRING, kCmdAnimate, "&Animate\tCtrl+A"},
    {MF_STRING, kCmdHalt, "&Halt animation\tCtrl+H"},
    {MF_STRING, kCmdAdvance, "Advance one &frame\tCtrl+F"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING | MF_CHECKED, kCmdLogging, "&Logging\tCtrl+L"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, kCmdRecord, "&Record Script\tCtrl+R"},
    {MF_STRING, kCmdPlayback, "&Playback Script\tCtrl+P"},
    {MF_STRING, kCmdPlayOne, "Play &One Script\tCtrl+O"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, kCmdQuit, "&Quit\tCtrl+Q"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING | MF_GRAYED, kCmdAbout, "TEVRA v2.2 July 1997"},
    {MF_STRING | MF_GRAYED, kCmdAbout, "Graphics and events for small programs"},
    {MF_STRING | MF_GRAYED, kCmdAbout, "Part of the Frostvel project"},
    {MF_STRING | MF_GRAYED, kCmdAbout, "Reports and fixes: see the README"},
};

// The shortcut letters and the commands they run.
struct Shortcut {
  char letter;
  UINT command;
};
constexpr Shortcut kShortcuts[] = {
    {'A', kCmdAnimate}, {'H', kCmdHalt},     {'F', kCmdAdvance}, {'L', kCmdLogging},
    {'R', kCmdRecord},  {'P', kCmdPlayback}, {'O', kCmdPlayOne}, {'Q', kCmdQuit},
};

void run_command(UINT id) {
  switch (id) {
  case kCmdAnimate: set_running(true); break;
  case kCmdHalt: set_running(false); break; // a requested single step still comes
  case kCmdAdvance:
    set_running(false);
    request_single_step();
    break;
  case kCmdLogging: set_logging(!logging()); break;
  case kCmdRecord:
    if (script_recording()) script_stop_recording();
    else script_start_recording();
    break;
  case kCmdPlayback:
    if (script_playing_back()) script_stop_playback();
    else script_start_playback();
    break;
  case kCmdPlayOne: script_play_one(); break;
  case kCmdQuit: PostQuitMessage(0); break; // windows and timer stay: a farewell can still animate
  default: break;
  }
}

} // namespace

void set_menu_check(UINT id, bool checked) {
  if (state.run_popup) CheckMenuItem(state.run_popup, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void menu_on_create(HWND window) {
  HMENU bar = CreateMenu();
  state.run_popup = CreatePopupMenu();
  for (const MenuItem &item : kRunItems) AppendMenuA(state.run_popup, item.flags, item.id, item.text);
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(state.run_popup), "&Run");
  SetMenu(window, bar);
  DrawMenuBar(window);
}

// The identifier is the whole parameter: a value that only looks like 1 to 8 in its low bits is not
// a command.
void menu_on_command(WPARAM id) {
  if (id >= kCmdAnimate && id <= kCmdQuit) run_command(static_cast<UINT>(id));
}

void menu_on_keydown(WPARAM vk) {
  if (vk == VK_CONTROL) {
    state.ctrl_held = true;
    return;
  }
  if (!state.ctrl_held) return;
  const WPARAM upper = (vk >= 'a' && vk <= 'z') ? vk - 'a' + 'A' : vk;
  for (const Shortcut &s : kShortcuts) {
    if (upper == static_cast<WPARAM>(s.letter)) {
      run_command(s.command);
      return;
    }
  }
}

void menu_on_keyup(WPARAM vk) {
  if (vk == VK_CONTROL) state.ctrl_held = false;
}

// The key-up of Ctrl may go to another window once the focus has left ours; forgetting the key
// then keeps letters from acting as shortcuts and characters from being dropped afterwards. Between
// the two library windows the key-up still arrives (the text window passes its keys on), so Ctrl
// stays held: the character typed next is part of a shortcut.
void menu_on_focus_lost(HWND gaining) {
  if (gaining == nullptr || (gaining != graphics_window() && gaining != text_window())) state.ctrl_held = false;
}

void menu_on_window_gone() {
  state.run_popup = nullptr; // the menu goes with the window; later check marks have nothing to mark
}

HMENU menu_run_popup() { return state.run_popup; }
bool ctrl_held() { return state.ctrl_held; }

} // namespace tevra

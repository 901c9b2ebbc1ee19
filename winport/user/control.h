// control.h — what scripted input (winport/scripted) asks of USER32 to carry out scheduled input.
//
// Scheduled input names windows by title and clicks in client coordinates; scripted input turns it
// into the same input-sink calls a real screen makes, with these few look-ups.
#pragma once

#include <windows.h>

#include <string>

namespace winport::user {

// The live top-level window with this title (the first created), or null.
HWND window_by_title(const std::string &title);
// Rows of the composed image above the client area (the menu bar).
int client_top(HWND hwnd);
// Pick the menu item with this command identifier with the mouse, through the input sink: close
// any open menu, click the bar item whose popup holds it, then click the item. Returns false (and
// clicks nothing) when the window's menu has no such item.
bool click_menu_command(HWND hwnd, UINT id);
// Forget every class, window, menu, timer and queued message, without sending anything.
void reset();

}  // namespace winport::user

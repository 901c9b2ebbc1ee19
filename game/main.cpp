// main.cpp — the program's entry point: hands the platform's start-up values to game_main and
// returns its result as the exit status.
#include "game.h"

#ifdef _WIN32
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous_instance, LPSTR command_line, int show_command) {
  return game_main(instance, previous_instance, command_line, show_command);
}
#else
int main() {
  // Without Win32 there are no instance handles; the command line is unused and the windows open
  // in their normal state (SW_SHOWNORMAL).
  char command_line[] = "";
  return game_main(nullptr, nullptr, command_line, 1);
}
#endif

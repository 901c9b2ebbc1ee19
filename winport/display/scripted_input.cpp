// scripted_input.cpp — the input that tests and tools script for the headless display.
//
// Input is scheduled by window title and delivered through the input sink, exactly as a real
// screen delivers it: at its virtual time, or (kNextWait) one item each time the program looks for
// input and finds nothing else. Windows are looked up when the input is delivered.
//
// Nothing hangs: when no scheduled input remains and the clock has run for the idle limit since the
// last input, the program is stopped with a message (or the stuck handler runs instead). Input the
// program makes itself (winport::program_input) counts as input and costs no time.
#include "display/scripted_input.h"

#include <winport/headless.h>
#include <winport/program_input.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "display/display.h"
#include "display/input.h"
#include "user/control.h"

namespace winport::display::scripted_input {
namespace {

enum class Kind { Click, Key, KeyDown, KeyUp, AltKey, MenuCommand, Close };

struct Input {
  Kind kind;
  uint64_t at;
  std::string title;
  int x = 0, y = 0, vk = 0;
  unsigned char ch = 0;
  bool ctrl = false;
  UINT id = 0;
};

struct Script {
  uint64_t last_input = 0;  // when input was last delivered (or the run began)
  uint64_t idle_limit = 60000;
  bool program_input = false;  // the program fed itself an event since the last look at the queue
  std::function<void()> stuck_handler;
  std::vector<Input> timed;     // in order of time, then of scheduling
  std::deque<Input> next_wait;  // delivered one per wait
};

// Lives for the whole process, like the headless display's windows.
Script &script() {
  static Script &s = *new Script;
  return s;
}

// The headless display's virtual clock.
uint64_t now() { return headless_display().now_ms(); }

// Whether a US keyboard needs Shift held to type ch: a key-down that a window passes on is typed
// again from its key and the keyboard state, so the state must show the Shift the user held.
bool needs_shift(unsigned char ch) {
  return (ch >= 'A' && ch <= 'Z') || (ch != 0 && std::strchr("~!@#$%^&*()_+{}|:\"<>?", ch) != nullptr);
}

void key_event(HWND hwnd, int vk, bool down, unsigned char ch, bool ctrl, bool alt = false) {
  input::key(hwnd, vk, down, down ? ch : 0, ctrl, down && needs_shift(ch), alt);
}

void deliver(const Input &in) {
  script().last_input = now();
  HWND hwnd = user::window_by_title(in.title);
  if (hwnd == nullptr) {
    std::fprintf(stderr, "winport headless: no window titled \"%s\" for scheduled input; dropped\n",
                 in.title.c_str());
    return;
  }
  switch (in.kind) {
    case Kind::Click: {
      int top = user::client_top(hwnd);
      input::mouse_button(hwnd, 1, true, in.x, in.y + top);
      input::mouse_button(hwnd, 1, false, in.x, in.y + top);
      break;
    }
    case Kind::Key:
    case Kind::KeyDown:
    case Kind::KeyUp: {
      // The keyboard is at this window from now on, as if the user had clicked it first.
      if (GetFocus() != hwnd) input::focus(hwnd, true);
      if (in.kind != Kind::KeyUp) {
        if (in.ctrl) key_event(hwnd, VK_CONTROL, true, 0, true);
        key_event(hwnd, in.vk, true, in.ch, in.ctrl);
      }
      if (in.kind != Kind::KeyDown) {
        key_event(hwnd, in.vk, false, 0, in.ctrl);
        if (in.ctrl) key_event(hwnd, VK_CONTROL, false, 0, false);
      }
      break;
    }
    case Kind::AltKey:
      if (GetFocus() != hwnd) input::focus(hwnd, true);
      key_event(hwnd, VK_MENU, true, 0, false, true);
      key_event(hwnd, in.vk, true, in.ch, false, true);
      key_event(hwnd, in.vk, false, 0, false, true);
      key_event(hwnd, VK_MENU, false, 0, false, false);
      break;
    case Kind::MenuCommand:
      if (!user::click_menu_command(hwnd, in.id))
        std::fprintf(stderr, "winport headless: \"%s\" has no menu item %u; nothing clicked\n", in.title.c_str(),
                     in.id);
      break;
    case Kind::Close: input::close(hwnd); break;
  }
}

void schedule(Input in) {
  Script &s = script();
  if (in.at == headless::kNextWait) {
    s.next_wait.push_back(std::move(in));
    return;
  }
  auto pos = std::upper_bound(s.timed.begin(), s.timed.end(), in.at,
                              [](uint64_t at, const Input &other) { return at < other.at; });
  s.timed.insert(pos, std::move(in));
}

}  // namespace

bool deliver_due() {
  Script &s = script();
  bool any = false;
  while (!s.timed.empty() && s.timed.front().at <= now()) {
    Input in = s.timed.front();
    s.timed.erase(s.timed.begin());
    deliver(in);
    any = true;
  }
  return any;
}

bool deliver_next_wait() {
  Script &s = script();
  if (s.next_wait.empty()) return false;
  Input in = s.next_wait.front();
  s.next_wait.pop_front();
  deliver(in);
  return true;
}

uint64_t next_due() { return script().timed.empty() ? UINT64_MAX : script().timed.front().at; }

uint64_t stuck_at() { return script().last_input + script().idle_limit; }

bool take_program_input() {
  const bool fed = script().program_input;
  script().program_input = false;
  return fed;
}

void stuck() {
  Script &s = script();
  s.last_input = now();  // a handler that returns gets another full idle period
  if (s.stuck_handler) {
    s.stuck_handler();
    return;
  }
  std::fprintf(stderr,
               "winport headless: the program is waiting for input that will never come "
               "(no scheduled input left, idle for %llu virtual ms); stopping\n",
               static_cast<unsigned long long>(s.idle_limit));
  std::fflush(stderr);
  std::exit(headless::kStuckExitStatus);
}

void reset() {
  user::reset();  // destroys the native windows through the display
  Script &s = script();
  s.last_input = 0;
  s.program_input = false;
  s.timed.clear();
  s.next_wait.clear();
}

}  // namespace winport::display::scripted_input

namespace winport {

void program_input() {
  if (&display::current() != &display::headless_display()) return;
  display::scripted_input::Script &s = display::scripted_input::script();
  s.last_input = display::scripted_input::now();
  s.program_input = true;
}

}  // namespace winport

namespace winport::headless {

using display::scripted_input::Input;
using display::scripted_input::Kind;
using display::scripted_input::schedule;
using display::scripted_input::script;

void set_idle_limit_ms(uint64_t ms) { script().idle_limit = ms; }
void set_stuck_handler(std::function<void()> handler) { script().stuck_handler = std::move(handler); }

void click(const std::string &title, int x, int y, uint64_t at_ms) { schedule(Input{Kind::Click, at_ms, title, x, y}); }
void key(const std::string &title, int vk, unsigned char ch, bool ctrl, uint64_t at_ms) {
  schedule(Input{Kind::Key, at_ms, title, 0, 0, vk, ch, ctrl});
}
void key_down(const std::string &title, int vk, unsigned char ch, bool ctrl, uint64_t at_ms) {
  schedule(Input{Kind::KeyDown, at_ms, title, 0, 0, vk, ch, ctrl});
}
void key_up(const std::string &title, int vk, bool ctrl, uint64_t at_ms) {
  schedule(Input{Kind::KeyUp, at_ms, title, 0, 0, vk, 0, ctrl});
}
void alt_key(const std::string &title, int vk, unsigned char ch, uint64_t at_ms) {
  schedule(Input{Kind::AltKey, at_ms, title, 0, 0, vk, ch});
}
void menu_command(const std::string &title, UINT id, uint64_t at_ms) {
  schedule(Input{Kind::MenuCommand, at_ms, title, 0, 0, 0, 0, false, id});
}
void close(const std::string &title, uint64_t at_ms) { schedule(Input{Kind::Close, at_ms, title}); }

size_t pending_input() { return script().timed.size() + script().next_wait.size(); }

HWND find_window(const std::string &title) { return user::window_by_title(title); }

}  // namespace winport::headless

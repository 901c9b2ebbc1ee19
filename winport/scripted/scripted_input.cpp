// scripted_input.cpp — the input that tests and tools script, as the headless display's input source.
//
// Input is scheduled by window title and delivered through the input sink, exactly as a real
// screen delivers it: at its virtual time, or (kNextWait) one item each time the program looks for
// input and finds nothing else. Windows are looked up when the input is delivered, through the few
// look-ups into USER32 that naming windows by title needs (user/control.h).
//
// Nothing hangs: when no scheduled input remains and the clock has run for the idle limit since the
// last input, the program is stopped with a message (or the stuck handler runs instead). The
// display tells the time; this part keeps no clock of its own.
#include <winport/scripted_input.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "display/input.h"
#include "keyboard/keys.h"
#include "user/control.h"

namespace winport::scripted {
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
  std::function<void()> stuck_handler;
  std::vector<Input> timed;     // in order of time, then of scheduling
  std::deque<Input> next_wait;  // delivered one per wait
};

// Lives for the whole process, like the headless display's windows.
Script &script() {
  static Script &s = *new Script;
  return s;
}

// Shift is held for a character only Shift types: a key-down that a window passes on is typed
// again from its key and the keyboard state, so the state must show the Shift the user held.
void key_event(HWND hwnd, int vk, bool down, unsigned char ch, bool ctrl, bool alt = false) {
  input::key(hwnd, vk, down, down ? ch : 0, ctrl, down && keyboard::needs_shift(ch), alt);
}

void deliver(const Input &in, uint64_t now) {
  script().last_input = now;
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

// Delivers all timed input due at `now`; true when something was delivered.
bool deliver_due(uint64_t now) {
  Script &s = script();
  bool any = false;
  while (!s.timed.empty() && s.timed.front().at <= now) {
    Input in = s.timed.front();
    s.timed.erase(s.timed.begin());
    deliver(in, now);
    any = true;
  }
  return any;
}

// ---- the headless display's input source ----------------------------------------------------

// The next timed input; with none left, when a program still waiting has waited the idle limit.
uint64_t next_due() {
  const Script &s = script();
  if (!s.timed.empty()) return s.timed.front().at;
  return s.last_input + std::min(s.idle_limit, UINT64_MAX - s.last_input);
}

bool deliver_input(uint64_t now, bool waiting) {
  Script &s = script();
  if (deliver_due(now)) return true;
  if (!waiting || s.next_wait.empty()) return false;
  Input in = s.next_wait.front();
  s.next_wait.pop_front();
  deliver(in, now);
  return true;
}

// The program waits with nothing due: with no input left, it is stuck. The stuck handler runs
// (and the program is given another idle period), or without one the process ends.
void idle(uint64_t now) {
  Script &s = script();
  if (!s.timed.empty()) return;
  s.last_input = now;  // a handler that returns gets another full idle period
  if (s.stuck_handler) {
    s.stuck_handler();
    return;
  }
  std::fprintf(stderr,
               "winport headless: the program is waiting for input that will never come "
               "(no scheduled input left, idle for %llu virtual ms); stopping\n",
               static_cast<unsigned long long>(s.idle_limit));
  std::fflush(stderr);
  std::exit(kStuckExitStatus);
}

// Plugs this part into the headless display, once, before anything is scheduled or waited for.
Script &attached() {
  static const headless::InputSource source{next_due, deliver_input, idle};
  static const bool once = (headless::set_input_source(&source), true);
  (void)once;
  return script();
}

void schedule(Input in) {
  Script &s = attached();
  if (in.at == kNextWait) {
    s.next_wait.push_back(std::move(in));
    return;
  }
  auto pos = std::upper_bound(s.timed.begin(), s.timed.end(), in.at,
                              [](uint64_t at, const Input &other) { return at < other.at; });
  s.timed.insert(pos, std::move(in));
}

}  // namespace

void reset() {
  user::reset();  // destroys the native windows through the display
  Script &s = attached();
  s.last_input = 0;
  s.timed.clear();
  s.next_wait.clear();
  headless::reset();
}

void set_idle_limit_ms(uint64_t ms) { attached().idle_limit = ms; }
void set_stuck_handler(std::function<void()> handler) { attached().stuck_handler = std::move(handler); }

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

}  // namespace winport::scripted

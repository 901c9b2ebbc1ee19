// headless.cpp — the headless display: windows in memory, virtual time, scheduled input.
//
// Nothing is shown. The clock is virtual and starts at 0; it moves only when the program waits:
// a waiting pump jumps it to the next timer deadline or the next scheduled input, and a pump that
// must not wait (the program polls) lets one virtual millisecond pass when it has nothing to
// deliver. Every run is therefore identical, and a long game runs in milliseconds.
//
// Input is scheduled by window title and delivered through the input sink, exactly as a real
// screen delivers it: at its virtual time, or (kNextWait) one item each time the program looks for
// input and finds nothing else. Every presented frame goes to the frame observers, and to PNG files
// when WINPORT_FRAMES names a directory.
//
// Nothing hangs: when no scheduled input remains and the clock has run for the idle limit since the
// last input, the program is stopped with a message (or the stuck handler runs instead). Input the
// program makes itself (winport::program_input) counts as input and costs no time.
#include <winport/headless.h>
#include <winport/program_input.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "display/display.h"
#include "display/input.h"
#include "gdi/png.h"
#include "user/control.h"

namespace winport::display {
namespace {

struct HeadlessWindow {
  HWND hwnd;
  std::string title;
  bool visible = false;
  int frames = 0;  // presented so far, numbering the saved PNG files
};

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

struct Headless {
  uint64_t clock = 0;
  uint64_t last_input = 0;  // when input was last delivered (or the run began)
  uint64_t idle_limit = 60000;
  bool program_input = false;  // the program fed itself an event since the last look at the queue
  std::function<void()> stuck_handler;
  int screen_width = 1024, screen_height = 768;
  std::vector<Input> timed;      // in order of time, then of scheduling
  std::deque<Input> next_wait;   // delivered one per wait
  std::vector<headless::FrameObserver> observers;
  std::vector<HeadlessWindow *> windows;
  std::vector<uint32_t> composed;  // a frame made one image, for those who look at it
};

// Lives for the whole process, like the windows it keeps: a program that ends without closing its
// windows (as TEVRA programs do) leaves them to the end of the process, not to a leak report.
Headless &hl() {
  static Headless &h = *new Headless;
  return h;
}

NativeWindow *as_native(HeadlessWindow *w) { return reinterpret_cast<NativeWindow *>(w); }
HeadlessWindow *as_headless(NativeWindow *w) { return reinterpret_cast<HeadlessWindow *>(w); }

void screen_size(int *width, int *height) {
  *width = hl().screen_width;
  *height = hl().screen_height;
}

NativeWindow *create(HWND hwnd, const char *title, int, int, int, int) {
  auto *w = new HeadlessWindow{hwnd, title != nullptr ? title : ""};
  hl().windows.push_back(w);
  return as_native(w);
}

void destroy(NativeWindow *window) {
  HeadlessWindow *w = as_headless(window);
  auto &list = hl().windows;
  list.erase(std::remove(list.begin(), list.end(), w), list.end());
  delete w;
}

void show(NativeWindow *window, bool visible) { as_headless(window)->visible = visible; }

void set_title(NativeWindow *window, const char *title) { as_headless(window)->title = title != nullptr ? title : ""; }

// WINPORT_FRAMES=DIR: every presented frame is saved as DIR/<title>-<number>.png, numbered from 1
// per window, with characters other than letters and digits in the title replaced by '_'. Null
// when frames are not saved (or saving there failed before).
std::string failed_frames_dir;  // reported once, then skipped

const char *frames_dir() {
  const char *dir = std::getenv("WINPORT_FRAMES");
  if (dir == nullptr || *dir == '\0' || failed_frames_dir == dir) return nullptr;
  return dir;
}

void save_frame(const char *dir, const HeadlessWindow &w, const uint32_t *pixels, int width, int height, int stride) {
  std::string name;
  for (char c : w.title) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  char number[16];
  std::snprintf(number, sizeof number, "-%06d.png", w.frames);
  std::string path = std::string(dir) + "/" + name + number;
  if (!write_png(path, pixels, width, height, stride)) {
    std::fprintf(stderr, "winport headless: cannot write %s; no more frames are saved there\n", path.c_str());
    failed_frames_dir = dir;
  }
}

// A frame is only composed into one image when someone looks at it: saved or observed.
void present(NativeWindow *window, const Frame &frame) {
  HeadlessWindow *w = as_headless(window);
  ++w->frames;
  const char *dir = frames_dir();
  if (dir == nullptr && hl().observers.empty()) return;
  const uint32_t *pixels = frame.client;
  int stride = frame.client_stride;
  if (frame.bar_height > 0) {
    std::vector<uint32_t> &image = hl().composed;
    image.resize(static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height()));
    for (int y = 0; y < frame.height(); ++y)
      std::copy_n(frame.row(y), frame.width, image.data() + static_cast<size_t>(y) * static_cast<size_t>(frame.width));
    pixels = image.data();
    stride = frame.width;
  }
  if (dir != nullptr) save_frame(dir, *w, pixels, frame.width, frame.height(), stride);
  // Observers may schedule input or add observers; iterate over a copy.
  auto observers = hl().observers;
  for (auto &observer : observers) observer(w->hwnd, pixels, frame.width, frame.height(), stride);
}

uint64_t now_ms() { return hl().clock; }

// Whether a US keyboard needs Shift held to type ch: a key-down that a window passes on is typed
// again from its key and the keyboard state, so the state must show the Shift the user held.
bool needs_shift(unsigned char ch) {
  return (ch >= 'A' && ch <= 'Z') || (ch != 0 && std::strchr("~!@#$%^&*()_+{}|:\"<>?", ch) != nullptr);
}

void key_event(HWND hwnd, int vk, bool down, unsigned char ch, bool ctrl, bool alt = false) {
  input::key(hwnd, vk, down, down ? ch : 0, ctrl, down && needs_shift(ch), alt);
}

void deliver(const Input &in) {
  Headless &h = hl();
  h.last_input = h.clock;
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

// Deliver timed input that is due; true when something was delivered.
bool deliver_due() {
  Headless &h = hl();
  bool any = false;
  while (!h.timed.empty() && h.timed.front().at <= h.clock) {
    Input in = h.timed.front();
    h.timed.erase(h.timed.begin());
    deliver(in);
    any = true;
  }
  return any;
}

bool deliver_next_wait() {
  Headless &h = hl();
  if (h.next_wait.empty()) return false;
  Input in = h.next_wait.front();
  h.next_wait.pop_front();
  deliver(in);
  return true;
}

void stuck() {
  Headless &h = hl();
  h.last_input = h.clock;  // a handler that returns gets another full idle period
  if (h.stuck_handler) {
    h.stuck_handler();
    return;
  }
  std::fprintf(stderr,
               "winport headless: the program is waiting for input that will never come "
               "(no scheduled input left, idle for %llu virtual ms); stopping\n",
               static_cast<unsigned long long>(h.idle_limit));
  std::fflush(stderr);
  std::exit(headless::kStuckExitStatus);
}

void pump(bool wait, uint64_t deadline_ms) {
  Headless &h = hl();
  if (deliver_due() || deliver_next_wait()) return;
  bool input_left = !h.timed.empty();
  uint64_t stop = h.last_input + h.idle_limit;  // when an idle program is declared stuck
  if (!wait) {
    // A poll that finds nothing: time moves on a little, as it would for a real program, unless the
    // program has been busy with an event of its own since its last look.
    const bool busy = h.program_input;
    h.program_input = false;
    if (h.clock < deadline_ms && !busy) ++h.clock;
    if (!input_left && h.clock >= stop) stuck();
    deliver_due();
    return;
  }
  uint64_t next = deadline_ms;
  if (input_left) next = std::min(next, h.timed.front().at);
  if (!input_left && next >= stop) {
    h.clock = std::max(h.clock, stop);
    stuck();
    return;
  }
  h.clock = std::max(h.clock, next);
  deliver_due();
}

void schedule(Input in) {
  Headless &h = hl();
  if (in.at == headless::kNextWait) {
    h.next_wait.push_back(std::move(in));
    return;
  }
  auto pos = std::upper_bound(h.timed.begin(), h.timed.end(), in.at,
                              [](uint64_t at, const Input &other) { return at < other.at; });
  h.timed.insert(pos, std::move(in));
}

}  // namespace

const Display &headless_display() {
  static const Display display{"headless", screen_size, create, destroy, show, set_title, present, now_ms, pump};
  return display;
}

}  // namespace winport::display

namespace winport {

void program_input() {
  if (&display::current() != &display::headless_display()) return;
  display::Headless &h = display::hl();
  h.last_input = h.clock;
  h.program_input = true;
}

}  // namespace winport

namespace winport::headless {

using display::Input;
using display::Kind;

void use() { display::select(display::headless_display()); }

void reset() {
  user::reset();  // destroys the native windows through the display
  auto &h = display::hl();
  h.clock = 0;
  h.last_input = 0;
  h.program_input = false;
  h.timed.clear();
  h.next_wait.clear();
  h.observers.clear();
}

uint64_t now_ms() { return display::hl().clock; }
void set_idle_limit_ms(uint64_t ms) { display::hl().idle_limit = ms; }
void set_stuck_handler(std::function<void()> handler) { display::hl().stuck_handler = std::move(handler); }
void set_screen_size(int width, int height) {
  display::hl().screen_width = width;
  display::hl().screen_height = height;
}

void click(const std::string &title, int x, int y, uint64_t at_ms) {
  display::schedule(Input{Kind::Click, at_ms, title, x, y});
}
void key(const std::string &title, int vk, unsigned char ch, bool ctrl, uint64_t at_ms) {
  display::schedule(Input{Kind::Key, at_ms, title, 0, 0, vk, ch, ctrl});
}
void key_down(const std::string &title, int vk, unsigned char ch, bool ctrl, uint64_t at_ms) {
  display::schedule(Input{Kind::KeyDown, at_ms, title, 0, 0, vk, ch, ctrl});
}
void key_up(const std::string &title, int vk, bool ctrl, uint64_t at_ms) {
  display::schedule(Input{Kind::KeyUp, at_ms, title, 0, 0, vk, 0, ctrl});
}
void alt_key(const std::string &title, int vk, unsigned char ch, uint64_t at_ms) {
  display::schedule(Input{Kind::AltKey, at_ms, title, 0, 0, vk, ch});
}
void menu_command(const std::string &title, UINT id, uint64_t at_ms) {
  display::schedule(Input{Kind::MenuCommand, at_ms, title, 0, 0, 0, 0, false, id});
}
void close(const std::string &title, uint64_t at_ms) { display::schedule(Input{Kind::Close, at_ms, title}); }

size_t pending_input() { return display::hl().timed.size() + display::hl().next_wait.size(); }

void on_frame(FrameObserver observer) { display::hl().observers.push_back(std::move(observer)); }

HWND find_window(const std::string &title) { return user::window_by_title(title); }

}  // namespace winport::headless

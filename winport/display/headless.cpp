// headless.cpp — the headless display: windows in memory, a virtual clock, frames to observers.
//
// Nothing is shown. The clock is virtual and starts at 0; it moves only while the program does
// nothing: a waiting pump jumps it to the next timer deadline or the input source's next turn, and
// a pump that must not wait (the program polls) lets one virtual millisecond pass when the program
// has presented nothing since its previous poll. Every run is therefore identical, and a long game
// runs in milliseconds.
//
// Every presented frame goes to the frame observers, and to PNG files when WINPORT_FRAMES names a
// directory. Input comes from the input source plugged in (headless.h); this file knows nothing of
// where it comes from.
#include <winport/headless.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "display/display.h"
#include "frame_image.h"

namespace winport::display {
namespace {

struct HeadlessWindow {
  HWND hwnd;
  std::string title;
  bool visible = false;
  int frames = 0;  // presented so far, numbering the saved PNG files
};

struct Headless {
  uint64_t clock = 0;
  int screen_width = 1024, screen_height = 768;
  std::vector<headless::FrameObserver> observers;
  std::vector<HeadlessWindow *> windows;
  std::vector<uint32_t> composed;  // a frame made one image, for those who look at it
  bool presented = false;          // a frame was presented since the previous pump
  const headless::InputSource *source = nullptr;
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
  std::string reason;
  if (!img::write_png(path, pixels, width, height, stride, &reason)) {
    std::fprintf(stderr, "winport headless: cannot write %s (%s); no more frames are saved there\n", path.c_str(),
                 reason.c_str());
    failed_frames_dir = dir;
  }
}

// A frame is only composed into one image when someone looks at it: saved or observed.
void present(NativeWindow *window, const Frame &frame) {
  HeadlessWindow *w = as_headless(window);
  ++w->frames;
  hl().presented = true;
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

// Without an input source nothing will ever come: a program still waiting after this much virtual
// time (all of it idle, since the clock moves only then) can only hang.
constexpr uint64_t kUnattendedLimitMs = 60000;

uint64_t nothing_due() { return kUnattendedLimitMs; }
bool deliver_nothing(uint64_t, bool) { return false; }
void stop_unattended(uint64_t) {
  std::fprintf(stderr,
               "winport headless: the program is waiting for input that will never come "
               "(no input source, idle for %llu virtual ms); stopping\n",
               static_cast<unsigned long long>(kUnattendedLimitMs));
  std::fflush(stderr);
  std::exit(headless::kStuckExitStatus);
}

const headless::InputSource &source() {
  static const headless::InputSource none{nothing_due, deliver_nothing, stop_unattended};
  return hl().source != nullptr ? *hl().source : none;
}

void pump(bool wait, uint64_t deadline_ms) {
  Headless &h = hl();
  const bool busy = h.presented;  // the program has shown something since it last looked
  h.presented = false;
  const headless::InputSource &in = source();
  if (in.deliver(h.clock, true)) return;
  if (wait) {
    h.clock = std::max(h.clock, std::min(deadline_ms, in.next_due()));
  } else {
    // A poll that finds nothing: time moves on a little, as it would for a real program, unless the
    // program has shown something since its last look. Then it is busy, not waiting: a program
    // that shows every event it takes (a script played back) takes them all in no time at all.
    if (h.clock < deadline_ms && !busy) ++h.clock;
  }
  if (!in.deliver(h.clock, false) && h.clock >= in.next_due()) in.idle(h.clock);
}

}  // namespace

const Display &headless_display() {
  static const Display display{"headless", screen_size, create, destroy, show, set_title, present, now_ms, pump};
  return display;
}

}  // namespace winport::display

namespace winport::headless {

void use() { display::select(display::headless_display()); }

void reset() {
  auto &h = display::hl();
  h.clock = 0;
  h.presented = false;
  h.observers.clear();
}

uint64_t now_ms() { return display::hl().clock; }
void set_screen_size(int width, int height) {
  display::hl().screen_width = width;
  display::hl().screen_height = height;
}

void on_frame(FrameObserver observer) { display::hl().observers.push_back(std::move(observer)); }

void set_input_source(const InputSource *source) { display::hl().source = source; }

}  // namespace winport::headless

// headless.cpp — the headless display: windows in memory, a virtual clock, frames to observers.
//
// Nothing is shown. The clock is virtual and starts at 0; it moves only when the program waits:
// a waiting pump jumps it to the next timer deadline or the next scheduled input, and a pump that
// must not wait (the program polls) lets one virtual millisecond pass when it has nothing to
// deliver. Every run is therefore identical, and a long game runs in milliseconds.
//
// Every presented frame goes to the frame observers, and to PNG files when WINPORT_FRAMES names a
// directory. The input that tests and tools script is scripted_input.cpp's: the pump asks it what
// is due, and when a program waits with no input left, it is told the program is stuck.
#include <winport/headless.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "display/display.h"
#include "display/scripted_input.h"
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

void pump(bool wait, uint64_t deadline_ms) {
  Headless &h = hl();
  if (scripted_input::deliver_due() || scripted_input::deliver_next_wait()) return;
  const uint64_t next_input = scripted_input::next_due();
  const bool input_left = next_input != UINT64_MAX;
  const uint64_t stop = scripted_input::stuck_at();  // when an idle program is declared stuck
  if (!wait) {
    // A poll that finds nothing: time moves on a little, as it would for a real program, unless the
    // program has been busy with an event of its own since its last look.
    const bool busy = scripted_input::take_program_input();
    if (h.clock < deadline_ms && !busy) ++h.clock;
    if (!input_left && h.clock >= stop) scripted_input::stuck();
    scripted_input::deliver_due();
    return;
  }
  const uint64_t next = std::min(deadline_ms, next_input);
  if (!input_left && next >= stop) {
    h.clock = std::max(h.clock, stop);
    scripted_input::stuck();
    return;
  }
  h.clock = std::max(h.clock, next);
  scripted_input::deliver_due();
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
  display::scripted_input::reset();  // first: USER32's windows go, destroying the native ones here
  auto &h = display::hl();
  h.clock = 0;
  h.observers.clear();
}

uint64_t now_ms() { return display::hl().clock; }
void set_screen_size(int width, int height) {
  display::hl().screen_width = width;
  display::hl().screen_height = height;
}

void on_frame(FrameObserver observer) { display::hl().observers.push_back(std::move(observer)); }

}  // namespace winport::headless

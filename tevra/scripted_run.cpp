// scripted_run.cpp — the scripted-run engine (scripted_run.h): a script played from the program's
// start, and the run filmed.
//
// Owns the run in progress: what it was asked to do (by set_scripted_run, or by TEVRA_SCRIPT and
// TEVRA_FRAMES), the frame counter, the text boxes on the canvas, the text-boxes file and the
// report. Promises:
// - the script plays from the first wait and never waits for the timer, so the run is the same on
//   every platform and every machine;
// - frame N is taken at the start of the wait after event N, the last one by tevra_close; frames are
//   whole PNG files, and a run leaves no frame of an earlier run beside its own;
// - DIR/text-boxes.txt gives, per frame, the canvas rectangles that text drawn by the program may
//   cover: each line's extent as the platform's font measures it, widened to its ink, dropped again
//   once a filled rectangle paints over all of it. Fonts differ between platforms; everything
//   outside these boxes does not. It holds whole lines only;
// - a value or a folder that cannot be used, and the first write that fails, are said once on
//   standard error, and the program runs on (without frames from then on);
// - with a draw log (TEVRA_LOG), each frame is written to it as two hashes, the whole canvas and the
//   canvas outside its text, bounded without the font (scripted_run_on_text_call) so that the second
//   is the same on every platform.
#include "internal.h"
#include "scripted_run.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "frame_image.h"

namespace fs = std::filesystem;

namespace tevra {

namespace {

RunState &run = context().run;

// The environment variable's value, or null when it is unset or empty.
const char *setting(const char *name) {
  const char *value = std::getenv(name);
  return value && *value ? value : nullptr;
}

ScriptedRun from_environment() {
  ScriptedRun asked;
  if (const char *value = setting("TEVRA_SCRIPT")) asked.script = value;
  if (const char *value = setting("TEVRA_FRAMES")) asked.frames_dir = value;
  if (const char *value = setting("TEVRA_LOG")) asked.log = value;
  return asked;
}

void start_script(const std::string &value) {
  std::error_code ec;
  const fs::path path = fs::absolute(value, ec);
  FILE *file = ec || !fs::is_regular_file(path, ec) ? nullptr : std::fopen(path.string().c_str(), "rb");
  if (!file) {
    std::fprintf(stderr, "tevra: TEVRA_SCRIPT=%s is not a readable file; no script is played\n", value.c_str());
    return;
  }
  std::fclose(file);
  run.script_path = path.string();
  run.playing = true;
  const std::string &name = run.asked.script_name.empty() ? run.asked.script : run.asked.script_name;
  script_start_playback_of(run.script_path.c_str(), name.c_str());
}

// Frames of an earlier run into the same folder would look like this run's: they go first.
void remove_earlier_frames(const fs::path &dir) {
  std::error_code ec;
  for (const auto &entry : fs::directory_iterator(dir, ec)) {
    const std::string name = entry.path().filename().string();
    const size_t digits = name.size() >= 14 ? name.size() - 10 : 0; // "frame-" N ".png"
    if (name.rfind("frame-", 0) != 0 || digits < 6 || name.compare(name.size() - 4, 4, ".png") != 0) continue;
    if (!std::all_of(name.begin() + 6, name.end() - 4, [](char c) { return c >= '0' && c <= '9'; })) continue;
    if (entry.is_regular_file(ec)) fs::remove(entry.path(), ec);
  }
}

void start_frames(const std::string &value) {
  std::error_code ec;
  const fs::path dir = fs::absolute(value, ec);
  if (!ec) fs::create_directories(dir, ec);
  if (ec || !fs::is_directory(dir, ec)) {
    std::fprintf(stderr, "tevra: TEVRA_FRAMES=%s is not a directory that can be made; no frames are written\n",
                 value.c_str());
    return;
  }
  OpenFailure why;
  run.boxes_fd = open_regular_for_writing((dir / "text-boxes.txt").string().c_str(), &why);
  if (run.boxes_fd < 0) {
    std::fprintf(stderr, "tevra: TEVRA_FRAMES=%s cannot be written to; no frames are written\n", value.c_str());
    return;
  }
  remove_earlier_frames(dir);
  run.dir = dir.string();
}

// The first failure is said; from then on no frame is written, and each counts as unwritten.
void stop_frames(const std::string &what) {
  run.report.write_error = "cannot write " + what;
  std::fprintf(stderr, "tevra: %s; no more frames are written\n", run.report.write_error.c_str());
  run.dir.clear();
}

// One line of text boxes for the frame `name`, all or nothing.
bool write_boxes_line(const std::string &name) {
  std::string line = name;
  char box[64];
  for (const TextBox &b : run.text_boxes) {
    std::snprintf(box, sizeof box, " %d,%d,%d,%d", b.left, b.top, b.right, b.bottom);
    line += box;
  }
  line += '\n';
  // Handed to the system at once: complete up to this frame, however the program ends.
  if (write_all(run.boxes_fd, line.data(), line.size())) {
    run.boxes_bytes += static_cast<long long>(line.size());
    return true;
  }
  truncate_to(run.boxes_fd, run.boxes_bytes);
  return false;
}

void write_frame(long number, const Frame &frame) {
  const std::string name = frame_name(number);
  const std::string path = (fs::path(run.dir) / name).string();
  std::string error;
  if (!img::write_png(path, frame.pixels.data(), frame.width, frame.height, frame.width, &error)) {
    stop_frames(path + ": " + error);
  } else if (!write_boxes_line(name.substr(0, name.size() - 4))) { // named without ".png"
    stop_frames((fs::path(run.dir) / "text-boxes.txt").string());
  }
  if (run.dir.empty()) ++run.report.frames_unwritten;
}

void log_frame(long number, const Frame &frame) {
  std::vector<img::Box> boxes;
  boxes.reserve(run.log_boxes.size());
  for (const TextBox &b : run.log_boxes) boxes.push_back({b.left, b.top, b.right, b.bottom});
  const uint32_t *pixels = frame.pixels.data();
  const img::FrameHashes hashes =
      img::frame_hashes(pixels, frame.width, frame.height, frame.width, boxes.data(), boxes.size());
  draw_log_frame(number, hashes.whole, hashes.outside_boxes);
}

void take_frame() {
  const long number = run.report.frames++;
  const bool handed = run.asked.frame && (!run.asked.wants || run.asked.wants(number));
  const bool logged = log_on();
  if (run.dir.empty() && !handed) {
    if (!run.report.write_error.empty()) ++run.report.frames_unwritten;
    if (!logged) return;
  }
  Frame &frame = run.frame;
  frame.width = kCanvasWidth;
  frame.height = kCanvasHeight;
  if (!read_canvas(frame.pixels, handed || !run.dir.empty())) frame.pixels.assign(static_cast<size_t>(kCanvasWidth) * kCanvasHeight, 0);
  if (logged) log_frame(number, frame);
  if (!run.dir.empty()) write_frame(number, frame);
  if (handed) run.asked.frame(number, frame);
}

// Widens `box` to every pixel of the w x h bitmap in `dc` that is not `background`; the bitmap's
// (margin, margin) is canvas (x, y).
void widen_to_ink(HDC dc, int w, int h, uint32_t background, int x, int y, int margin, TextBox &box) {
  std::vector<uint32_t> pixels;
  if (!read_pixels(dc, w, h, pixels)) return;
  for (int row = 0; row < h; ++row) {
    for (int col = 0; col < w; ++col) {
      if (pixels[static_cast<size_t>(row) * w + col] == background) continue;
      box.left = std::min(box.left, x + col - margin);
      box.right = std::max(box.right, x + col - margin + 1);
      box.top = std::min(box.top, y + row - margin);
      box.bottom = std::max(box.bottom, y + row - margin + 1);
    }
  }
}

// Where a line of text drawn at canvas (x, y) paints: its advance box, widened to its ink, since a
// glyph may reach past its advance (a slanted stroke, a tight side bearing). The ink is found by
// drawing the line once more on a scratch bitmap with a margin of a whole cell, so that nothing of
// it is cut (the canvas's own edge cuts nothing either: a box may reach past it). It is drawn twice,
// black on white and white on black: a platform that blends text with gamma leaves the faintest
// edge pixels unchanged on one of the two, yet they change a canvas of the other kind.
TextBox text_box(HFONT font, int x, int y, const char *text, int length, SIZE extent) {
  TextBox box = {x, y, x + extent.cx, y + extent.cy};
  const int margin = extent.cy;
  const int w = extent.cx + 2 * margin;
  const int h = extent.cy + 2 * margin;
  HDC dc = CreateCompatibleDC(canvas());
  HBITMAP bitmap = CreateCompatibleBitmap(canvas(), w, h);
  HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
  HGDIOBJ old_font = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  const RECT all = {0, 0, w, h};
  const int backgrounds[] = {WHITE_BRUSH, BLACK_BRUSH};
  for (const int background : backgrounds) {
    const bool white = background == WHITE_BRUSH;
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(background)));
    SetTextColor(dc, white ? RGB(0, 0, 0) : RGB(255, 255, 255));
    TextOutA(dc, margin, margin, text, length);
    widen_to_ink(dc, w, h, white ? 0xFFFFFFu : 0u, x, y, margin, box);
  }
  SelectObject(dc, old_font);
  SelectObject(dc, old_bitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return box;
}

void close_boxes_file() {
  if (run.boxes_fd >= 0) close_fd(run.boxes_fd);
  run.boxes_fd = -1;
  run.boxes_bytes = 0;
}

} // namespace

void set_scripted_run(ScriptedRun asked) {
  context().next_run = std::move(asked);
  context().next_run_set = true;
}

const RunReport &scripted_run_report() { return run.report; }

std::string frame_name(long number) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%06ld.png", number);
  return name;
}

void scripted_run_open() {
  close_boxes_file();
  draw_log_release();
  Context &c = context();
  ScriptedRun asked = c.next_run_set ? std::move(c.next_run) : from_environment();
  c.next_run_set = false;
  run = RunState{};
  run.asked = std::move(asked);
  if (!run.asked.script.empty()) start_script(run.asked.script);
  if (!run.asked.frames_dir.empty()) start_frames(run.asked.frames_dir);
  if (!run.asked.log.empty()) draw_log_open(run.asked.log);
}

void scripted_run_on_wait() {
  if (run.stopped) return;
  if (run.first_wait && run.asked.logging) set_logging(true);
  run.first_wait = false;
  take_frame();
  if (run.asked.wait) run.asked.wait(run.report.frames - 1);
}

void scripted_run_on_console_line(const char *line) {
  if (run.stopped) return;
  if (log_on()) draw_log_console(line);
  if (run.asked.console) run.asked.console(line);
}

void scripted_run_on_playback_end(const PlaybackReport &report) {
  if (!run.playing) return;
  run.playing = false;
  run.report.playback = report;
  if (!run.asked.end_with_script || !graphics_window_live()) return;
  run.stopped = true;
  run.report.ended_by_script = true;
  SendMessageA(graphics_window(), WM_CLOSE, 0, 0); // as the close box does: the program ends
}

void scripted_run_close() {
  if (!run.stopped) take_frame();
  draw_log_close(run.report.frames);
  close_boxes_file();
  run.dir.clear();
  run.stopped = true; // nothing after tevra_close belongs to the run
  run.playing = false;
}

void scripted_run_on_text(HFONT font, int x, int y, const char *text, int length) {
  if (run.dir.empty()) return;
  SIZE extent = {0, 0};
  GetTextExtentPointA(canvas(), text, length, &extent);
  if (extent.cx > 0 && extent.cy > 0) run.text_boxes.push_back(text_box(font, x, y, text, length, extent));
}

// The draw log's frames must hash alike on every platform outside the text, but the measured boxes
// follow each platform's font. So the log leaves out bounds that depend only on the text, its size
// and its place: a cell of up to 1.5 ptsize per line, an advance of up to 1.25 ptsize per
// character, and half a ptsize around all of it (a size of 0 asks for the platform's default
// font: bounds of 32). Every font a platform picks for a size stays inside them.
void scripted_run_on_text_call(int64_t x, int64_t y, int32_t ptsize, const char *text) {
  if (run.log_fd < 0) return;
  const int64_t size = ptsize == 0 ? 32 : std::max(ptsize, 8);
  int64_t lines = 1, longest = 0, current = 0;
  for (const char *p = text; *p; ++p) {
    current = *p == '\n' ? 0 : current + 1;
    lines += *p == '\n';
    longest = std::max(longest, current);
  }
  if (longest == 0) return; // nothing is drawn
  const auto clamp = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
  const int64_t cell = size * 3 / 2;
  const TextBox box{clamp(x - size / 2), clamp(y - cell - size / 2), clamp(x + longest * size * 5 / 4 + size / 2),
                    clamp(y + (lines - 1) * cell + size / 2)};
  // A program that redraws its texts in place would otherwise pile up copies of the same box,
  // which every frame's hash then clears again, row by row.
  const auto same = [&](const TextBox &b) {
    return b.left == box.left && b.top == box.top && b.right == box.right && b.bottom == box.bottom;
  };
  if (std::none_of(run.log_boxes.begin(), run.log_boxes.end(), same)) run.log_boxes.push_back(box);
}

void scripted_run_on_fill(int left, int top, int right, int bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  const auto covered = [&](const TextBox &b) {
    return b.left >= left && b.top >= top && b.right <= right && b.bottom <= bottom;
  };
  std::erase_if(run.text_boxes, covered);
  std::erase_if(run.log_boxes, covered);
}

void scripted_run_release() {
  close_boxes_file();
  draw_log_release();
}

} // namespace tevra

// scripted_run.cpp — unattended runs: TEVRA_SCRIPT plays a script from the start, TEVRA_FRAMES
// writes the canvas after every event.
//
// Owns the frame directory, the frame counter and the text boxes on the canvas. Promises:
// - TEVRA_SCRIPT=FILE starts playback of FILE inside tevra_open, before the first event, as the
//   Playback Script command does for "TEVRA.SCR"; playback never waits for the timer, so the run is
//   the same on every platform and every machine.
// - TEVRA_FRAMES=DIR writes DIR/frame-NNNNNN (six digits or more) at the start of every wait, so
//   frame 0 is the canvas when the program first waits and frame N the canvas after it handled
//   event N; tevra_close writes the frame the last event left. Frames are PNG files, the same bytes
//   for the same pixels on every platform.
//   DIR/text-boxes.txt gives, per frame, the canvas rectangles that text drawn by the program may
//   cover: each line's extent as the platform's font measures it, widened to its ink, dropped again
//   once a filled rectangle paints over all of it. Fonts differ between platforms; everything
//   outside these boxes does not.
// - A value that cannot be used is said once on standard error, and the program runs on without it.
#include "internal.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "frame_image.h"

namespace fs = std::filesystem;

namespace tevra {

namespace {

struct Box {
  int left, top, right, bottom; // right and bottom excluded
};

// The frames being written: everything else this file owns. script_path lives apart, since
// playback reads it for as long as it plays, past the end of writing frames.
struct Frames {
  std::string dir; // empty: no frames are written
  long number = 0;
  std::vector<Box> text_boxes;
  FILE *boxes_file = nullptr;
};

std::string script_path;
Frames frames;

// The environment variable's value, or null when it is unset or empty.
const char *setting(const char *name) {
  const char *value = std::getenv(name);
  return value && *value ? value : nullptr;
}

void start_script(const char *value) {
  std::error_code ec;
  const fs::path path = fs::absolute(value, ec); // the program may change directory later
  FILE *file = ec || !fs::is_regular_file(path, ec) ? nullptr : std::fopen(path.string().c_str(), "rb");
  if (!file) {
    std::fprintf(stderr, "tevra: TEVRA_SCRIPT=%s is not a readable file; no script is played\n", value);
    return;
  }
  std::fclose(file);
  script_path = path.string();
  script_start_playback_of(script_path.c_str());
}

void start_frames(const char *value) {
  std::error_code ec;
  const fs::path dir = fs::absolute(value, ec);
  if (!ec) fs::create_directories(dir, ec);
  if (ec || !fs::is_directory(dir, ec)) {
    std::fprintf(stderr, "tevra: TEVRA_FRAMES=%s is not a directory that can be made; no frames are written\n",
                 value);
    return;
  }
  frames.boxes_file = std::fopen((dir / "text-boxes.txt").string().c_str(), "w");
  if (!frames.boxes_file) {
    std::fprintf(stderr, "tevra: TEVRA_FRAMES=%s cannot be written to; no frames are written\n", value);
    return;
  }
  frames.dir = dir.string();
}

void stop_frames(const std::string &path) {
  std::fprintf(stderr, "tevra: cannot write %s; no more frames are written\n", path.c_str());
  frames.dir.clear();
}

// Where a line of text drawn at canvas (x, y) paints: its advance box, widened to its ink, since a
// glyph may reach past its advance (a slanted stroke, a tight side bearing). The ink is found by
// drawing the line once more, black on white, on a scratch bitmap with a margin of a whole cell.
Box text_box(HFONT font, int x, int y, const char *text, int length, SIZE extent) {
  Box box = {x, y, x + extent.cx, y + extent.cy};
  const int margin = extent.cy;
  const int w = extent.cx + 2 * margin;
  const int h = extent.cy + 2 * margin;
  HDC dc = CreateCompatibleDC(canvas());
  HBITMAP bitmap = CreateCompatibleBitmap(canvas(), w, h);
  HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
  const RECT all = {0, 0, w, h};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  HGDIOBJ old_font = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  TextOutA(dc, margin, margin, text, length);
  SelectObject(dc, old_font);
  std::vector<uint32_t> pixels;
  if (read_pixels(dc, w, h, pixels)) {
    for (int row = 0; row < h; ++row) {
      for (int col = 0; col < w; ++col) {
        if (pixels[static_cast<size_t>(row) * w + col] == 0xFFFFFFu) continue;
        box.left = std::min(box.left, x + col - margin);
        box.right = std::max(box.right, x + col - margin + 1);
        box.top = std::min(box.top, y + row - margin);
        box.bottom = std::max(box.bottom, y + row - margin + 1);
      }
    }
  }
  SelectObject(dc, old_bitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return box;
}

bool write_image(const std::string &path, const std::vector<uint32_t> &pixels) {
  return img::write_png(path, pixels.data(), kCanvasWidth, kCanvasHeight, kCanvasWidth);
}
constexpr const char *kImageSuffix = ".png";

void write_frame() {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%06ld", frames.number++);
  const std::string path = (fs::path(frames.dir) / name).string() + kImageSuffix;
  std::vector<uint32_t> pixels;
  if (!canvas() || !read_pixels(canvas(), kCanvasWidth, kCanvasHeight, pixels) || !write_image(path, pixels)) {
    stop_frames(path);
    return;
  }
  std::fprintf(frames.boxes_file, "%s", name);
  for (const Box &b : frames.text_boxes) {
    std::fprintf(frames.boxes_file, " %d,%d,%d,%d", b.left, b.top, b.right, b.bottom);
  }
  std::fputc('\n', frames.boxes_file);
  std::fflush(frames.boxes_file); // complete up to this frame, however the program ends
}

} // namespace

// The w x h pixels of the bitmap selected into `dc`, as 0x00RRGGBB, top row first. GetDIBits wants
// the bitmap outside any device context, so it is swapped out for the read.
bool read_pixels(HDC dc, int w, int h, std::vector<uint32_t> &pixels) {
  HBITMAP placeholder = CreateCompatibleBitmap(dc, 1, 1);
  HBITMAP bitmap = static_cast<HBITMAP>(SelectObject(dc, placeholder));
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h; // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  pixels.assign(static_cast<size_t>(w) * h, 0);
  const int lines = GetDIBits(dc, bitmap, 0, h, pixels.data(), &info, DIB_RGB_COLORS);
  SelectObject(dc, bitmap);
  DeleteObject(placeholder);
  for (uint32_t &p : pixels) p &= 0x00FFFFFFu;
  return lines == h;
}

void scripted_run_open() {
  if (const char *value = setting("TEVRA_SCRIPT")) start_script(value);
  if (const char *value = setting("TEVRA_FRAMES")) start_frames(value);
}

void scripted_run_on_wait() {
  if (!frames.dir.empty()) write_frame();
}

void scripted_run_close() {
  scripted_run_on_wait();
  scripted_run_reset();
}

void scripted_run_on_text(HFONT font, int x, int y, const char *text, int length) {
  if (frames.dir.empty()) return;
  SIZE extent = {0, 0};
  GetTextExtentPointA(canvas(), text, length, &extent);
  if (extent.cx > 0 && extent.cy > 0) frames.text_boxes.push_back(text_box(font, x, y, text, length, extent));
}

void scripted_run_on_fill(int left, int top, int right, int bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  std::erase_if(frames.text_boxes, [&](const Box &b) {
    return b.left >= left && b.top >= top && b.right <= right && b.bottom <= bottom;
  });
}

void scripted_run_reset() {
  if (frames.boxes_file) std::fclose(frames.boxes_file);
  frames = Frames{};
}

} // namespace tevra

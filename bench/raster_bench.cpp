// raster_bench — one full redraw of the game's building scene through the GDI subset.
//
// Reads bench/data/building-scene.txt (the drawing calls of one redraw, as the TEVRA primitives
// receive them), corrects the arguments as the primitives do, and replays them into a 601 x 540
// canvas the way TEVRA's renderer draws a record: a pen and a brush (or a font) created and
// selected for each call and deleted after it, logical coordinates mapped through the origin
// (297, 248) with y up. Two benchmarks: the whole list, and the list without its text calls; and a
// third, one wide-pen ellipse outline over the whole canvas at several pen widths.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 601, kHeight = 540, kCentreX = 297, kCentreY = 248;

constexpr COLORREF kPalette[24] = {
    RGB(0, 0, 0),       RGB(255, 255, 255), RGB(255, 0, 0),     RGB(0, 255, 0),     RGB(0, 0, 255),
    RGB(255, 255, 0),   RGB(255, 0, 255),   RGB(0, 255, 255),   RGB(153, 0, 204),   RGB(0, 51, 153),
    RGB(153, 102, 153), RGB(153, 255, 255), RGB(153, 255, 204), RGB(255, 102, 0),   RGB(153, 102, 51),
    RGB(255, 153, 204), RGB(255, 255, 153), RGB(204, 153, 51),  RGB(255, 153, 102), RGB(0, 102, 51),
    RGB(51, 204, 153),  RGB(153, 153, 51),  RGB(128, 128, 128), RGB(204, 204, 204)};

enum Kind { Triangle, Rect, Oval, Line, Text };

// One call after the primitive's corrections, in logical coordinates.
struct Call {
  Kind kind;
  COLORREF color;
  int x1, y1, x2, y2, x3, y3, width;
  int ptsize;
  std::string text;
};

int abs_value(int v) { return v < 0 ? -v : v; }

std::vector<Call> load_scene() {
  std::ifstream in(FROSTVEL_SOURCE_DIR "/bench/data/building-scene.txt");
  if (!in) {
    std::fprintf(stderr, "raster_bench: cannot read bench/data/building-scene.txt\n");
    std::exit(1);
  }
  std::vector<Call> calls;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string op;
    int colour = 0;
    words >> op >> colour;
    Call c{};
    c.color = colour >= 0 && colour < 24 ? kPalette[colour] : kPalette[2];
    if (op == "RECT" || op == "OVAL") {
      words >> c.x1 >> c.y1 >> c.x2 >> c.y2 >> c.width;
      c.kind = op == "RECT" ? Rect : Oval;
      if (c.x1 > c.x2) std::swap(c.x1, c.x2);
      if (c.y1 < c.y2) std::swap(c.y1, c.y2);
      c.width = abs_value(c.width);
    } else if (op == "TRI") {
      words >> c.x1 >> c.y1 >> c.x2 >> c.y2 >> c.x3 >> c.y3 >> c.width;
      c.kind = Triangle;
      c.width = abs_value(c.width);
    } else if (op == "LINE") {
      words >> c.x1 >> c.y1 >> c.x2 >> c.y2 >> c.width;
      c.kind = Line;
      c.width = abs_value(c.width);
      if (c.width == 0) c.width = 1;
    } else if (op == "CIRCLE") {
      int x, y, r;
      words >> x >> y >> r;
      r = abs_value(r);
      c.kind = Oval;
      c.x1 = x - r;
      c.y1 = y + r;
      c.x2 = x + r;
      c.y2 = y - r;
      c.width = 0;
    } else if (op == "TEXT") {
      words >> c.x1 >> c.y1 >> c.ptsize;
      c.kind = Text;
      c.ptsize = abs_value(c.ptsize);
      if (c.ptsize >= 128) c.ptsize = 127;
      std::getline(words, c.text);
      if (!c.text.empty() && c.text[0] == ' ') c.text.erase(0, 1);
    } else {
      std::fprintf(stderr, "raster_bench: unknown call '%s'\n", op.c_str());
      std::exit(1);
    }
    calls.push_back(c);
  }
  return calls;
}

// Shapes: the pen of the width, and a solid brush only when the width is 0 (filled).
void draw_shape(HDC canvas, const Call &c) {
  HPEN pen = CreatePen(PS_SOLID, c.width, c.color);
  HGDIOBJ old_pen = SelectObject(canvas, pen);
  if (c.kind == Line) {
    MoveToEx(canvas, kCentreX + c.x1, kCentreY - c.y1, nullptr);
    LineTo(canvas, kCentreX + c.x2, kCentreY - c.y2);
    SelectObject(canvas, old_pen);
    DeleteObject(pen);
    return;
  }
  HGDIOBJ brush = c.width == 0 ? static_cast<HGDIOBJ>(CreateSolidBrush(c.color)) : GetStockObject(NULL_BRUSH);
  HGDIOBJ old_brush = SelectObject(canvas, brush);
  if (c.kind == Triangle) {
    const POINT pts[3] = {{kCentreX + c.x1, kCentreY - c.y1},
                          {kCentreX + c.x2, kCentreY - c.y2},
                          {kCentreX + c.x3, kCentreY - c.y3}};
    Polygon(canvas, pts, 3);
  } else {
    const int left = kCentreX + c.x1, top = kCentreY - c.y1;
    const int right = kCentreX + c.x2 + 1, bottom = kCentreY - c.y2 + 1;
    if (c.kind == Rect) {
      Rectangle(canvas, left, top, right, bottom);
    } else {
      Ellipse(canvas, left, top, right, bottom);
    }
  }
  SelectObject(canvas, old_pen);
  SelectObject(canvas, old_brush);
  DeleteObject(pen);
  DeleteObject(brush);
}

// Text: a movable block holds the string, as the text primitive hands it over; the anchor is the
// lower-left corner of the first line, and lines follow one extent height apart.
void draw_text(HDC canvas, const Call &c) {
  const size_t n = c.text.size();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, n + 1);
  std::memcpy(GlobalLock(block), c.text.c_str(), n + 1);
  GlobalUnlock(block);

  SetTextColor(canvas, c.color);
  const int saved_mode = GetBkMode(canvas);
  SetBkMode(canvas, TRANSPARENT);
  HFONT font = CreateFontA(-c.ptsize, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "TEVRA-font");
  HGDIOBJ old_font = SelectObject(canvas, font);
  const char *text = static_cast<const char *>(GlobalLock(block));
  const int length = static_cast<int>(std::strlen(text));
  SIZE extent = {0, 0};
  GetTextExtentPointA(canvas, text, length, &extent);
  int offset = 0, line = -1;
  for (;;) {
    const char *newline = static_cast<const char *>(std::memchr(text + offset, '\n', static_cast<size_t>(length - offset)));
    const int end = newline ? static_cast<int>(newline - text) : length;
    TextOutA(canvas, kCentreX + c.x1, kCentreY - c.y1 + line * extent.cy, text + offset, end - offset);
    if (!newline) break;
    ++line;
    offset = end + 1;
  }
  GlobalUnlock(block);
  SetBkMode(canvas, saved_mode);
  SelectObject(canvas, old_font);
  DeleteObject(font);
  GlobalFree(block);
}

void redraw(HDC canvas, const std::vector<Call> &calls, bool with_text) {
  for (const Call &c : calls) {
    if (c.kind == Text) {
      if (with_text) draw_text(canvas, c);
    } else {
      draw_shape(canvas, c);
    }
  }
}

void run(benchmark::State &state, bool with_text) {
  static const std::vector<Call> calls = load_scene();
  HDC canvas = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(canvas, kWidth, kHeight);
  HGDIOBJ old_bitmap = SelectObject(canvas, bitmap);
  redraw(canvas, calls, with_text);  // warm the glyph caches
  for (auto _ : state) {
    redraw(canvas, calls, with_text);
    benchmark::ClobberMemory();
  }
  SelectObject(canvas, old_bitmap);
  DeleteObject(bitmap);
  DeleteDC(canvas);
}

void BM_BuildingSceneRedraw(benchmark::State &state) { run(state, true); }
void BM_BuildingSceneShapesOnly(benchmark::State &state) { run(state, false); }

// One wide-pen ellipse outline over the whole canvas: the box (-300, 250) - (300, -250) in logical
// terms, with no brush, at the pen width given.
void BM_WideEllipseOutline(benchmark::State &state) {
  HDC canvas = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(canvas, kWidth, kHeight);
  HGDIOBJ old_bitmap = SelectObject(canvas, bitmap);
  HPEN pen = CreatePen(PS_SOLID, static_cast<int>(state.range(0)), kPalette[2]);
  HGDIOBJ old_pen = SelectObject(canvas, pen);
  HGDIOBJ old_brush = SelectObject(canvas, GetStockObject(NULL_BRUSH));
  for (auto _ : state) {
    Ellipse(canvas, kCentreX - 300, kCentreY - 250, kCentreX + 300 + 1, kCentreY + 250 + 1);
    benchmark::ClobberMemory();
  }
  SelectObject(canvas, old_brush);
  SelectObject(canvas, old_pen);
  DeleteObject(pen);
  SelectObject(canvas, old_bitmap);
  DeleteObject(bitmap);
  DeleteDC(canvas);
}

}  // namespace

BENCHMARK(BM_BuildingSceneRedraw)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildingSceneShapesOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WideEllipseOutline)->Arg(2)->Arg(10)->Arg(40)->Arg(100)->Arg(256)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();

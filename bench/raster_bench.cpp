// raster_bench — the game's building scene drawn by the product, against the cost of its pixels.
//
//   BM_BuildingSceneRedraw    one full redraw of the building scene: the game's own redraw_scene
//                             through TEVRA into its canvas, on the headless display, logging off
//                             (3 scoops, 10 toppings, a topping selected, the red-rayed sun).
//   BM_BuildingSceneSpanFloor the same redraw's pixel runs, found by drawing its calls one at a time
//                             (see recorded_spans), written with a plain fill and nothing else: what
//                             the shapes' pixels cost at least. Text is blended glyph by glyph and is
//                             not among them.
//   BM_BuildingSceneRedrawOverFloor  the two in turn; reports the redraw's time over the floor's as
//                             `x_floor`.
//   BM_WideEllipseOutline     one wide-pen ellipse outline over the whole canvas at several widths.
#include <benchmark/benchmark.h>
#include <windows.h>
#include <winport/headless.h>
#include <winport/scripted_input.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "game/game.h"
#include "tevra.h"
#include "tevra/testing.h"

namespace {

constexpr int kWidth = 601, kHeight = 540, kCentreX = 297, kCentreY = 248;

// The building scene of the benchmark: the state the game is in after a player has built three
// scoops, put ten toppings on them and selected the last one.
GameState building_scene() {
  GameState s = new_game_state();
  s.scoop_count = 3;
  struct Topping {
    int32_t x, y, kind, color;
  };
  constexpr Topping toppings[TOPPING_SLOTS] = {
      {-20, 40, TOPPING_CANDY, TEVRA_RED},        {25, 50, TOPPING_CHIP, TEVRA_BROWN},
      {0, 70, TOPPING_SPRINKLE, TEVRA_YELLOW},    {-35, 95, TOPPING_CANDY, TEVRA_GREEN},
      {30, 100, TOPPING_SPRINKLE, TEVRA_CYAN},    {5, 120, TOPPING_CHIP, TEVRA_BROWN},
      {-25, 150, TOPPING_CANDY, TEVRA_PURPLE},    {20, 160, TOPPING_SPRINKLE, TEVRA_NAVY_BLUE},
      {0, 185, TOPPING_CANDY, TEVRA_PINK},        {4, 122, TOPPING_CANDY, TEVRA_MAGENTA},
  };
  s.topping_count = TOPPING_SLOTS;
  for (int i = 0; i < TOPPING_SLOTS; ++i) {
    s.topping_x[i] = toppings[i].x;
    s.topping_y[i] = toppings[i].y;
    s.topping_kind[i] = toppings[i].kind;
    s.topping_color[i] = toppings[i].color;
  }
  s.selected = TOPPING_SLOTS - 1;
  s.status = STATUS_TOPPING_SELECTED;
  s.cloud1_x = 270;
  s.cloud2_x = -15;
  s.cloud3_x = -22;
  s.drip_y = -125;
  s.sun_style = 2;
  return s;
}

// TEVRA open on the headless display with logging off, as the game runs it; closed and forgotten
// at the end of the scope.
class OpenLibrary {
 public:
  OpenLibrary() {
    winport::headless::use();
    winport::scripted::reset();
    tevra_testing_reset();
    char command_line[] = "";
    tevra_open(nullptr, nullptr, command_line, 1);
    tevra_set_logging(0);
    tevra_clear();
  }
  ~OpenLibrary() {
    tevra_close();
    tevra_testing_reset();
    winport::scripted::reset();
  }
  OpenLibrary(const OpenLibrary &) = delete;
  OpenLibrary &operator=(const OpenLibrary &) = delete;
};

struct Span {
  int y, x0, x1;
  uint32_t pixel;
};

long redraws = 0;  // redraws in this process, for instruction counts per redraw under callgrind

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
  return v[v.size() / 2];
}

// Draws one line of bench/building-scene.txt with TEVRA's primitive; false for comments, text and
// lines that are not calls.
bool draw_call(const std::string &line) {
  std::istringstream in(line);
  std::string kind;
  int32_t a[8] = {};
  in >> kind;
  const int count = kind == "TRI" ? 8 : kind == "CIRCLE" ? 4 : 6;
  for (int i = 0; i < count; ++i) in >> a[i];
  if (!in) return false;
  if (kind == "RECT") return tevra_rectangle(a[0], a[1], a[2], a[3], a[4], a[5]), true;
  if (kind == "OVAL") return tevra_oval(a[0], a[1], a[2], a[3], a[4], a[5]), true;
  if (kind == "LINE") return tevra_line(a[0], a[1], a[2], a[3], a[4], a[5]), true;
  if (kind == "TRI") return tevra_triangle(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]), true;
  if (kind == "CIRCLE") return tevra_circle(a[0], a[1], a[2], a[3]), true;
  return false;
}

// Adds the runs of pixels that differ from `unused`, row by row, one run per colour.
void add_runs(const std::vector<uint32_t> &pixels, uint32_t unused, std::vector<Span> &spans) {
  for (int y = 0; y < kHeight; ++y) {
    const uint32_t *row = pixels.data() + static_cast<size_t>(y) * kWidth;
    for (int x = 0; x < kWidth;) {
      const uint32_t pixel = row[x];
      int end = x + 1;
      while (end < kWidth && row[end] == pixel) ++end;
      if (pixel != unused) spans.push_back({y, x, end, pixel});
      x = end;
    }
  }
}

// The pixel runs of the building scene's shapes: each call of the scene (bench/building-scene.txt,
// the calls redraw_scene makes) drawn alone onto a canvas of a colour no call uses, and what it
// changed taken as its runs. Drawing never reads the canvas, so these are the runs the redraw
// writes, overdraw included.
std::vector<Span> recorded_spans() {
  constexpr COLORREF kUnused = RGB(1, 2, 3);
  std::vector<Span> spans;
  OpenLibrary library;
  HDC canvas = tevra_testing_canvas();
  HBRUSH unused = CreateSolidBrush(kUnused);
  const RECT whole = {0, 0, kWidth, kHeight};
  std::ifstream calls(FROSTVEL_SOURCE_DIR "/bench/building-scene.txt");
  std::vector<uint32_t> pixels;
  for (std::string line; std::getline(calls, line);) {
    FillRect(canvas, &whole, unused);
    if (draw_call(line) && tevra_testing_read_canvas(pixels)) add_runs(pixels, 0x010203, spans);
  }
  DeleteObject(unused);
  return spans;
}

// One run: a call, as to the C library's fill, to a plain loop as wide as the processor allows.
#if defined(__linux__) && defined(__x86_64__)
[[gnu::target_clones("avx2", "default")]]
#endif
[[gnu::noinline]] void fill_run(uint32_t *p, int n, uint32_t pixel) {
  std::fill_n(p, n, pixel);
}

void write_spans(const std::vector<Span> &spans, std::vector<uint32_t> &canvas) {
  for (const Span &s : spans) fill_run(canvas.data() + static_cast<size_t>(s.y) * kWidth + s.x0, s.x1 - s.x0, s.pixel);
}

void BM_BuildingSceneSpanFloor(benchmark::State &state) {
  const std::vector<Span> spans = recorded_spans();
  std::vector<uint32_t> canvas(static_cast<size_t>(kWidth) * kHeight);
  long pixels = 0;
  for (const Span &s : spans) pixels += s.x1 - s.x0;
  for (auto _ : state) {
    write_spans(spans, canvas);
    benchmark::ClobberMemory();
  }
  state.counters["spans"] = benchmark::Counter(static_cast<double>(spans.size()));
  state.counters["pixels"] = benchmark::Counter(static_cast<double>(pixels));
}

void BM_BuildingSceneRedraw(benchmark::State &state) {
  OpenLibrary library;
  GameState scene = building_scene();
  redraw_scene(scene);  // warm the glyph caches
  ++redraws;
  for (auto _ : state) {
    redraw_scene(scene);
    benchmark::ClobberMemory();
  }
  redraws += static_cast<long>(state.iterations());
  state.counters["redraws"] = benchmark::Counter(static_cast<double>(redraws));
}

// The redraw and its floor in turn, each pair timed apart, so that both meet the machine in the
// same state however its speed drifts: `x_floor` is the median over the pairs of the redraw's time
// over the floor's.
void BM_BuildingSceneRedrawOverFloor(benchmark::State &state) {
  const std::vector<Span> spans = recorded_spans();
  std::vector<uint32_t> canvas(static_cast<size_t>(kWidth) * kHeight);
  OpenLibrary library;
  GameState scene = building_scene();
  redraw_scene(scene);
  std::vector<double> ratios;
  using Clock = std::chrono::steady_clock;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    write_spans(spans, canvas);
    benchmark::ClobberMemory();
    const Clock::time_point floor_done = Clock::now();
    redraw_scene(scene);
    benchmark::ClobberMemory();
    const Clock::time_point redraw_done = Clock::now();
    ratios.push_back(std::chrono::duration<double>(redraw_done - floor_done).count() /
                     std::chrono::duration<double>(floor_done - start).count());
  }
  state.counters["x_floor"] = benchmark::Counter(median(std::move(ratios)));
}

// One wide-pen ellipse outline over the whole canvas: the box (-300, 250) - (300, -250) in logical
// terms, with no brush, at the pen width given.
void BM_WideEllipseOutline(benchmark::State &state) {
  HDC canvas = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(canvas, kWidth, kHeight);
  HGDIOBJ old_bitmap = SelectObject(canvas, bitmap);
  HPEN pen = CreatePen(PS_SOLID, static_cast<int>(state.range(0)), RGB(255, 0, 0));
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

BENCHMARK(BM_BuildingSceneSpanFloor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildingSceneRedraw)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildingSceneRedrawOverFloor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WideEllipseOutline)->Arg(2)->Arg(10)->Arg(40)->Arg(100)->Arg(256)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();

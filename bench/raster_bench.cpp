// raster_bench — the game's building scene drawn by the product, against the cost of its pixels.
//
//   BM_BuildingSceneRedraw    one full redraw of the building scene: the game's own redraw_scene
//                             through TEVRA into its canvas, on the headless display, logging off
//                             (3 scoops, 10 toppings, a topping selected, the red-rayed sun).
//   BM_BuildingSceneSpanFloor the same redraw's pixel runs, recorded from the product's span writer
//                             while it drew, written again with a plain fill and nothing else: what
//                             the shapes' pixels cost at least. Text is blended glyph by glyph and is
//                             not among them.
//   BM_BuildingSceneRedrawOverFloor  the two in turn; reports the redraw's time over the floor's as
//                             `x_floor`.
//   BM_WideEllipseOutline     one wide-pen ellipse outline over the whole canvas at several widths.
#include <benchmark/benchmark.h>
#include <windows.h>
#include <winport/headless.h>
#include <winport/scripted_input.h>
#include <winport/spans.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cwchar>
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

// The pixel runs of one everyday redraw (glyph caches warm), as the product's span writer wrote them.
std::vector<Span> recorded_spans() {
  std::vector<Span> spans;
  OpenLibrary library;
  GameState scene = building_scene();
  redraw_scene(scene);
  winport::spans::set_recorder(
      [](int y, int x0, int x1, uint32_t pixel, void *ctx) {
        static_cast<std::vector<Span> *>(ctx)->push_back({y, x0, x1, pixel});
      },
      &spans);
  redraw_scene(scene);
  winport::spans::set_recorder(nullptr, nullptr);
  return spans;
}

void write_spans(const std::vector<Span> &spans, std::vector<uint32_t> &canvas) {
  for (const Span &s : spans) {
    std::wmemset(reinterpret_cast<wchar_t *>(canvas.data() + static_cast<size_t>(s.y) * kWidth + s.x0),
                 static_cast<wchar_t>(s.pixel), static_cast<size_t>(s.x1 - s.x0));
  }
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

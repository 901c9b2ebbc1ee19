// raster_bench — the game's building scene drawn by the product, against the cost of its pixels.
//
//   BM_BuildingSceneRedraw    one full redraw of the building scene: the game's own redraw_scene
//                             through TEVRA into its canvas, on the headless display, logging off
//                             (3 scoops, 10 toppings, a topping selected, the red-rayed sun).
//   BM_BuildingSceneSpanFloor the same redraw's pixel runs, recorded from the product's span writer
//                             while it drew, written again with a plain fill and nothing else: what
//                             the shapes' pixels cost at least. Text is blended glyph by glyph and is
//                             not among them. The redraw reports its time over this floor as
//                             `x_floor` (medians of the runs so far, both taken in this process).
//   BM_WideEllipseOutline     one wide-pen ellipse outline over the whole canvas at several widths.
#include <benchmark/benchmark.h>
#include <windows.h>
#include <winport/headless.h>
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
    winport::headless::reset();
    tevra_testing_reset();
    char command_line[] = "";
    tevra_open(nullptr, nullptr, command_line, 1);
    tevra_set_logging(0);
    tevra_clear();
  }
  ~OpenLibrary() {
    tevra_close();
    tevra_testing_reset();
    winport::headless::reset();
  }
  OpenLibrary(const OpenLibrary &) = delete;
  OpenLibrary &operator=(const OpenLibrary &) = delete;
};

struct Span {
  int y, x0, x1;
  uint32_t pixel;
};

// Medians of the per-iteration times measured so far, in nanoseconds.
std::vector<double> floor_times, redraw_times;
long redraws = 0;  // redraws in this process, for instruction counts per redraw under callgrind

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
  return v[v.size() / 2];
}

// Runs the benchmark loop, timing it apart from the framework too, and returns ns per iteration.
template <typename Body>
double timed_loop(benchmark::State &state, Body body) {
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    body();
    benchmark::ClobberMemory();
  }
  const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
  return state.iterations() > 0 ? took.count() / static_cast<double>(state.iterations()) : 0;
}

void BM_BuildingSceneSpanFloor(benchmark::State &state) {
  std::vector<Span> spans;
  {
    OpenLibrary library;
    GameState scene = building_scene();
    redraw_scene(scene);  // warm the glyph caches: the recorded redraw is an everyday one
    winport::spans::set_recorder(
        [](int y, int x0, int x1, uint32_t pixel, void *ctx) {
          static_cast<std::vector<Span> *>(ctx)->push_back({y, x0, x1, pixel});
        },
        &spans);
    redraw_scene(scene);
    winport::spans::set_recorder(nullptr, nullptr);
  }
  std::vector<uint32_t> canvas(static_cast<size_t>(kWidth) * kHeight);
  long pixels = 0;
  for (const Span &s : spans) pixels += s.x1 - s.x0;
  floor_times.push_back(timed_loop(state, [&] {
    for (const Span &s : spans) {
      std::wmemset(reinterpret_cast<wchar_t *>(canvas.data() + static_cast<size_t>(s.y) * kWidth + s.x0),
                   static_cast<wchar_t>(s.pixel), static_cast<size_t>(s.x1 - s.x0));
    }
  }));
  state.counters["spans"] = benchmark::Counter(static_cast<double>(spans.size()));
  state.counters["pixels"] = benchmark::Counter(static_cast<double>(pixels));
}

void BM_BuildingSceneRedraw(benchmark::State &state) {
  OpenLibrary library;
  GameState scene = building_scene();
  redraw_scene(scene);  // warm the glyph caches
  ++redraws;
  redraw_times.push_back(timed_loop(state, [&] { redraw_scene(scene); }));
  redraws += static_cast<long>(state.iterations());
  const double floor = median(floor_times);
  if (floor > 0) state.counters["x_floor"] = benchmark::Counter(median(redraw_times) / floor);
  state.counters["redraws"] = benchmark::Counter(static_cast<double>(redraws));
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

// The floor first, so that the redraw can report its ratio to it.
BENCHMARK(BM_BuildingSceneSpanFloor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildingSceneRedraw)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WideEllipseOutline)->Arg(2)->Arg(10)->Arg(40)->Arg(100)->Arg(256)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();

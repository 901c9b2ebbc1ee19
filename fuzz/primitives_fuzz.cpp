// primitives_fuzz.cpp — any sequence of drawing calls with any arguments, on the headless display.
//
// The library is opened once (both windows, the canvas, the 100 ms timer, animation running). Each
// input is read as a list of calls: every primitive with arbitrary colours, coordinates reaching
// the ends of the 32-bit range, widths, radii and point sizes, texts of arbitrary bytes and line
// breaks, tevra_clear, logging on and off, and waits (which draw the console lines and present
// the canvas). Nothing may crash, touch memory outside its objects, or take long: far-off and
// enormous shapes are clipped to the canvas, point sizes bounded.
//
// Arguments are mostly drawn from ranges where drawing happens (near the canvas, small widths,
// readable point sizes), so that the rasterizers' inner paths are reached, and otherwise from the
// whole 32-bit range and its edges.
#include <fuzzer/FuzzedDataProvider.h>

#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "tevra.h"
#include "testing.h"
#include "winport/headless.h"
#include "winport/scripted_input.h"

namespace {

constexpr int kMaxCalls = 64;  // calls per input: enough for overlapping shapes, bounded in time
constexpr int kMaxWaits = 4;   // waits per input
constexpr size_t kMaxText = 300;

constexpr int32_t kEdges[] = {
    std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min() + 1,
    std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max() - 1,
    1 << 30, -(1 << 30), 1 << 16, -(1 << 16), 46341, -46341, 0, -1};

// PRIMITIVES_FUZZ_TRACE=1: each call with its arguments and the time it took, on standard error,
// to tell which call of a slow or failing input is at fault.
const bool tracing = std::getenv("PRIMITIVES_FUZZ_TRACE") != nullptr;
std::chrono::steady_clock::time_point call_start;

[[gnu::format(printf, 1, 2)]] void trace(const char *format, ...) {
  if (!tracing) return;
  const double us =
      std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - call_start).count();
  std::fprintf(stderr, "%10.0f us  ", us);
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
}

int32_t edge(FuzzedDataProvider &in) { return in.PickValueInArray(kEdges); }

// A coordinate or a radius: on or near the canvas, far off it, anywhere, or at an edge of the range.
int32_t coordinate(FuzzedDataProvider &in) {
  switch (in.ConsumeIntegralInRange<int>(0, 7)) {
    case 0: return in.ConsumeIntegral<int32_t>();
    case 1: return edge(in);
    case 2: return in.ConsumeIntegralInRange<int32_t>(-100000, 100000);
    default: return in.ConsumeIntegralInRange<int32_t>(-700, 700);
  }
}

int32_t colour(FuzzedDataProvider &in) {
  return in.ConsumeIntegralInRange<int>(0, 7) == 0 ? in.ConsumeIntegral<int32_t>()
                                                    : in.ConsumeIntegralInRange<int32_t>(0, TEVRA_COLORS - 1);
}

// A line width (0 fills the closed shapes), a point size: usually small, sometimes as wide as the
// canvas or wider, sometimes anything.
int32_t small_or_any(FuzzedDataProvider &in, int32_t usual_max) {
  switch (in.ConsumeIntegralInRange<int>(0, 6)) {
    case 0: return in.ConsumeIntegral<int32_t>();
    case 1: return edge(in);
    case 2: return in.ConsumeIntegralInRange<int32_t>(-2000, 2000);
    default: return in.ConsumeIntegralInRange<int32_t>(0, usual_max);
  }
}

// The library leaves its windows to the end of the process; forgetting them at exit keeps the
// leak check at the end of a run about what the calls left behind.
void forget_library() {
  tevra_testing_reset();
  winport::scripted::reset();
}

bool open_library() {
  winport::headless::use();
  // Waits advance the virtual clock by a tick each; no input ever comes, and that is not a hang.
  winport::scripted::set_idle_limit_ms(std::numeric_limits<uint64_t>::max() / 4);
  char command_line[] = "";
  tevra_open(nullptr, nullptr, command_line, 1);
  tevra_set_animation(TEVRA_ANIM_RUN);
  std::atexit(forget_library);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const bool ready = open_library();
  (void)ready;

  // Every input starts from the same canvas and flags, so a failing input fails again on its own.
  tevra_set_logging(0);
  tevra_clear();

  FuzzedDataProvider in(data, size);
  int waits = 0;
  for (int call = 0; call < kMaxCalls && in.remaining_bytes() > 0; ++call) {
    switch (in.ConsumeIntegralInRange<int>(0, 10)) {
      case 0: {
        const int32_t c = colour(in), x = coordinate(in), y = coordinate(in);
        const int32_t r = coordinate(in);
        call_start = std::chrono::steady_clock::now();
        tevra_circle(c, x, y, r);
        trace("tevra_circle(%d, %d, %d, %d)", c, x, y, r);
        break;
      }
      case 1: {
        const int32_t c = colour(in), x1 = coordinate(in), y1 = coordinate(in), x2 = coordinate(in);
        const int32_t y2 = coordinate(in), x3 = coordinate(in), y3 = coordinate(in);
        const int32_t w = small_or_any(in, 40);
        call_start = std::chrono::steady_clock::now();
        tevra_triangle(c, x1, y1, x2, y2, x3, y3, w);
        trace("tevra_triangle(%d, %d, %d, %d, %d, %d, %d, %d)", c, x1, y1, x2, y2, x3, y3, w);
        break;
      }
      case 2: {
        const int32_t c = colour(in), x1 = coordinate(in), y1 = coordinate(in), x2 = coordinate(in);
        const int32_t y2 = coordinate(in);
        const int32_t w = small_or_any(in, 40);
        call_start = std::chrono::steady_clock::now();
        tevra_rectangle(c, x1, y1, x2, y2, w);
        trace("tevra_rectangle(%d, %d, %d, %d, %d, %d)", c, x1, y1, x2, y2, w);
        break;
      }
      case 3: {
        const int32_t c = colour(in), x1 = coordinate(in), y1 = coordinate(in), x2 = coordinate(in);
        const int32_t y2 = coordinate(in);
        const int32_t w = small_or_any(in, 40);
        call_start = std::chrono::steady_clock::now();
        tevra_oval(c, x1, y1, x2, y2, w);
        trace("tevra_oval(%d, %d, %d, %d, %d, %d)", c, x1, y1, x2, y2, w);
        break;
      }
      case 4: {
        const int32_t c = colour(in), x1 = coordinate(in), y1 = coordinate(in), x2 = coordinate(in);
        const int32_t y2 = coordinate(in);
        const int32_t w = small_or_any(in, 40);
        call_start = std::chrono::steady_clock::now();
        tevra_line(c, x1, y1, x2, y2, w);
        trace("tevra_line(%d, %d, %d, %d, %d, %d)", c, x1, y1, x2, y2, w);
        break;
      }
      case 5:
      case 6: {
        const int32_t c = colour(in), x = coordinate(in), y = coordinate(in), pt = small_or_any(in, 140);
        const std::string text = in.ConsumeRandomLengthString(kMaxText);
        call_start = std::chrono::steady_clock::now();
        tevra_text(c, x, y, pt, text.c_str());
        trace("tevra_text(%d, %d, %d, %d, <%zu bytes>)", c, x, y, pt, text.size());
        break;
      }
      case 7: {
        // The formatted variant: the text is an argument, never the format.
        const int32_t c = colour(in), x = coordinate(in), y = coordinate(in), pt = small_or_any(in, 140);
        const std::string text = in.ConsumeRandomLengthString(kMaxText);
        call_start = std::chrono::steady_clock::now();
        tevra_printf(c, x, y, pt, "%s %d\n%s", text.c_str(), x, text.c_str());
        trace("tevra_printf(%d, %d, %d, %d, <%zu bytes twice>)", c, x, y, pt, text.size());
        break;
      }
      case 8:
        call_start = std::chrono::steady_clock::now();
        tevra_clear();
        trace("tevra_clear()");
        break;
      case 9:
        tevra_set_logging(in.ConsumeBool());
        break;
      case 10:
        if (waits < kMaxWaits) {
          ++waits;
          int32_t x = 0, y = 0;
          char key = 0;
          call_start = std::chrono::steady_clock::now();
          const int32_t kind = tevra_await_event(&x, &y, &key);
          trace("tevra_await_event() = %d", kind);
          if (kind != TEVRA_PERIODIC) std::abort();  // nothing but the timer can arrive
        }
        break;
    }
  }
  return 0;
}

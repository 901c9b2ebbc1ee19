// primitives.cpp — the palette and the drawing primitives.
//
// Owns the 24-colour palette and its names. Promises: every primitive accepts any arguments,
// replaces impossible ones with usable values and says so on the console in a fixed wording
// (whatever the logging flag), describes itself on the console while logging is on, and has drawn
// its shape on the canvas when it returns. No state outlives a call.
#include "internal.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tevra {

const COLORREF palette[TEVRA_COLORS] = {
    RGB(0, 0, 0),       RGB(255, 255, 255), RGB(255, 0, 0),     RGB(0, 255, 0),     RGB(0, 0, 255),
    RGB(255, 255, 0),   RGB(255, 0, 255),   RGB(0, 255, 255),   RGB(153, 0, 204),   RGB(0, 51, 153),
    RGB(153, 102, 153), RGB(153, 255, 255), RGB(153, 255, 204), RGB(255, 102, 0),   RGB(153, 102, 51),
    RGB(255, 153, 204), RGB(255, 255, 153), RGB(204, 153, 51),  RGB(255, 153, 102), RGB(0, 102, 51),
    RGB(51, 204, 153),  RGB(153, 153, 51),  RGB(128, 128, 128), RGB(204, 204, 204),
};

const char *const color_names[TEVRA_COLORS] = {
    "black",     "white",     "red",        "green",      "blue",    "yellow",   "magenta", "cyan",
    "purple",    "navy blue", "dusty plum", "ice blue",   "turquoise", "orange", "brown",   "pink",
    "chalk",     "gold",      "peach",      "forest green", "sea green", "olive", "50% gray", "20% gray",
};

namespace {

constexpr int kFormatMax = 1024;

} // namespace

void say_correction(const char *format, ...) {
  char line[kFormatMax];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  tevra_log("%s", line);
  if (log_on()) draw_log_correction(line);
}

int32_t check_color(int32_t color) {
  if (color >= 0 && color < TEVRA_COLORS) return color;
  say_correction("Illegal color %d; using RED.\n", color);
  return TEVRA_RED;
}

namespace {

// The absolute value of a negative size, reported. INT32_MIN has no positive twin: it becomes the
// largest size there is.
int32_t positive(int32_t value) { return value == INT32_MIN ? INT32_MAX : -value; }

int32_t correct_width(int32_t width) {
  if (width >= 0) return width;
  const int32_t fixed = positive(width);
  say_correction("Width of %d not possible, using width %d\n", width, fixed);
  return fixed;
}

void order_corners(int32_t &x1, int32_t &y1, int32_t &x2, int32_t &y2) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 < y2) std::swap(y1, y2);
}

// Fill one record of a shape (or of a text, whose x2 is its point size) and render it; fields the
// kind does not use stay 0.
void draw_shape(int32_t kind, int32_t color, int32_t width, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                int32_t x3 = 0, int32_t y3 = 0, HGLOBAL text = nullptr) {
  render_draw_record(DrawRecord{kind, color, width, x1, y1, x2, y2, x3, y3, text});
}

// The console's sentence for a drawing call. Said on the console while logging is on, and kept for
// the draw log, whose record of the call carries it; made only when one of them wants it.
struct Sentence {
  char text[kFormatMax] = "";
};

[[gnu::format(printf, 1, 2)]] Sentence describe_call(const char *format, ...) {
  Sentence said;
  if (!logging() && !log_on()) return said;
  va_list args;
  va_start(args, format);
  if (std::vsnprintf(said.text, sizeof said.text, format, args) < 0) said.text[0] = '\0';
  va_end(args);
  if (logging()) tevra_log("%s", said.text);
  return said;
}

// The draw log's record of a call whose arguments are (color, x1, y1, x2, y2, width).
void log_box_call(const char *what, const Sentence &said, const int32_t (&g)[6], int32_t color, int32_t x1,
                  int32_t y1, int32_t x2, int32_t y2, int32_t width) {
  draw_log_call(what, color, said.text,
                {{"color", g[0]}, {"x1", g[1]}, {"y1", g[2]}, {"x2", g[3]}, {"y2", g[4]}, {"width", g[5]}},
                {{"color", color}, {"x1", x1}, {"y1", y1}, {"x2", x2}, {"y2", y2}, {"width", width}});
}

// vsnprintf, with the format programs pass most often done directly: a lone "%s" (a text drawn
// as it is) is a copy. The same result and the same characters. No format formats nothing (the
// C library must never be handed a null format).
[[gnu::format(printf, 3, 0)]] int format_into(char *buffer, size_t size, const char *format, va_list args) {
  if (!format) {
    buffer[0] = '\0';
    return 0;
  }
  if (format[0] == '%' && format[1] == 's' && format[2] == '\0') {
    va_list peek;
    va_copy(peek, args);
    const char *text = va_arg(peek, const char *);
    va_end(peek);
    const size_t length = text ? std::strlen(text) : 0;
    if (text && length <= INT32_MAX) {
      const size_t kept = std::min(length, size - 1);
      std::memcpy(buffer, text, kept);
      buffer[kept] = '\0';
      return static_cast<int>(length);
    }
  }
  return std::vsnprintf(buffer, size, format, args);
}

// Draws a copy of the text: the record holds a movable block, as the renderer wants.
void render_text(int32_t color, int32_t x, int32_t y, int32_t ptsize, const char *text) {
  const size_t length = std::strlen(text);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, length + 1);
  if (!block) return; // no memory for the copy: the text is not drawn
  char *copy = static_cast<char *>(GlobalLock(block));
  if (!copy) {
    GlobalFree(block);
    return;
  }
  std::memcpy(copy, text, length + 1);
  GlobalUnlock(block);

  draw_shape(DRAW_TEXT, color, 0, x, y, ptsize, 0, 0, 0, block);
  GlobalFree(block);
}

// tevra_text, and tevra_printf once it has formatted `text` from `format` (`printed`): the draw log
// gives tevra_printf's format beside the text it made.
void show_text(bool printed, int32_t color, int32_t x, int32_t y, int32_t ptsize, const char *text,
               const char *format = nullptr) {
  const int32_t given_color = color;
  const int32_t given_ptsize = ptsize;
  const char *given_text = text;
  if (text == nullptr) text = ""; // nothing to draw is drawn as nothing
  if (ptsize < 0) {
    const int32_t fixed = positive(ptsize);
    say_correction("ptsize of %d not possible, using ptsize %d\n", ptsize, fixed);
    ptsize = fixed;
  }
  if (ptsize >= 128) {
    say_correction("ptsize of %d not possible, using ptsize %d\n", ptsize, 127);
    ptsize = 127;
  }
  color = check_color(color);
  // A description longer than a console line is cut by the console.
  const Sentence said = describe_call("%s text at (%d,%d), \"%s\"\n", color_names[color], x, y, text);
  if (log_on()) {
    const std::initializer_list<LogField> drawn = {
        {"color", color}, {"x", x}, {"y", y}, {"ptsize", ptsize}, log_text("text", text)};
    if (printed) {
      draw_log_call("printf", color, said.text, {{"color", given_color}, {"x", x}, {"y", y}, {"ptsize", given_ptsize},
                                      log_text("format", format), log_text("text", given_text)},
                    drawn);
    } else {
      draw_log_call("text", color, said.text, {{"color", given_color}, {"x", x}, {"y", y}, {"ptsize", given_ptsize},
                                    log_text("text", given_text)},
                    drawn);
    }
  }
  render_text(color, x, y, ptsize, text);
}

} // namespace

} // namespace tevra

using namespace tevra;

extern "C" int32_t tevra_circle(int32_t color, int32_t x, int32_t y, int32_t radius) {
  if (!on_library_thread(__func__)) return 0;
  const int32_t given_color = color;
  const int32_t given_radius = radius;
  color = check_color(color);
  if (radius < 0) {
    const int32_t fixed = positive(radius);
    say_correction("Radius of %d not possible, using radius %d\n", radius, fixed);
    radius = fixed;
  }
  const Sentence said = describe_call("%s circle at (%d,%d), radius %d\n", color_names[color], x, y, radius);
  if (log_on()) {
    draw_log_call("circle", color, said.text, {{"color", given_color}, {"x", x}, {"y", y}, {"radius", given_radius}},
                  {{"color", color}, {"x", x}, {"y", y}, {"radius", radius}});
  }
  // 64-bit sums: a box far off the canvas is still a box, never a wrapped one.
  draw_shape(DRAW_OVAL, color, 0, static_cast<int32_t>(std::max<int64_t>(INT32_MIN, int64_t{x} - radius)),
             static_cast<int32_t>(std::min<int64_t>(INT32_MAX, int64_t{y} + radius)),
             static_cast<int32_t>(std::min<int64_t>(INT32_MAX, int64_t{x} + radius)),
             static_cast<int32_t>(std::max<int64_t>(INT32_MIN, int64_t{y} - radius)));
  return 1;
}

extern "C" int32_t tevra_triangle(int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3,
                                  int32_t y3, int32_t width) {
  if (!on_library_thread(__func__)) return 0;
  const int32_t given_color = color;
  const int32_t given_width = width;
  color = check_color(color);
  width = correct_width(width);
  const Sentence said =
      describe_call("%s triangle at (%d,%d), (%d,%d), (%d,%d)\n", color_names[color], x1, y1, x2, y2, x3, y3);
  if (log_on()) {
    draw_log_call("triangle", color, said.text,
                  {{"color", given_color}, {"x1", x1}, {"y1", y1}, {"x2", x2}, {"y2", y2}, {"x3", x3}, {"y3", y3},
                   {"width", given_width}},
                  {{"color", color}, {"x1", x1}, {"y1", y1}, {"x2", x2}, {"y2", y2}, {"x3", x3}, {"y3", y3},
                   {"width", width}});
  }
  draw_shape(DRAW_TRIANGLE, color, width, x1, y1, x2, y2, x3, y3);
  return 1;
}

extern "C" int32_t tevra_rectangle(int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width) {
  if (!on_library_thread(__func__)) return 0;
  const int32_t given[] = {color, x1, y1, x2, y2, width};
  order_corners(x1, y1, x2, y2);
  color = check_color(color);
  width = correct_width(width);
  const Sentence said = width == 0 ? describe_call("%s rectangle with bounding box (%d,%d) to (%d,%d), filled\n", color_names[color], x1, y1, x2, y2)
                                    : describe_call("%s rectangle with bounding box (%d,%d) to (%d,%d) with line width %d\n", color_names[color], x1, y1,
                                                    x2, y2, width);
  if (log_on()) log_box_call("rectangle", said, given, color, x1, y1, x2, y2, width);
  draw_shape(DRAW_RECTANGLE, color, width, x1, y1, x2, y2);
  return 1;
}

extern "C" int32_t tevra_oval(int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width) {
  if (!on_library_thread(__func__)) return 0;
  const int32_t given[] = {color, x1, y1, x2, y2, width};
  order_corners(x1, y1, x2, y2);
  width = correct_width(width);
  color = check_color(color);
  const Sentence said = width == 0 ? describe_call("%s oval with bounding box (%d,%d) to (%d,%d), filled\n", color_names[color], x1, y1, x2, y2)
                                    : describe_call("%s oval with bounding box (%d,%d) to (%d,%d), line width %d\n", color_names[color], x1, y1,
                                                    x2, y2, width);
  if (log_on()) log_box_call("oval", said, given, color, x1, y1, x2, y2, width);
  draw_shape(DRAW_OVAL, color, width, x1, y1, x2, y2);
  return 1;
}

extern "C" int32_t tevra_line(int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width) {
  if (!on_library_thread(__func__)) return 0;
  const int32_t given[] = {color, x1, y1, x2, y2, width};
  width = correct_width(width);
  color = check_color(color);
  const Sentence said =
      describe_call("%s line from (%d,%d) to (%d,%d), width %d\n", color_names[color], x1, y1, x2, y2, width);
  if (log_on()) log_box_call("line", said, given, color, x1, y1, x2, y2, width);
  draw_shape(DRAW_LINE, color, width == 0 ? 1 : width, x1, y1, x2, y2);
  return 1;
}

extern "C" int32_t tevra_text(int32_t color, int32_t x, int32_t y, int32_t ptsize, const char *text) {
  if (!on_library_thread(__func__)) return 0;
  show_text(false, color, x, y, ptsize, text);
  return 1;
}

extern "C" int32_t tevra_printf(int32_t color, int32_t x, int32_t y, int32_t ptsize, const char *format, ...) {
  if (!on_library_thread(__func__)) return 0;
  char buffer[kFormatMax];
  va_list args;
  va_start(args, format);
  int result = format_into(buffer, sizeof buffer, format, args);
  va_end(args);
  if (result < 0) {
    buffer[0] = '\0';
    result = 0;
  }
  if (result > kFormatMax - 1) result = kFormatMax - 1; // longer output is cut to the buffer
  show_text(true, color, x, y, ptsize, buffer, format);
  return result;
}

// render.cpp — drawing records onto the canvas, and clearing it.
//
// Holds no state. Promises: each record is drawn with its own pen, brush or font, all released
// before it returns, with the canvas's defaults back in place; logical points map to canvas pixels
// through the current logical origin without overflow; and every record and every clear marks the
// canvas dirty, so the next pump step shows it.
#include "internal.h"

#include <cstring>

namespace tevra {

namespace {

// Canvas pixel of a logical coordinate; far-off values saturate instead of wrapping.
int to_canvas(int64_t value) {
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int>(value);
}

// Where one record is drawn: the canvas, and the canvas pixel of logical (0, 0), read once.
struct Target {
  HDC dc = canvas();
  int64_t origin_x = tevra::origin_x();
  int64_t origin_y = tevra::origin_y();
  int x(int64_t logical) const { return to_canvas(origin_x + logical); }
  int y(int64_t logical) const { return to_canvas(origin_y - logical); }
};

// Selects an object into the canvas for one record, then selects the previous one back and
// deletes the object (a stock object ignores the delete).
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), object_(object), previous_(SelectObject(dc, object)) {}
  ~Selected() {
    SelectObject(dc_, previous_);
    DeleteObject(object_);
  }
  Selected(const Selected &) = delete;
  Selected &operator=(const Selected &) = delete;
  HGDIOBJ object() const { return object_; }

 private:
  HDC dc_;
  HGDIOBJ object_;
  HGDIOBJ previous_;
};

HGDIOBJ record_pen(const DrawRecord &r) { return CreatePen(PS_SOLID, r.width, palette[r.color]); }

// Width 0 fills with the colour; a wider outline leaves the inside as it was.
HGDIOBJ shape_brush(const DrawRecord &r) {
  return r.width == 0 ? static_cast<HGDIOBJ>(CreateSolidBrush(palette[r.color])) : GetStockObject(NULL_BRUSH);
}

void draw_triangle(const DrawRecord &r, const Target &t) {
  const Selected pen(t.dc, record_pen(r));
  const POINT points[3] = {
      {t.x(r.x1), t.y(r.y1)},
      {t.x(r.x2), t.y(r.y2)},
      {t.x(r.x3), t.y(r.y3)},
  };
  const Selected brush(t.dc, shape_brush(r));
  Polygon(t.dc, points, 3);
}

void draw_box_shape(const DrawRecord &r, const Target &t) {
  const Selected pen(t.dc, record_pen(r));
  const Selected brush(t.dc, shape_brush(r));
  // The + 1 makes both corners' pixels part of the shape: GDI excludes the right and bottom edge.
  const int left = t.x(r.x1);
  const int top = t.y(r.y1);
  const int right = to_canvas(t.origin_x + r.x2 + 1);
  const int bottom = to_canvas(t.origin_y - r.y2 + 1);
  if (r.kind == DRAW_RECTANGLE) {
    Rectangle(t.dc, left, top, right, bottom);
    if (r.width == 0) scripted_run_on_fill(left, top, right, bottom);
  } else {
    Ellipse(t.dc, left, top, right, bottom);
  }
}

void draw_line(const DrawRecord &r, const Target &t) {
  const Selected pen(t.dc, record_pen(r));
  MoveToEx(t.dc, t.x(r.x1), t.y(r.y1), nullptr);
  LineTo(t.dc, t.x(r.x2), t.y(r.y2));
}

// Lines of the text go downwards from the anchor. Line number -1 puts the first line's cell above
// the anchor, so (x, y) is the lower-left corner of the first line.
void draw_text(const DrawRecord &r, const Target &t) {
  SetTextColor(t.dc, palette[r.color]);
  const int saved_mode = GetBkMode(t.dc);
  SetBkMode(t.dc, TRANSPARENT);
  const Selected font(t.dc, CreateFontA(-r.x2, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                        "TEVRA-font"));

  const char *text = static_cast<const char *>(GlobalLock(r.text));
  if (text) {
    scripted_run_on_text_call(t.origin_x + r.x1, t.origin_y - r.y1, r.x2, text);
    const int n = static_cast<int>(std::strlen(text));
    SIZE extent = {0, 0};
    GetTextExtentPointA(t.dc, text, n, &extent);
    const int64_t h = extent.cy;
    int offset = 0;
    int64_t line_number = -1;
    for (;;) {
      const char *end = static_cast<const char *>(std::memchr(text + offset, '\n', n - offset));
      const int line_end = end ? static_cast<int>(end - text) : n;
      const int line_y = to_canvas(t.origin_y - r.y1 + line_number * h);
      TextOutA(t.dc, t.x(r.x1), line_y, text + offset, line_end - offset);
      scripted_run_on_text(static_cast<HFONT>(font.object()), t.x(r.x1), line_y, text + offset, line_end - offset);
      if (!end) break;
      ++line_number;
      offset = line_end + 1;
    }
    GlobalUnlock(r.text);
  }
  SetBkMode(t.dc, saved_mode);
}

} // namespace

void render_draw_record(const DrawRecord &record) {
  const Target target;
  if (target.dc) { // before the library is open there is nothing to draw on
    switch (record.kind) {
    case DRAW_TRIANGLE: draw_triangle(record, target); break;
    case DRAW_RECTANGLE:
    case DRAW_OVAL: draw_box_shape(record, target); break;
    case DRAW_LINE: draw_line(record, target); break;
    case DRAW_TEXT: draw_text(record, target); break;
    default: break; // an unknown kind draws nothing, but still counts as drawing
    }
  }
  mark_canvas_dirty();
}

void fill_canvas() {
  if (canvas()) {
    const Selected brush(canvas(), CreateSolidBrush(palette[TEVRA_WHITE]));
    Rectangle(canvas(), 0, 0, kCanvasWidth, kCanvasHeight); // with the default pen: a black frame
  }
  scripted_run_on_fill(0, 0, kCanvasWidth, kCanvasHeight);
  mark_canvas_dirty();
}

} // namespace tevra

extern "C" int32_t tevra_clear(void) {
  if (!tevra::on_library_thread(__func__)) return 0;
  if (tevra::logging()) tevra_log("Clearing the graphics window\n");
  // The canvas is painted white: the draw log gives that as the call's colour.
  if (tevra::log_on()) tevra::draw_log_call("clear", TEVRA_WHITE, "Clearing the graphics window", {}, {});
  tevra::fill_canvas();
  return 1;
}

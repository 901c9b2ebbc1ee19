// shapes.cpp — the shape entry points: Rectangle, Ellipse, Polygon, LineTo and FillRect.
//
// Each takes the DC's current pen and brush and turns the call into spans. Coverage is GDI's:
// boxes exclude their right and bottom edges; a cosmetic pen (width 0 or 1) outlines the
// inclusive box and the brush fills inside it; a wider PS_SOLID pen is centred on that outline;
// with NULL_PEN a rectangle fills one pixel less on the right and at the bottom. An ellipse is
// traced as GDI traces it (its rows filled by the brush, its outline path stroked by the pen),
// and one or two pixels thin it is a rectangle. Plain rectangles and filled ellipses are written
// row by row straight away; shapes with several parts (outlines in another colour than the
// brush, wide-pen outlines) hand each row's spans to a RowWriter.
#include <algorithm>
#include <cstdlib>
#include <type_traits>
#include <utility>
#include <vector>

#include "gdi/deferred_blit.h"
#include "gdi/raster.h"

using namespace winport::gdi;
using winport::Surface;

namespace {

// What a drawing call needs from its DC, resolved once.
struct Paint {
  DC *dc = nullptr;
  Surface *surface = nullptr;
  i64 pen_width = 0;  // 0: no outline, 1: cosmetic, more: geometric
  PenRoute route = PenRoute::None;
  uint32_t pen_pixel = 0;
  bool fills = false;  // the brush paints
  uint32_t brush_pixel = 0;

  const uint32_t *pen() const { return pen_width > 0 ? &pen_pixel : nullptr; }
  const uint32_t *brush() const { return fills ? &brush_pixel : nullptr; }
  // Outline and interior in one colour: rows can be written as whole spans.
  bool one_colour() const { return pen_width > 0 && fills && pen_pixel == brush_pixel; }
};

// A surface lent or borrowed by a deferred BitBlt is settled before the shape is drawn. A
// rectangle's box (as given to Rectangle) is painted opaquely when the brush fills it and a
// one-pixel pen, or none, outlines it: no pen leaves its right and bottom edge.
[[gnu::noinline]] void settle(const Paint &p, const RECT *box) {
  RECT cover{0, 0, 0, 0};
  if (box && p.fills && p.pen_width <= 1) {
    const LONG shrink = p.pen_width == 0 ? 1 : 0;
    cover = {std::min(box->left, box->right), std::min(box->top, box->bottom),
             std::max(box->left, box->right) - shrink, std::max(box->top, box->bottom) - shrink};
  }
  deferred_blit::settle_for_write(*p.surface, &cover);
}

// `box`: Rectangle's own arguments, which it may paint opaquely.
bool begin(HDC hdc, Paint &p, const RECT *box = nullptr) {
  p.dc = dc_from_handle(hdc);
  if (!p.dc || !p.dc->surface) return false;
  p.surface = p.dc->surface.get();
  p.pen_width = p.dc->pen_width;
  p.route = p.dc->pen_route;
  if (p.dc->pen) p.pen_pixel = winport::pixel_from_colorref(p.dc->pen->color);
  p.fills = p.dc->brush && !p.dc->brush->hollow;
  if (p.fills) p.brush_pixel = winport::pixel_from_colorref(p.dc->brush->color);
  if (p.surface->deferred) [[unlikely]] settle(p, box);
  return true;
}

// Wide-pen outline of the inclusive box [l, r] x [t, b], and the brush inside the box's
// columns l .. r - 1 and rows t .. b - 1 wherever the pen does not cover it.
void wide_box(const Paint &p, i64 l, i64 t, i64 r, i64 b) {
  Surface &s = *p.surface;
  const P64 corners[4] = {{r, t}, {l, t}, {l, b}, {r, b}};
  if (p.route == PenRoute::Thin) {
    // The brush first, the pen over it: the same pixels as the brush cut around the pen.
    if (p.fills) fill_box(s, l, t, r, b, p.brush_pixel);
    thin_stroke(s, corners, 4, true, p.pen_width, p.pen_pixel);
    return;
  }
  WideStroke stroke(corners, 4, true, p.pen_width);
  RowWriter row(s, p.pen(), p.brush());
  const RowRange rows = visible_rows(s, stroke.top(), stroke.bottom());
  for (i64 y = rows.first; y <= rows.last; ++y) {
    stroke.add_row(y, row);
    if (y >= t && y < b) row.add(RowWriter::Interior, l, r);
    row.write(y);
  }
}

// The traced ellipse's pieces: its rows (inset[k] for row t + k, when the brush fills them) and
// its outline path with the rows the path reaches.
struct TracedEllipse {
  i64 l, t, w, h;
  const std::vector<i64> *inset;  // null when nothing fills the rows
  i64 top, bottom;                // of the path

  void interior(i64 y, RowWriter &row) const {
    if (!inset || y < t || y >= t + h) return;
    const i64 k = (*inset)[static_cast<size_t>(y - t)];
    row.add(RowWriter::Interior, l + k, l + w - k);
  }
};

// The rows alone, in one colour. An ellipse within the surface's columns needs no clipping on
// each row.
void fill_traced_rows(Surface &s, const TracedEllipse &e, uint32_t pixel) {
  const RowRange rows = visible_rows(s, e.t, e.t + e.h - 1);
  const std::vector<i64> &inset = *e.inset;
  if (e.l < 0 || e.l + e.w > s.width) {
    for (i64 y = rows.first; y <= rows.last; ++y) {
      const i64 k = inset[static_cast<size_t>(y - e.t)];
      fill_span(s, y, e.l + k, e.l + e.w - k, pixel);
    }
    return;
  }
  if (rows.first > rows.last) return;
  // Locals, because as far as the compiler knows the pixels could alias the surface's fields.
  const i64 w = e.w, stride = s.width;
  uint32_t *row = s.row(static_cast<int>(rows.first)) + e.l;
  const i64 *k = inset.data() + (rows.first - e.t);
  const i64 *const end = k + (rows.last - rows.first + 1);
  bool wrote = false;
  for (; k != end; ++k, row += stride) {
    if (w - 2 * *k <= 0) continue;  // a row the walk never reached
    fill_pixels(row + *k, static_cast<size_t>(w - 2 * *k), pixel);
    wrote = true;
  }
  if (wrote) s.dirty = true;
}

// A wide pen along the path, the brush's rows where the pen leaves them.
void stroke_traced_wide(const Paint &p, const TracedEllipse &e, const std::vector<P64> &path) {
  Surface &s = *p.surface;
  RowWriter row(s, p.pen(), p.brush());
  const RowRange rows = visible_rows(s, e.top - p.pen_width, e.bottom + p.pen_width);
  const WideStroke::Window keep = {0, rows.first, s.width - 1, rows.last};
  WideStroke stroke(path.data(), static_cast<int>(path.size()), true, p.pen_width, keep);
  for (i64 y = rows.first; y <= rows.last; ++y) {
    stroke.add_row(y, row);
    e.interior(y, row);
    row.write(y);
  }
}

// A cosmetic pen draws each step of the path as a line without its end point: a step to a
// neighbouring pixel is its start pixel. The runs are gathered per row, then written row by row.
void stroke_traced_cosmetic(const Paint &p, const TracedEllipse &e, const std::vector<P64> &path) {
  Surface &s = *p.surface;
  const RowRange rows = visible_rows(s, e.top, e.bottom);
  if (rows.first > rows.last) return;
  struct Item {
    i64 y, x0, x1;
  };
  thread_local std::vector<Item> items, sorted;
  thread_local std::vector<size_t> first, next;
  items.clear();
  auto keep = [&](i64 y, i64 x0, i64 x1) {
    if (y >= rows.first && y <= rows.last) items.push_back({y, x0, x1});
  };
  const size_t n = path.size();
  for (size_t i = 0; i < n; ++i) {
    const P64 &a = path[i], &b = path[(i + 1) % n];
    if (a.x == b.x && a.y == b.y) continue;
    if (std::llabs(b.x - a.x) <= 1 && std::llabs(b.y - a.y) <= 1) {
      keep(a.y, a.x, a.x + 1);
    } else {
      cosmetic_line_runs(a.x, a.y, b.x, b.y, s, keep);
    }
  }
  // Counting sort by row.
  const size_t count = static_cast<size_t>(rows.last - rows.first + 1);
  first.assign(count + 1, 0);
  for (const Item &it : items) ++first[static_cast<size_t>(it.y - rows.first) + 1];
  for (size_t i = 0; i < count; ++i) first[i + 1] += first[i];
  sorted.resize(items.size());
  next.assign(first.begin(), first.end() - 1);
  for (const Item &it : items) sorted[next[static_cast<size_t>(it.y - rows.first)]++] = it;
  RowWriter row(s, p.pen(), p.brush());
  for (i64 y = rows.first; y <= rows.last; ++y) {
    const size_t r = static_cast<size_t>(y - rows.first);
    for (size_t i = first[r]; i < first[r + 1]; ++i) row.add(RowWriter::Outline, sorted[i].x0, sorted[i].x1);
    e.interior(y, row);
    row.write(y);
  }
}

// An ellipse as GDI traces it (see ellipse.cpp): the brush fills the traced rows, the pen strokes
// the traced outline path, and the brush does not paint under the pen.
void traced_ellipse(const Paint &p, i64 l, i64 t, i64 w, i64 h) {
  thread_local std::vector<P64> path;
  const TracedRows *rows = p.fills ? &traced_rows(w, h) : nullptr;
  const bool within = rows && rows->within;
  TracedEllipse e{l, t, w, h, rows ? &rows->inset : nullptr, t, t + h - 1};
  // The walk that gives the rows also gives the outline: on each row the path's outermost
  // pixels are the ends of the row and its other pixels lie between them. So a cosmetic pen in
  // the brush's colour adds nothing to the filled rows.
  if (p.pen_width == 0 || (p.pen_width == 1 && p.one_colour() && within)) {
    if (p.fills) fill_traced_rows(*p.surface, e, p.pen_width == 0 ? p.brush_pixel : p.pen_pixel);
    return;
  }
  traced_ellipse_path(l, t, w, h, path);
  for (const P64 &q : path) {
    e.top = std::min(e.top, q.y);
    e.bottom = std::max(e.bottom, q.y);
  }
  if (p.pen_width >= 2) {
    stroke_traced_wide(p, e, path);
  } else {
    stroke_traced_cosmetic(p, e, path);
  }
}

// Ellipses in boxes too large to trace (see ellipse.cpp) follow the closed form instead:

// A filled ellipse with no outline.
void plain_ellipse(Surface &s, i64 l, i64 t, i64 r, i64 b, uint32_t pixel) {
  EllipseRows ellipse(l, t, r, b);
  const RowRange rows = visible_rows(s, t, b);
  for (i64 y = rows.first; y <= rows.last; ++y) {
    i64 x0, x1;
    if (ellipse.row(y, x0, x1)) fill_span(s, y, x0, x1 + 1, pixel);
  }
}

// The ellipse in the inclusive box with a cosmetic pen: a pixel is outline when one of its four
// neighbours lies outside the ellipse, so the outline is one pixel thin and 8-connected.
void cosmetic_ellipse(const Paint &p, i64 l, i64 t, i64 r, i64 b) {
  Surface &s = *p.surface;
  if (p.one_colour()) {
    plain_ellipse(s, l, t, r, b, p.pen_pixel);
    return;
  }
  const RowRange rows = visible_rows(s, t, b);
  if (rows.first > rows.last) return;
  struct RowSpan {
    bool on = false;
    i64 x0 = 0, x1 = -1;
  };
  EllipseRows ellipse(l, t, r, b);
  auto span_at = [&](i64 y) {
    RowSpan span;
    span.on = ellipse.row(y, span.x0, span.x1);
    return span;
  };
  RowSpan above = span_at(rows.first - 1), here = span_at(rows.first);
  for (i64 y = rows.first; y <= rows.last; ++y) {
    const RowSpan below = span_at(y + 1);
    // Interior: inside this row (one pixel in from each end) and inside both neighbours.
    i64 in0 = here.x0 + 1, in1 = here.x1 - 1;
    if (!above.on || !below.on) {
      in0 = 1;
      in1 = 0;
    } else {
      in0 = std::max({in0, above.x0, below.x0});
      in1 = std::min({in1, above.x1, below.x1});
    }
    if (in0 > in1) {
      fill_span(s, y, here.x0, here.x1 + 1, p.pen_pixel);
    } else {
      fill_span(s, y, here.x0, in0, p.pen_pixel);
      fill_span(s, y, in1 + 1, here.x1 + 1, p.pen_pixel);
      if (p.fills) fill_span(s, y, in0, in1 + 1, p.brush_pixel);
    }
    above = here;
    here = below;
  }
}

// A wide pen centred on the ellipse: the ring between the ellipse grown by the pen's reach
// outwards and the one shrunk by its reach inwards; the brush fills the inner one.
void wide_ellipse(const Paint &p, i64 l, i64 t, i64 r, i64 b) {
  Surface &s = *p.surface;
  const i64 w = p.pen_width, before = w / 2, after = (w + 1) / 2;
  const i64 ol = l - before, ot = t - before, orr = r + after - 1, ob = b + after - 1;
  const i64 il = l + after, it = t + after, ir = r - before - 1, ib = b - before - 1;
  EllipseRows outer(ol, ot, orr, ob), inner(il, it, ir, ib);
  const RowRange rows = visible_rows(s, ot, ob);
  for (i64 y = rows.first; y <= rows.last; ++y) {
    i64 o0, o1, i0, i1;
    if (!outer.row(y, o0, o1)) continue;
    if (!inner.row(y, i0, i1)) {
      fill_span(s, y, o0, o1 + 1, p.pen_pixel);
      continue;
    }
    if (p.one_colour()) {
      fill_span(s, y, o0, o1 + 1, p.pen_pixel);
      continue;
    }
    fill_span(s, y, o0, i0, p.pen_pixel);
    fill_span(s, y, i1 + 1, o1 + 1, p.pen_pixel);
    if (p.fills) fill_span(s, y, i0, i1 + 1, p.brush_pixel);
  }
}

// A polygon outlined by a thin wide pen: the brush's rows first, then the stroke over them.
void thin_polygon(const Paint &p, const POINT *apt, int cpt, i64 top, i64 bottom) {
  Surface &s = *p.surface;
  if (p.fills) {
    PolygonEdges interior(apt, cpt);
    RowWriter row(s, nullptr, p.brush());
    const RowRange rows = visible_rows(s, top, bottom);
    for (i64 y = rows.first; y <= rows.last; ++y) {
      interior.add_row(y, p.dc->poly_fill_mode, row);
      row.write(y);
    }
  }
  thread_local std::vector<P64> points;
  points.resize(static_cast<size_t>(cpt));
  for (int i = 0; i < cpt; ++i) points[static_cast<size_t>(i)] = {apt[i].x, apt[i].y};
  thin_stroke(s, points.data(), cpt, true, p.pen_width, p.pen_pixel);
}

// A filled triangle outlined in its own colour covers one run per row, from its leftmost to its
// rightmost outline pixel: every row it spans has outline pixels on both sides, at or beyond the
// interior's ends. So its interior need not be computed at all (the tests check this against the
// interior and the outline drawn apart), and each edge is walked once.
void outlined_triangle(const Paint &p, const POINT *apt, i64 top, i64 bottom) {
  Surface &s = *p.surface;
  const RowRange rows = visible_rows(s, top, bottom);
  if (rows.first > rows.last) return;
  thread_local std::vector<i64> lo, hi;
  const size_t count = static_cast<size_t>(rows.last - rows.first + 1);
  if (lo.size() < count) {
    lo.resize(count);
    hi.resize(count);
  }
  // The edge spanning the most rows sets them, so only the few it misses start empty; the other
  // two widen them.
  auto height = [&](int i) { return std::llabs(i64{apt[(i + 1) % 3].y} - apt[i].y); };
  int tallest = 0;
  for (int i = 1; i < 3; ++i) {
    if (height(i) > height(tallest)) tallest = i;
  }
  for (int k = 0; k < 3; ++k) {
    const int i = (tallest + k) % 3;
    const POINT &a = apt[i], &b = apt[(i + 1) % 3];
    CosmeticEdge(a.x, a.y, b.x, b.y).widen_rows(rows.first, rows.last, lo.data(), hi.data(), k == 0);
  }
  // The rows are on the surface; only the columns may need cutting, and not when the corners lie
  // within its width, since a line's pixels lie between its ends' columns.
  auto fill_rows = [&](auto cut_tag) {
    uint32_t *row = s.row(static_cast<int>(rows.first));
    const i64 *l = lo.data(), *h = hi.data();
    for (size_t i = 0; i < count; ++i, row += s.width) {
      i64 x0 = l[i], x1 = h[i];
      if (decltype(cut_tag)::value) {
        x0 = std::max<i64>(x0, 0);
        x1 = std::min<i64>(x1, s.width);
      }
      if (x0 < x1) fill_pixels(row + x0, static_cast<size_t>(x1 - x0), p.pen_pixel);
    }
  };
  if (std::all_of(apt, apt + 3, [&](const POINT &q) { return q.x >= 0 && q.x < s.width; })) {
    fill_rows(std::false_type());
  } else {
    fill_rows(std::true_type());
  }
  s.dirty = true;
}

}  // namespace

extern "C" {

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  Paint p;
  const RECT box{left, top, right, bottom};
  if (!begin(hdc, p, &box)) return FALSE;
  i64 l = left, t = top, r = right, b = bottom;
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  if (l == r || t == b) return TRUE;
  Surface &s = *p.surface;

  if (p.pen_width == 0) {
    if (p.fills) fill_box(s, l, t, r - 1, b - 1, p.brush_pixel);
  } else if (p.pen_width >= 2) {
    wide_box(p, l, t, r - 1, b - 1);
  } else if (p.one_colour() || r - l <= 2 || b - t <= 2) {
    // Nothing lies inside the outline, or it does not matter what does.
    fill_box(s, l, t, r, b, p.pen_pixel);
  } else {
    fill_span(s, t, l, r, p.pen_pixel);
    fill_span(s, b - 1, l, r, p.pen_pixel);
    const RowRange rows = visible_rows(s, t + 1, b - 2);
    for (i64 y = rows.first; y <= rows.last; ++y) {
      fill_span(s, y, l, l + 1, p.pen_pixel);
      fill_span(s, y, r - 1, r, p.pen_pixel);
      if (p.fills) fill_span(s, y, l + 1, r - 1, p.brush_pixel);
    }
  }
  return TRUE;
}

BOOL WINAPI Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  Paint p;
  if (!begin(hdc, p)) return FALSE;
  i64 l = left, t = top, r = right, b = bottom;
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  if (l == r || t == b) return TRUE;

  // Boxes one or two pixels thin are rectangles.
  if (r - l <= 2 || b - t <= 2) return Rectangle(hdc, left, top, right, bottom);
  // Nor are ellipses with very wide pens: every step of the path puts a dot the pen's width
  // across on every row it reaches, so the work would grow with the width.
  constexpr i64 kTracedPenLimit = 256;
  if (r - l <= kTracedLimit && b - t <= kTracedLimit && p.pen_width <= kTracedPenLimit) {
    traced_ellipse(p, l, t, r - l, b - t);
  } else if (p.pen_width == 0) {
    if (p.fills) plain_ellipse(*p.surface, l, t, r - 1, b - 1, p.brush_pixel);
  } else if (p.pen_width >= 2) {
    wide_ellipse(p, l, t, r - 1, b - 1);
  } else {
    cosmetic_ellipse(p, l, t, r - 1, b - 1);
  }
  return TRUE;
}

BOOL WINAPI Polygon(HDC hdc, const POINT *apt, int cpt) {
  Paint p;
  if (!begin(hdc, p) || !apt || cpt < 2) return FALSE;
  Surface &s = *p.surface;
  i64 top = apt[0].y, bottom = apt[0].y;
  for (int i = 1; i < cpt; ++i) {
    top = std::min<i64>(top, apt[i].y);
    bottom = std::max<i64>(bottom, apt[i].y);
  }
  if (p.route == PenRoute::Thin) {
    thin_polygon(p, apt, cpt, top, bottom);
    return TRUE;
  }
  if (cpt == 3 && p.pen_width == 1 && p.one_colour()) {
    outlined_triangle(p, apt, top, bottom);
    return TRUE;
  }
  // The outline: closed, each edge from its point up to the next one.
  thread_local std::vector<CosmeticEdge> edges;  // kept between calls: no allocation per polygon
  edges.clear();
  if (p.pen_width == 1) {
    for (int i = 0; i < cpt; ++i) {
      const POINT &a = apt[i], &b = apt[(i + 1) % cpt];
      edges.emplace_back(a.x, a.y, b.x, b.y);
    }
  }
  WideStroke stroke(apt, p.pen_width >= 2 ? cpt : 0, true, p.pen_width);
  if (p.pen_width >= 2) {
    top = stroke.top();
    bottom = stroke.bottom();
  }
  const RowRange rows = visible_rows(s, top, bottom);
  PolygonEdges interior(apt, p.fills ? cpt : 0);
  RowWriter row(s, p.pen(), p.brush());
  for (i64 y = rows.first; y <= rows.last; ++y) {
    interior.add_row(y, p.dc->poly_fill_mode, row);
    for (CosmeticEdge &e : edges) e.add_row(y, row);
    if (p.pen_width >= 2) stroke.add_row(y, row);
    row.write(y);
  }
  return TRUE;
}

BOOL WINAPI LineTo(HDC hdc, int x, int y) {
  Paint p;
  if (!begin(hdc, p)) return FALSE;
  const POINT from = p.dc->position;
  p.dc->position = {x, y};
  if (p.pen_width == 1) {
    cosmetic_line(*p.surface, from.x, from.y, x, y, p.pen_pixel);
  } else if (p.route == PenRoute::Thin) {
    const P64 ends[2] = {{from.x, from.y}, {x, y}};
    thin_stroke(*p.surface, ends, 2, false, p.pen_width, p.pen_pixel);
  } else if (p.pen_width >= 2) {
    const POINT ends[2] = {from, {x, y}};
    WideStroke stroke(ends, 2, false, p.pen_width);
    RowWriter row(*p.surface, p.pen(), nullptr);
    const RowRange rows = visible_rows(*p.surface, stroke.top(), stroke.bottom());
    for (i64 r = rows.first; r <= rows.last; ++r) {
      stroke.add_row(r, row);
      row.write(r);
    }
  }
  return TRUE;
}

// FillRect belongs to USER32 in Win32; it is only a brush fill of [left, right) x [top, bottom).
int WINAPI FillRect(HDC hDC, const RECT *lprc, HBRUSH hbr) {
  DC *dc = dc_from_handle(hDC);
  Object *object = object_from_handle(hbr);
  if (!dc || !dc->surface || !lprc || !object || object->kind != ObjectKind::Brush) return 0;
  const auto *brush = static_cast<const Brush *>(object);
  if (!brush->hollow) {
    deferred_blit::before_write(*dc->surface, lprc);
    fill_box(*dc->surface, lprc->left, lprc->top, lprc->right, lprc->bottom,
             winport::pixel_from_colorref(brush->color));
  }
  return 1;
}

}  // extern "C"

// crosscheck.cpp — draws a battery of shapes through GDI and prints every case's pixels, so the
// same source built against Windows' GDI (under Wine) and against winport can be compared.
//
// Each case starts from a white 96 x 96 bitmap, draws with a red pen and (where it fills) a blue
// brush, and prints one line: the case's name, then each non-white pixel as x,y and a letter
// (P pen, B brush, ? anything else). Compare two outputs with compare.py.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../../tests/winport/gdi/reference_battery.h"

namespace {

using namespace gdi_reference;

HDC g_dc;
HBITMAP g_bitmap;
#ifdef _WIN32
uint32_t *g_bits;
#endif
FILE *g_out;

void setup() {
  g_dc = CreateCompatibleDC(nullptr);
#ifdef _WIN32
  BITMAPINFO bi = top_down_info();
  void *bits = nullptr;
  g_bitmap = CreateDIBSection(g_dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  g_bits = static_cast<uint32_t *>(bits);
#else
  g_bitmap = CreateCompatibleBitmap(g_dc, kSize, kSize);
#endif
  SelectObject(g_dc, g_bitmap);
}

void clear() {
  HBRUSH b = CreateSolidBrush(kWhite);
  RECT r = {0, 0, kSize, kSize};
  FillRect(g_dc, &r, b);
  DeleteObject(b);
}

// Pen: width, or -1 for NULL_PEN. Brush: filled or NULL_BRUSH.
struct Tools {
  HPEN pen = nullptr;
  HBRUSH brush = nullptr;
  HGDIOBJ old_pen = nullptr, old_brush = nullptr;
  Tools(int width, bool filled, COLORREF brush_colour = kBrush) {
    pen = width < 0 ? nullptr : CreatePen(PS_SOLID, width, kPen);
    brush = filled ? CreateSolidBrush(brush_colour) : nullptr;
    old_pen = SelectObject(g_dc, pen ? static_cast<HGDIOBJ>(pen) : GetStockObject(NULL_PEN));
    old_brush = SelectObject(g_dc, brush ? static_cast<HGDIOBJ>(brush) : GetStockObject(NULL_BRUSH));
  }
  ~Tools() {
    SelectObject(g_dc, old_pen);
    SelectObject(g_dc, old_brush);
    if (pen) DeleteObject(pen);
    if (brush) DeleteObject(brush);
  }
};

void dump(const std::string &name) {
  std::vector<uint32_t> px(kSize * kSize);
#ifdef _WIN32
  GdiFlush();
  std::memcpy(px.data(), g_bits, px.size() * 4);
#else
  BITMAPINFO bi = top_down_info();
  GetDIBits(g_dc, g_bitmap, 0, kSize, px.data(), &bi, DIB_RGB_COLORS);
#endif
  std::fprintf(g_out, "%s", name.c_str());
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const uint32_t p = px[y * kSize + x] & 0xFFFFFFu;
      if (p == 0xFFFFFFu) continue;
      const char c = p == 0xFF0000u ? 'P' : p == 0x0000FFu ? 'B' : '?';
      std::fprintf(g_out, " %d,%d%c", x, y, c);
    }
  }
  std::fprintf(g_out, "\n");
}

template <typename Draw>
void shape_case(const std::string &name, const Style &st, Draw draw) {
  clear();
  {
    Tools t(st.width, st.filled, st.same ? kPen : kBrush);
    draw();
  }
  dump(name + "/w" + std::to_string(st.width) + (st.filled ? (st.same ? "S" : "F") : "N"));
}

void boxes(const char *kind, BOOL(WINAPI *draw)(HDC, int, int, int, int)) {
  const int sizes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16, 17, 20, 25, 31, 32, 45, 60};
  for (const Style &st : kStyles) {
    for (int w : sizes) {
      for (int h : sizes) {
        if (w != h && !(w <= 13 && h <= 13) && !(w == 1 || h == 1 || w == 60 || h == 60)) continue;
        const int l = 20, t = 20;
        shape_case(std::string(kind) + " " + std::to_string(w) + "x" + std::to_string(h), st,
                   [&] { draw(g_dc, l, t, l + w, t + h); });
      }
    }
    // Circles as the renderer makes them: a box of 2r + 1 around the centre pixel.
    for (int r = 0; r <= 20; ++r) {
      shape_case(std::string(kind) + " circle r" + std::to_string(r), st,
                 [&] { draw(g_dc, 48 - r, 48 - r, 48 + r + 1, 48 + r + 1); });
    }
    // Partly off the surface on each side.
    const int off[][4] = {{-10, 30, 20, 50}, {80, 30, 110, 50}, {30, -10, 50, 20},
                          {30, 80, 50, 110}, {-30, -30, 126, 126}, {-5, -5, 6, 6}};
    for (const auto &o : off) {
      shape_case(std::string(kind) + " off " + std::to_string(o[0]) + "," + std::to_string(o[1]) + "," +
                     std::to_string(o[2]) + "," + std::to_string(o[3]),
                 st, [&] { draw(g_dc, o[0], o[1], o[2], o[3]); });
    }
  }
}

// Shapes larger than the surface, as the game's big circles are on a small canvas.
void big_shapes() {
  const int boxes[][4] = {{48 - 57, 48 - 57, 48 + 58, 48 + 58}, {-60, 10, 140, 140}, {-100, -40, 100, 60},
                          {30, -200, 70, 300},                 {-7, -3, 90, 101},  {1, 2, 95, 94},
                          {48 - 40, 48 - 40, 48 + 41, 48 + 41}, {20, 30, 101, 71}, {-20, 40, 130, 80}};
  for (const Style &st : kStyles) {
    for (const auto &b : boxes) {
      const std::string at = std::to_string(b[0]) + "," + std::to_string(b[1]) + "," + std::to_string(b[2]) + "," +
                             std::to_string(b[3]);
      shape_case("ellipse big " + at, st, [&] { Ellipse(g_dc, b[0], b[1], b[2], b[3]); });
      shape_case("rect big " + at, st, [&] { Rectangle(g_dc, b[2], b[3], b[0], b[1]); });  // corners swapped
    }
  }
}

// Narrow and flat ellipses: one side of 1 to 6 pixels against the other of 1 to 60, with the thin
// pens a renderer uses, filled and not.
void narrow_ellipses() {
  for (int pen = 1; pen <= 3; ++pen) {
    for (bool filled : {true, false}) {
      const Style st = {pen, filled, false};
      for (int thin = 1; thin <= 6; ++thin) {
        for (int len = 1; len <= 60; ++len) {
          for (bool flat : {false, true}) {
            if (flat && len <= 6) continue;  // already drawn upright
            const int w = flat ? len : thin, h = flat ? thin : len;
            shape_case("ellipse narrow " + std::to_string(w) + "x" + std::to_string(h), st,
                       [&] { Ellipse(g_dc, 20, 20, 20 + w, 20 + h); });
          }
        }
      }
    }
  }
}

void triangles() {
  for (const Style &st : kStyles) {
    int i = 0;
    for (const auto &t : kTriangles) {
      shape_case("triangle " + std::to_string(i++), st, [&] { Polygon(g_dc, t, 3); });
    }
  }
}

// Polygons of more points: concave, self-crossing (ALTERNATE), with repeated points.
void polygons() {
  const std::vector<std::vector<POINT>> polys = {
      {{10, 10}, {80, 10}, {80, 80}, {45, 30}, {10, 80}},
      {{10, 10}, {80, 70}, {80, 10}, {10, 70}},
      {{48, 5}, {60, 40}, {90, 40}, {65, 60}, {75, 90}, {48, 70}, {20, 90}, {30, 60}, {5, 40}, {35, 40}},
      {{20, 20}, {20, 20}, {70, 25}, {70, 25}, {40, 70}, {20, 20}},
      {{-30, 20}, {120, 30}, {50, 140}, {40, -40}},
  };
  for (const Style &st : kStyles) {
    int i = 0;
    for (const auto &p : polys) {
      shape_case("polygon " + std::to_string(i++), st, [&] { Polygon(g_dc, p.data(), static_cast<int>(p.size())); });
    }
  }
}

void lines() {
  const int widths[] = {0, 1, 2, 3, 4, 5, 6};
  for (int w : widths) {
    for (int dy = -12; dy <= 12; ++dy) {
      for (int dx = -12; dx <= 12; ++dx) {
        clear();
        {
          Tools t(w, false);
          MoveToEx(g_dc, 48, 48, nullptr);
          LineTo(g_dc, 48 + dx, 48 + dy);
        }
        dump("line w" + std::to_string(w) + " " + std::to_string(dx) + "," + std::to_string(dy));
      }
    }
    // Long lines with awkward slopes, and lines that leave the surface.
    const int longs[][4] = {{5, 7, 90, 40}, {90, 40, 5, 7}, {7, 5, 40, 90}, {40, 90, 7, 5}, {3, 3, 92, 92},
                            {92, 3, 3, 92}, {-50, 10, 150, 70}, {10, -50, 70, 150}, {48, 48, 300, 49},
                            {48, 48, 49, 300}, {-1000, 47, 1000, 49}, {0, 0, 95, 1}, {95, 1, 0, 0}};
    for (const auto &l : longs) {
      clear();
      {
        Tools t(w, false);
        MoveToEx(g_dc, l[0], l[1], nullptr);
        LineTo(g_dc, l[2], l[3]);
      }
      dump("line w" + std::to_string(w) + " long " + std::to_string(l[0]) + "," + std::to_string(l[1]) + "-" +
           std::to_string(l[2]) + "," + std::to_string(l[3]));
    }
  }
}

}  // namespace

int main(int argc, char **argv) {
  g_out = argc > 1 ? std::fopen(argv[1], "w") : stdout;
  if (!g_out) return 1;
  setup();
  boxes("rect", Rectangle);
  boxes("ellipse", Ellipse);
  big_shapes();
  narrow_ellipses();
  triangles();
  polygons();
  lines();
  if (g_out != stdout) std::fclose(g_out);
  return 0;
}

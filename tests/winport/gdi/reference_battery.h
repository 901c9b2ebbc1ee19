// A battery of shape cases whose pixels were recorded from a real GDI, grouped in families.
//
// Each case starts from a white 96 x 96 bitmap and draws with a red PS_SOLID pen (or NULL_PEN)
// and a blue brush (or NULL_BRUSH). Its pixels are summed up as a 64-bit FNV-1a hash over the
// text " x,yC" for each non-white pixel in row order (C: P for the pen's red, B for the brush's
// blue, ? for anything else) and a newline; a family's hash runs on over all its cases.
//
// This header uses the Win32 API only, so that the same battery can run against a real GDI
// (tools/gdi-crosscheck prints the table that the tests hold) and against winport.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace gdi_reference {

constexpr int kSize = 96;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kPen = RGB(255, 0, 0);
constexpr COLORREF kBrush = RGB(0, 0, 255);

struct FamilyHash {
  std::string family;
  uint64_t hash;
};

// Pen widths and brushes every shape is drawn with.
struct Style {
  int width;  // -1: NULL_PEN
  bool filled;
  bool same;  // brush in the pen's colour
};
constexpr Style kStyles[] = {{0, true, true},   {0, true, false},  {0, false, false}, {1, true, false},
                             {1, false, false}, {2, true, false},  {2, false, false}, {3, true, false},
                             {3, false, false}, {4, true, false},  {4, false, false}, {5, true, false},
                             {5, false, false}, {6, true, false},  {6, false, false}, {-1, true, false}};

// Triangles of every orientation, degenerate ones and one partly off the bitmap.
constexpr POINT kTriangles[][3] = {
    {{20, 20}, {60, 20}, {40, 50}},   {{40, 20}, {60, 50}, {20, 50}},   {{20, 20}, {20, 60}, {55, 40}},
    {{60, 20}, {60, 60}, {25, 40}},   {{20, 20}, {70, 35}, {30, 70}},   {{20, 20}, {30, 70}, {70, 35}},
    {{48, 48}, {49, 48}, {48, 49}},   {{30, 30}, {31, 40}, {45, 31}},   {{20, 50}, {70, 49}, {45, 51}},
    {{40, 40}, {40, 40}, {40, 40}},   {{40, 40}, {50, 40}, {60, 40}},   {{10, 10}, {80, 60}, {20, 75}},
    {{-20, 10}, {50, 40}, {10, 120}}, {{25, 25}, {26, 60}, {27, 26}}, {{30, 30}, {60, 31}, {31, 32}},
};

// The header of a top-down 32-bit bitmap of the battery's size, for reading pixels back.
inline BITMAPINFO top_down_info() {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = kSize;
  bi.bmiHeader.biHeight = -kSize;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  return bi;
}

// Reads the bitmap back: kSize * kSize pixels, top row first, 0x00RRGGBB.
using ReadPixels = std::function<const uint32_t *()>;

class Battery {
 public:
  Battery(HDC dc, ReadPixels read) : dc_(dc), read_(std::move(read)) {}

  std::vector<FamilyHash> run() {
    shapes("rect", Rectangle, false);
    shapes("ellipse", Ellipse, true);
    narrow_ellipses();
    triangles();
    lines();
    return out_;
  }

 private:
  static std::string style_name(const Style &s) {
    return "w" + std::to_string(s.width) + (s.filled ? (s.same ? "S" : "F") : "N");
  }

  void clear() {
    HBRUSH b = CreateSolidBrush(kWhite);
    RECT r = {0, 0, kSize, kSize};
    FillRect(dc_, &r, b);
    DeleteObject(b);
  }

  // Draws one case with the style's pen and brush and adds its pixels to the hash.
  template <typename Draw>
  void draw_case(const Style &st, Draw draw) {
    clear();
    HPEN pen = st.width < 0 ? nullptr : CreatePen(PS_SOLID, st.width, kPen);
    HBRUSH brush = st.filled ? CreateSolidBrush(st.same ? kPen : kBrush) : nullptr;
    HGDIOBJ old_pen = SelectObject(dc_, pen ? static_cast<HGDIOBJ>(pen) : GetStockObject(NULL_PEN));
    HGDIOBJ old_brush = SelectObject(dc_, brush ? static_cast<HGDIOBJ>(brush) : GetStockObject(NULL_BRUSH));
    draw();
    SelectObject(dc_, old_pen);
    SelectObject(dc_, old_brush);
    if (pen) DeleteObject(pen);
    if (brush) DeleteObject(brush);
    add_pixels();
  }

  void add_pixels() {
    const uint32_t *px = read_();
    char token[32];
    for (int y = 0; y < kSize; ++y) {
      for (int x = 0; x < kSize; ++x) {
        const uint32_t p = px[y * kSize + x] & 0xFFFFFFu;
        if (p == 0xFFFFFFu) continue;
        const char c = p == 0xFF0000u ? 'P' : p == 0x0000FFu ? 'B' : '?';
        std::snprintf(token, sizeof token, " %d,%d%c", x, y, c);
        mix(token);
      }
    }
    mix("\n");
  }

  void mix(const char *s) {
    for (; *s; ++s) {
      hash_ ^= static_cast<unsigned char>(*s);
      hash_ *= 0x100000001b3ull;
    }
  }
  void begin_family() { hash_ = 0xcbf29ce484222325ull; }
  void end_family(const std::string &name) { out_.push_back({name, hash_}); }

  void shapes(const char *kind, BOOL(WINAPI *draw)(HDC, int, int, int, int), bool ellipse) {
    const int sizes[] = {1, 2, 3, 4, 5, 7, 8, 12, 13, 17, 31, 60};
    for (const Style &st : kStyles) {
      begin_family();
      for (int w : sizes) {
        for (int h : sizes) {
          if (w != h && !(w <= 13 && h <= 13) && !(w == 1 || h == 1 || w == 60 || h == 60)) continue;
          if (w == 1 && h == 1) continue;  // GDI leaves a 1 x 1 box empty; we colour it
          // Very slim ellipses have families of their own (narrow_ellipses).
          if (ellipse && w <= 6 && h >= 8 && (w == 3 || h == 60)) continue;
          draw_case(st, [&] { draw(dc_, 20, 20, 20 + w, 20 + h); });
        }
      }
      // Circles as a renderer makes them: a box of 2r + 1 around the centre pixel.
      for (int r = 1; r <= 20; ++r) draw_case(st, [&] { draw(dc_, 48 - r, 48 - r, 48 + r + 1, 48 + r + 1); });
      // Partly off the surface on each side.
      const int off[][4] = {{-10, 30, 20, 50}, {80, 30, 110, 50}, {30, -10, 50, 20},
                            {30, 80, 50, 110}, {-30, -30, 126, 126}, {-5, -5, 6, 6}};
      for (const auto &o : off) draw_case(st, [&] { draw(dc_, o[0], o[1], o[2], o[3]); });
      end_family(std::string(kind) + " " + style_name(st));
    }
  }

  // Narrow and flat ellipses: a side of 1 to 6 pixels against one of 1 to 60, with pens 1 to 3.
  // The recording GDI's tracer reaches the middle column of a slim box before its last rows. Its
  // outline ends there, so the tips stay unpainted; its brush, though, fills those rows from
  // memory it never wrote (they differ from run to run), so filled cases from the first such
  // height on are left out. winport leaves those rows empty, as the outline does.
  void narrow_ellipses() {
    constexpr int kFirstUnreached[7] = {0, 61, 61, 8, 18, 32, 50};  // by width; 1 and 2 are boxes
    for (int pen = 1; pen <= 3; ++pen) {
      for (bool filled : {true, false}) {
        const Style st = {pen, filled, false};
        begin_family();
        for (int thin = 1; thin <= 6; ++thin) {
          for (int len = 1; len <= 60; ++len) {
            for (bool flat : {false, true}) {
              if (flat && len <= 6) continue;  // drawn upright already
              if (filled && !flat && len >= kFirstUnreached[thin]) continue;
              const int w = flat ? len : thin, h = flat ? thin : len;
              if (w == 1 && h == 1) continue;  // GDI leaves a 1 x 1 box empty; we colour it
              draw_case(st, [&] { Ellipse(dc_, 20, 20, 20 + w, 20 + h); });
            }
          }
        }
        end_family("ellipse narrow " + style_name(st));
      }
    }
  }

  void triangles() {
    for (const Style &st : kStyles) {
      begin_family();
      for (const auto &t : kTriangles) draw_case(st, [&] { Polygon(dc_, t, 3); });
      end_family("triangle " + style_name(st));
    }
  }

  void lines() {
    for (int w = 0; w <= 6; ++w) {
      const Style st = {w, false, false};
      begin_family();
      // Every direction and slope out to 8 pixels, the zero-length line included.
      for (int dy = -8; dy <= 8; ++dy) {
        for (int dx = -8; dx <= 8; ++dx) {
          draw_case(st, [&] {
            MoveToEx(dc_, 48, 48, nullptr);
            LineTo(dc_, 48 + dx, 48 + dy);
          });
        }
      }
      // Long lines with awkward slopes, and lines that leave the surface.
      const int longs[][4] = {{5, 7, 90, 40},     {90, 40, 5, 7},    {7, 5, 40, 90},     {40, 90, 7, 5},
                              {3, 3, 92, 92},     {92, 3, 3, 92},    {-50, 10, 150, 70}, {10, -50, 70, 150},
                              {48, 48, 300, 49},  {48, 48, 49, 300}, {-1000, 47, 1000, 49}, {0, 0, 95, 1},
                              {95, 1, 0, 0}};
      for (const auto &l : longs) {
        draw_case(st, [&] {
          MoveToEx(dc_, l[0], l[1], nullptr);
          LineTo(dc_, l[2], l[3]);
        });
      }
      end_family("line " + style_name(st));
    }
  }

  HDC dc_;
  ReadPixels read_;
  uint64_t hash_ = 0;
  std::vector<FamilyHash> out_;
};

}  // namespace gdi_reference

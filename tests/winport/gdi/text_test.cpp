// Text: font metrics, where TextOutA puts the ink, extents, background modes and clipping.
#include <gtest/gtest.h>
#include <windows.h>


#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "canvas.h"
#include "gdi/font.h"

namespace {

using gdi_test::kWhite;

// The pixel-test canvas with a font selected; it puts the DC's own font back and deletes the fonts
// it made.
class Canvas : public gdi_test::Canvas {
 public:
  using gdi_test::Canvas::Canvas;
  ~Canvas() { use_font(nullptr); }

  // Selects the given font, or the DC's default again (nullptr).
  void use_font(HGDIOBJ font) {
    HGDIOBJ previous = SelectObject(dc(), font ? font : old_font_);
    if (!old_font_) old_font_ = previous;
    if (own_font_ && own_font_ != font) DeleteObject(own_font_);
    own_font_ = nullptr;
  }
  // Selects a font made as TEVRA's renderer makes its fonts: em height `em`, face "TEVRA-font".
  void use_em(int em) {
    HFONT f = CreateFontA(-em, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "TEVRA-font");
    use_font(f);
    own_font_ = f;
  }
  TEXTMETRICA metrics() const {
    TEXTMETRICA tm = {};
    EXPECT_TRUE(GetTextMetricsA(dc(), &tm));
    return tm;
  }
  SIZE extent(const char *s) const { return extent(s, static_cast<int>(strlen(s))); }
  SIZE extent(const char *s, int n) const {
    SIZE size = {-1, -1};
    EXPECT_TRUE(GetTextExtentPointA(dc(), s, n, &size));
    return size;
  }
  std::vector<COLORREF> all_pixels() const {
    std::vector<COLORREF> p;
    for (int y = 0; y < height(); ++y)
      for (int x = 0; x < width(); ++x) p.push_back(GetPixel(dc(), x, y));
    return p;
  }
  // The bounding box of every pixel that is not white; right and bottom exclusive.
  RECT ink() const {
    RECT r = gdi_test::bounds(painted());
    return {r.left, r.top, r.right + 1, r.bottom + 1};
  }
  bool blank() const { return painted().empty(); }

 private:
  HGDIOBJ old_font_ = nullptr;
  HGDIOBJ own_font_ = nullptr;
};

void text_out(HDC dc, int x, int y, const char *s) { TextOutA(dc, x, y, s, static_cast<int>(strlen(s))); }

}  // namespace

TEST(FontMetrics, EmHeightOf25GivesTheFacesScaledAscentAndDescent) {
  Canvas c(8, 8);
  c.use_em(25);
  TEXTMETRICA tm = c.metrics();
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 25);  // the em
  EXPECT_EQ(tm.tmAscent, 24);
  EXPECT_EQ(tm.tmDescent, 6);
  EXPECT_EQ(tm.tmHeight, 30);
  EXPECT_GE(tm.tmExternalLeading, 0);
  EXPECT_GT(tm.tmAveCharWidth, 0);
  EXPECT_GE(tm.tmMaxCharWidth, tm.tmAveCharWidth);
  EXPECT_EQ(tm.tmWeight, FW_NORMAL);
  EXPECT_NE(tm.tmPitchAndFamily & TMPF_FIXED_PITCH, 0);  // set means variable pitch
  EXPECT_EQ(tm.tmFirstChar, 32);
  EXPECT_EQ(tm.tmLastChar, 255);
  EXPECT_EQ(c.extent("Hello").cy, 30);
}

TEST(FontMetrics, HeightsChooseCellsAndStayBounded) {
  Canvas c(160, 60);
  SetBkMode(c.dc(), TRANSPARENT);
  // A positive height asks for the cell, and gets it exactly, with an em a little smaller; the
  // tallest and deepest ASCII ink stays inside it.
  for (int h : {8, 13, 16, 17, 20, 22, 31, 37}) {
    HFONT f = CreateFontA(h, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "TEVRA-font");
    c.use_font(f);
    TEXTMETRICA tm = c.metrics();
    EXPECT_EQ(tm.tmHeight, h);
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, h);
    EXPECT_GT(tm.tmInternalLeading, 0);
    EXPECT_LT(tm.tmInternalLeading, h / 3 + 2);
    c.clear();
    text_out(c.dc(), 2, 10, "gjq|[]{}");
    EXPECT_GE(c.ink().top, 10) << h;
    EXPECT_LE(c.ink().bottom, 10 + h) << h;
    c.use_font(nullptr);
    DeleteObject(f);
  }
  // Height 0 is the mapper's default, about 16 pixels; absurd heights are bounded.
  for (int h : {0, INT_MIN, INT_MAX, -100000}) {
    HFONT f = CreateFontA(h, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "TEVRA-font");
    c.use_font(f);
    LONG height = c.metrics().tmHeight;
    EXPECT_GT(height, 0);
    EXPECT_LT(height, 2000);
    if (h == 0) {
      EXPECT_NEAR(height, 16, 2);
    }
    EXPECT_TRUE(TextOutA(c.dc(), -3, -3, "Wide", 4));
    c.use_font(nullptr);
    DeleteObject(f);
  }
}

TEST(FontMetrics, AnsiFixedFontIsFixedPitchWithA13PixelCell) {
  Canvas c(8, 8);
  c.use_font(GetStockObject(ANSI_FIXED_FONT));
  TEXTMETRICA tm = c.metrics();
  EXPECT_EQ(tm.tmPitchAndFamily & TMPF_FIXED_PITCH, 0);
  EXPECT_EQ(tm.tmHeight, 13);
  EXPECT_EQ(c.extent("iiii").cx, c.extent("WWWW").cx);
  EXPECT_EQ(c.extent("iiii").cx, 4 * tm.tmAveCharWidth);

  c.use_font(GetStockObject(SYSTEM_FONT));
  EXPECT_NE(c.metrics().tmPitchAndFamily & TMPF_FIXED_PITCH, 0);
  EXPECT_LT(c.extent("iiii").cx, c.extent("WWWW").cx);
}

TEST(TextOut, TheCellsTopLeftCornerIsAtThePoint) {
  Canvas c(200, 80);
  c.use_em(25);
  SetBkMode(c.dc(), TRANSPARENT);
  const TEXTMETRICA tm = c.metrics();
  const SIZE size = c.extent("Hxg");
  text_out(c.dc(), 20, 30, "Hxg");
  RECT ink = c.ink();
  // Everything lies inside the cell; 'H' reaches near its top, 'g' below the baseline.
  EXPECT_GE(ink.top, 30);
  EXPECT_LT(ink.top, 30 + tm.tmAscent - tm.tmAscent / 2);
  EXPECT_GT(ink.bottom, 30 + tm.tmAscent);
  EXPECT_LE(ink.bottom, 30 + tm.tmHeight);
  EXPECT_GE(ink.left, 20);
  EXPECT_LT(ink.left, 20 + tm.tmAveCharWidth);
  EXPECT_LE(ink.right, 20 + size.cx + 1);
  // 'H' stands on the baseline: its last inked row is the one just above it.
  c.clear();
  text_out(c.dc(), 20, 30, "H");
  EXPECT_EQ(c.ink().bottom, 30 + tm.tmAscent);
}

TEST(TextOut, ExtentsAreTheSumOfTheAdvancesThatDrawingUses) {
  Canvas c(200, 40);
  c.use_em(17);
  SetBkMode(c.dc(), TRANSPARENT);
  const char *text = "Vanilla, 2 scoops!";
  int n = static_cast<int>(strlen(text));
  LONG sum = 0;
  for (int i = 0; i < n; ++i) sum += c.extent(text + i, 1).cx;
  EXPECT_EQ(c.extent(text).cx, sum);
  EXPECT_EQ(c.extent(text, 0).cx, 0);
  EXPECT_EQ(c.extent(text, -5).cx, 0);
  EXPECT_EQ(c.extent(text, -5).cy, c.metrics().tmHeight);

  // Drawing the string at once equals drawing each character at its measured pen position.
  text_out(c.dc(), 3, 5, text);
  std::vector<COLORREF> whole = c.all_pixels();
  c.clear();
  for (int i = 0; i < n; ++i) TextOutA(c.dc(), 3 + c.extent(text, i).cx, 5, text + i, 1);
  EXPECT_EQ(c.all_pixels(), whole);
}

TEST(TextOut, ASizeDrawnBeforeItIsMeasuredPlacesItsCharactersAsMeasured) {
  // Characters are loaded on first use, by drawing or by measuring (the test above measures first);
  // at large sizes the glyphs are not kept. Either way round, drawing and measuring must agree.
  for (int em : {23, 160}) {
    Canvas c(700, 220);
    c.use_em(em);
    SetBkMode(c.dc(), TRANSPARENT);
    text_out(c.dc(), 2, 2, "AWi");  // nothing of this size has been measured yet
    const std::vector<COLORREF> whole = c.all_pixels();
    c.clear();
    text_out(c.dc(), 2, 2, "A");
    text_out(c.dc(), 2 + c.extent("A").cx, 2, "W");
    text_out(c.dc(), 2 + c.extent("AW").cx, 2, "i");
    EXPECT_EQ(c.all_pixels(), whole) << em;
    EXPECT_EQ(c.extent("AWi").cx, c.extent("A").cx + c.extent("W").cx + c.extent("i").cx) << em;
  }
}

TEST(TextOut, Latin1BytesDrawTheirOwnGlyphs) {
  Canvas c(40, 40);
  c.use_em(20);
  const char e_acute[] = "\xE9";
  EXPECT_GT(c.extent(e_acute).cx, 0);
  SetBkMode(c.dc(), TRANSPARENT);
  TextOutA(c.dc(), 5, 5, "e", 1);
  std::vector<COLORREF> plain = c.all_pixels();
  c.clear();
  TextOutA(c.dc(), 5, 5, e_acute, 1);
  EXPECT_FALSE(c.blank());
  EXPECT_NE(c.all_pixels(), plain);
}

TEST(BackgroundMode, OpaqueFillsTheCellsAndTransparentLeavesThem) {
  Canvas c(120, 50);
  c.use_em(20);
  const COLORREF green = RGB(0, 200, 0);
  SetBkColor(c.dc(), green);
  SetTextColor(c.dc(), RGB(0, 0, 255));
  const SIZE size = c.extent("a b");

  ASSERT_EQ(GetBkMode(c.dc()), OPAQUE);
  text_out(c.dc(), 10, 8, "a b");
  EXPECT_EQ(GetBkMode(c.dc()), OPAQUE);
  // The whole cell area, corners and the gap of the space included, is background or ink.
  EXPECT_EQ(GetPixel(c.dc(), 10, 8), green);
  EXPECT_EQ(GetPixel(c.dc(), 10 + size.cx - 1, 8 + size.cy - 1), green);
  int white_inside = 0;
  for (int y = 8; y < 8 + size.cy; ++y)
    for (int x = 10; x < 10 + size.cx; ++x) white_inside += GetPixel(c.dc(), x, y) == kWhite;
  EXPECT_EQ(white_inside, 0);
  // and nothing outside it.
  EXPECT_EQ(c.ink().left, 10);
  EXPECT_EQ(c.ink().top, 8);
  EXPECT_EQ(c.ink().right, 10 + size.cx);
  EXPECT_EQ(c.ink().bottom, 8 + size.cy);

  c.clear();
  SetBkMode(c.dc(), TRANSPARENT);
  text_out(c.dc(), 10, 8, "a b");
  EXPECT_EQ(GetBkMode(c.dc()), TRANSPARENT);
  EXPECT_EQ(GetPixel(c.dc(), 10, 8), kWhite);
  EXPECT_FALSE(c.blank());
  for (COLORREF p : c.all_pixels()) EXPECT_NE(p, green);
}

TEST(TextOut, NothingToDrawDrawsNothing) {
  Canvas c(60, 30);
  c.use_em(15);
  EXPECT_TRUE(TextOutA(c.dc(), 5, 5, "", 0));
  EXPECT_TRUE(TextOutA(c.dc(), 5, 5, nullptr, 0));
  EXPECT_FALSE(TextOutA(c.dc(), 5, 5, "abc", -1));
  EXPECT_FALSE(TextOutA(nullptr, 5, 5, "abc", 3));
  EXPECT_TRUE(c.blank());
}

TEST(Clipping, TextAcrossTheEdgesShowsItsVisiblePart) {
  // The same text drawn at (2, 3) on a large canvas and at (-18, -13) on a canvas that starts
  // 20 columns and 16 rows further in: the overlapping pixels must agree.
  Canvas big(160, 60);
  big.use_em(22);
  text_out(big.dc(), 2, 3, "Cone & cup");
  Canvas small(60, 20);
  small.use_em(22);
  text_out(small.dc(), -18, -13, "Cone & cup");
  for (int y = 0; y < small.height(); ++y)
    for (int x = 0; x < small.width(); ++x)
      ASSERT_EQ(GetPixel(small.dc(), x, y), GetPixel(big.dc(), x + 20, y + 16)) << x << "," << y;

  // Near the right and bottom edges (the capitals' ink starts a few rows below the cell's top),
  // and at coordinates far outside, nothing goes astray.
  small.clear();
  text_out(small.dc(), small.width() - 4, small.height() - 8, "WWWW");
  EXPECT_FALSE(small.blank());
  small.clear();
  for (int x : {INT_MIN, INT_MIN + 1, -100000, 100000, INT_MAX - 1, INT_MAX})
    for (int y : {INT_MIN, 0, INT_MAX}) text_out(small.dc(), x, y, "Far away");
  EXPECT_TRUE(small.blank());
}

TEST(FontLifetime, FontsMadeAndDeletedForEveryCallKeepWorking) {
  Canvas c(100, 40);
  SetBkMode(c.dc(), TRANSPARENT);
  for (int i = 0; i < 500; ++i) {
    c.use_em(10 + i % 7);
    text_out(c.dc(), 1, 1, "tick");
  }
  EXPECT_FALSE(c.blank());
  c.use_font(nullptr);
  // The DC's default font is back and still measures text.
  EXPECT_GT(c.extent("tick").cx, 0);
}

TEST(FontLifetime, AFontKeepsItsFaceWhileManyOtherSizesComeAndGo) {
  Canvas c(100, 40);
  HFONT kept = CreateFontA(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "TEVRA-font");
  c.use_font(kept);
  text_out(c.dc(), 2, 2, "Kept");
  std::vector<COLORREF> before = c.all_pixels();

  // Enough distinct sizes to overflow every cache the mapper keeps.
  HDC other = CreateCompatibleDC(nullptr);
  for (int em = 1; em <= 400; ++em) {
    HFONT f = CreateFontA(-em, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, em % 2 ? "TEVRA-font" : "x");
    HGDIOBJ old = SelectObject(other, f);
    SIZE size;
    GetTextExtentPointA(other, "Ab", 2, &size);
    SelectObject(other, old);
    DeleteObject(f);
  }
  DeleteDC(other);

  c.clear();
  text_out(c.dc(), 2, 2, "Kept");
  EXPECT_EQ(c.all_pixels(), before);
  c.use_font(nullptr);
  DeleteObject(kept);
}

// text.cpp — GDI's text calls: CreateFontA, TextOutA, GetTextExtentPoint(32)A, GetTextMetricsA.
//
// TextOutA puts the top-left corner of the first character cell at (x, y): the baseline lies at
// y + ascent, and each character advances the pen by its whole-pixel advance, the same advances that
// GetTextExtentPointA sums, so measured and drawn text always agree. In OPAQUE mode the cells are
// first filled with the background colour; glyph coverage is then blended in the text colour over
// whatever is there. Everything is clipped to the DC's surface, and the work is bounded by what
// lands on it: cells wholly off the surface are skipped without rendering their glyphs.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "gdi/deferred_blit.h"
#include "gdi/font.h"
#include "gdi/objects.h"

namespace winport::gdi {
namespace {

// LOGFONT keeps at most 31 characters of a face name.
constexpr size_t kMaxFaceName = 31;
// TEXTMETRIC pitch-and-family bit for outline (scalable) fonts.
constexpr BYTE kTmpfVector = 0x02;

Font &font_of(DC &dc) {
  if (dc.font) return *dc.font;
  return *static_cast<Font *>(GetStockObject(SYSTEM_FONT));
}

int64_t extent_of(font::FaceSize &face, const char *s, int n) {
  int64_t cx = 0;
  for (int i = 0; i < n; ++i) cx += face.advance(static_cast<unsigned char>(s[i]));
  return cx;
}

// Fills [x0, x1) x [y0, y1), given in 64-bit device coordinates, clipped to the surface.
void fill_clipped(Surface &surface, int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t pixel) {
  x0 = std::max<int64_t>(x0, 0);
  y0 = std::max<int64_t>(y0, 0);
  x1 = std::min<int64_t>(x1, surface.width);
  y1 = std::min<int64_t>(y1, surface.height);
  if (x0 >= x1) return;
  for (int64_t y = y0; y < y1; ++y) {
    uint32_t *row = surface.row(static_cast<int>(y));
    std::fill(row + x0, row + x1, pixel);
  }
}

// WINPORT_GLYPHS=off: text is measured, placed and backed as usual, but no glyph is drawn. Fonts
// differ from one platform to another; without glyphs, two platforms' frames compare pixel for pixel.
bool glyphs_off() {
  static const bool off = [] {
    const char *value = std::getenv("WINPORT_GLYPHS");
    return value != nullptr && std::strcmp(value, "off") == 0;
  }();
  return off;
}

void draw_text(DC &dc, Surface &surface, int x, int y, const char *s, int n) {
  font::FaceSize &face = font::resolve(font_of(dc));
  const font::Metrics &m = face.metrics();
  const int64_t top = y, bottom = int64_t{y} + face.cell_height();

  if (dc.bk_mode == OPAQUE) {
    const int64_t right = int64_t{x} + extent_of(face, s, n);
    fill_clipped(surface, x, top, right, bottom, pixel_from_colorref(dc.bk_color));
  }

  // Ink may reach beyond the cell (overhangs, accents); allow a margin of a few ems around it.
  const int64_t margin = 2 * int64_t{m.em} + 2;
  if (bottom + margin <= 0 || top - margin >= surface.height || glyphs_off()) return;

  const font::GlyphPainter painter(surface, pixel_from_colorref(dc.text_color));
  const int64_t baseline = int64_t{y} + m.ascent;
  auto lock = face.lock();
  int64_t pen = x;
  for (int i = 0; i < n && pen - margin < surface.width; ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const int advance = face.advance(c);
    if (pen + advance + margin > 0) {
      if (const font::Glyph *g = face.glyph(c))
        painter.draw(*g, pen + g->left, baseline - g->top);
    }
    pen += advance;
  }
}

}  // namespace
}  // namespace winport::gdi

using namespace winport::gdi;

extern "C" {

HFONT WINAPI CreateFontA(int cHeight, int cWidth, int /*cEscapement*/, int /*cOrientation*/, int cWeight,
                         DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD /*iCharSet*/,
                         DWORD /*iOutPrecision*/, DWORD /*iClipPrecision*/, DWORD /*iQuality*/,
                         DWORD iPitchAndFamily, LPCSTR pszFaceName) {
  // Only the description is stored; the face is resolved (through a cache) when text is drawn or
  // measured, so creating a font for every call costs next to nothing.
  auto font = std::make_unique<Font>();
  font->height = cHeight;
  font->width = cWidth;
  font->weight = std::clamp(cWeight, 0, 1000);
  font->italic = bItalic != 0;
  font->underline = bUnderline != 0;
  font->strike_out = bStrikeOut != 0;
  font->pitch_and_family = static_cast<int>(iPitchAndFamily & 0xFFu);
  if (pszFaceName) font->face.assign(pszFaceName, strnlen(pszFaceName, kMaxFaceName));
  return static_cast<HFONT>(register_object(std::move(font)));
}

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c) {
  DC *dc = dc_from_handle(hdc);
  if (!dc || c < 0 || (c > 0 && !lpString)) return FALSE;
  if (c == 0 || !dc->surface) return TRUE;
  deferred_blit::before_write(*dc->surface);
  draw_text(*dc, *dc->surface, x, y, lpString, c);
  dc->surface->dirty = true;
  return TRUE;
}

BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl) {
  DC *dc = dc_from_handle(hdc);
  if (!dc || !psizl || (c > 0 && !lpString)) return FALSE;
  font::FaceSize &face = font::resolve(font_of(*dc));
  int64_t cx = c > 0 ? extent_of(face, lpString, c) : 0;
  psizl->cx = static_cast<LONG>(std::min<int64_t>(cx, std::numeric_limits<LONG>::max()));
  psizl->cy = face.cell_height();
  return TRUE;
}

BOOL WINAPI GetTextExtentPointA(HDC hdc, LPCSTR lpString, int c, LPSIZE lpsz) {
  return GetTextExtentPoint32A(hdc, lpString, c, lpsz);
}

BOOL WINAPI GetTextMetricsA(HDC hdc, LPTEXTMETRICA lptm) {
  DC *dc = dc_from_handle(hdc);
  if (!dc || !lptm) return FALSE;
  Font &font = font_of(*dc);
  const font::Metrics &m = font::resolve(font).metrics();
  TEXTMETRICA tm = {};
  tm.tmAscent = m.ascent;
  tm.tmDescent = m.descent;
  tm.tmHeight = m.ascent + m.descent;
  tm.tmInternalLeading = tm.tmHeight - m.em;
  tm.tmExternalLeading = m.external_leading;
  tm.tmAveCharWidth = m.ave_char_width;
  tm.tmMaxCharWidth = m.max_char_width;
  tm.tmWeight = m.weight;
  tm.tmDigitizedAspectX = 96;
  tm.tmDigitizedAspectY = 96;
  tm.tmFirstChar = 32;
  tm.tmLastChar = 255;
  tm.tmDefaultChar = 31;
  tm.tmBreakChar = 32;
  tm.tmItalic = (font.italic || m.italic) ? 255 : 0;
  tm.tmUnderlined = font.underline ? 255 : 0;
  tm.tmStruckOut = font.strike_out ? 255 : 0;
  // Win32's TMPF_FIXED_PITCH bit is set for variable-pitch fonts.
  int family = font.pitch_and_family & 0xF0;
  if (family == FF_DONTCARE) family = m.fixed_pitch ? FF_MODERN : FF_SWISS;
  tm.tmPitchAndFamily = static_cast<BYTE>(family | kTmpfVector | (m.fixed_pitch ? 0 : TMPF_FIXED_PITCH));
  tm.tmCharSet = ANSI_CHARSET;
  *lptm = tm;
  return TRUE;
}

}  // extern "C"

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

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Blending weighs the ink by coverage: out = (ink * w + dst * (256 - w)) >> 8 per channel, with the
// coverage 0..255 stretched to a weight w of 0..256, so that full coverage gives exactly the ink and
// none leaves the pixel exactly as it was.
inline uint32_t weight_of(uint8_t coverage) { return coverage + (coverage >> 7u); }

inline uint32_t blend(uint32_t dst, uint32_t ink, uint8_t coverage) {
  const uint32_t w = weight_of(coverage);
  // Red and blue share one multiply: each lane stays below 2^16, so neither spills into the other.
  const uint32_t rb = (((ink & 0xFF00FFu) * w + (dst & 0xFF00FFu) * (256u - w)) >> 8u) & 0xFF00FFu;
  const uint32_t g = (((ink & 0x00FF00u) * w + (dst & 0x00FF00u) * (256u - w)) >> 8u) & 0x00FF00u;
  return rb | g;
}

// The text colour, with what the blenders need of it worked out once per call.
struct Ink {
  uint32_t pixel;
#if defined(__SSE2__)
  __m128i four;      // the pixel four times: a solid group
  __m128i channels;  // two pixels' channels in 16-bit lanes, each times 128
#endif
  explicit Ink(uint32_t p) : pixel(p) {
#if defined(__SSE2__)
    four = _mm_set1_epi32(static_cast<int>(p));
    channels = _mm_slli_epi16(_mm_unpacklo_epi8(four, _mm_setzero_si128()), 7);
#endif
  }
};

static_assert(font::kGlyphRowAlign == 4, "the blenders work in groups of four pixels");

#if defined(__SSE2__)
// Blends four pixels in 16-bit lanes, with the same result as blend() for each. Per channel,
// (ink * w + dst * (256 - w)) >> 8 is dst + floor((ink - dst) * w / 256), and that floor is the
// high half of the signed product ((ink - dst) * 128) * (2 * w): both factors fit 16 bits.
inline void blend_group(uint32_t *p, const uint8_t *cov, const Ink &ink) {
  const __m128i zero = _mm_setzero_si128();
  uint32_t quad;
  std::memcpy(&quad, cov, 4);
  __m128i w = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(quad)), zero);
  w = _mm_add_epi16(w, _mm_srli_epi16(w, 7));
  w = _mm_add_epi16(w, w);
  w = _mm_unpacklo_epi16(w, w);                   // w0 w0 w1 w1 w2 w2 w3 w3
  const __m128i w_lo = _mm_unpacklo_epi32(w, w);  // w0 x4, w1 x4: one weight per channel
  const __m128i w_hi = _mm_unpackhi_epi32(w, w);  // w2 x4, w3 x4
  auto *q = reinterpret_cast<__m128i *>(p);
  const __m128i d = _mm_loadu_si128(q);
  __m128i lo = _mm_unpacklo_epi8(d, zero), hi = _mm_unpackhi_epi8(d, zero);
  lo = _mm_add_epi16(lo, _mm_mulhi_epi16(_mm_sub_epi16(ink.channels, _mm_slli_epi16(lo, 7)), w_lo));
  hi = _mm_add_epi16(hi, _mm_mulhi_epi16(_mm_sub_epi16(ink.channels, _mm_slli_epi16(hi, 7)), w_hi));
  _mm_storeu_si128(q, _mm_packus_epi16(lo, hi));
}
#endif

// Blends n pixels, n a multiple of kGlyphRowAlign.
inline void blend_groups(uint32_t *row, const uint8_t *cov, int n, const Ink &ink) {
#if defined(__SSE2__)
  for (int i = 0; i < n; i += 4) blend_group(row + i, cov + i, ink);
#else
  for (int i = 0; i < n; ++i)
    if (cov[i] != 0) row[i] = blend(row[i], ink.pixel, cov[i]);
#endif
}

inline void fill_groups(uint32_t *row, int n, const Ink &ink) {
#if defined(__SSE2__)
  for (int i = 0; i < n; i += 4) _mm_storeu_si128(reinterpret_cast<__m128i *>(row + i), ink.four);
#else
  std::fill_n(row, n, ink.pixel);
#endif
}

// A glyph that the surface's edges cut: blends the visible part of each row, pixel by pixel where
// whole groups would leave the surface.
void draw_glyph_clipped(Surface &surface, const font::Glyph &g, int64_t gx, int64_t gy, const Ink &ink) {
  const int64_t x0 = std::max<int64_t>(gx, 0), x1 = std::min<int64_t>(gx + g.width, surface.width);
  const int64_t y0 = std::max<int64_t>(gy, 0), y1 = std::min<int64_t>(gy + g.height, surface.height);
  if (x0 >= x1) return;
  const int n = static_cast<int>(x1 - x0);
  // Whole groups may run over the padding of the glyph's rows (zero coverage, which rewrites the
  // pixel unchanged) as long as they stay on the surface's row.
  const int64_t padded_end = std::min<int64_t>(gx + g.stride, surface.width);
  const int group_limit = static_cast<int>(std::max<int64_t>(padded_end - x0, 0)) / 4 * 4;
  for (int64_t y = y0; y < y1; ++y) {
    const uint8_t *cov =
        g.coverage.data() + static_cast<size_t>(y - gy) * static_cast<size_t>(g.stride) + (x0 - gx);
    uint32_t *row = surface.row(static_cast<int>(y)) + x0;
    blend_groups(row, cov, group_limit, ink);
    for (int i = group_limit; i < n; ++i)
      if (cov[i] != 0) row[i] = blend(row[i], ink.pixel, cov[i]);
  }
}

// Blends one glyph whose bitmap's top-left corner is at (gx, gy), clipped to the surface. Where
// its rows lie wholly on the surface (nearly always), only the groups that hold ink are touched.
void draw_glyph(Surface &surface, const font::Glyph &g, int64_t gx, int64_t gy, const Ink &ink) {
  if (gx < 0 || gx + g.stride > surface.width) {
    draw_glyph_clipped(surface, g, gx, gy, ink);
    return;
  }
  const int64_t first = std::max<int64_t>(-gy, 0);
  const int64_t last = std::min<int64_t>(g.height, surface.height - gy);
  for (const font::InkRun &run : g.ink) {
    if (run.row < first) continue;
    if (run.row >= last) break;
    uint32_t *row = surface.row(static_cast<int>(gy + run.row)) + gx + run.x;
    const int n = run.groups * font::kGlyphRowAlign;
    if (run.solid)
      fill_groups(row, n, ink);
    else
      blend_groups(row, g.coverage.data() + static_cast<size_t>(run.row) * static_cast<size_t>(g.stride) + run.x, n,
                   ink);
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

  const Ink ink(pixel_from_colorref(dc.text_color));
  const int64_t baseline = int64_t{y} + m.ascent;
  auto lock = face.lock();
  int64_t pen = x;
  for (int i = 0; i < n && pen - margin < surface.width; ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const int advance = face.advance(c);
    if (pen + advance + margin > 0) {
      if (const font::Glyph *g = face.glyph(c))
        draw_glyph(surface, *g, pen + g->left, baseline - g->top, ink);
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

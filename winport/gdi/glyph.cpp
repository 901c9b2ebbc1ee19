// glyph.cpp — where a rendered glyph's ink lies, and blending glyphs onto a surface.
//
// Blending works in groups of four pixels (SSE2, part of every x86-64 processor), a tile at a time
// where the processor has AVX2 (chosen when the program runs), and elsewhere pixel by pixel. All
// give the same pixels: the arithmetic is exact.
#include "gdi/glyph.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define WINPORT_GLYPH_AVX2 1
#define WINPORT_TARGET_AVX2 __attribute__((target("avx2")))
#endif

namespace winport::gdi::font {

namespace {
constexpr int kTilePixels = kTileWidth * kTileRows;
}  // namespace

void find_ink(Glyph &g) {
  g.tiles.clear();
  g.tile_weights.clear();
  for (int row = 0; row < g.height; row += kTileRows) {
    for (int x = 0; x < g.stride; x += kTileWidth) {
      uint8_t tile[kTilePixels] = {};  // rows below the bitmap stay empty
      for (int r = 0; r < kTileRows && row + r < g.height; ++r)
        std::memcpy(tile + r * kTileWidth, g.coverage.data() + static_cast<size_t>(row + r) * g.stride + x, kTileWidth);
      const bool empty = std::all_of(tile, tile + kTilePixels, [](uint8_t c) { return c == 0; });
      if (empty) continue;
      const bool solid = std::all_of(tile, tile + kTilePixels, [](uint8_t c) { return c == 255; });
      g.tiles.push_back({row, x, solid});
      for (uint8_t c : tile) g.tile_weights.push_back(static_cast<uint16_t>(2 * (c + (c >> 7))));
    }
  }
}

namespace {

static_assert(kGlyphRowAlign == 4, "the blenders work in groups of four pixels");

// The blending formula, for coverage c: w = c + (c >> 7), 0..256.
inline uint32_t blend_weighted(uint32_t dst, uint32_t ink, uint32_t w) {
  // Red and blue share one multiply: each lane stays below 2^16, so neither spills into the other.
  const uint32_t rb = (((ink & 0xFF00FFu) * w + (dst & 0xFF00FFu) * (256u - w)) >> 8u) & 0xFF00FFu;
  const uint32_t g = (((ink & 0x00FF00u) * w + (dst & 0x00FF00u) * (256u - w)) >> 8u) & 0x00FF00u;
  return rb | g;
}

inline uint32_t blend(uint32_t dst, uint32_t ink, uint8_t coverage) {
  return blend_weighted(dst, ink, coverage + (coverage >> 7u));
}

// The ink, with what the group blenders need of it worked out once per glyph.
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

#if defined(__SSE2__)
// Blends four pixels in 16-bit lanes, with the same result as blend() for each; `doubled` holds
// their weights times two in its low four lanes. Per channel, (ink * w + dst * (256 - w)) >> 8 is
// dst + floor((ink - dst) * w / 256), and that floor is the high half of the signed product
// ((ink - dst) * 128) * (2 * w): both factors fit 16 bits.
inline void blend_group(uint32_t *p, __m128i doubled, __m128i channels) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i w = _mm_unpacklo_epi16(doubled, doubled);  // w0 w0 w1 w1 w2 w2 w3 w3
  const __m128i w_lo = _mm_unpacklo_epi32(w, w);           // w0 x4, w1 x4: one weight per channel
  const __m128i w_hi = _mm_unpackhi_epi32(w, w);           // w2 x4, w3 x4
  auto *q = reinterpret_cast<__m128i *>(p);
  const __m128i d = _mm_loadu_si128(q);
  __m128i lo = _mm_unpacklo_epi8(d, zero), hi = _mm_unpackhi_epi8(d, zero);
  lo = _mm_add_epi16(lo, _mm_mulhi_epi16(_mm_sub_epi16(channels, _mm_slli_epi16(lo, 7)), w_lo));
  hi = _mm_add_epi16(hi, _mm_mulhi_epi16(_mm_sub_epi16(channels, _mm_slli_epi16(hi, 7)), w_hi));
  _mm_storeu_si128(q, _mm_packus_epi16(lo, hi));
}

// Four coverage bytes' weights, doubled, in the low four lanes.
inline __m128i doubled_weights(const uint8_t *cov) {
  uint32_t quad;
  std::memcpy(&quad, cov, 4);
  __m128i w = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(quad)), _mm_setzero_si128());
  w = _mm_add_epi16(w, _mm_srli_epi16(w, 7));
  return _mm_add_epi16(w, w);
}
#endif

// Blends n pixels by their coverage, n a multiple of four.
inline void blend_groups(uint32_t *row, const uint8_t *cov, int n, const Ink &ink) {
#if defined(__SSE2__)
  for (int i = 0; i < n; i += 4) blend_group(row + i, doubled_weights(cov + i), ink.channels);
#else
  for (int i = 0; i < n; ++i)
    if (cov[i] != 0) row[i] = blend(row[i], ink.pixel, cov[i]);
#endif
}

// Blends one group by its doubled weights.
inline void blend_weighted_group(uint32_t *row, const uint16_t *doubled, const Ink &ink) {
#if defined(__SSE2__)
  blend_group(row, _mm_loadl_epi64(reinterpret_cast<const __m128i *>(doubled)), ink.channels);
#else
  for (int i = 0; i < kTileWidth; ++i)
    if (doubled[i] != 0) row[i] = blend_weighted(row[i], ink.pixel, doubled[i] >> 1);
#endif
}

inline void fill_group(uint32_t *row, const Ink &ink) {
#if defined(__SSE2__)
  _mm_storeu_si128(reinterpret_cast<__m128i *>(row), ink.four);
#else
  std::fill_n(row, kTileWidth, ink.pixel);
#endif
}

// A glyph placed with its tiles wholly on the surface: where each tile lands. Copied out of the
// surface and glyph so that the compiler need not fetch them again after every pixel written.
struct Placed {
  const InkTile *begin, *end;
  const uint16_t *weights;  // the first tile's
  uint32_t *origin;         // the surface pixel under the bitmap's top-left corner
  size_t width;             // the surface's

  Placed(Surface &s, const Glyph &g, int64_t gx, int64_t gy)
      : begin(g.tiles.data()), end(g.tiles.data() + g.tiles.size()), weights(g.tile_weights.data()),
        origin(s.row(static_cast<int>(gy)) + gx), width(static_cast<size_t>(s.width)) {}
  uint32_t *at(const InkTile &tile) const {
    return origin + static_cast<size_t>(tile.row) * width + static_cast<size_t>(tile.x);
  }
};

void draw_tiles(const Placed &placed, const Ink &ink) {
  static_assert(kTileRows == 2, "a tile is two groups, one above the other");
  const Placed at = placed;  // a local copy stays in registers across the writes
  const uint16_t *w = at.weights;
  for (const InkTile *tile = at.begin; tile != at.end; ++tile, w += kTilePixels) {
    uint32_t *p = at.at(*tile);
    if (tile->solid) {
      fill_group(p, ink);
      fill_group(p + at.width, ink);
    } else {
      blend_weighted_group(p, w, ink);
      blend_weighted_group(p + at.width, w + kTileWidth, ink);
    }
  }
}

#if defined(WINPORT_GLYPH_AVX2)
// A whole tile at once: as blend_group, with the tile's upper row in the low 128-bit lane and its
// lower row in the high one.
WINPORT_TARGET_AVX2 inline void blend_tile(uint32_t *upper, uint32_t *lower, const uint16_t *doubled,
                                           __m256i channels) {
  // Each lane gets the weights of its row's pixels, four times over: one per channel.
  const __m256i w = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(doubled)));
  const __m256i w_lo = _mm256_shuffle_epi8(  // pixels 0 and 1 of each row
      w, _mm256_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 2, 3, 2, 3, 2, 3, 2, 3, 8, 9, 8, 9, 8, 9, 8, 9, 10, 11, 10, 11,
                          10, 11, 10, 11));
  const __m256i w_hi = _mm256_shuffle_epi8(  // pixels 2 and 3 of each row
      w, _mm256_setr_epi8(4, 5, 4, 5, 4, 5, 4, 5, 6, 7, 6, 7, 6, 7, 6, 7, 12, 13, 12, 13, 12, 13, 12, 13, 14, 15,
                          14, 15, 14, 15, 14, 15));
  const __m256i zero = _mm256_setzero_si256();
  auto *up = reinterpret_cast<__m128i *>(upper), *down = reinterpret_cast<__m128i *>(lower);
  const __m256i d = _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(up)), _mm_loadu_si128(down), 1);
  __m256i lo = _mm256_unpacklo_epi8(d, zero), hi = _mm256_unpackhi_epi8(d, zero);
  lo = _mm256_add_epi16(lo, _mm256_mulhi_epi16(_mm256_sub_epi16(channels, _mm256_slli_epi16(lo, 7)), w_lo));
  hi = _mm256_add_epi16(hi, _mm256_mulhi_epi16(_mm256_sub_epi16(channels, _mm256_slli_epi16(hi, 7)), w_hi));
  const __m256i out = _mm256_packus_epi16(lo, hi);
  _mm_storeu_si128(up, _mm256_castsi256_si128(out));
  _mm_storeu_si128(down, _mm256_extracti128_si256(out, 1));
}

WINPORT_TARGET_AVX2 void draw_tiles_wide(const Placed &placed, const Ink &ink) {
  const __m256i channels =
      _mm256_slli_epi16(_mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(ink.pixel)), _mm256_setzero_si256()), 7);
  const __m128i four = ink.four;
  const Placed at = placed;  // a local copy stays in registers across the writes
  const uint16_t *w = at.weights;
  for (const InkTile *tile = at.begin; tile != at.end; ++tile, w += kTilePixels) {
    uint32_t *p = at.at(*tile);
    if (tile->solid) {
      _mm_storeu_si128(reinterpret_cast<__m128i *>(p), four);
      _mm_storeu_si128(reinterpret_cast<__m128i *>(p + at.width), four);
    } else {
      blend_tile(p, p + at.width, w, channels);
    }
  }
}

bool wide_blending() {
  static const bool wide = __builtin_cpu_supports("avx2");
  return wide;
}
#else
bool wide_blending() { return false; }
#endif

// A glyph whose tiles the surface's edges cut: blends the visible part of each row, pixel by pixel
// where whole groups would leave the surface.
void draw_clipped(Surface &surface, const Glyph &g, int64_t gx, int64_t gy, const Ink &ink) {
  const int64_t x0 = std::max<int64_t>(gx, 0), x1 = std::min<int64_t>(gx + g.width, surface.width);
  const int64_t y0 = std::max<int64_t>(gy, 0), y1 = std::min<int64_t>(gy + g.height, surface.height);
  if (x0 >= x1) return;
  const int n = static_cast<int>(x1 - x0);
  // Whole groups may run over the padding of the glyph's rows (zero coverage, which rewrites the
  // pixel unchanged) as long as they stay on the surface's row.
  const int64_t padded_end = std::min<int64_t>(gx + g.stride, surface.width);
  const int groups_end = static_cast<int>(std::max<int64_t>(padded_end - x0, 0)) / 4 * 4;
  for (int64_t y = y0; y < y1; ++y) {
    const uint8_t *cov =
        g.coverage.data() + static_cast<size_t>(y - gy) * static_cast<size_t>(g.stride) + (x0 - gx);
    uint32_t *row = surface.row(static_cast<int>(y)) + x0;
    blend_groups(row, cov, groups_end, ink);
    for (int i = groups_end; i < n; ++i)
      if (cov[i] != 0) row[i] = blend(row[i], ink.pixel, cov[i]);
  }
}

}  // namespace

GlyphPainter::GlyphPainter(Surface &surface, uint32_t ink, bool allow_wide)
    : surface_(surface), ink_(ink), wide_(allow_wide && wide_blending()) {}

void GlyphPainter::draw(const Glyph &g, int64_t x, int64_t y) const {
  const Ink ink(ink_);
  if (x < 0 || x + g.stride > surface_.width || y < 0 || y + g.tiled_height() > surface_.height) {
    draw_clipped(surface_, g, x, y, ink);
    return;
  }
  const Placed placed(surface_, g, x, y);
#if defined(WINPORT_GLYPH_AVX2)
  if (wide_) {
    draw_tiles_wide(placed, ink);
    return;
  }
#endif
  draw_tiles(placed, ink);
}

}  // namespace winport::gdi::font

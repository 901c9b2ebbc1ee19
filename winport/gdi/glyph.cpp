// glyph.cpp — where a rendered glyph's ink lies, and blending glyphs onto a surface.
//
// Blending works in groups of four pixels (SSE2, part of every x86-64 processor), or eight where the
// processor has AVX2, chosen when the program runs; elsewhere pixel by pixel. All give the same
// pixels: the arithmetic is exact.
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

enum class GroupInk { kNone, kPartial, kSolid };

GroupInk group_ink(const uint8_t *group) {
  bool any = false, all = true;
  for (int i = 0; i < kGlyphRowAlign; ++i) {
    any = any || group[i] != 0;
    all = all && group[i] == 255;
  }
  return all ? GroupInk::kSolid : any ? GroupInk::kPartial : GroupInk::kNone;
}

}  // namespace

void find_ink(Glyph &g) {
  g.ink.clear();
  const int groups = g.stride / kGlyphRowAlign;
  for (int y = 0; y < g.height; ++y) {
    const uint8_t *row = g.coverage.data() + static_cast<size_t>(y) * static_cast<size_t>(g.stride);
    GroupInk previous = GroupInk::kNone;
    for (int i = 0; i < groups; ++i) {
      const GroupInk kind = group_ink(row + i * kGlyphRowAlign);
      if (kind == GroupInk::kNone) {
        // nothing to draw
      } else if (kind == previous) {
        ++g.ink.back().groups;
      } else {
        const int x = i * kGlyphRowAlign;
        g.ink.push_back({y, x, y * g.stride + x, 1, kind == GroupInk::kSolid});
      }
      previous = kind;
    }
  }
}

namespace {

static_assert(kGlyphRowAlign == 4, "the blenders work in groups of four pixels");

inline uint32_t weight_of(uint8_t coverage) { return coverage + (coverage >> 7u); }

inline uint32_t blend(uint32_t dst, uint32_t ink, uint8_t coverage) {
  const uint32_t w = weight_of(coverage);
  // Red and blue share one multiply: each lane stays below 2^16, so neither spills into the other.
  const uint32_t rb = (((ink & 0xFF00FFu) * w + (dst & 0xFF00FFu) * (256u - w)) >> 8u) & 0xFF00FFu;
  const uint32_t g = (((ink & 0x00FF00u) * w + (dst & 0x00FF00u) * (256u - w)) >> 8u) & 0x00FF00u;
  return rb | g;
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
// Blends four pixels in 16-bit lanes, with the same result as blend() for each. Per channel,
// (ink * w + dst * (256 - w)) >> 8 is dst + floor((ink - dst) * w / 256), and that floor is the
// high half of the signed product ((ink - dst) * 128) * (2 * w): both factors fit 16 bits.
inline void blend_group(uint32_t *p, const uint8_t *cov, __m128i channels) {
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
  lo = _mm_add_epi16(lo, _mm_mulhi_epi16(_mm_sub_epi16(channels, _mm_slli_epi16(lo, 7)), w_lo));
  hi = _mm_add_epi16(hi, _mm_mulhi_epi16(_mm_sub_epi16(channels, _mm_slli_epi16(hi, 7)), w_hi));
  _mm_storeu_si128(q, _mm_packus_epi16(lo, hi));
}
#endif

// Blends n pixels, n a multiple of four.
inline void blend_groups(uint32_t *row, const uint8_t *cov, int n, const Ink &ink) {
#if defined(__SSE2__)
  for (int i = 0; i < n; i += 4) blend_group(row + i, cov + i, ink.channels);
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

// A glyph placed with its padded rows wholly inside the surface's columns: where its ink runs land,
// for the rows that are on the surface. Copied out of the surface so that the compiler need not
// fetch them again after every pixel written.
struct Placed {
  const InkRun *begin, *end;
  const uint8_t *coverage;
  uint32_t *pixels;   // the surface's
  size_t width;       // the surface's
  int64_t x, y;       // the bitmap's top-left corner
  int first_row, end_row;  // the glyph's rows that are on the surface

  Placed(Surface &s, const Glyph &g, int64_t gx, int64_t gy)
      : begin(g.ink.data()), end(g.ink.data() + g.ink.size()), coverage(g.coverage.data()),
        pixels(s.pixels.data()), width(static_cast<size_t>(s.width)), x(gx), y(gy),
        first_row(static_cast<int>(std::clamp<int64_t>(-gy, 0, g.height))),
        end_row(static_cast<int>(std::clamp<int64_t>(s.height - gy, 0, g.height))) {}
  uint32_t *at(const InkRun &run) const {
    return pixels + static_cast<size_t>(y + run.row) * width + static_cast<size_t>(x + run.x);
  }
};

void draw_runs(const Placed &placed, const Ink &ink) {
  for (const InkRun *run = placed.begin; run != placed.end; ++run) {
    if (run->row < placed.first_row) continue;
    if (run->row >= placed.end_row) break;
    const int n = run->groups * kGlyphRowAlign;
    if (run->solid)
      fill_groups(placed.at(*run), n, ink);
    else
      blend_groups(placed.at(*run), placed.coverage + run->start, n, ink);
  }
}

#if defined(WINPORT_GLYPH_AVX2)
// Eight pixels at once: as blend_group, in two 128-bit lanes of four pixels each.
WINPORT_TARGET_AVX2 inline void blend_eight(uint32_t *p, const uint8_t *cov, __m256i channels) {
  const __m128i c = _mm_cvtepu8_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(cov)));
  __m128i w = _mm_add_epi16(c, _mm_srli_epi16(c, 7));
  w = _mm_add_epi16(w, w);
  // w0 w0 w1 w1 w2 w2 w3 w3 | w4 w4 w5 w5 w6 w6 w7 w7: then one weight per channel, lane by lane.
  const __m256i pairs =
      _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_unpacklo_epi16(w, w)), _mm_unpackhi_epi16(w, w), 1);
  const __m256i w_lo = _mm256_unpacklo_epi32(pairs, pairs);  // w0 x4, w1 x4 | w4 x4, w5 x4
  const __m256i w_hi = _mm256_unpackhi_epi32(pairs, pairs);  // w2 x4, w3 x4 | w6 x4, w7 x4
  const __m256i zero = _mm256_setzero_si256();
  auto *q = reinterpret_cast<__m256i *>(p);
  const __m256i d = _mm256_loadu_si256(q);
  __m256i lo = _mm256_unpacklo_epi8(d, zero), hi = _mm256_unpackhi_epi8(d, zero);
  lo = _mm256_add_epi16(lo, _mm256_mulhi_epi16(_mm256_sub_epi16(channels, _mm256_slli_epi16(lo, 7)), w_lo));
  hi = _mm256_add_epi16(hi, _mm256_mulhi_epi16(_mm256_sub_epi16(channels, _mm256_slli_epi16(hi, 7)), w_hi));
  _mm256_storeu_si256(q, _mm256_packus_epi16(lo, hi));
}

WINPORT_TARGET_AVX2 void draw_runs_wide(const Placed &placed, const Ink &ink) {
  const __m256i eight = _mm256_set1_epi32(static_cast<int>(ink.pixel));
  const __m256i channels = _mm256_slli_epi16(_mm256_unpacklo_epi8(eight, _mm256_setzero_si256()), 7);
  for (const InkRun *run = placed.begin; run != placed.end; ++run) {
    if (run->row < placed.first_row) continue;
    if (run->row >= placed.end_row) break;
    const int n = run->groups * kGlyphRowAlign;
    uint32_t *p = placed.at(*run);
    int i = 0;
    if (run->solid) {
      for (; i + 8 <= n; i += 8) _mm256_storeu_si256(reinterpret_cast<__m256i *>(p + i), eight);
      if (i < n) _mm_storeu_si128(reinterpret_cast<__m128i *>(p + i), ink.four);
    } else {
      const uint8_t *cov = placed.coverage + run->start;
      for (; i + 8 <= n; i += 8) blend_eight(p + i, cov + i, channels);
      if (i < n) blend_group(p + i, cov + i, ink.channels);
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

// A glyph that the surface's left or right edge cuts: blends the visible part of each row, pixel
// by pixel where whole groups would leave the surface.
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
  if (x < 0 || x + g.stride > surface_.width) {
    draw_clipped(surface_, g, x, y, ink);
    return;
  }
  const Placed placed(surface_, g, x, y);
#if defined(WINPORT_GLYPH_AVX2)
  if (wide_) {
    draw_runs_wide(placed, ink);
    return;
  }
#endif
  draw_runs(placed, ink);
}

}  // namespace winport::gdi::font

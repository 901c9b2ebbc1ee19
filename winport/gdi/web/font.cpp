// gdi/web/font.cpp — the font mapper for the browser: faces, sizes and glyphs from the browser's own
// font engine, in place of fontconfig and FreeType (font.cpp).
//
// A logical font becomes a CSS font: the face name first, then the generic family it asks for
// (sans-serif unless FF_ROMAN, FF_MODERN or fixed pitch says otherwise), so a face the browser lacks
// falls back as fontconfig's best match does. Metrics follow the same GDI rules as on the desktop,
// from the face's ascent and descent measured at 1000 pixels (the design units here): a negative
// height is the em, a positive one the cell. Each character is drawn once, white on a transparent
// offscreen canvas, and its alpha channel is its coverage; text.cpp blends it like FreeType's.
// Fonts differ from the desktop's, so text may be a pixel wider or narrower; shapes do not change.
#include <emscripten.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "gdi/font.h"
#include "gdi/objects.h"

namespace winport::gdi::font {
namespace {

constexpr int kDesignEm = 1000;
constexpr size_t kMaxSizes = 64;

// Ascent and descent of the font (style: "[italic ]weight") at `em` pixels, fractional, and when
// asked the 256 advances, rounded.
EM_JS(void, js_measure, (const char *style, const char *family, int em, double *ascent_descent, int *advances), {
  const c = WinportWeb.fontContext(1, 1);
  c.font = UTF8ToString(style) + ' ' + em + 'px ' + UTF8ToString(family);
  const m = c.measureText('Hg');
  HEAPF64[ascent_descent >> 3] = m.fontBoundingBoxAscent;
  HEAPF64[(ascent_descent >> 3) + 1] = m.fontBoundingBoxDescent;
  if (advances) {
    for (let ch = 0; ch < 256; ++ch)
      HEAP32[(advances >> 2) + ch] = Math.max(0, Math.round(c.measureText(String.fromCharCode(ch)).width));
  }
});

// Draws character `ch` and keeps its coverage; writes left, top (above the baseline), width and
// height of its inked box, all 0 for a character without ink.
EM_JS(void, js_render, (const char *style, const char *family, int em, int ch, int ascent, int descent, int advance,
                       int *box), {
  const pad = Math.ceil(em / 2) + 2;
  const width = advance + 2 * pad, height = ascent + descent + 2 * pad;
  const c = WinportWeb.fontContext(width, height);
  c.clearRect(0, 0, width, height);
  c.font = UTF8ToString(style) + ' ' + em + 'px ' + UTF8ToString(family);
  c.fillStyle = '#fff';
  c.textBaseline = 'alphabetic';
  const baseline = pad + ascent;
  c.fillText(String.fromCharCode(ch), pad, baseline);
  const data = c.getImageData(0, 0, width, height).data;
  let x0 = width, y0 = height, x1 = -1, y1 = -1;
  for (let y = 0; y < height; ++y)
    for (let x = 0; x < width; ++x)
      if (data[(y * width + x) * 4 + 3]) {
        if (x < x0) x0 = x;
        if (x > x1) x1 = x;
        if (y < y0) y0 = y;
        if (y > y1) y1 = y;
      }
  const out = box >> 2;
  if (x1 < 0) {
    HEAP32.fill(0, out, out + 4);
    return;
  }
  const w = x1 - x0 + 1, h = y1 - y0 + 1;
  const coverage = new Uint8Array(w * h);
  for (let y = 0; y < h; ++y)
    for (let x = 0; x < w; ++x) coverage[y * w + x] = data[((y0 + y) * width + x0 + x) * 4 + 3];
  WinportWeb.glyph = {coverage: coverage, width: w, height: h};
  HEAP32[out] = x0 - pad;
  HEAP32[out + 1] = baseline - y0;
  HEAP32[out + 2] = w;
  HEAP32[out + 3] = h;
});

// Copies the coverage kept by js_render into rows of `stride` bytes.
EM_JS(void, js_copy_glyph, (uint8_t *out, int stride), {
  const g = WinportWeb.glyph;
  for (let y = 0; y < g.height; ++y)
    HEAPU8.set(g.coverage.subarray(y * g.width, (y + 1) * g.width), out + y * stride);
});

struct Design {
  double ascent = 0;  // at kDesignEm pixels
  double descent = 0;
};

int ceil_px(double v) { return static_cast<int>(std::ceil(v - 1e-6)); }

// The em and cell for a GDI height, as font.cpp chooses them for FreeType faces.
struct SizeChoice {
  int em = 1;
  int cell = 0;
};

SizeChoice size_for_height(const Design &d, int height) {
  const int64_t h = height;
  if (h < 0) return {static_cast<int>(std::clamp<int64_t>(-h, 1, kMaxEm)), 0};
  const int64_t cell = h == 0 ? kDefaultCellHeight : h;
  auto natural_cell = [&d](int64_t em) {
    return ceil_px(static_cast<double>(em) * d.ascent / kDesignEm) +
           ceil_px(static_cast<double>(em) * d.descent / kDesignEm);
  };
  const double design_cell = std::max(1.0, d.ascent + d.descent);
  int64_t em = std::clamp<int64_t>(static_cast<int64_t>(cell * kDesignEm / design_cell), 1, kMaxEm);
  while (em > 1 && natural_cell(em) > cell) --em;
  while (em < kMaxEm && natural_cell(em + 1) <= cell) ++em;
  if (natural_cell(em) > cell || cell > natural_cell(em) + em) return {static_cast<int>(em), 0};
  return {static_cast<int>(em), static_cast<int>(cell)};
}

// A logical font as CSS: style ("[italic ]weight") and the family list.
struct Css {
  std::string style;
  std::string family;
};

Css css_of(const Font &font) {
  const bool fixed = (font.pitch_and_family & 3) == FIXED_PITCH;
  const int family = font.pitch_and_family & 0xF0;
  const char *generic = fixed || family == FF_MODERN ? "monospace" : family == FF_ROMAN ? "serif" : "sans-serif";
  Css css;
  if (font.italic) css.style = "italic ";
  css.style += std::to_string(std::clamp(font.weight > 0 ? font.weight : FW_NORMAL, 1, 1000));
  // Only characters that cannot end the quoted name or the CSS value.
  std::string name;
  for (char ch : font.face)
    if (std::isalnum(static_cast<unsigned char>(ch)) || ch == ' ' || ch == '-' || ch == '_') name += ch;
  css.family = name.empty() ? generic : "\"" + name + "\", " + generic;
  return css;
}

class WebFaceSize : public FaceSize {
 public:
  WebFaceSize(Css css, const Design &design, SizeChoice size, const Font &font) : css_(std::move(css)) {
    Metrics &m = metrics_;
    m.em = size.em;
    m.ascent = ceil_px(size.em * design.ascent / kDesignEm);
    m.descent = ceil_px(size.em * design.descent / kDesignEm);
    if (size.cell > m.ascent + m.descent) m.ascent = size.cell - m.descent;
    double unused[2];
    js_measure(css_.style.c_str(), css_.family.c_str(), size.em, unused, advances_);
    for (int c = 32; c < 256; ++c) m.max_char_width = std::max(m.max_char_width, advances_[c]);
    m.fixed_pitch = advances_[static_cast<unsigned char>('i')] == advances_[static_cast<unsigned char>('W')];
    m.ave_char_width = advances_[static_cast<unsigned char>('x')];
    m.weight = font.weight > 0 ? font.weight : FW_NORMAL;
    m.italic = font.italic;
  }

  const Glyph *render(unsigned char c) override {
    int box[4];
    js_render(css_.style.c_str(), css_.family.c_str(), metrics_.em, c, metrics_.ascent, metrics_.descent,
              advances_[c], box);
    if (box[2] <= 0 || box[3] <= 0) {
      keep(c, nullptr);
      return nullptr;
    }
    auto g = std::make_unique<Glyph>();
    g->left = box[0];
    g->top = box[1];
    g->width = box[2];
    g->height = box[3];
    g->stride = (g->width + kGlyphRowAlign - 1) / kGlyphRowAlign * kGlyphRowAlign;
    g->coverage.assign(static_cast<size_t>(g->stride) * static_cast<size_t>(g->height), 0);
    js_copy_glyph(g->coverage.data(), g->stride);
    find_ink(*g);
    glyphs_[c] = std::move(g);
    keep(c, glyphs_[c].get());
    return glyphs_[c].get();
  }

 private:
  Css css_;
  std::unique_ptr<Glyph> glyphs_[256];
};

class Mapper {
 public:
  std::shared_ptr<FaceSize> resolve(const Font &font) {
    Css css = css_of(font);
    const Design &design = design_of(css);
    const SizeChoice size = size_for_height(design, font.height);
    const std::string key =
        css.style + "|" + css.family + "|" + std::to_string(size.em) + "|" + std::to_string(size.cell);
    auto it = sizes_.find(key);
    if (it != sizes_.end()) return it->second;
    if (sizes_.size() >= kMaxSizes) sizes_.clear();
    auto face = std::make_shared<WebFaceSize>(std::move(css), design, size, font);
    sizes_.emplace(key, face);
    return face;
  }

 private:
  const Design &design_of(const Css &css) {
    const std::string key = css.style + "|" + css.family;
    auto it = designs_.find(key);
    if (it != designs_.end()) return it->second;
    double ad[2] = {0, 0};
    js_measure(css.style.c_str(), css.family.c_str(), kDesignEm, ad, nullptr);
    Design d{ad[0] > 0 ? ad[0] : kDesignEm * 0.8, ad[1] > 0 ? ad[1] : kDesignEm * 0.2};
    return designs_.emplace(key, d).first->second;
  }

  std::unordered_map<std::string, Design> designs_;
  std::unordered_map<std::string, std::shared_ptr<FaceSize>> sizes_;
};

Mapper &mapper() {
  static Mapper *m = new Mapper;  // never destroyed: fonts may resolve during exit
  return *m;
}

}  // namespace

FaceSize &resolve(Font &font) {
  if (!font.resolved) font.resolved = mapper().resolve(font);
  return *static_cast<FaceSize *>(font.resolved.get());
}

}  // namespace winport::gdi::font

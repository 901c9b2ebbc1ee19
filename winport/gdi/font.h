// font.h — the font mapper and glyph cache behind GDI's text calls.
//
// A logical font (what CreateFontA was asked for) resolves to a FaceSize: one installed face at one
// pixel size, with its GDI-style metrics, the integer advance of every character 0..255 and, rendered
// on first use, each character's grayscale coverage bitmap. fontconfig picks the face (a name that is
// not installed gets its best match; fixed pitch prefers a face FreeType reports as fixed width) and
// FreeType renders it. Resolutions and faces are cached for the life of the process, so a font that
// is created and deleted for every call costs one hash lookup after its first use.
//
// Characters are bytes of Latin-1: byte b shows Unicode code point b.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <mutex>
#include <vector>

#include "gdi/glyph.h"

namespace winport::gdi {

struct Font;

namespace font {

// Pixel sizes are bounded so that any requested height stays cheap to render.
constexpr int kMaxEm = 1000;
// Height 0 asks for the mapper's default: a cell of about this many pixels.
constexpr int kDefaultCellHeight = 16;

struct Metrics {
  int em = 0;  // pixel size asked of FreeType
  int ascent = 0;
  int descent = 0;
  int external_leading = 0;
  int ave_char_width = 0;
  int max_char_width = 0;
  int weight = 400;
  bool italic = false;
  bool fixed_pitch = false;
};

class FaceSize {
 public:
  FaceSize() { std::fill(std::begin(advances_), std::end(advances_), -1); }
  virtual ~FaceSize() = default;
  const Metrics &metrics() const { return metrics_; }
  int cell_height() const { return metrics_.ascent + metrics_.descent; }
  // Characters are measured when first asked for: a size that only ever shows a few words loads
  // only their glyphs.
  int advance(unsigned char c) {
    const int a = advances_[c];
    return a >= 0 ? a : measure(c);
  }

  // The rendered glyph of c, or nullptr when it has no ink. Call with lock() held; the pointer stays
  // valid while the lock is held (large sizes keep only the most recent glyph).
  const Glyph *glyph(unsigned char c) {
    const Glyph *g = kept_[c];
    if (!g) return render(c);
    return g == &kNoInk ? nullptr : g;
  }
  std::unique_lock<std::recursive_mutex> lock() { return std::unique_lock<std::recursive_mutex>(mutex_); }

 protected:
  // Fills advances_[c] (with 0 when c cannot be loaded) and returns it.
  virtual int measure(unsigned char c) { return advances_[c] = 0; }
  // Renders c for glyph(), which asks again each time until keep(c, ...) is called.
  virtual const Glyph *render(unsigned char c) = 0;
  // From now on glyph(c) answers g (nullptr: no ink) without asking render(); g must live as long
  // as the face.
  void keep(unsigned char c, const Glyph *g) { kept_[c] = g ? g : &kNoInk; }

  Metrics metrics_;
  int advances_[256];  // -1: not measured yet
  std::recursive_mutex mutex_;

 private:
  static inline const Glyph kNoInk{};  // marks a kept character without ink
  const Glyph *kept_[256] = {};        // nullptr: not kept (yet)
};

// The face and size for a logical font. Never null: when no font at all can be loaded, a face
// without glyphs (and sensible metrics) stands in, so text calls still measure and draw nothing.
// Caches the result in font.resolved.
FaceSize &resolve(Font &font);

}  // namespace font
}  // namespace winport::gdi

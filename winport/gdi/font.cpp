// font.cpp — resolves logical fonts to faces at pixel sizes, and renders and caches their glyphs.
//
// Three caches, each bounded (when one fills up it is emptied; fonts that already resolved keep
// their face alive through Font::resolved):
//   requests: logical font (name, height, weight, italic, pitch) -> FaceSize  (the hot path)
//   faces:    (name, weight, italic, pitch) -> the matched file and its design metrics
//   sizes:    (file, size) -> FaceSize, so that different requests for one size share glyphs
// Heights follow GDI. A negative height is the em in pixels, and ascent and descent are the face's
// Windows ascent and descent scaled to it and rounded up. A positive height is the cell: the em is
// the largest whose rounded-up ascent and descent fit in it, and any row left over joins the ascent
// (as internal leading), so the cell is exactly the height asked for and the ink stays inside it.
#include "gdi/font.h"

#include <freetype/tttables.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "gdi/font_match.h"
#include "gdi/objects.h"

namespace winport::gdi::font {
namespace {

// Glyphs of sizes up to this em (every size TEVRA asks for) are kept once rendered; larger ones
// are rendered each time they are drawn, to keep memory bounded.
constexpr int kGlyphCacheMaxEm = 128;
constexpr size_t kMaxRequests = 256;
constexpr size_t kMaxFaces = 64;
constexpr size_t kMaxSizes = 32;
// Hinted outlines, never embedded bitmaps, grayscale anti-aliasing when rendered.
constexpr FT_Int32 kLoadFlags = FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_NORMAL;

// The FreeType library. Faces hold a reference, so it outlives every face whatever the order in
// which static objects are destroyed. FreeType wants face creation and disposal serialised.
struct Library {
  FT_Library ft = nullptr;
  std::mutex mutex;
  Library() {
    if (FT_Init_FreeType(&ft) != 0) ft = nullptr;
  }
  ~Library() {
    if (ft) FT_Done_FreeType(ft);
  }
};

// Closes a face the library opened.
struct FaceCloser {
  std::shared_ptr<Library> library;
  void operator()(FT_Face face) const {
    std::lock_guard<std::mutex> guard(library->mutex);
    FT_Done_Face(face);
  }
};
using OpenedFace = std::unique_ptr<FT_FaceRec_, FaceCloser>;

// The chosen face opened; empty when there is none or it cannot be opened.
OpenedFace open_face(const std::shared_ptr<Library> &library, const FaceChoice &choice) {
  FT_Face face = nullptr;
  if (!choice.path.empty()) {
    std::lock_guard<std::mutex> guard(library->mutex);
    if (open_face_file(library->ft, choice.path, choice.index, &face) != 0) face = nullptr;
  }
  return OpenedFace(face, FaceCloser{library});
}

// A matched face file and its design metrics in font units.
struct FaceInfo {
  FaceChoice choice;
  // The face as opened to read the metrics, kept for the first size made of it: opening a face
  // costs about as much as rendering a line of text.
  mutable OpenedFace opened;
  int units_per_em = 0;
  int ascent = 0;   // Windows ascent (OS/2 usWinAscent, else the face's ascender)
  int descent = 0;  // Windows descent, positive
  int line_gap = 0;  // external leading, as GDI derives it from hhea
  int avg_char_width = 0;  // OS/2 xAvgCharWidth, 0 when unknown
  bool usable() const { return !choice.path.empty() && units_per_em > 0 && ascent + descent > 0; }
};

int64_t ceil_div(int64_t a, int64_t b) { return a >= 0 ? (a + b - 1) / b : -((-a) / b); }

void read_design_metrics(FT_Face f, FaceInfo &info) {
  info.units_per_em = f->units_per_EM;
  auto *os2 = static_cast<TT_OS2 *>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
  auto *hhea = static_cast<TT_HoriHeader *>(FT_Get_Sfnt_Table(f, FT_SFNT_HHEA));
  if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    info.ascent = os2->usWinAscent;
    info.descent = os2->usWinDescent;
    info.avg_char_width = os2->xAvgCharWidth > 0 ? os2->xAvgCharWidth : 0;
  } else {
    info.ascent = f->ascender;
    info.descent = -f->descender;
  }
  int cell = info.ascent + info.descent;
  if (hhea)
    info.line_gap = std::max(0, hhea->Line_Gap - (cell - (hhea->Ascender - hhea->Descender)));
  else
    info.line_gap = std::max(0, f->height - cell);
}

// The pixel size of a face: its em, and the cell height it fills (0: the em's natural cell).
struct SizeChoice {
  int em = 1;
  int cell = 0;
};

// A face at one pixel size, drawn by FreeType. Each character is loaded (hinted, which is what
// costs) once, on first use: that load gives its advance and, at sizes whose glyphs are kept, its
// rendered glyph too.
class FtFaceSize : public FaceSize {
 public:
  FtFaceSize(std::shared_ptr<Library> library, const FaceInfo &info, SizeChoice size)
      : library_(std::move(library)),
        face_(info.opened ? std::move(info.opened) : open_face(library_, info.choice)),
        cache_glyphs_(size.em <= kGlyphCacheMaxEm) {
    if (face_ && FT_Set_Pixel_Sizes(face_.get(), 0, size.em) != 0) face_.reset();
    describe(info, size);
  }

  const Glyph *render(unsigned char c) override {
    if (!face_) return nullptr;
    if (cache_glyphs_) {
      if (advances_[c] < 0) load(c);
      return glyphs_[c].get();
    }
    return load_glyph(c, FT_LOAD_RENDER) && copy_bitmap(scratch_) ? &scratch_ : nullptr;
  }

 protected:
  int measure(unsigned char c) override {
    auto guard = lock();
    if (advances_[c] < 0) load(c);
    return advances_[c];
  }

 private:
  void describe(const FaceInfo &info, SizeChoice size) {
    Metrics &m = metrics_;
    const int64_t upem = info.units_per_em, em = size.em;
    m.em = size.em;
    m.ascent = static_cast<int>(ceil_div(em * info.ascent, upem));
    m.descent = static_cast<int>(ceil_div(em * info.descent, upem));
    if (size.cell > m.ascent + m.descent) m.ascent = size.cell - m.descent;
    m.external_leading = static_cast<int>((em * info.line_gap + upem / 2) / upem);
    if (!face_) {
      std::fill(std::begin(advances_), std::end(advances_), 0);
      return;
    }
    m.fixed_pitch = FT_IS_FIXED_WIDTH(face_);
    m.italic = (face_->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
    auto *os2 = static_cast<TT_OS2 *>(FT_Get_Sfnt_Table(face_.get(), FT_SFNT_OS2));
    m.weight = os2 && os2->version != 0xFFFF && os2->usWeightClass ? os2->usWeightClass
               : (face_->style_flags & FT_STYLE_FLAG_BOLD)       ? 700
                                                                 : 400;
    // A fixed-pitch face's average is its one advance; otherwise the face's own average, if it
    // states one, as GDI reports it.
    m.ave_char_width = !m.fixed_pitch && info.avg_char_width > 0
                           ? static_cast<int>((em * info.avg_char_width + upem / 2) / upem)
                           : advance('x');
    // The widest character, as GDI takes it from the face's bounding box rather than by measuring
    // every character of every size.
    const int64_t box = int64_t{face_->bbox.xMax} - face_->bbox.xMin;
    m.max_char_width = std::max(static_cast<int>(ceil_div(em * std::max<int64_t>(box, 0), upem)), m.ave_char_width);
  }

  // Loads c's hinted outline, with `extra` load flags, into the face's glyph slot.
  bool load_glyph(unsigned char c, FT_Int32 extra) {
    return FT_Load_Glyph(face_.get(), FT_Get_Char_Index(face_.get(), static_cast<FT_ULong>(c)), kLoadFlags | extra) == 0;
  }

  // Measures c and, where glyphs are kept, renders it in the same load. Unmapped characters show
  // the face's missing-glyph shape (index 0), as GDI shows them.
  void load(unsigned char c) {
    bool rendered = cache_glyphs_ && load_glyph(c, FT_LOAD_RENDER);
    if (!rendered && !load_glyph(c, 0)) {
      advances_[c] = 0;
    } else {
      advances_[c] = std::max(0, static_cast<int>((face_->glyph->advance.x + 32) >> 6));
      Glyph g;
      if (rendered && copy_bitmap(g)) glyphs_[c] = std::make_unique<Glyph>(std::move(g));
    }
    if (cache_glyphs_) keep(c, glyphs_[c].get());
  }

  // The coverage of the glyph slot's rendered bitmap; false when it has no ink.
  bool copy_bitmap(Glyph &out) {
    const FT_GlyphSlot slot = face_->glyph;
    const FT_Bitmap &bm = slot->bitmap;
    if (bm.width == 0 || bm.rows == 0 || !bm.buffer) return false;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY && bm.pixel_mode != FT_PIXEL_MODE_MONO) return false;
    out.left = slot->bitmap_left;
    out.top = slot->bitmap_top;
    out.width = static_cast<int>(bm.width);
    out.height = static_cast<int>(bm.rows);
    out.stride = (out.width + kGlyphRowAlign - 1) / kGlyphRowAlign * kGlyphRowAlign;
    out.coverage.assign(static_cast<size_t>(out.stride) * static_cast<size_t>(out.height), 0);
    const int pitch = bm.pitch < 0 ? -bm.pitch : bm.pitch;
    const int max_gray = bm.num_grays > 1 ? bm.num_grays - 1 : 255;
    for (int y = 0; y < out.height; ++y) {
      // A negative pitch means the rows are stored bottom first.
      const unsigned char *src = bm.buffer + static_cast<size_t>(bm.pitch < 0 ? out.height - 1 - y : y) *
                                                 static_cast<size_t>(pitch);
      uint8_t *dst = out.coverage.data() + static_cast<size_t>(y) * static_cast<size_t>(out.stride);
      for (int x = 0; x < out.width; ++x) {
        if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
          dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
        else
          dst[x] = static_cast<uint8_t>(max_gray == 255 ? src[x] : src[x] * 255 / max_gray);
      }
    }
    find_ink(out);
    return true;
  }

  std::shared_ptr<Library> library_;
  OpenedFace face_;
  bool cache_glyphs_;
  std::unique_ptr<Glyph> glyphs_[256];
  Glyph scratch_;
};

// Stands in when no face can be loaded at all: plausible metrics, no ink.
class EmptyFaceSize : public FaceSize {
 public:
  explicit EmptyFaceSize(int em) {
    metrics_.em = em;
    metrics_.ascent = (em * 4 + 4) / 5;
    metrics_.descent = (em + 4) / 5;
    metrics_.ave_char_width = metrics_.max_char_width = (em + 1) / 2;
    std::fill(std::begin(advances_), std::end(advances_), metrics_.ave_char_width);
  }
  const Glyph *render(unsigned char) override { return nullptr; }
};

struct FaceKey {
  std::string family;  // lower case: face names are not case sensitive
  int weight = 0;
  bool italic = false;
  bool fixed = false;
  int generic = 0;
  bool operator==(const FaceKey &) const = default;
};

struct RequestKey {
  FaceKey face;
  int height = 0;
  bool operator==(const RequestKey &) const = default;
};

size_t hash_face(const FaceKey &k) {
  size_t h = std::hash<std::string>()(k.family);
  auto mix = [&h](size_t v) { h ^= v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2); };
  mix(static_cast<size_t>(k.weight));
  mix(static_cast<size_t>(k.italic) | static_cast<size_t>(k.fixed) << 1 |
      static_cast<size_t>(k.generic) << 2);
  return h;
}

struct FaceKeyHash {
  size_t operator()(const FaceKey &k) const { return hash_face(k); }
};
struct RequestKeyHash {
  size_t operator()(const RequestKey &k) const {
    return hash_face(k.face) ^ (static_cast<size_t>(static_cast<unsigned>(k.height)) * 0x100000001b3ull);
  }
};

SizeChoice size_for_height(const FaceInfo *info, int height) {
  const int64_t h = height;
  if (h < 0) return {static_cast<int>(std::clamp<int64_t>(-h, 1, kMaxEm)), 0};
  const int64_t cell = h == 0 ? kDefaultCellHeight : h;
  if (!info) return {static_cast<int>(std::clamp<int64_t>(cell * 4 / 5, 1, kMaxEm)), 0};
  auto natural_cell = [info](int64_t em) {
    return ceil_div(em * info->ascent, info->units_per_em) + ceil_div(em * info->descent, info->units_per_em);
  };
  int64_t em = cell * info->units_per_em / (info->ascent + info->descent);
  em = std::clamp<int64_t>(em, 1, kMaxEm);
  while (em > 1 && natural_cell(em) > cell) --em;
  while (em < kMaxEm && natural_cell(em + 1) <= cell) ++em;
  // A cell too large (or too small) for any allowed em keeps the natural cell of the bounded em.
  if (natural_cell(em) > cell || cell > natural_cell(em) + em) return {static_cast<int>(em), 0};
  return {static_cast<int>(em), static_cast<int>(cell)};
}

class Mapper {
 public:
  std::shared_ptr<FaceSize> resolve(const Font &font) {
    std::lock_guard<std::mutex> guard(mutex_);
    // A program that makes a font for every text call asks the same few questions over and over.
    for (const RecentRequest &recent : recent_)
      if (recent.size && recent.same_request(font)) return recent.size;
    RequestKey key{face_key(font), font.height};
    auto it = requests_.find(key);
    std::shared_ptr<FaceSize> size;
    if (it != requests_.end()) {
      size = it->second;
    } else {
      const FaceInfo *info = face_info(key.face);
      size = sized(info, size_for_height(info, font.height));
      if (requests_.size() >= kMaxRequests) requests_.clear();
      requests_.emplace(std::move(key), size);
    }
    recent_[next_recent_] = {font.face, font.height, font.weight, font.italic, font.pitch_and_family, size};
    next_recent_ = (next_recent_ + 1) % kRecentRequests;
    return size;
  }

 private:
  // A recent request as CreateFontA stored it (face name not yet folded to lower case).
  struct RecentRequest {
    std::string face;
    int height = 0, weight = 0;
    bool italic = false;
    int pitch_and_family = 0;
    std::shared_ptr<FaceSize> size;
    bool same_request(const Font &f) const {
      return f.height == height && f.weight == weight && f.italic == italic &&
             f.pitch_and_family == pitch_and_family && f.face == face;
    }
  };

  static FaceKey face_key(const Font &font) {
    FaceKey k;
    k.family = font.face;
    for (char &ch : k.family) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    k.weight = font.weight;
    k.italic = font.italic;
    k.fixed = (font.pitch_and_family & 3) == FIXED_PITCH;
    k.generic = font.pitch_and_family & 0xF0;
    return k;
  }

  // nullptr when nothing usable is installed.
  const FaceInfo *face_info(const FaceKey &key) {
    auto it = faces_.find(key);
    if (it != faces_.end()) return it->second.get();
    auto info = std::make_shared<FaceInfo>();
    {
      std::lock_guard<std::mutex> guard(library_->mutex);
      FaceRequest request{key.family, key.weight, key.italic, key.fixed, key.generic};
      info->choice = match_face(library_->ft, request);
    }
    info->opened = open_face(library_, info->choice);
    if (info->opened) read_design_metrics(info->opened.get(), *info);
    if (!info->usable()) info.reset();
    if (faces_.size() >= kMaxFaces) faces_.clear();
    return faces_.emplace(key, info).first->second.get();
  }

  std::shared_ptr<FaceSize> sized(const FaceInfo *info, SizeChoice choice) {
    std::string key = info ? info->choice.path + '\n' + std::to_string(info->choice.index) : "";
    key += '\n' + std::to_string(choice.em) + '\n' + std::to_string(choice.cell);
    auto it = sizes_.find(key);
    if (it != sizes_.end()) return it->second;
    std::shared_ptr<FaceSize> size;
    if (info)
      size = std::make_shared<FtFaceSize>(library_, *info, choice);
    else
      size = std::make_shared<EmptyFaceSize>(choice.em);
    if (sizes_.size() >= kMaxSizes) {
      // Requests hold sizes too: drop them with the sizes, so at most kMaxSizes stay alive
      // (besides those that live fonts still use).
      sizes_.clear();
      requests_.clear();
    }
    sizes_.emplace(std::move(key), size);
    return size;
  }

  std::mutex mutex_;
  // A screen's worth of text asks for a handful of sizes in turn.
  static constexpr size_t kRecentRequests = 8;
  RecentRequest recent_[kRecentRequests];
  size_t next_recent_ = 0;
  std::shared_ptr<Library> library_ = std::make_shared<Library>();
  std::unordered_map<RequestKey, std::shared_ptr<FaceSize>, RequestKeyHash> requests_;
  std::unordered_map<FaceKey, std::shared_ptr<FaceInfo>, FaceKeyHash> faces_;
  std::unordered_map<std::string, std::shared_ptr<FaceSize>> sizes_;
};

Mapper &mapper() {
  // Never destroyed: fonts held by static objects elsewhere may still resolve during exit.
  static Mapper *m = new Mapper;
  return *m;
}

}  // namespace

FaceSize &resolve(Font &font) {
  if (!font.resolved) font.resolved = mapper().resolve(font);
  return *static_cast<FaceSize *>(font.resolved.get());
}

}  // namespace winport::gdi::font

// font_match.cpp — picks an installed face for a logical font with fontconfig.
//
// fontconfig's configuration supplies the defaults (default families, substitutions); we add the
// generic family that GDI's pitch-and-family byte implies, so that an unknown name still falls back
// to a face of the right kind. Its answers are kept on disk (see match_cache.h): while they hold,
// fontconfig is not even started. Face files are opened here too, never blocking (see open_face_file).
#include "gdi/font_match.h"

#include <fontconfig/fontconfig.h>
#include <sys/mman.h>
#include <unistd.h>

#include <windows.h>

#include <cstdlib>
#include <new>

#include "gdi/match_cache.h"
#include "gdi/regular_file.h"

namespace winport::gdi::font {
namespace {

// How many sorted candidates to open while looking for a usable (and, if asked, fixed-width) face.
constexpr int kCandidates = 24;

// The answers kept from earlier runs, read on first use.
MatchCache &kept_answers() {
  static MatchCache cache = [] {
    MatchCache loaded(MatchCache::default_file());
    loaded.load();
    return loaded;
  }();
  return cache;
}

// fontconfig reads the whole system configuration when it starts: milliseconds of XML, spent only
// when a question has no kept answer.
bool fontconfig_ready() {
  static const bool ready = FcInit() == FcTrue;
  return ready;
}

// The stream of a face file: its mapping, released when FreeType closes the face.
void close_mapped(FT_Stream stream) {
  munmap(stream->base, stream->size);
  delete stream;
}

// What fontconfig's answers depend on: its configuration files and their folders, the user's own
// configuration (which may appear later) and the font folders.
std::vector<std::string> watched_paths() {
  std::vector<std::string> paths;
  auto take = [&paths](FcStrList *list, bool with_folders) {
    if (!list) return;
    while (FcChar8 *item = FcStrListNext(list)) {
      std::string path = reinterpret_cast<const char *>(item);
      if (with_folders && path.rfind('/') > 0) paths.push_back(path.substr(0, path.rfind('/')));
      paths.push_back(std::move(path));
    }
    FcStrListDone(list);
  };
  take(FcConfigGetConfigFiles(nullptr), true);
  take(FcConfigGetConfigDirs(nullptr), false);
  take(FcConfigGetFontDirs(nullptr), false);
  const std::string user_config = xdg_folder("XDG_CONFIG_HOME", ".config");
  if (!user_config.empty()) {
    for (const char *entry : {"/fontconfig", "/fontconfig/fonts.conf", "/fontconfig/conf.d"})
      paths.push_back(user_config + entry);
  }
  if (const char *home = std::getenv("HOME")) {
    for (const char *entry : {"/.fonts.conf", "/.fonts.conf.d"}) paths.push_back(std::string(home) + entry);
  }
  return paths;
}

const char *generic_name(const FaceRequest &r) {
  if (r.fixed_pitch || r.generic_family == FF_MODERN) return "monospace";
  if (r.generic_family == FF_ROMAN) return "serif";
  return "sans-serif";
}

FcPattern *pattern_for(const FaceRequest &r) {
  FcPattern *p = FcPatternCreate();
  if (!p) return nullptr;
  if (!r.family.empty())
    FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8 *>(r.family.c_str()));
  FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8 *>(generic_name(r)));
  if (r.weight > 0) FcPatternAddInteger(p, FC_WEIGHT, FcWeightFromOpenType(r.weight));
  FcPatternAddInteger(p, FC_SLANT, r.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  if (r.fixed_pitch) FcPatternAddInteger(p, FC_SPACING, FC_MONO);
  FcPatternAddBool(p, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, p, FcMatchPattern);
  FcDefaultSubstitute(p);
  return p;
}

bool choice_of(FcPattern *font, FaceChoice &out) {
  FcChar8 *file = nullptr;
  if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch || !file) return false;
  int index = 0;
  if (FcPatternGetInteger(font, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
  out.path = reinterpret_cast<const char *>(file);
  out.index = index;
  return true;
}

// Opens the candidate and says whether we can use it (it scales to any pixel size) and whether it
// is fixed width.
bool probe(FT_Library library, const FaceChoice &c, bool *fixed_width) {
  FT_Face face = nullptr;
  if (open_face_file(library, c.path, c.index, &face) != 0) return false;
  bool usable = FT_IS_SCALABLE(face) && face->units_per_EM > 0;
  *fixed_width = FT_IS_FIXED_WIDTH(face);
  FT_Done_Face(face);
  return usable;
}

FaceChoice first_usable(FT_Library library, FcFontSet *set, bool want_fixed) {
  FaceChoice fallback;
  int limit = set->nfont < kCandidates ? set->nfont : kCandidates;
  for (int i = 0; i < limit; ++i) {
    FaceChoice c;
    bool fixed = false;
    if (!choice_of(set->fonts[i], c) || !probe(library, c, &fixed)) continue;
    if (!want_fixed || fixed) return c;
    if (fallback.path.empty()) fallback = c;
  }
  return fallback;
}

}  // namespace

FT_Error open_face_file(FT_Library library, const std::string &path, FT_Long index, FT_Face *face) {
  *face = nullptr;
  size_t size = 0;
  const int fd = open_regular_file(path.c_str(), &size);
  if (fd < 0) return FT_Err_Cannot_Open_Resource;
  void *base = size > 0 ? mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0) : MAP_FAILED;
  close(fd);
  if (base == MAP_FAILED) return FT_Err_Cannot_Open_Stream;
  auto *stream = new (std::nothrow) FT_StreamRec{};
  if (!stream) {
    munmap(base, size);
    return FT_Err_Out_Of_Memory;
  }
  stream->base = static_cast<unsigned char *>(base);
  stream->size = static_cast<unsigned long>(size);
  stream->close = close_mapped;
  FT_Open_Args args{};
  args.flags = FT_OPEN_STREAM;
  args.stream = stream;
  // FreeType closes the stream itself, at FT_Done_Face or when the face cannot be opened.
  return FT_Open_Face(library, &args, index, face);
}

FaceChoice match_face(FT_Library library, const FaceRequest &request) {
  FaceChoice choice;
  if (!library) return choice;
  if (auto kept = kept_answers().find(request)) return *kept;
  if (!fontconfig_ready()) return choice;
  FcPattern *pattern = pattern_for(request);
  if (!pattern) return choice;

  // The sorted list starts with the best match. A fixed-pitch request may still find a proportional
  // face first when no monospace face carries the name, and the best match may be unusable (a
  // bitmap-only face): walk on to the first face that fits.
  FcResult result = FcResultNoMatch;
  FcFontSet *set = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
  if (set) {
    choice = first_usable(library, set, request.fixed_pitch);
    FcFontSetDestroy(set);
    kept_answers().remember(request, choice, watched_paths());
  }
  FcPatternDestroy(pattern);
  return choice;
}

}  // namespace winport::gdi::font

// fontconfig leaks a few bytes of its own while parsing the system configuration (inside FcInit,
// once per process). Leak-checking builds would report them in every program that draws text; they
// are not ours to fix, so the leak checker is told to ignore allocations made by fontconfig.
extern "C" const char *__lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

// font_match.h — the font mapper's choice of an installed face file, made with fontconfig.
//
// Internal to the text module (font.cpp caches the answers; each question is asked once).
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

namespace winport::gdi::font {

struct FaceRequest {
  std::string family;  // as given to CreateFontA; empty means "any"
  int weight = 400;    // FW_* (0 = don't care)
  bool italic = false;
  bool fixed_pitch = false;  // FIXED_PITCH was asked for
  int generic_family = 0;    // FF_* bits of the pitch-and-family byte
};

struct FaceChoice {
  std::string path;  // empty when no usable face exists
  int index = 0;     // face index inside the file
};

// fontconfig's best match for the request. A family that is not installed gets the generic family's
// best match (sans-serif unless FF_ROMAN or FF_MODERN or fixed pitch says otherwise). When fixed
// pitch is asked, the first candidate that FreeType reports as fixed width wins. Opens faces through
// `library`; the caller serialises use of it.
FaceChoice match_face(FT_Library library, const FaceRequest &request);

// Starts fontconfig on a thread of its own, so that reading the system's font configuration
// overlaps whatever the program does before its first text. Later calls do nothing.
void start_matching();

}  // namespace winport::gdi::font

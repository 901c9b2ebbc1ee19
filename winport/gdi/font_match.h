// font_match.h — the font mapper's choice of an installed face file, made with fontconfig.
//
// Internal to the text module (font.cpp caches the answers; each question is asked once).
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

#include "gdi/face_choice.h"

namespace winport::gdi::font {

// fontconfig's best match for the request. A family that is not installed gets the generic family's
// best match (sans-serif unless FF_ROMAN or FF_MODERN or fixed pitch says otherwise). When fixed
// pitch is asked, the first candidate that FreeType reports as fixed width wins. Opens faces through
// `library`; the caller serialises use of it.
FaceChoice match_face(FT_Library library, const FaceRequest &request);

// FT_New_Face, for a face file that is a regular file (see regular_file.h): the file is mapped and
// FreeType reads the mapping, which FT_Done_Face releases. A FIFO or a device is an error, at once.
FT_Error open_face_file(FT_Library library, const std::string &path, FT_Long index, FT_Face *face);

}  // namespace winport::gdi::font

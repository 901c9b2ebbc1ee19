// face_choice.h — a question to the font mapper and its answer: which installed face file to use.
#pragma once

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

}  // namespace winport::gdi::font

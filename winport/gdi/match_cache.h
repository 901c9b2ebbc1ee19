// match_cache.h — the font mapper's answers, kept on disk from one run to the next.
//
// Asking fontconfig means first reading the system's whole font configuration, which takes
// milliseconds: longer than everything else a program does before its first frame. The answers
// seldom change, so each run keeps those it got in a small file, together with what they depend
// on: the configuration files and font directories (their modification times and sizes, or their
// absence), the chosen face files, the environment variables fontconfig reads and its version.
// A later run uses the answers only while all of that is as it was, and fontconfig is then never
// started unless a question is new.
//
// Internal to the font mapper. Not thread-safe: the mapper serialises its questions.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "gdi/face_choice.h"

namespace winport::gdi::font {

class MatchCache {
 public:
  // `file` is where the answers are kept; empty keeps nothing.
  explicit MatchCache(std::string file) : file_(std::move(file)) {}

  // Reads the file. Its answers count only if the file is intact and everything they depend on is
  // unchanged; otherwise the cache starts empty and the next answer rewrites the file.
  void load();
  bool empty() const { return answers_.empty(); }
  // A kept answer, or nothing when the question is new.
  std::optional<FaceChoice> find(const FaceRequest &request) const;
  // Keeps an answer and rewrites the file. `watched` lists the files and directories the current
  // answers depend on; the face files chosen are watched as well.
  void remember(const FaceRequest &request, const FaceChoice &choice, const std::vector<std::string> &watched);

  // The file for the user running the program: tevra/font-matches in the XDG cache directory
  // ($XDG_CACHE_HOME, else ~/.cache); empty when neither can be found.
  static std::string default_file();

 private:
  using Key = std::tuple<std::string, int, bool, bool, int>;
  static Key key_of(const FaceRequest &r) {
    return {r.family, r.weight, r.italic, r.fixed_pitch, r.generic_family};
  }
  bool read(const std::string &text);
  void save(const std::vector<std::string> &watched) const;

  std::string file_;
  std::map<Key, FaceChoice> answers_;
};

// The user's folder that an XDG variable names (XDG_CACHE_HOME, XDG_CONFIG_HOME) when it holds an
// absolute path, else `in_home` in the home directory; empty when neither is known.
std::string xdg_folder(const char *variable, const char *in_home);

}  // namespace winport::gdi::font

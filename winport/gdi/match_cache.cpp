// match_cache.cpp — the font mapper's answers, kept on disk (see match_cache.h).
//
// The file is text, one record per line, fields separated by tabs; '%', tab, CR and LF inside a
// field are written as %25, %09, %0D and %0A. After the heading line come the conditions, each
// with the state it had when the file was written, then the answers:
//   fontconfig  <version>
//   env         <name>  <"unset" or "=" and the value>
//   path        <file or directory>  <"absent" or "<mtime seconds>.<nanoseconds> <size> <d|f|o>">
//   face        <family> <weight> <italic> <fixed> <generic> <face index> <face file>
// Anything unexpected makes the whole file count as absent.
#include "gdi/match_cache.h"

#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <set>

#include "gdi/regular_file.h"

namespace winport::gdi::font {
namespace {

constexpr const char *kHeading = "tevra font matches\t1";
constexpr size_t kMaxFileBytes = size_t{1} << 20;
constexpr size_t kMaxAnswers = 256;

// What fontconfig reads from the environment: where its configuration is, the user's own folders
// and the language it prefers faces for.
constexpr const char *kEnvironment[] = {"FONTCONFIG_FILE", "FONTCONFIG_PATH", "FONTCONFIG_SYSROOT",
                                        "FC_LANG",         "LC_ALL",          "LC_CTYPE",
                                        "LANG",            "HOME",            "XDG_CONFIG_HOME",
                                        "XDG_DATA_HOME"};

std::string escape(const std::string &field) {
  std::string out;
  out.reserve(field.size());
  for (char c : field) {
    switch (c) {
      case '%': out += "%25"; break;
      case '\t': out += "%09"; break;
      case '\n': out += "%0A"; break;
      case '\r': out += "%0D"; break;
      default: out += c;
    }
  }
  return out;
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool unescape(const std::string &field, std::string *out) {
  out->clear();
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '%') {
      *out += field[i];
      continue;
    }
    if (i + 2 >= field.size()) return false;
    const int hi = hex_digit(field[i + 1]), lo = hex_digit(field[i + 2]);
    if (hi < 0 || lo < 0) return false;
    *out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return true;
}

// A line's fields, unescaped; false when an escape is malformed.
bool split(const std::string &line, std::vector<std::string> *fields) {
  fields->clear();
  size_t start = 0;
  for (;;) {
    const size_t end = line.find('\t', start);
    std::string field;
    if (!unescape(line.substr(start, end == std::string::npos ? std::string::npos : end - start), &field))
      return false;
    fields->push_back(std::move(field));
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

bool number(const std::string &field, int *value) {
  const char *end = field.data() + field.size();
  auto [ptr, ec] = std::from_chars(field.data(), end, *value);
  return ec == std::errc() && ptr == end && !field.empty();
}

std::string env_state(const char *name) {
  const char *value = std::getenv(name);
  return value ? std::string("=") + value : "unset";
}

std::string path_state(const std::string &path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return "absent";
  char text[96];
  std::snprintf(text, sizeof text, "%lld.%09ld %lld %c", static_cast<long long>(st.st_mtim.tv_sec),
                static_cast<long>(st.st_mtim.tv_nsec), static_cast<long long>(st.st_size),
                S_ISDIR(st.st_mode) ? 'd' : S_ISREG(st.st_mode) ? 'f' : 'o');
  return text;
}

std::string record(std::initializer_list<std::string> fields) {
  std::string line;
  for (const std::string &f : fields) {
    if (!line.empty()) line += '\t';
    line += escape(f);
  }
  return line + '\n';
}

}  // namespace

std::string xdg_folder(const char *variable, const char *in_home) {
  if (const char *folder = std::getenv(variable); folder && folder[0] == '/') return folder;
  if (const char *home = std::getenv("HOME"); home && home[0] == '/') return std::string(home) + "/" + in_home;
  return {};
}

std::string MatchCache::default_file() {
  const std::string cache = xdg_folder("XDG_CACHE_HOME", ".cache");
  return cache.empty() ? cache : cache + "/tevra/font-matches";
}

void MatchCache::load() {
  answers_.clear();
  if (file_.empty()) return;
  size_t bytes = 0;
  const int fd = open_regular_file(file_.c_str(), &bytes);
  if (fd < 0) return;
  std::string text;
  if (bytes <= kMaxFileBytes) {
    text.resize(bytes);
    size_t size = 0;
    for (ssize_t n; size < text.size() && (n = ::read(fd, text.data() + size, text.size() - size)) > 0;)
      size += static_cast<size_t>(n);
    text.resize(size);
  }
  close(fd);
  if (!read(text)) answers_.clear();
}

// Checks every condition against the system as it is now, and takes the answers if all hold.
bool MatchCache::read(const std::string &text) {
  size_t start = 0;
  auto next_line = [&text, &start](std::string *line) {
    if (start >= text.size()) return false;
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    line->assign(text, start, end - start);
    start = end + 1;
    return true;
  };
  std::string line;
  if (!next_line(&line) || line != kHeading) return false;
  std::set<std::string> env_seen;
  bool version_seen = false;
  std::vector<std::string> f;
  while (next_line(&line)) {
    if (!split(line, &f)) return false;
    if (f[0] == "fontconfig" && f.size() == 2) {
      int version = 0;
      if (!number(f[1], &version) || version != FcGetVersion()) return false;
      version_seen = true;
    } else if (f[0] == "env" && f.size() == 3) {
      const auto known = std::find_if(std::begin(kEnvironment), std::end(kEnvironment),
                                      [&](const char *name) { return f[1] == name; });
      if (known == std::end(kEnvironment) || f[2] != env_state(*known)) return false;
      env_seen.insert(f[1]);
    } else if (f[0] == "path" && f.size() == 3) {
      if (f[2] != path_state(f[1])) return false;
    } else if (f[0] == "face" && f.size() == 8) {
      FaceRequest r;
      FaceChoice c;
      int italic = 0, fixed = 0;
      r.family = f[1];
      if (!number(f[2], &r.weight) || !number(f[3], &italic) || !number(f[4], &fixed) ||
          !number(f[5], &r.generic_family) || !number(f[6], &c.index))
        return false;
      r.italic = italic != 0;
      r.fixed_pitch = fixed != 0;
      c.path = f[7];
      if (answers_.size() < kMaxAnswers) answers_[key_of(r)] = c;
    } else {
      return false;
    }
  }
  return version_seen && env_seen.size() == std::size(kEnvironment);
}

std::optional<FaceChoice> MatchCache::find(const FaceRequest &request) const {
  auto it = answers_.find(key_of(request));
  if (it == answers_.end()) return std::nullopt;
  return it->second;
}

void MatchCache::remember(const FaceRequest &request, const FaceChoice &choice,
                          const std::vector<std::string> &watched) {
  if (answers_.size() >= kMaxAnswers) answers_.clear();
  answers_[key_of(request)] = choice;
  save(watched);
}

// Written to a file of its own and renamed over the old one, so that a program reading the cache
// meanwhile sees either file whole. Nothing is reported on failure: the cache only saves time.
void MatchCache::save(const std::vector<std::string> &watched) const {
  if (file_.empty()) return;
  std::string text = std::string(kHeading) + '\n';
  text += record({"fontconfig", std::to_string(FcGetVersion())});
  for (const char *name : kEnvironment) text += record({"env", name, env_state(name)});
  std::set<std::string> paths(watched.begin(), watched.end());
  for (const auto &[key, choice] : answers_)
    if (!choice.path.empty()) paths.insert(choice.path);
  for (const std::string &path : paths) text += record({"path", path, path_state(path)});
  for (const auto &[key, choice] : answers_) {
    const auto &[family, weight, italic, fixed, generic] = key;
    text += record({"face", family, std::to_string(weight), italic ? "1" : "0", fixed ? "1" : "0",
                    std::to_string(generic), std::to_string(choice.index), choice.path});
  }

  // The folder and its parent (the cache directory itself may not exist yet).
  const size_t slash = file_.rfind('/');
  if (slash == std::string::npos || slash == 0) return;
  const std::string folder = file_.substr(0, slash);
  mkdir(folder.substr(0, folder.rfind('/')).c_str(), 0700);
  mkdir(folder.c_str(), 0700);
  // A fresh file, never whatever already has the name: a FIFO there would hold the open until
  // somebody read it.
  const std::string temporary = file_ + "." + std::to_string(getpid());
  unlink(temporary.c_str());
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return;
  bool written = true;
  for (size_t done = 0; written && done < text.size();) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    written = n > 0;
    if (written) done += static_cast<size_t>(n);
  }
  if (close(fd) != 0) written = false;
  if (!written || rename(temporary.c_str(), file_.c_str()) != 0) unlink(temporary.c_str());
}

}  // namespace winport::gdi::font

// script_read.cpp — playing "TEVRA.SCR" (or a scripted run's script) back as events.
//
// Owns the playback and play-one flags, the rest of a periodic run being played and the stream being
// read. Promises: playback reads only regular files, never blocks on opening one, accepts any bytes,
// reads a line longer than its buffer as pieces of 511 characters, each a line of its own, and ends
// cleanly, with its menu item unchecked and the file closed, at the end of the file or at a line it
// cannot use, which it names on the console; a scripted run is told how it ended. Playback never
// reads the file being recorded (starting it ends the recording).
#include "internal.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tevra {

namespace {

constexpr int kLineBuffer = 512; // a read takes at most 511 characters

ReadState &state = context().read;

// Reads one line without its newline into `line`: at most kLineBuffer - 1 characters, the rest of
// a longer line being left for the next read, as a line of its own. Returns its length, or -1 when
// the stream ended or failed before any character: a last line without a newline is still a line.
int read_line(char *line) {
  int n = 0;
  int c = 0;
  while (n < kLineBuffer - 1 && (c = std::getc(state.read_file)) != EOF && c != '\n') {
    line[n++] = static_cast<char>(c);
  }
  line[n] = '\0';
  if (c == EOF && n == 0) return -1;
  ++state.lines_read;
  return n;
}

// Only empty lines are passed over. A lone carriage return is the empty line of a file written
// with CR LF line ends; a line of spaces is text, and like any text must name an event.
bool is_blank(const char *line, int n) { return n == 0 || (n == 1 && line[0] == '\r'); }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Converts an optional '-' and the digits after it, from `line[at]`, saturating at the 32-bit
// limits. Stops at the first other character or the end of the line.
int32_t to_int(const char *line, int n, int at) {
  bool negative = false;
  if (at < n && line[at] == '-') {
    negative = true;
    ++at;
  }
  int64_t value = 0;
  for (; at < n && is_digit(line[at]); ++at) {
    if (value <= INT32_MAX) value = value * 10 + (line[at] - '0');
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

// A count or key: the first run of digits from `from` on; with `signed_value`, negative when a '-'
// stands right before it. Returns false when the line has no digit.
bool scan_number(const char *line, int n, int from, bool signed_value, int32_t *value) {
  int at = from;
  while (at < n && !is_digit(line[at])) ++at;
  if (at == n) return false;
  if (signed_value && at > from && line[at - 1] == '-') --at;
  *value = to_int(line, n, at);
  return true;
}

// A coordinate: the next run of digits and '-' from `*pos` on. Advances `*pos` past the run.
bool scan_coordinate(const char *line, int n, int *pos, int32_t *value) {
  int at = *pos;
  while (at < n && !is_digit(line[at]) && line[at] != '-') ++at;
  if (at == n) return false;
  *value = to_int(line, n, at);
  while (at < n && (is_digit(line[at]) || line[at] == '-')) ++at;
  *pos = at;
  return true;
}

// Turns one line into the pending event. The six characters before the kind letter are not looked
// at. Returns false for a line that names no event or lacks a number.
bool parse_line(const char *line, int n) {
  if (n < 7) return false;
  int32_t a = 0;
  int32_t b = 0;
  switch (line[6]) {
  case 'K':
    if (!scan_number(line, n, 6, true, &a)) return false;
    events_on_scripted_key(static_cast<char>(a & 0xFF)); // a negative code is a key of 128..255
    return true;
  case 'M': {
    int pos = 6;
    if (!scan_coordinate(line, n, &pos, &a) || !scan_coordinate(line, n, &pos, &b)) return false;
    events_on_scripted_mouse(a, b);
    return true;
  }
  case 'P':
    if (!scan_number(line, n, 6, false, &a)) return false;
    events_on_scripted_periodic();
    state.periodic_left = a > 0 ? a - 1 : 0; // a count of 0 still yields this one event
    return true;
  default: return false;
  }
}

// The start of a line for the console: at most 40 characters, anything unprintable as '?'.
void quote_line(const char *line, int n, char *out) {
  constexpr int kShown = 40;
  int i = 0;
  for (; i < n && i < kShown; ++i) {
    const unsigned char c = static_cast<unsigned char>(line[i]);
    out[i] = (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  }
  if (n > kShown) {
    std::memcpy(out + i, "...", 3);
    i += 3;
  }
  out[i] = '\0';
}

void close_read_file() {
  if (state.read_file) std::fclose(state.read_file);
  state.read_file = nullptr;
  state.lines_read = 0;
}

} // namespace

void script_close_reading() { close_read_file(); }
bool script_reading() { return state.playing_back || state.play_one || state.read_file; }

void script_close() {
  script_close_writing();
  close_read_file();
}

void script_end_playback(PlaybackEnd end, long line, const char *text) {
  state.playback_path = state.playback_name = kScriptName;
  state.playing_back = false;
  state.play_one = false;
  state.periodic_left = 0;
  set_menu_check(kCmdPlayback, false);
  script_close();
  scripted_run_on_playback_end(PlaybackReport{end, line, text ? text : ""});
}

int script_read_event() {
  script_close_writing(); // never read from a file being written
  if (!state.read_file) {
    OpenFailure why;
    state.read_file = open_regular_for_reading(state.playback_path, &why);
    if (!state.read_file) {
      if (why == OpenFailure::kNotRegular) {
        tevra_log("Cannot open script file %s for reading: not a regular file\n", state.playback_name);
      } else {
        tevra_log("Cannot open script file %s for reading\n", state.playback_name);
      }
      script_end_playback(PlaybackEnd::kCannotOpen);
      return 0;
    }
    state.lines_read = 0;
  }
  if (state.periodic_left > 0) {
    --state.periodic_left;
    events_on_scripted_periodic();
    return 1;
  }
  char line[kLineBuffer];
  int n;
  do {
    n = read_line(line);
    if (n < 0) {
      const bool failed = std::ferror(state.read_file);
      if (failed) {
        tevra_log("Cannot read script file %s: %s\n", state.playback_name, std::strerror(errno));
      } else {
        tevra_log("EOF encountered in script file %s\n", state.playback_name);
      }
      script_end_playback(failed ? PlaybackEnd::kCannotRead : PlaybackEnd::kEndOfScript);
      return 0;
    }
  } while (is_blank(line, n));
  if (!parse_line(line, n)) {
    char shown[48];
    quote_line(line, n, shown);
    tevra_log("Playback stopped at line %ld of script file %s, which names no event: %s\n", state.lines_read,
              state.playback_name, shown);
    script_end_playback(PlaybackEnd::kUnusableLine, state.lines_read, shown);
    return 0;
  }
  return 1;
}

void script_start_playback() {
  if (script_recording()) script_stop_recording(); // the recording is complete in the file before it is read
  halt_animation();
  state.playing_back = true;
  set_menu_check(kCmdPlayback, true);
}

void script_stop_playback() {
  state.playback_path = state.playback_name = kScriptName;
  state.playing_back = false;
  state.periodic_left = 0; // the rest of a periodic run does not leak into the next playback
  set_menu_check(kCmdPlayback, false);
  script_close();
  scripted_run_on_playback_end(PlaybackReport{PlaybackEnd::kStopped, 0, {}});
}

void script_start_playback_of(const char *path, const char *name) {
  script_start_playback();
  state.playback_path = path;
  state.playback_name = name;
}

void script_play_one() {
  if (script_recording()) script_stop_recording();
  state.play_one = true;
  halt_animation();
}

bool script_playing_back() { return state.playing_back; }
bool script_playing() { return state.playing_back || state.play_one; }

bool script_playback_step() {
  if (!state.play_one && !state.playing_back) return false;
  state.play_one = false;
  if (script_read_event()) return true;
  state.playing_back = false;
  state.play_one = false;
  return false;
}

} // namespace tevra

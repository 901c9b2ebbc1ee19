// script.cpp — recording the event stream to "TEVRA.SCR" and playing it back.
//
// Owns the recording, playback and play-one flags, the periodic-run counter and the one script
// stream. Promises: a recording is complete in the file after stop, quit or tevra_close, with each
// run of periodic events written as one line; recording and playback never share the stream (each
// start ends the other); the reader accepts any bytes, never reads past a line and ends playback
// cleanly, with item 6 unchecked and the file closed, at the end of the file or a line it cannot use.
#include "internal.h"

#include <cstdio>

namespace tevra {

namespace {

constexpr const char *kScriptName = "TEVRA.SCR";
constexpr int kLineBuffer = 512; // a line keeps its first 511 characters

uint8_t recording = 0;
uint8_t playing_back = 0;
uint8_t play_one = 0;
int32_t pending_periodic = 0;
FILE *script_file = nullptr;
bool file_for_reading = false;
// The file playback reads: "TEVRA.SCR", or the file named by TEVRA_SCRIPT until that playback ends.
const char *playback_name = kScriptName;

// Reads one line without its newline into `line` (at most kLineBuffer - 1 characters; the rest of a
// longer line is skipped). Returns its length, or -1 when the stream ended or failed before any
// character: a last line without a newline is still a line.
int read_line(char *line) {
  int n = 0;
  int c;
  while ((c = std::getc(script_file)) != EOF && c != '\n') {
    if (n < kLineBuffer - 1) line[n++] = static_cast<char>(c);
  }
  line[n] = '\0';
  if (c == EOF && n == 0) return -1;
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
    pending_event.kind = TEVRA_KBD;
    pending_event.key = static_cast<char>(a & 0xFF); // a negative code is a key of 128..255
    return true;
  case 'M': {
    int pos = 6;
    if (!scan_coordinate(line, n, &pos, &a) || !scan_coordinate(line, n, &pos, &b)) return false;
    pending_event.kind = TEVRA_MOUSE;
    pending_event.x = a;
    pending_event.y = b;
    return true;
  }
  case 'P':
    if (!scan_number(line, n, 6, false, &a)) return false;
    pending_event.kind = TEVRA_PERIODIC;
    pending_periodic = a > 0 ? a - 1 : 0; // a count of 0 still yields this one event
    return true;
  default: return false;
  }
}

} // namespace

void script_close() {
  if (script_file) std::fclose(script_file);
  script_file = nullptr;
  file_for_reading = false;
}

void script_write_event(int32_t kind, int32_t x, int32_t y, char key) {
  if (script_file && file_for_reading) script_close(); // never write into a stream opened for reading
  if (!script_file) {
    script_file = std::fopen(kScriptName, "wt");
    if (!script_file) {
      tevra_log("Cannot open script file %s for writing\n", kScriptName);
      return;
    }
    file_for_reading = false;
  }
  switch (kind) {
  case TEVRA_MOUSE: std::fprintf(script_file, "TEVRA_MOUSE(%d, %d);\n", x, y); break;
  case TEVRA_KBD: std::fprintf(script_file, "TEVRA_KBD(%d);\n", static_cast<int>(static_cast<signed char>(key))); break;
  case TEVRA_PERIODIC: std::fprintf(script_file, "TEVRA_PERIODIC(%d);\n", pending_periodic); break;
  default: break; // a quit is never written
  }
}

void script_end_playback() {
  playback_name = kScriptName;
  playing_back = 0;
  play_one = 0;
  pending_periodic = 0;
  set_menu_check(kCmdPlayback, false);
  script_close();
}

int script_read_event() {
  if (script_file && !file_for_reading) script_close(); // never read from a stream being written
  if (!script_file) {
    script_file = std::fopen(playback_name, "rt");
    if (!script_file) {
      tevra_log("Cannot open script file %s for reading\n", playback_name);
      script_end_playback();
      return 0;
    }
    file_for_reading = true;
  }
  if (pending_periodic > 0) {
    --pending_periodic;
    pending_event.kind = TEVRA_PERIODIC;
    return 1;
  }
  char line[kLineBuffer];
  int n;
  do {
    n = read_line(line);
    if (n < 0) {
      tevra_log("EOF encountered in script file %s\n", playback_name);
      script_end_playback();
      return 0;
    }
  } while (is_blank(line, n));
  if (!parse_line(line, n)) {
    script_end_playback();
    return 0;
  }
  return 1;
}

void script_start_recording() {
  // A script being played (or left open by single steps) is given up first, so the file that is
  // about to be written is never also read.
  if (playing_back || play_one || script_file) script_end_playback();
  recording = 1;
  set_menu_check(kCmdRecord, true);
}

void script_stop_recording() {
  recording = 0;
  set_menu_check(kCmdRecord, false);
  if (pending_periodic > 0) {
    script_write_event(TEVRA_PERIODIC, 0, 0, 0);
    pending_periodic = 0;
  }
  script_close();
}

void script_start_playback() {
  if (recording) script_stop_recording(); // the recording is complete in the file before it is read
  halt_animation();
  playing_back = 1;
  set_menu_check(kCmdPlayback, true);
}

void script_stop_playback() {
  playback_name = kScriptName;
  playing_back = 0;
  pending_periodic = 0; // the rest of a periodic run does not leak into the next playback
  set_menu_check(kCmdPlayback, false);
  script_close();
}

void script_start_playback_of(const char *path) {
  script_start_playback();
  playback_name = path;
}

void script_play_one() {
  if (recording) script_stop_recording();
  play_one = 1;
  halt_animation();
}

bool script_recording() { return recording != 0; }
bool script_playing_back() { return playing_back != 0; }
bool script_playing() { return playing_back || play_one; }

bool script_playback_step() {
  if (!play_one && !playing_back) return false;
  play_one = 0;
  if (script_read_event()) return true;
  playing_back = 0;
  play_one = 0;
  return false;
}

void script_record_hook(int32_t kind, int32_t x, int32_t y, char key) {
  if (!recording) return;
  if (kind == TEVRA_PERIODIC) {
    if (pending_periodic == INT32_MAX) { // a run too long for one line continues on the next
      script_write_event(TEVRA_PERIODIC, 0, 0, 0);
      pending_periodic = 0;
    }
    ++pending_periodic;
    return;
  }
  if (pending_periodic > 0) {
    script_write_event(TEVRA_PERIODIC, x, y, key);
    pending_periodic = 0;
  }
  script_write_event(kind, x, y, key);
  // A program may end right after its quit without closing the library: the recording must
  // already be complete in the file then.
  if (kind == TEVRA_QUIT && script_file) std::fflush(script_file);
}

void script_close_library() {
  // Closing while recording would otherwise lose the last periodic run.
  if (recording && pending_periodic > 0) {
    script_write_event(TEVRA_PERIODIC, 0, 0, 0);
    pending_periodic = 0;
  }
  script_close();
}

void script_reset() {
  script_close();
  playback_name = kScriptName;
  recording = 0;
  playing_back = 0;
  play_one = 0;
  pending_periodic = 0;
}

} // namespace tevra

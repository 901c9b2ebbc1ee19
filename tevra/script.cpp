// script.cpp — recording the event stream to "TEVRA.SCR" and playing it back.
//
// Owns the recording, playback and play-one flags, the periodic-run counter, the file being
// written and the stream being read. Promises: every line is handed to the system as soon as it is
// written, so whatever ends the process afterwards finds it in the file, and a run of periodic
// events still being counted is written when the process is ended by a signal, by abort() or by
// exit(); a write that fails is said once on the console with its reason and stops the recording,
// leaving only whole lines in the file; recording and playback never share the file (each start
// ends the other); playback reads only regular files, never blocks on opening one, accepts any
// bytes, reads a line longer than its buffer as pieces of 511 characters, each a line of its own,
// and ends cleanly, with item 6 unchecked and the file closed, at the end of the file or at a line
// it cannot use, which it names on the console.
#include "internal.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tevra {

namespace {

constexpr const char *kScriptName = "TEVRA.SCR";
constexpr int kLineBuffer = 512; // a read takes at most 511 characters
#ifdef _WIN32
constexpr char kLineEnd[] = "\r\n"; // the file is written in binary: the line ends of a text file
#else
constexpr char kLineEnd[] = "\n";
#endif

// What the signal and exit handlers read as well, hence lock-free atomics. Atomics cannot be
// assigned as a whole, so script_reset puts these back one by one.
struct HandlerShared {
  std::atomic<uint8_t> recording{0};
  std::atomic<int32_t> pending_periodic{0}; // a periodic run being counted (recording) or played
  std::atomic<int> write_fd{-1};            // the file being recorded into, or -1
};

// The rest of what this file owns.
struct ScriptState {
  long long bytes_written = 0; // whole lines in the file being recorded into
  bool playing_back = false;
  bool play_one = false;
  FILE *read_file = nullptr; // the script being played, or null
  long lines_read = 0;       // lines taken from read_file so far, counting each piece of a long line
  // The file playback reads: "TEVRA.SCR", or the file named by TEVRA_SCRIPT until that playback ends.
  const char *playback_name = kScriptName;
};

HandlerShared shared;
ScriptState state;

// ---- Writing -------------------------------------------------------------------------------------
// Everything up to the signal handler uses only async-signal-safe calls.

// Hands all of `text` to the system. False, with errno set, when it could not.
bool write_all(int fd, const char *text, size_t n) {
  while (n > 0) {
    const auto done = ::write(fd, text, static_cast<unsigned>(n));
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) {
      if (done == 0) errno = EIO;
      return false;
    }
    text += done;
    n -= static_cast<size_t>(done);
  }
  return true;
}

// Appends the decimal digits of `value` (with its sign) at `out`; returns the end.
char *put_decimal(char *out, int32_t value) {
  char digits[12];
  int n = 0;
  int64_t v = value;
  const bool negative = v < 0;
  if (negative) v = -v;
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v > 0);
  if (negative) *out++ = '-';
  while (n > 0) *out++ = digits[--n];
  return out;
}

char *put_text(char *out, const char *text) {
  while (*text) *out++ = *text++;
  return out;
}

// "TEVRA_PERIODIC(n);" and the line end into `line` (at least 32 bytes); returns its length.
size_t periodic_line(char *line, int32_t count) {
  char *end = put_text(put_decimal(put_text(line, "TEVRA_PERIODIC("), count), ");");
  end = put_text(end, kLineEnd);
  return static_cast<size_t>(end - line);
}

enum class OpenFailure { kNone, kSystem, kNotRegular };

// Opens (and empties) the script file for recording. Refuses anything but a regular file, and
// never waits for the reader of a FIFO. Returns -1 with `why` set when the file cannot be used.
int open_for_writing(OpenFailure *why) {
#ifdef _WIN32
  const int fd = ::_open(kScriptName, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
  *why = fd < 0 ? OpenFailure::kSystem : OpenFailure::kNone;
  return fd;
#else
  const int fd = ::open(kScriptName, O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) {
    *why = errno == ENXIO ? OpenFailure::kNotRegular : OpenFailure::kSystem; // ENXIO: a FIFO nobody reads
    return -1;
  }
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    *why = OpenFailure::kNotRegular;
    return -1;
  }
  if (::ftruncate(fd, 0) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    *why = OpenFailure::kSystem;
    return -1;
  }
  *why = OpenFailure::kNone;
  return fd;
#endif
}

#ifndef _WIN32
// The signals that end a process by default and can be caught. abort() raises SIGABRT.
constexpr int kEndingSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGABRT};

// Writes the periodic run still being counted, as the recording's last line. Called when the
// process ends without stopping the recording: from a signal handler or at exit.
void write_pending_run_now() {
  const int32_t count = shared.pending_periodic.load();
  if (!shared.recording.load() || count <= 0) return;
  int fd = shared.write_fd.load();
  if (fd < 0) { // only periodic events so far: the file is created now, as its first line would
    OpenFailure why;
    fd = open_for_writing(&why);
    if (fd < 0) return;
    shared.write_fd.store(fd);
  }
  char line[32];
  if (write_all(fd, line, periodic_line(line, count))) shared.pending_periodic.store(0);
}

void on_ending_signal(int signal_number) {
  const int saved = errno;
  write_pending_run_now();
  errno = saved;
  // The handler was reset to the default when it was entered; the raised signal is held until the
  // handler returns and then ends the process as it would have without us.
  std::raise(signal_number);
}

void write_pending_run_at_exit() { write_pending_run_now(); }

// Once per process, for each ending signal the program has left to its default action.
void catch_ending_signals() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  struct sigaction action = {};
  action.sa_handler = on_ending_signal;
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (int s : kEndingSignals) sigaddset(&action.sa_mask, s);
  for (int s : kEndingSignals) {
    struct sigaction previous;
    if (sigaction(s, nullptr, &previous) == 0 && !(previous.sa_flags & SA_SIGINFO) && previous.sa_handler == SIG_DFL)
      sigaction(s, &action, nullptr);
  }
  std::atexit(write_pending_run_at_exit);
}

// Holds the ending signals while a periodic run is written and its count cleared, so a signal
// never writes the same run a second time.
struct SignalsHeld {
  sigset_t previous;
  SignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (int s : kEndingSignals) sigaddset(&held, s);
    sigprocmask(SIG_BLOCK, &held, &previous);
  }
  ~SignalsHeld() { sigprocmask(SIG_SETMASK, &previous, nullptr); }
};
#else
void catch_ending_signals() {}
struct SignalsHeld {
  SignalsHeld() {}
  ~SignalsHeld() {}
};
#endif

void close_written_file() {
  const int fd = shared.write_fd.exchange(-1);
  if (fd >= 0) ::close(fd);
  state.bytes_written = 0;
}

// A recording that cannot go on: said once, with the reason, and the recording is stopped.
void give_up_recording(const char *what, const char *reason) {
  tevra_log("Cannot %s script file %s%s: %s; recording stopped\n", what, kScriptName,
            std::strcmp(what, "open") == 0 ? " for writing" : "", reason);
  shared.recording = 0;
  shared.pending_periodic = 0;
  set_menu_check(kCmdRecord, false);
  close_written_file();
}

// Writes one whole line. A line cut short by a full disk is taken back out of the file, so the
// file holds whole lines only.
bool write_line(const char *line, size_t n) {
  const int fd = shared.write_fd.load();
  if (write_all(fd, line, n)) {
    state.bytes_written += static_cast<long long>(n);
    return true;
  }
  const int error = errno;
#ifdef _WIN32
  (void)::_chsize_s(fd, state.bytes_written);
#else
  (void)!::ftruncate(fd, static_cast<off_t>(state.bytes_written));
#endif
  give_up_recording("write", std::strerror(error));
  return false;
}

// ---- Reading -------------------------------------------------------------------------------------

// Opens the script for playback without blocking, refusing anything but a regular file.
FILE *open_for_reading(OpenFailure *why) {
#ifdef _WIN32
  FILE *file = std::fopen(state.playback_name, "rt");
  *why = file ? OpenFailure::kNone : OpenFailure::kSystem;
  return file;
#else
  const int fd = ::open(state.playback_name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *why = OpenFailure::kSystem;
    return nullptr;
  }
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    *why = OpenFailure::kNotRegular;
    return nullptr;
  }
  FILE *file = ::fdopen(fd, "r");
  if (!file) ::close(fd);
  *why = file ? OpenFailure::kNone : OpenFailure::kSystem;
  return file;
#endif
}

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
    shared.pending_periodic = a > 0 ? a - 1 : 0; // a count of 0 still yields this one event
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

void script_close() {
  close_written_file();
  close_read_file();
}

bool script_write_event(int32_t kind, int32_t x, int32_t y, char key) {
  close_read_file(); // never write into a stream opened for reading
  if (shared.write_fd.load() < 0) {
    OpenFailure why;
    const int fd = open_for_writing(&why);
    if (fd < 0) {
      give_up_recording("open", why == OpenFailure::kNotRegular ? "not a regular file" : std::strerror(errno));
      return false;
    }
    shared.write_fd.store(fd);
    state.bytes_written = 0;
  }
  char line[64];
  switch (kind) {
  case TEVRA_MOUSE:
    return write_line(line, static_cast<size_t>(std::snprintf(line, sizeof line, "TEVRA_MOUSE(%d, %d);%s", x, y, kLineEnd)));
  case TEVRA_KBD:
    return write_line(line, static_cast<size_t>(std::snprintf(line, sizeof line, "TEVRA_KBD(%d);%s",
                                                              static_cast<int>(static_cast<signed char>(key)), kLineEnd)));
  case TEVRA_PERIODIC: {
    const SignalsHeld held; // the run is written and its count cleared as one step
    if (!write_line(line, periodic_line(line, shared.pending_periodic))) return false;
    shared.pending_periodic = 0;
    return true;
  }
  default: return true; // a quit is never written; the file has still been opened
  }
}

void script_end_playback() {
  state.playback_name = kScriptName;
  state.playing_back = false;
  state.play_one = false;
  shared.pending_periodic = 0;
  set_menu_check(kCmdPlayback, false);
  script_close();
}

int script_read_event() {
  close_written_file(); // never read from a file being written
  if (!state.read_file) {
    OpenFailure why;
    state.read_file = open_for_reading(&why);
    if (!state.read_file) {
      if (why == OpenFailure::kNotRegular) {
        tevra_log("Cannot open script file %s for reading: not a regular file\n", state.playback_name);
      } else {
        tevra_log("Cannot open script file %s for reading\n", state.playback_name);
      }
      script_end_playback();
      return 0;
    }
    state.lines_read = 0;
  }
  if (shared.pending_periodic > 0) {
    --shared.pending_periodic;
    events_on_scripted_periodic();
    return 1;
  }
  char line[kLineBuffer];
  int n;
  do {
    n = read_line(line);
    if (n < 0) {
      if (std::ferror(state.read_file)) {
        tevra_log("Cannot read script file %s: %s\n", state.playback_name, std::strerror(errno));
      } else {
        tevra_log("EOF encountered in script file %s\n", state.playback_name);
      }
      script_end_playback();
      return 0;
    }
  } while (is_blank(line, n));
  if (!parse_line(line, n)) {
    char shown[48];
    quote_line(line, n, shown);
    tevra_log("Playback stopped at line %ld of script file %s, which names no event: %s\n", state.lines_read,
              state.playback_name, shown);
    script_end_playback();
    return 0;
  }
  return 1;
}

void script_start_recording() {
  // A script being played (or left open by single steps) is given up first, so the file that is
  // about to be written is never also read.
  if (state.playing_back || state.play_one || state.read_file) script_end_playback();
  catch_ending_signals();
  shared.recording = 1;
  set_menu_check(kCmdRecord, true);
}

void script_stop_recording() {
  shared.recording = 0;
  set_menu_check(kCmdRecord, false);
  if (shared.pending_periodic > 0) script_write_event(TEVRA_PERIODIC, 0, 0, 0);
  shared.pending_periodic = 0;
  script_close();
}

void script_start_playback() {
  if (shared.recording) script_stop_recording(); // the recording is complete in the file before it is read
  halt_animation();
  state.playing_back = true;
  set_menu_check(kCmdPlayback, true);
}

void script_stop_playback() {
  state.playback_name = kScriptName;
  state.playing_back = false;
  shared.pending_periodic = 0; // the rest of a periodic run does not leak into the next playback
  set_menu_check(kCmdPlayback, false);
  script_close();
}

void script_start_playback_of(const char *path) {
  script_start_playback();
  state.playback_name = path;
}

void script_play_one() {
  if (shared.recording) script_stop_recording();
  state.play_one = true;
  halt_animation();
}

bool script_recording() { return shared.recording != 0; }
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

void script_record_hook(int32_t kind, int32_t x, int32_t y, char key) {
  if (!shared.recording) return;
  if (kind == TEVRA_PERIODIC) {
    // A run too long for one line continues on the next.
    if (shared.pending_periodic == INT32_MAX && !script_write_event(TEVRA_PERIODIC, 0, 0, 0)) return;
    ++shared.pending_periodic;
    return;
  }
  if (shared.pending_periodic > 0 && !script_write_event(TEVRA_PERIODIC, x, y, key)) return;
  script_write_event(kind, x, y, key);
}

void script_close_library() {
  // Closing while recording would otherwise lose the last periodic run.
  if (shared.recording && shared.pending_periodic > 0) script_write_event(TEVRA_PERIODIC, 0, 0, 0);
  shared.pending_periodic = 0;
  script_close();
}

void script_reset() {
  script_close(); // leaves write_fd at -1
  state = ScriptState{};
  shared.recording = 0;
  shared.pending_periodic = 0;
}

} // namespace tevra

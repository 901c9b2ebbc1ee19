// script_write.cpp — recording the event stream to "TEVRA.SCR".
//
// Owns the recording flag, the periodic run being counted and the file being written. Promises:
// every line is handed to the system as soon as it is written, so whatever ends the process
// afterwards finds it in the file, and a run of periodic events still being counted is written when
// the process is ended by a signal, by abort() or by exit(); a write that fails is said once on the
// console with its reason and stops the recording, leaving only whole lines in the file; recording
// never writes into the file being played (starting it ends playback).
#include "internal.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tevra {

namespace {

#ifdef _WIN32
constexpr char kLineEnd[] = "\r\n"; // the file is written in binary: the line ends of a text file
#else
constexpr char kLineEnd[] = "\n";
#endif

RecordState &shared = context().record;

// ---- Lines ---------------------------------------------------------------------------------------
// Everything up to the signal handler uses only async-signal-safe calls.

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
    fd = open_regular_for_writing(kScriptName, &why);
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
  if (fd >= 0) close_fd(fd);
  shared.bytes_written = 0;
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
    shared.bytes_written += static_cast<long long>(n);
    return true;
  }
  const int error = errno;
  truncate_to(fd, shared.bytes_written);
  give_up_recording("write", std::strerror(error));
  return false;
}

} // namespace

void script_close_writing() { close_written_file(); }

bool script_write_event(int32_t kind, int32_t x, int32_t y, char key) {
  script_close_reading(); // never write into a stream opened for reading
  if (shared.write_fd.load() < 0) {
    OpenFailure why;
    const int fd = open_regular_for_writing(kScriptName, &why);
    if (fd < 0) {
      give_up_recording("open", why == OpenFailure::kNotRegular ? "not a regular file" : std::strerror(errno));
      return false;
    }
    shared.write_fd.store(fd);
    shared.bytes_written = 0;
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

void script_start_recording() {
  // A script being played (or left open by single steps) is given up first, so the file that is
  // about to be written is never also read.
  if (script_reading()) script_end_playback(PlaybackEnd::kStopped);
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

bool script_recording() { return shared.recording != 0; }

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

} // namespace tevra

// draw_log.cpp — the draw log: a run written down as JSON Lines (docs/draw-log.md), for tools that
// compare two runs of a program and say where they first part.
//
// Owns the log file of the run in progress. Promises:
// - each record is one line, handed to the system in one write, so a run that is killed leaves only
//   whole lines; a write that fails is undone to the last whole line, said once on standard error,
//   and the log stops there;
// - a file that cannot be opened (a FIFO, a folder that does not exist) is said once on standard
//   error and the program runs on without a log;
// - nothing in a record depends on the platform, the time or the place: the same program and
//   script give the same lines everywhere (the whole-frame hash aside, since fonts differ);
// - strings are escaped so that every line is ASCII: ", \, control characters and every byte from
//   0x80 up as \u00XX (one escape per byte, so a reader gets the program's bytes back).
// While no log is open, each caller's only cost is its test of `log_fd`.
#include "internal.h"

#include <cinttypes>
#include <cstdio>
#include <string>

namespace tevra {

namespace {

RunState &run = context().run;

void add_string(std::string &out, const char *text) {
  if (!text) {
    out += "null";
    return;
  }
  out += '"';
  for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; ++p) {
    if (*p == '"' || *p == '\\') {
      out += '\\';
      out += static_cast<char>(*p);
    } else if (*p < 0x20 || *p >= 0x80) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", *p);
      out += escape;
    } else {
      out += static_cast<char>(*p);
    }
  }
  out += '"';
}

void add_fields(std::string &out, std::initializer_list<LogField> fields) {
  out += '{';
  bool first = true;
  for (const LogField &f : fields) {
    if (!first) out += ',';
    first = false;
    add_string(out, f.name);
    out += ':';
    if (f.is_text) {
      add_string(out, f.text);
    } else {
      out += std::to_string(f.number);
    }
  }
  out += '}';
}

// One record, all or nothing. The first failure ends the log.
void write_line(std::string &line) {
  if (run.log_fd < 0) return;
  line += '\n';
  if (write_all(run.log_fd, line.data(), line.size())) {
    run.log_bytes += static_cast<long long>(line.size());
    return;
  }
  truncate_to(run.log_fd, run.log_bytes);
  std::fprintf(stderr, "tevra: cannot write the draw log %s; no more of it is written\n", run.asked.log.c_str());
  close_fd(run.log_fd);
  run.log_fd = -1;
}

// A console line as the log gives it: without one trailing newline.
std::string without_newline(const char *line) {
  std::string text = line ? line : "";
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

} // namespace

void draw_log_open(const std::string &value) {
  OpenFailure why;
  run.log_fd = open_regular_for_writing(value.c_str(), &why);
  if (run.log_fd < 0) {
    std::fprintf(stderr, "tevra: TEVRA_LOG=%s cannot be written to; no draw log is written\n", value.c_str());
    return;
  }
  run.log_bytes = 0;
  std::string line = "{\"tevra_log\":2,\"canvas\":[" + std::to_string(kCanvasWidth) + "," +
                     std::to_string(kCanvasHeight) + "]}";
  write_line(line);
}

// Once end_with_script has ended the run, nothing the program still does belongs to it.
void draw_log_event(int32_t kind, int32_t x, int32_t y, char key, long script_line) {
  if (run.stopped) return;
  const char *name = kind == TEVRA_MOUSE      ? "mouse"
                     : kind == TEVRA_KBD      ? "kbd"
                     : kind == TEVRA_PERIODIC ? "periodic"
                                              : "quit";
  std::string line = "{\"event\":" + std::to_string(++run.log_events) + ",\"kind\":";
  add_string(line, name);
  line += ",\"x\":" + std::to_string(x) + ",\"y\":" + std::to_string(y);
  line += ",\"key\":" + std::to_string(static_cast<unsigned char>(key)) + ",\"script_line\":";
  line += script_line < 0 ? "null" : std::to_string(script_line);
  line += '}';
  write_line(line);
}

void draw_log_correction(const char *line) { run.log_corrections.push_back(without_newline(line)); }

void draw_log_call(const char *what, int32_t color, const char *says, std::initializer_list<LogField> given,
                   std::initializer_list<LogField> drawn) {
  if (run.stopped) {
    run.log_corrections.clear();
    return;
  }
  std::string line = "{\"draw\":";
  add_string(line, what);
  line += ",\"event\":" + std::to_string(run.log_events) + ",\"color\":" + std::to_string(color) + ",\"color_name\":";
  add_string(line, color_names[color]);
  line += ",\"given\":";
  add_fields(line, given);
  line += ",\"drawn\":";
  add_fields(line, drawn);
  line += ",\"corrections\":[";
  for (size_t i = 0; i < run.log_corrections.size(); ++i) {
    if (i > 0) line += ',';
    add_string(line, run.log_corrections[i].c_str());
  }
  line += "],\"says\":";
  add_string(line, without_newline(says).c_str());
  line += '}';
  run.log_corrections.clear();
  write_line(line);
}

void draw_log_console(const char *text) {
  std::string line = "{\"console\":";
  add_string(line, without_newline(text).c_str());
  line += ",\"event\":" + std::to_string(run.log_events) + "}";
  write_line(line);
}

void draw_log_frame(long number, uint64_t hash, uint64_t outside_text) {
  char line[128];
  std::snprintf(line, sizeof line, "{\"frame\":%ld,\"hash\":\"%016" PRIx64 "\",\"outside_text\":\"%016" PRIx64 "\"}",
                number, hash, outside_text);
  std::string text = line;
  write_line(text);
}

void draw_log_close(long frames) {
  if (run.log_fd < 0) return;
  std::string line = "{\"close\":true,\"events\":" + std::to_string(run.log_events) +
                     ",\"frames\":" + std::to_string(frames) + "}";
  write_line(line);
  draw_log_release();
}

void draw_log_release() {
  if (run.log_fd >= 0) close_fd(run.log_fd);
  run.log_fd = -1;
  run.log_bytes = 0;
  run.log_corrections.clear();
}

} // namespace tevra

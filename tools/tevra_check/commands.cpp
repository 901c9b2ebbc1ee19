// commands.cpp — recording a reference and verifying a run against it.
#include "commands.h"

#include "describe.h"
#include "frame_image.h"
#include "reports.h"
#include "run.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace check {

namespace fs = std::filesystem;

int bad_input(const std::string &reason) {
  std::fprintf(stderr, "tevra-check: %s\n", reason.c_str());
  return kBadInput;
}

std::string frame_file(const std::string &dir, long frame) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame-%06ld.png", frame);
  return dir + name;
}

long frame_count(const std::string &dir) {
  long count = 0;
  while (!dir.empty() && fs::exists(frame_file(dir, count))) ++count;
  return count;
}

namespace {

// Fills the folder being made: reference.json, log.jsonl and the frames.
bool fill_reference(const std::string &dir, const Run &run, const std::string &script, bool frames,
                    std::string *reason) {
  Json reference = {{"tevra_check", 1}, {"script", script}, {"status", run.child.status}, {"verdict", "recorded"}};
  if (!write_whole(dir + "/reference.json", reference.dump(2) + "\n", reason) ||
      !write_whole(dir + "/log.jsonl", run.log_text, reason))
    return false;
  std::error_code error;
  if (frames && fs::is_directory(run.frames_dir(), error))
    fs::copy(run.frames_dir(), dir + "/frames", fs::copy_options::recursive, error);
  if (error) *reason = dir + "/frames: " + error.message();
  return !error;
}

// Puts the made folder in place of REF in two renames, the old REF (if any) removed after.
bool put_in_place(const std::string &made, const std::string &out, std::string *reason) {
  std::error_code error;
  std::string old;
  if (fs::exists(out, error)) {
    old = made + ".old";
    fs::rename(out, old, error);
  }
  if (!error) fs::rename(made, out, error);
  if (error) {
    *reason = out + ": " + error.message();
    if (!old.empty()) fs::rename(old, out, error);
    return false;
  }
  if (!old.empty()) fs::remove_all(old, error);
  return true;
}

// The number of the first line that cannot be a JSON object (it does not run from '{' to '}'); 0
// when there is none.
long first_unlikely_line(const std::string &text) {
  long number = 0;
  for (size_t at = 0; at < text.size();) {
    size_t end = std::min(text.find('\n', at), text.size());
    const size_t first = text.find_first_not_of(" \t\r", at), last = text.find_last_not_of(" \t\r", end - 1);
    ++number;
    if (first < end && (text[first] != '{' || last == std::string::npos || last < first || text[last] != '}'))
      return number;
    at = end + 1;
  }
  return 0;
}

bool check_script(const std::string &path, std::string *text, std::string *reason) {
  return read_file(path, text, reason);
}

} // namespace

int record_to(const Options &o, const std::string &script_path, const std::string &out, std::string *line) {
  std::string script;
  if (!check_script(script_path, &script, line)) return kBadInput;
  std::error_code error;
  if (fs::exists(out, error) && !fs::is_directory(out, error)) {
    *line = out + " exists and is not a folder";
    return kBadInput;
  }
  Run run;
  if (!run_program(o.program, script, o.frames, o.limits, &run, line)) return kBadInput;
  if (run.outcome != Outcome::Ran) {
    *line = verdict_line(run);
    return kProgramFailed;
  }
  fs::path parent = fs::absolute(out).parent_path();
  std::string made = (parent / (fs::path(out).filename().string() + ".tmp.XXXXXX")).string();
  if (!mkdtemp(made.data())) {
    *line = out + ": cannot make a folder beside it";
    return kBadInput;
  }
  if (!fill_reference(made, run, script, o.frames, line) || !put_in_place(made, out, line)) {
    fs::remove_all(made, error);
    return kBadInput;
  }
  *line = "recorded " + out + ": status " + std::to_string(run.child.status) + ", " + std::to_string(run.records().size()) +
          " log records" + (o.frames ? ", with frames" : "");
  return kPassed;
}

int record(const Options &o) {
  std::string line;
  int status = record_to(o, o.script, o.out, &line);
  if (status == kBadInput) return bad_input(line);
  std::printf("%s\n", line.c_str());
  return status;
}

bool load_reference(const std::string &dir, Reference *ref, std::string *reason) {
  std::string text, log;
  if (!fs::is_directory(dir)) {
    *reason = dir + " is not a reference folder";
    return false;
  }
  if (!read_file(dir + "/reference.json", &text, reason) || !read_file(dir + "/log.jsonl", &log, reason)) return false;
  Json r = Json::parse(text, nullptr, false);
  if (r.is_discarded() || !r.is_object() || !r.contains("tevra_check")) {
    *reason = dir + "/reference.json is not a tevra-check reference";
    return false;
  }
  if (r["tevra_check"] != 1) {
    *reason = dir + "/reference.json is of format version " + r["tevra_check"].dump() + "; this tevra-check reads version 1";
    return false;
  }
  if (!r.value("script", Json()).is_string() || !r.value("status", Json()).is_number_integer()) {
    *reason = dir + "/reference.json has no script or status";
    return false;
  }
  ref->script = r["script"];
  ref->status = r["status"];
  ref->dir = dir;
  ref->has_frames = fs::is_directory(dir + "/frames");
  // Only the header is parsed now, the rest when a run does not agree with it line for line; a line
  // cut short or mangled is still refused here.
  ref->log_text = std::move(log);
  if (long bad = first_unlikely_line(ref->log_text)) {
    *reason = dir + "/log.jsonl: line " + std::to_string(bad) + " is not a JSON object";
    return false;
  }
  const Json header = Json::parse(ref->log_text.substr(0, ref->log_text.find('\n')), nullptr, false);
  const Json version = header.is_object() ? header.value("tevra_log", Json()) : Json();
  if (version != kLogVersion) {
    *reason = dir + "/log.jsonl is a draw log of version " + (version.is_null() ? "unknown" : version.dump()) +
              "; this tevra-check reads version " + std::to_string(kLogVersion) + ": record the reference again";
    return false;
  }
  return true;
}

int describe(const Options &o) {
  std::string text, reason;
  std::vector<Record> log;
  if (!o.log.empty()) {
    if (!read_file(o.log, &text, &reason)) return bad_input(reason);
    if (!read_log_text(text, &log, &reason)) return bad_input(o.log + ": " + reason);
  } else {
    Reference ref;
    if (!load_reference(o.ref, &ref, &reason)) return bad_input(reason);
    log = ref.records();
  }
  if (!describe_canvas(log, o.event, &text, &reason)) return bad_input(reason);
  std::fputs(text.c_str(), stdout);
  return kPassed;
}

} // namespace check

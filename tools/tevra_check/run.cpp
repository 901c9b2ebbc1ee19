// run.cpp — the scratch folder, the environment of a headless run, and the outcome of it.
#include "run.h"

#include "frame_image.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

extern char **environ;

namespace check {
namespace {

namespace fs = std::filesystem;

// The program's environment: ours, without the TEVRA and WINPORT settings that would change the
// run, and with the ones a headless scripted run needs.
std::vector<std::string> environment(const Run &run, bool frames) {
  std::vector<std::string> env;
  for (char **e = environ; *e; ++e) {
    std::string entry = *e;
    if (entry.rfind("TEVRA_", 0) != 0 && entry.rfind("WINPORT_DISPLAY=", 0) != 0) env.push_back(entry);
  }
  env.push_back("WINPORT_DISPLAY=headless");
  env.push_back("TEVRA_SCRIPT=" + run.scratch + "/script.scr");
  env.push_back("TEVRA_LOG=" + run.scratch + "/log.jsonl");
  if (frames) env.push_back("TEVRA_FRAMES=" + run.frames_dir());
  return env;
}

// The whole path of a program: one named without a folder is looked up in PATH, as a shell would,
// and a relative one is taken from where the checker was started, not from the program's scratch
// folder, where it runs.
std::string locate(const std::string &program) {
  if (program.find('/') != std::string::npos) return std::filesystem::absolute(program).string();
  const char *path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    std::string candidate = (dir.empty() ? "." : dir) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return std::filesystem::absolute(candidate).string();
  }
  return program;
}

Outcome outcome_of(const Run &run) {
  const ChildResult &c = run.child;
  if (!c.started) return Outcome::NotAProgram;
  if (c.timed_out) return Outcome::TimedOut;
  // A program that reached three quarters of its address space before failing ran out of memory,
  // whether the failed allocation then crashed it or ended it with an error.
  bool full = run.limits.memory_mb > 0 && c.max_rss_kb * 4 >= run.limits.memory_mb * 1024 * 3;
  if (full && (c.signal || c.status != 0)) return Outcome::OutOfMemory;
  if (c.signal == SIGXCPU) return Outcome::TimedOut;
  if (c.signal) return Outcome::Crashed;
  if (c.status == 124) return Outcome::WaitedForInput;
  if (run.log_text.rfind("{\"tevra_log\"", 0) != 0) return Outcome::NoLog;
  return Outcome::Ran;
}

} // namespace

Run::~Run() {
  std::error_code ignored;
  if (!scratch.empty()) fs::remove_all(scratch, ignored);
}

bool run_program(const std::vector<std::string> &argv, const std::string &script, bool frames, const Limits &limits,
                 Run *run, std::string *reason) {
  std::string pattern = (fs::temp_directory_path() / "tevra-check.XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    *reason = "cannot make a scratch folder: " + std::string(std::strerror(errno));
    return false;
  }
  run->scratch = pattern;
  run->limits = limits;
  if (!write_whole(run->scratch + "/script.scr", script, reason)) return false;
  std::vector<std::string> args = argv;
  args[0] = locate(args[0]);
  run->child = run_child(args, environment(*run, frames), run->scratch, limits);
  std::string ignored;
  read_file(run->scratch + "/log.jsonl", &run->log_text, &ignored);
  run->outcome = outcome_of(*run);
  return true;
}

std::string verdict_line(const Run &run) {
  switch (run.outcome) {
  case Outcome::NotAProgram: return "not a program";
  case Outcome::TimedOut: return "timed out after " + std::to_string(run.limits.timeout_s) + " s";
  case Outcome::OutOfMemory: return "ran out of memory";
  case Outcome::Crashed: return "crashed (signal " + signal_name(run.child.signal) + ")";
  case Outcome::WaitedForInput: return "waited for input that never came";
  case Outcome::NoLog: return "never opened TEVRA (no draw log)";
  case Outcome::Ran: break;
  }
  return "ran";
}

bool read_file(const std::string &path, std::string *text, std::string *reason) {
  std::error_code error;
  if (fs::is_directory(path, error)) {
    *reason = path + " is a directory";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *reason = path + ": " + std::strerror(errno);
    return false;
  }
  std::ostringstream all;
  all << in.rdbuf();
  *text = all.str();
  return true;
}

bool write_whole(const std::string &path, const std::string &text, std::string *reason) {
  if (img::write_file(path, text.data(), text.size(), reason)) return true;
  *reason = path + ": " + *reason;
  return false;
}

} // namespace check

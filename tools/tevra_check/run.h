// run.h — one headless run of a TEVRA program on a script, and what it came to.
//
// A run happens in a scratch folder of its own (the program's working directory), made under the
// system's temporary folder and removed with the Run: the script is copied there, and the draw
// log, the frames and the program's output are written there. Nothing else is written.
#pragma once

#include "child.h"
#include "draw_log.h"

#include <optional>
#include <string>
#include <vector>

namespace check {

// How a run ended, worst first; each has one line of its own (verdict_line).
enum class Outcome { NotAProgram, TimedOut, OutOfMemory, Crashed, WaitedForInput, NoLog, Ran };

struct Run {
  std::string scratch;          // the scratch folder, removed by the destructor
  ChildResult child;
  Outcome outcome = Outcome::Ran;
  std::string log_text;         // the draw log, when there is one
  Limits limits;

  Run() = default;
  Run(const Run &) = delete;
  Run &operator=(const Run &) = delete;
  ~Run();
  std::string frames_dir() const { return scratch + "/frames"; }
  // The draw log's records, read when first asked for (none when a line is not JSON): a run that
  // agrees with its reference line for line is never parsed.
  const std::vector<Record> &records() const { return parsed.get(log_text); }

private:
  ParsedLog parsed;
};

// run_program: runs argv headless on `script` (its text), with the draw log and, when `frames`,
// the frames kept. Returns false with `reason` set when the scratch folder cannot be made.
bool run_program(const std::vector<std::string> &argv, const std::string &script, bool frames, const Limits &limits,
                 Run *run, std::string *reason);

// verdict_line: the outcome in one line ("timed out after 20 s", "crashed (signal SIGSEGV)").
std::string verdict_line(const Run &run);

// Files read and written whole.
bool read_file(const std::string &path, std::string *text, std::string *reason);
// write_whole: `text` written whole (img::write_file: a temporary file beside `path`, renamed into
// place); `reason` names the path.
bool write_whole(const std::string &path, const std::string &text, std::string *reason);

} // namespace check

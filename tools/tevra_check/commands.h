// commands.h — `tevra-check record` and `tevra-check verify`, after their arguments are read.
#pragma once

#include "child.h"
#include "draw_log.h"
#include "reports.h"

#include <string>
#include <vector>

namespace check {

// Exit statuses of the tool.
enum Exit { kPassed = 0, kDiverged = 1, kBadInput = 2, kProgramFailed = 3 };

struct Options {
  std::string command;                         // "record", "verify", "describe" or "film"
  std::string script, out, ref, log;           // --script, --out, --ref, --log
  long event = -1;                             // describe --event; -1 for the last
  std::string report_dir = "./tevra-check-report", junit, gradescope;
  std::string refs, scripts;                   // verify --refs, record --scripts: folders of many
  long jobs = 0;                               // -j: runs at once; 0 for one per core
  bool frames = false;                         // record --frames
  bool gif = false;                            // film --gif
  bool report_asked = false;                   // verify --report given: report.html whatever the verdict
  bool status = true;                          // --only: compare the exit status
  long allow_pixels = 0;                       // frames differing in at most this many pixels agree
  Compare what;
  Limits limits;
  std::vector<std::string> program;            // PROGRAM [ARGS...]
};

// bad_input: says `reason` on one line of standard error and gives the exit status for it.
int bad_input(const std::string &reason);
int record(const Options &options);
// frame_file: the path of frame F in a folder of frames.
std::string frame_file(const std::string &dir, long frame);
// frame_count: how many frames a folder holds, counted from frame 0 to the first one missing.
long frame_count(const std::string &dir);
int verify(const Options &options);
// check_reports: false with `reason` when a report named in `options` cannot be written.
bool check_reports(const Options &options, std::string *reason);
// describe: prints the canvas after an event of REF's log (or of a log file) in words.
int describe(const Options &options);

// The reference a recording leaves: what verify needs of it.
struct Reference {
  std::string script;
  int status = 0;
  std::string log_text;
  bool has_frames = false;
  std::string dir;
  const std::vector<Record> &records() const { return parsed.get(log_text); }

private:
  ParsedLog parsed;
};
// load_reference: false with `reason` (one line) when REF is missing, unreadable, or another version.
bool load_reference(const std::string &dir, Reference *ref, std::string *reason);

// record_to: records PROGRAM on the script in `script_path` into the folder `out`. Prints nothing:
// `line` is what to say (the "recorded" line, the program's verdict, or why it could not be done).
int record_to(const Options &options, const std::string &script_path, const std::string &out, std::string *line);
// verify_run: runs PROGRAM on REF's script and judges the run, a differing frame's pictures going to
// `report_dir`; prints nothing. Returns the exit status of the tool for it; kBadInput with `reason`
// when the run could not even be set up. `v->name`, when set, is kept as the case's name.
int verify_run(const Options &options, const Reference &ref, const std::string &report_dir, Verification *v,
               std::string *reason);

} // namespace check

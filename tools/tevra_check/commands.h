// commands.h — `tevra-check record` and `tevra-check verify`, after their arguments are read.
#pragma once

#include "child.h"
#include "draw_log.h"

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
  bool frames = false;                         // record --frames
  bool gif = false;                            // film --gif
  bool report_asked = false;                   // verify --report given: report.html whatever the verdict
  bool status = true;                          // --only: compare the exit status
  long allow_pixels = 0;                       // frames differing in at most this many pixels agree
  Compare what;
  Limits limits;
  std::vector<std::string> program;            // PROGRAM [ARGS...]
};

int record(const Options &options);
// frame_file: the path of frame F in a folder of frames.
std::string frame_file(const std::string &dir, long frame);
int verify(const Options &options);
// describe: prints the canvas after an event of REF's log (or of a log file) in words.
int describe(const Options &options);

// The reference a recording leaves: what verify needs of it.
struct Reference {
  std::string script;
  int status = 0;
  std::vector<Record> log;
  bool has_frames = false;
  std::string dir;
};
// load_reference: false with `reason` (one line) when REF is missing, unreadable, or another version.
bool load_reference(const std::string &dir, Reference *ref, std::string *reason);

} // namespace check

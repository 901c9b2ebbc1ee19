// reports.h — what a verification leaves for people and graders: JUnit XML, Gradescope's
// results.json, and the three pictures of a frame that differs.
#pragma once

#include "frame_image.h"

#include <string>
#include <vector>

namespace check {

// What came of one verification, in the order of the tool's exit statuses' weight.
enum class Judged { Passed, Diverged, FailedToRun, NotChecked };

struct Verification {
  std::string name;      // the test case: the program's name
  bool passed = false;
  std::string verdict;   // the one line
  std::string paragraph; // what diverged, when something did
  Judged judged = Judged::Diverged; // NotChecked: the reference or the run's folder was unusable
  double seconds = 0;    // the wall time of the run
};

// Each is written whole (a temporary file renamed into place); false with `reason` on failure.
// JUnit: one testsuite, a testcase per verification (a divergence is a failure, a program that did
// not run to its end an error). Gradescope: a test per verification, scored 1 or 0, and the total.
bool write_junit(const std::string &path, const std::vector<Verification> &cases, std::string *reason);
bool write_gradescope(const std::string &path, const std::vector<Verification> &cases, std::string *reason);
// summary_line: "48 passed, 2 diverged" (then the other outcomes, when there are any).
std::string summary_line(const std::vector<Verification> &cases);

// write_frame_pictures: expected.png, actual.png and diff.png in `dir` (made when missing). diff.png
// is the expected frame faded to a third, with every pixel that differs in bright red.
bool write_frame_pictures(const std::string &expected_png, const std::string &actual_png, const std::string &dir,
                          std::string *reason);

// diff_picture: diff.png's picture of two frames.
img::Image diff_picture(const img::Image &expected, const img::Image &actual);

// markup_escape: text safe inside an XML or HTML element or a quoted attribute; what a program
// printed is not trusted, and the control characters no XML may hold become '?'.
std::string markup_escape(const std::string &text);

// A report path must be a file that can be made: not a directory, in a folder that exists.
bool report_path_ok(const std::string &path, std::string *reason);

} // namespace check

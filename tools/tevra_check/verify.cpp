// verify.cpp — `tevra-check verify`: a run against the reference, stopped at the first divergence.
#include "commands.h"

#include "frame_image.h"
#include "html_report.h"
#include "reports.h"
#include "run.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

namespace check {
namespace {

namespace fs = std::filesystem;

long pixels_apart(const std::string &a_png, const std::string &b_png) {
  img::Image a, b;
  if (!img::read_png(a_png, &a) || !img::read_png(b_png, &b) || a.width != b.width || a.height != b.height) return -1;
  long count = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) count += (a.pixels[i] & 0xFFFFFF) != (b.pixels[i] & 0xFFFFFF);
  return count;
}

// The comparison of the run with the reference, after the run ended as a program should; the
// divergence in the logs, when there is one, goes to `divergence`.
Verification compare(const Options &o, const Reference &ref, const Run &run, const std::string &report_dir,
                     std::optional<Divergence> *divergence) {
  Verification v;
  v.name = fs::path(o.program[0]).filename().string();
  if (o.status && run.child.status != ref.status) {
    v.verdict = "exited with status " + std::to_string(run.child.status);
    v.paragraph = "First divergence at the exit status: expected " + std::to_string(ref.status) + ", got " +
                  std::to_string(run.child.status) + ".";
    return v;
  }
  if (run.outcome == Outcome::NoLog) {
    v.verdict = verdict_line(run);
    return v;
  }
  Compare what = o.what;
  if (o.allow_pixels > 0 && ref.has_frames) {
    what.frame_agrees = [&](long frame) {
      long apart = pixels_apart(frame_file(ref.dir + "/frames", frame), frame_file(run.frames_dir(), frame));
      return apart >= 0 && apart <= o.allow_pixels;
    };
  }
  std::optional<Divergence> d;
  if (!logs_agree_quickly(ref.log_text, run.log_text, what)) d = compare_logs(ref.records(), run.records(), what);
  *divergence = d;
  v.passed = !d;
  v.verdict = d ? "diverged" : "passed";
  if (d) v.paragraph = d->paragraph();
  if (d && d->frame && ref.has_frames) {
    std::string reason;
    if (write_frame_pictures(frame_file(ref.dir + "/frames", *d->frame), frame_file(run.frames_dir(), *d->frame),
                             report_dir, &reason))
      v.paragraph += " The frames are in " + report_dir + " (expected.png, actual.png, diff.png, report.html).";
    else
      v.paragraph += " (No pictures of the frames: " + reason + ".)";
  }
  return v;
}

// report.html beside the frame pictures; a page that cannot be written is said, and the verdict stands.
void write_report_page(const Reference &ref, const Run &run, const std::string &report_dir, const Verification &v,
                       const std::optional<Divergence> &divergence) {
  HtmlReport report;
  report.verification = v;
  report.divergence = divergence;
  if (ref.has_frames) {
    report.expected_frames = ref.dir + "/frames";
    report.actual_frames = run.frames_dir();
  }
  report.expected_log = &ref.records();
  report.actual_log = &run.records();
  std::string reason;
  if (!write_html_report(report_dir, report, &reason)) std::fprintf(stderr, "tevra-check: %s\n", reason.c_str());
}

} // namespace

bool check_reports(const Options &o, std::string *reason) {
  std::error_code error;
  if (fs::exists(o.report_dir, error) && !fs::is_directory(o.report_dir, error)) {
    *reason = o.report_dir + " is not a folder";
    return false;
  }
  return (o.junit.empty() || report_path_ok(o.junit, reason)) &&
         (o.gradescope.empty() || report_path_ok(o.gradescope, reason));
}

int verify_run(const Options &o, const Reference &ref, const std::string &report_dir, Verification *v,
               std::string *reason) {
  const auto start = std::chrono::steady_clock::now();
  Run run;
  if (!run_program(o.program, ref.script, ref.has_frames, o.limits, &run, reason)) return kBadInput;
  std::string name = v->name.empty() ? fs::path(o.program[0]).filename().string() : v->name;
  bool ran = run.outcome == Outcome::Ran || run.outcome == Outcome::NoLog;
  std::optional<Divergence> divergence;
  if (ran) *v = compare(o, ref, run, report_dir, &divergence);
  else v->verdict = verdict_line(run);
  v->name = name;
  if (o.report_asked || (divergence && divergence->frame && ref.has_frames))
    write_report_page(ref, run, report_dir, *v, divergence);
  v->seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  bool diverged = v->verdict == "diverged" || v->verdict.rfind("exited with status", 0) == 0;
  v->judged = v->passed ? Judged::Passed : diverged ? Judged::Diverged : Judged::FailedToRun;
  return v->passed ? kPassed : diverged ? kDiverged : kProgramFailed;
}

int verify(const Options &o) {
  Reference ref;
  std::string reason;
  if (!load_reference(o.ref, &ref, &reason) || !check_reports(o, &reason)) {
    std::fprintf(stderr, "tevra-check: %s\n", reason.c_str());
    return kBadInput;
  }
  Verification v;
  int status = verify_run(o, ref, o.report_dir, &v, &reason);
  if (status == kBadInput) {
    std::fprintf(stderr, "tevra-check: %s\n", reason.c_str());
    return kBadInput;
  }
  std::printf("%s\n", v.verdict.c_str());
  if (!v.paragraph.empty()) std::printf("%s\n", v.paragraph.c_str());
  if ((!o.junit.empty() && !write_junit(o.junit, {v}, &reason)) ||
      (!o.gradescope.empty() && !write_gradescope(o.gradescope, {v}, &reason))) {
    std::fprintf(stderr, "tevra-check: %s\n", reason.c_str());
    return kBadInput;
  }
  return status;
}

} // namespace check

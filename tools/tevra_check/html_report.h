// html_report.h — report.html: a verification on one page a person opens in any browser.
//
// The page stands alone: its pictures are inlined as data: URIs, its style is in the page, and it
// runs no script, so it can be mailed or attached to a grade as one file. It holds the verdict and
// its paragraph; a filmstrip of the run (a small picture of every Nth frame, at most kStripFrames,
// the frame where the run diverged among them and marked); that frame side by side as the reference
// has it, as the run has it, and their difference; and the records around the divergence in both
// logs. Every text on it is escaped: what a program prints is not trusted.
#pragma once

#include "draw_log.h"
#include "reports.h"

#include <optional>
#include <string>
#include <vector>

namespace check {

constexpr long kStripFrames = 24;   // thumbnails in the filmstrip at most
constexpr size_t kAround = 5;       // records shown before and after the divergence

struct HtmlReport {
  Verification verification;
  std::string expected_frames, actual_frames;   // folders of frames; empty when a run has none
  std::optional<Divergence> divergence;
  const std::vector<Record> *expected_log = nullptr, *actual_log = nullptr;
};

// html_report: the page's text.
std::string html_report(const HtmlReport &report);

// write_html_report: DIR/report.html (DIR made when missing), written whole.
bool write_html_report(const std::string &dir, const HtmlReport &report, std::string *reason);

} // namespace check

// reports.cpp — JUnit XML, Gradescope's results.json and the pictures of a differing frame.
#include "reports.h"

#include "frame_image.h"
#include "run.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace check {
namespace {

namespace fs = std::filesystem;

} // namespace

namespace {

std::string seconds_text(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", seconds);
  return text;
}

// One testcase: a divergence is a failure (the program is wrong), a program that did not run to its
// end or a reference that could not be read an error (there was nothing to compare).
std::string junit_case(const Verification &c) {
  std::string xml = "    <testcase name=\"" + markup_escape(c.name) + "\" classname=\"tevra-check\" time=\"" +
                    seconds_text(c.seconds) + "\"";
  if (c.passed) return xml + "/>\n";
  const char *tag = c.judged == Judged::Diverged ? "failure" : "error";
  std::string type = c.judged == Judged::Diverged ? "diverged" : c.judged == Judged::FailedToRun ? "failed-to-run" : "not-checked";
  xml += ">\n      <" + std::string(tag) + " message=\"" + markup_escape(c.verdict) + "\" type=\"" + type + "\">" +
         markup_escape(c.paragraph.empty() ? c.verdict : c.paragraph) + "</" + tag + ">\n";
  return xml + "    </testcase>\n";
}

long count(const std::vector<Verification> &cases, Judged judged) {
  return std::count_if(cases.begin(), cases.end(), [&](const Verification &c) { return c.judged == judged; });
}

} // namespace

bool write_junit(const std::string &path, const std::vector<Verification> &cases, std::string *reason) {
  double seconds = 0;
  for (const Verification &c : cases) seconds += c.seconds;
  std::string counts = "tests=\"" + std::to_string(cases.size()) + "\" failures=\"" +
                       std::to_string(count(cases, Judged::Diverged)) + "\" errors=\"" +
                       std::to_string(count(cases, Judged::FailedToRun) + count(cases, Judged::NotChecked)) +
                       "\" skipped=\"0\" time=\"" + seconds_text(seconds) + "\"";
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  xml += "<testsuites name=\"tevra-check\" " + counts + ">\n";
  xml += "  <testsuite name=\"tevra-check\" " + counts + ">\n";
  for (const Verification &c : cases) xml += junit_case(c);
  return write_whole(path, xml + "  </testsuite>\n</testsuites>\n", reason);
}

bool write_gradescope(const std::string &path, const std::vector<Verification> &cases, std::string *reason) {
  nlohmann::json tests = nlohmann::json::array();
  long score = 0;
  double seconds = 0;
  for (const Verification &c : cases) {
    tests.push_back({{"name", c.name},
                     {"number", std::to_string(tests.size() + 1)},
                     {"score", c.passed ? 1 : 0},
                     {"max_score", 1},
                     {"status", c.passed ? "passed" : "failed"},
                     {"output", c.paragraph.empty() ? c.verdict : c.verdict + "\n" + c.paragraph},
                     {"visibility", "visible"}});
    score += c.passed;
    seconds += c.seconds;
  }
  nlohmann::json results = {{"score", score},
                            {"execution_time", static_cast<long>(seconds + 0.5)},
                            {"output", summary_line(cases)},
                            {"visibility", "visible"},
                            {"stdout_visibility", "hidden"},
                            {"tests", tests}};
  return write_whole(path, results.dump(2) + "\n", reason);
}

std::string markup_escape(const std::string &text) {
  std::string out;
  for (char c : text) {
    switch (c) {
    case '&': out += "&amp;"; break;
    case '<': out += "&lt;"; break;
    case '>': out += "&gt;"; break;
    case '"': out += "&quot;"; break;
    case '\'': out += "&#39;"; break;
    case '\t': case '\n': case '\r': out += c; break;
    default: out += static_cast<unsigned char>(c) < 0x20 ? '?' : c; // no XML may hold these, even escaped
    }
  }
  return out;
}

std::string summary_line(const std::vector<Verification> &cases) {
  std::string line = std::to_string(count(cases, Judged::Passed)) + " passed, " +
                     std::to_string(count(cases, Judged::Diverged)) + " diverged";
  if (long n = count(cases, Judged::FailedToRun)) line += ", " + std::to_string(n) + " failed to run";
  if (long n = count(cases, Judged::NotChecked)) line += ", " + std::to_string(n) + " not checked";
  return line;
}

img::Image diff_picture(const img::Image &expected, const img::Image &actual) {
  img::Image diff = expected;
  for (int y = 0; y < diff.height; ++y) {
    for (int x = 0; x < diff.width; ++x) {
      uint32_t e = expected.at(x, y);
      bool inside = x < actual.width && y < actual.height;
      uint32_t &d = diff.pixels[static_cast<size_t>(y) * diff.width + x];
      // Faded toward white, so that the red of a difference stands out on any picture.
      uint32_t faded = 0;
      for (int shift = 0; shift < 24; shift += 8) faded |= ((((e >> shift) & 0xFF) + 510) / 3) << shift;
      d = inside && (actual.at(x, y) & 0xFFFFFF) == (e & 0xFFFFFF) ? faded : 0xFF0000;
    }
  }
  return diff;
}

bool write_frame_pictures(const std::string &expected_png, const std::string &actual_png, const std::string &dir,
                          std::string *reason) {
  img::Image expected, actual;
  if (!img::read_png(expected_png, &expected, reason) || !img::read_png(actual_png, &actual, reason)) return false;
  std::error_code error;
  fs::create_directories(dir, error);
  return img::write_png(dir + "/expected.png", expected, reason) && img::write_png(dir + "/actual.png", actual, reason) &&
         img::write_png(dir + "/diff.png", diff_picture(expected, actual), reason);
}

bool report_path_ok(const std::string &path, std::string *reason) {
  std::error_code error;
  if (fs::is_directory(path, error)) {
    *reason = path + " is a directory";
    return false;
  }
  fs::path parent = fs::path(path).parent_path();
  if (!parent.empty() && !fs::is_directory(parent, error)) {
    *reason = path + ": its folder " + parent.string() + " does not exist";
    return false;
  }
  return true;
}

} // namespace check

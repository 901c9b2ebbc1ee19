// reports.cpp — JUnit XML, Gradescope's results.json and the pictures of a differing frame.
#include "reports.h"

#include "frame_image.h"
#include "run.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>

namespace check {
namespace {

namespace fs = std::filesystem;

std::string xml_escape(const std::string &text) {
  std::string out;
  for (char c : text) {
    switch (c) {
    case '&': out += "&amp;"; break;
    case '<': out += "&lt;"; break;
    case '>': out += "&gt;"; break;
    case '"': out += "&quot;"; break;
    default: out += c;
    }
  }
  return out;
}

} // namespace

bool write_junit(const std::string &path, const Verification &o, std::string *reason) {
  std::string name = xml_escape(o.name);
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  xml += "<testsuite name=\"tevra-check\" tests=\"1\" failures=\"" + std::string(o.passed ? "0" : "1") + "\">\n";
  xml += "  <testcase classname=\"tevra-check\" name=\"" + name + "\"";
  if (o.passed) {
    xml += "/>\n";
  } else {
    xml += ">\n    <failure message=\"" + xml_escape(o.verdict) + "\">" +
           xml_escape(o.paragraph.empty() ? o.verdict : o.paragraph) + "</failure>\n  </testcase>\n";
  }
  return write_whole(path, xml + "</testsuite>\n", reason);
}

bool write_gradescope(const std::string &path, const Verification &o, std::string *reason) {
  nlohmann::json test = {{"name", o.name},
                         {"score", o.passed ? 1 : 0},
                         {"max_score", 1},
                         {"status", o.passed ? "passed" : "failed"},
                         {"output", o.paragraph.empty() ? o.verdict : o.verdict + "\n" + o.paragraph}};
  nlohmann::json results = {{"score", o.passed ? 1 : 0}, {"tests", nlohmann::json::array({test})}};
  return write_whole(path, results.dump(2) + "\n", reason);
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

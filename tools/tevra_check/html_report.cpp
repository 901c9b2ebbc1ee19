// html_report.cpp — report.html: the page, its pictures as data: URIs, its text escaped.
#include "html_report.h"

#include "commands.h"
#include "frame_image.h"
#include "run.h"

#include <algorithm>
#include <filesystem>

namespace check {
namespace {

namespace fs = std::filesystem;

std::string base64(const std::vector<uint8_t> &bytes) {
  static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const uint32_t v = uint32_t{bytes[i]} << 16 | (i + 1 < bytes.size() ? uint32_t{bytes[i + 1]} << 8 : 0) |
                       (i + 2 < bytes.size() ? bytes[i + 2] : 0);
    out += digits[v >> 18];
    out += digits[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? digits[(v >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? digits[v & 63] : '=';
  }
  return out;
}

std::string img_tag(const img::Image &image, const std::string &alt, const std::string &attributes = "") {
  const std::vector<uint8_t> png = img::encode_png(image.pixels.data(), image.width, image.height, image.width);
  return "<img alt=\"" + markup_escape(alt) + "\"" + attributes + " src=\"data:image/png;base64," + base64(png) + "\">";
}

// A quarter of the frame each way, each pixel the mean of the 4 x 4 it stands for.
img::Image thumbnail(const img::Image &frame) {
  img::Image small;
  small.width = std::max(1, frame.width / 4);
  small.height = std::max(1, frame.height / 4);
  small.pixels.resize(static_cast<size_t>(small.width) * small.height);
  for (int y = 0; y < small.height; ++y) {
    for (int x = 0; x < small.width; ++x) {
      uint32_t sum[3] = {0, 0, 0}, n = 0;
      for (int dy = 0; dy < 4 && 4 * y + dy < frame.height; ++dy)
        for (int dx = 0; dx < 4 && 4 * x + dx < frame.width; ++dx, ++n)
          for (int c = 0; c < 3; ++c) sum[c] += (frame.at(4 * x + dx, 4 * y + dy) >> (16 - 8 * c)) & 0xFF;
      small.pixels[static_cast<size_t>(y) * small.width + x] = (sum[0] / n) << 16 | (sum[1] / n) << 8 | sum[2] / n;
    }
  }
  return small;
}

// The frame a person should look at: the differing frame, else the one that shows what the
// differing event drew (frame 0 for what was drawn before the first event).
std::optional<long> marked_frame(const HtmlReport &r) {
  if (!r.divergence) return std::nullopt;
  if (r.divergence->frame) return r.divergence->frame;
  return std::max(r.divergence->event, 0L);
}

std::string filmstrip(const HtmlReport &r) {
  const long count = frame_count(r.actual_frames);
  if (count == 0) return "";
  const long step = (count + kStripFrames - 1) / kStripFrames;
  const std::optional<long> mark = marked_frame(r);
  std::string html = "<h2>The run, every " + (step == 1 ? std::string("frame") : std::to_string(step) + " frames") +
                     "</h2>\n<div class=\"strip\">\n";
  for (long f = 0; f < count; ++f) {
    const bool marked = mark && *mark == f;
    if (f % step != 0 && !marked) continue;
    img::Image frame;
    if (!img::read_png(frame_file(r.actual_frames, f), &frame)) continue;
    html += std::string("<figure") + (marked ? " class=\"marked\"" : "") + ">" +
            img_tag(thumbnail(frame), "frame " + std::to_string(f)) + "<figcaption>frame " + std::to_string(f) +
            (marked ? ", diverged" : "") + "</figcaption></figure>\n";
  }
  return html + "</div>\n";
}

std::string side_by_side(const HtmlReport &r) {
  const std::optional<long> mark = marked_frame(r);
  img::Image expected, actual;
  if (!mark || r.expected_frames.empty() || r.actual_frames.empty() ||
      !img::read_png(frame_file(r.expected_frames, *mark), &expected) ||
      !img::read_png(frame_file(r.actual_frames, *mark), &actual))
    return "";
  std::string html = "<h2>Frame " + std::to_string(*mark) + "</h2>\n<div class=\"pair\">\n";
  const std::pair<const img::Image *, const char *> pictures[] = {
      {&expected, "expected"}, {&actual, "got"}, {nullptr, "difference (red where they differ)"}};
  const img::Image diff = diff_picture(expected, actual);
  for (const auto &[image, caption] : pictures)
    html += "<figure>" + img_tag(image ? *image : diff, caption) + "<figcaption>" + caption +
            "</figcaption></figure>\n";
  return html + "</div>\n";
}

// The records of one log around `at`, drawing calls, events and frames (console lines repeat the
// calls), the differing one marked.
std::string records_around(const std::vector<Record> &log, size_t at, const char *title) {
  std::vector<size_t> shown;
  for (size_t i = at; i-- > 0 && shown.size() < kAround;)
    if (log[i].kind != "console" && log[i].kind != "header") shown.insert(shown.begin(), i);
  const size_t before = shown.size();
  for (size_t i = at; i < log.size() && shown.size() < before + 1 + kAround; ++i)
    if (i == at || log[i].kind != "console") shown.push_back(i);
  std::string html = std::string("<div><h3>") + title + "</h3><ol class=\"log\">\n";
  for (size_t i : shown)
    html += std::string("<li") + (i == at ? " class=\"marked\"" : "") + " value=\"" + std::to_string(i + 1) + "\">" +
            markup_escape(describe(log[i], false)) + "</li>\n";
  if (at >= log.size()) html += "<li class=\"marked\">the end of the log</li>\n";
  return html + "</ol></div>\n";
}

const char kStyle[] =
    "body{font-family:sans-serif;margin:1.5em;color:#222}"
    ".passed{color:#176117}.failed{color:#a31515}"
    ".strip,.pair,.logs{display:flex;flex-wrap:wrap;gap:8px}"
    "figure{margin:0;padding:3px;border:3px solid transparent;font-size:80%;text-align:center}"
    "figure.marked{border-color:#d00}"
    ".log{font-family:monospace;font-size:85%}.log li.marked{background:#fdd}"
    ".pair img{max-width:29vw;height:auto}.logs>div{flex:1;min-width:30em}";

} // namespace

std::string html_report(const HtmlReport &r) {
  const Verification &v = r.verification;
  std::string html = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>tevra-check: " +
                     markup_escape(v.name) + "</title><style>" + kStyle + "</style></head><body>\n";
  html += "<h1>tevra-check: " + markup_escape(v.name) + "</h1>\n";
  html += std::string("<p class=\"") + (v.passed ? "passed" : "failed") + "\"><b>" + markup_escape(v.verdict) +
          "</b></p>\n";
  if (v.passed) html += "<p>The run agrees with the reference on everything compared.</p>\n";
  if (!v.paragraph.empty()) html += "<p>" + markup_escape(v.paragraph) + "</p>\n";
  html += filmstrip(r) + side_by_side(r);
  if (r.divergence && r.expected_log && r.actual_log) {
    html += "<h2>Around the divergence</h2>\n<div class=\"logs\">\n" +
            records_around(*r.expected_log, r.divergence->expected_at, "expected") +
            records_around(*r.actual_log, r.divergence->actual_at, "got") + "</div>\n";
  }
  return html + "</body></html>\n";
}

bool write_html_report(const std::string &dir, const HtmlReport &report, std::string *reason) {
  std::error_code error;
  fs::create_directories(dir, error);
  if (error) {
    *reason = dir + ": " + error.message();
    return false;
  }
  return write_whole(dir + "/report.html", html_report(report), reason);
}

} // namespace check

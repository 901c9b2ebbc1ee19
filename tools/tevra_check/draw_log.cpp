// draw_log.cpp — parsing draw logs, describing their records, and the record-by-record comparison.
#include "draw_log.h"

#include <map>
#include <sstream>

namespace check {
namespace {

// Drawing calls and console lines name their event too, so "event" is looked at last.
const char *const kKinds[][2] = {{"tevra_log", "header"}, {"draw", "draw"}, {"console", "console"},
                                 {"frame", "frame"},      {"close", "close"}, {"event", "event"}};

std::string kind_of(const Json &value) {
  for (const auto &k : kKinds)
    if (value.contains(k[0])) return k[1];
  return "other";
}

// A JSON value in the console's way of writing numbers, points and text.
std::string plain(const Json &value) {
  if (value.is_string()) {
    std::string out = "\"";
    out += value.get<std::string>();
    out += '"';
    return out;
  }
  if (value.is_array()) {
    bool point = value.size() == 2 && value[0].is_number() && value[1].is_number();
    std::string out = point ? "(" : "";
    for (size_t i = 0; i < value.size(); ++i) {
      if (i > 0) out += point ? "," : " ";
      out += plain(value[i]);
    }
    return point ? out + ")" : out;
  }
  return value.dump();
}

// A drawing call from what was drawn: its colour and kind, "at (x,y)", then its other values.
std::string describe_drawn(const Json &record) {
  std::string out = "\"";
  const std::string color = record.value("color_name", std::string());
  if (!color.empty()) {
    out += color;
    out += ' ';
  }
  out += record["draw"].get<std::string>();
  const Json drawn = record.value("drawn", Json::object());
  const bool at = drawn.contains("x") && drawn.contains("y");
  if (at) {
    out += " at (";
    out += plain(drawn["x"]);
    out += ',';
    out += plain(drawn["y"]);
    out += ')';
  }
  bool first = !at;
  for (const auto &[key, value] : drawn.items()) {
    if (at && (key == "x" || key == "y")) continue;
    out += first ? " " : ", ";
    out += key;
    out += ' ';
    out += plain(value);
    first = false;
  }
  out += '"';
  return out;
}

// A drawing call in the console's own words, when the record carries them.
std::string describe_draw(const Json &record) {
  const Json says = record.value("says", Json());
  return says.is_string() ? "\"" + says.get<std::string>() + "\"" : describe_drawn(record);
}

std::string describe_event(const Json &record) {
  std::string kind = record.value("kind", std::string("?"));
  std::ostringstream out;
  out << "event " << record.value("event", -1L) << ", ";
  if (kind == "mouse") out << "a click at (" << record.value("x", 0) << "," << record.value("y", 0) << ")";
  else if (kind == "kbd") out << "key " << record.value("key", 0);
  else if (kind == "periodic") out << "a tick";
  else out << kind;
  return out.str();
}

// Two records are the same when their values are, but frames only by the hash asked for.
bool same(const Record &a, const Record &b, const Compare &what) {
  if (a.kind != b.kind) return false;
  if (a.kind != "frame") return a.value == b.value;
  const char *key = what.outside_text ? "outside_text" : "hash";
  long frame = a.value.value("frame", -1L);
  if (frame != b.value.value("frame", -1L)) return false;
  return a.value.value(key, Json()) == b.value.value(key, Json()) || (what.frame_agrees && what.frame_agrees(frame));
}

bool selected(const Record &r, const Compare &what) {
  if (r.kind == "draw") return what.draw;
  if (r.kind == "console") return what.console;
  if (r.kind == "frame") return what.frames;
  return true;
}

} // namespace

bool read_log_text(const std::string &text, std::vector<Record> *records, std::string *reason) {
  std::istringstream in(text);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    Json value = Json::parse(line, nullptr, false);
    if (value.is_discarded() || !value.is_object()) {
      *reason = "line " + std::to_string(number) + " is not a JSON object";
      return false;
    }
    records->push_back({kind_of(value), std::move(value)});
  }
  return true;
}

const std::vector<Record> &ParsedLog::get(const std::string &text) const {
  if (!records_) {
    std::string ignored;
    records_.emplace();
    if (!read_log_text(text, &*records_, &ignored)) records_->clear();
  }
  return *records_;
}

namespace {

// The next line of `text` from `at` that is not blank, without its newline; false at the end.
bool next_line(const std::string &text, size_t &at, std::string_view *line) {
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    *line = std::string_view(text).substr(at, end - at);
    at = end + 1;
    if (line->find_first_not_of(" \t\r") != std::string_view::npos) return true;
  }
  return false;
}

} // namespace

bool logs_agree_quickly(const std::string &expected, const std::string &actual, const Compare &what) {
  if (!what.draw || !what.console || !what.frames) return false;
  size_t e_at = 0, a_at = 0;
  std::string_view e, a;
  for (;;) {
    const bool more_e = next_line(expected, e_at, &e), more_a = next_line(actual, a_at, &a);
    if (!more_e || !more_a) return more_e == more_a;
    if (e == a) continue;
    constexpr std::string_view kFrame = "{\"frame\":";
    if (e.substr(0, kFrame.size()) != kFrame || a.substr(0, kFrame.size()) != kFrame) return false;
    Json x = Json::parse(e, nullptr, false), y = Json::parse(a, nullptr, false);
    if (x.is_discarded() || y.is_discarded() || !same({"frame", x}, {"frame", y}, what)) return false;
  }
}

std::string describe(const Record &record, bool outside_text) {
  const Json &v = record.value;
  if (record.kind == "draw") return describe_draw(v);
  if (record.kind == "console") return "console line \"" + v.value("console", std::string()) + "\"";
  if (record.kind == "event") return describe_event(v);
  if (record.kind == "frame") {
    const char *key = outside_text ? "outside_text" : "hash";
    return "frame " + std::to_string(v.value("frame", -1L)) + (outside_text ? " outside its text, hash " : ", hash ") +
           v.value(key, std::string("none"));
  }
  if (record.kind == "close") {
    return "the close after " + std::to_string(v.value("events", 0L)) + " events and " +
           std::to_string(v.value("frames", 0L)) + " frames";
  }
  return v.dump();
}

std::optional<Divergence> compare_logs(const std::vector<Record> &expected, const std::vector<Record> &actual,
                                       const Compare &what) {
  std::vector<const Record *> e, a;
  for (const Record &r : expected) if (selected(r, what)) e.push_back(&r);
  for (const Record &r : actual) if (selected(r, what)) a.push_back(&r);
  Divergence d;
  std::map<long, long> lines; // event -> script line, from the expected log
  for (size_t i = 0; i < e.size() || i < a.size(); ++i) {
    const Record *x = i < e.size() ? e[i] : nullptr, *y = i < a.size() ? a[i] : nullptr;
    const Record &known = x ? *x : *y;
    if (known.kind == "event") {
      d.event = known.value.value("event", d.event);
      const Json &line = known.value.value("script_line", Json());
      if (line.is_number()) lines[d.event] = line.get<long>();
    } else if (known.kind == "frame") {
      d.event = known.value.value("frame", 0L); // frame F is taken after event F
    }
    if (x && y && same(*x, *y, what)) continue;
    if (auto line = lines.find(d.event); line != lines.end()) d.script_line = line->second;
    d.expected = x ? describe(*x, what.outside_text) : "the end of the log";
    d.got = y ? describe(*y, what.outside_text) : "the end of the log";
    if (d.expected == d.got && x->kind == "draw" && y->kind == "draw") {
      // The console's sentence leaves out what differs (a text's point size): say every value.
      d.expected = describe_drawn(x->value);
      d.got = describe_drawn(y->value);
    }
    if (x && y && x->kind == "frame" && y->kind == "frame") d.frame = x->value.value("frame", 0L);
    d.expected_at = x ? static_cast<size_t>(x - expected.data()) : expected.size();
    d.actual_at = y ? static_cast<size_t>(y - actual.data()) : actual.size();
    return d;
  }
  return std::nullopt;
}

std::string Divergence::paragraph() const {
  std::string where = event <= 0 && !script_line ? "before the first event" : "at event " + std::to_string(event);
  if (script_line) where += " (script line " + std::to_string(*script_line) + ")";
  return "First divergence " + where + ": expected " + expected + ", got " + got + ".";
}

} // namespace check

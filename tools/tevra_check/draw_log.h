// draw_log.h — reading a TEVRA draw log and finding where two logs first part ways.
//
// A draw log is JSON Lines, one record a line: the header, then events, drawing calls, console
// lines and frames in the order they happened, then the close record. Two runs of a program on the
// same script agree when their logs agree record by record; compare_logs finds the first record
// where they do not and says it in the console's words.
#pragma once

#include <nlohmann/json.hpp>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace check {

using Json = nlohmann::json;

// The draw-log version this reader compares; a reference of another version is refused.
constexpr int kLogVersion = 2;

// One line of the log. `kind` is "header", "event", "draw", "console", "frame" or "close"
// ("other" for a record of a kind this reader does not know, which is compared whole).
struct Record {
  std::string kind;
  Json value;
};

// read_log_text: the records of a log, in order. Blank lines are skipped; returns false with
// `reason` set on a line that is not a JSON object.
bool read_log_text(const std::string &text, std::vector<Record> *records, std::string *reason);

// A log's records, parsed from its text when first asked for; none when a line is not JSON.
class ParsedLog {
public:
  const std::vector<Record> &get(const std::string &text) const;

private:
  mutable std::optional<std::vector<Record>> records_;
};

// What a comparison looks at; events and the close record are always compared.
struct Compare {
  bool draw = true;
  bool console = true;
  bool frames = true;
  bool outside_text = false; // frames by the hash of what lies outside the text boxes
  // Asked about frame F when its hashes differ: true lets it pass (close enough in pixels).
  std::function<bool(long frame)> frame_agrees;
};

struct Divergence {
  long event = -1;                     // the event the differing record belongs to; -1 before any
  std::optional<long> script_line;     // that event's line in the script, when known
  std::string expected, got;           // each in words
  std::optional<long> frame;           // set when the records that differ are frames
  size_t expected_at = 0, actual_at = 0; // the differing records' places in each log (its size: the end)
  std::string paragraph() const;       // the one paragraph a person reads
};

// compare_logs: the first divergence between the expected and the actual log, or nothing when they
// agree on everything `what` selects.
std::optional<Divergence> compare_logs(const std::vector<Record> &expected, const std::vector<Record> &actual,
                                       const Compare &what);

// logs_agree_quickly: true when two logs' texts show them to agree on everything `what` selects,
// parsing only the frame lines that differ in text; false when that is not shown (compare_logs
// then finds and says the divergence). Only for comparisons of every kind of record.
bool logs_agree_quickly(const std::string &expected, const std::string &actual, const Compare &what);

// describe: one record in words: a drawing call as the console says it ("blue circle at (10,20),
// radius 30", quoted), a console line, a frame, an event.
std::string describe(const Record &record, bool outside_text);

} // namespace check

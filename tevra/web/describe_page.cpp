// describe_page.cpp — the canvas in words for a TEVRA program's page, from the draw log the page
// collects (page.js), by the checker's own description (check::describe_canvas).
//
// The page hands over the log's new whole lines now and then (tevra_page_log_space, then
// tevra_page_describe); what it is told back is the canvas as the last event left it, exactly as
// `tevra-check describe` says it for the same log. Only the records a description can still need
// are kept: a clear leaves nothing before it to see, so the records before the last clear go, all
// but the last event record (which names the event).
#include <emscripten.h>

#include <string>
#include <vector>

#include "describe.h"

namespace {

struct Described {
  std::vector<check::Record> records;  // since the last clear, after the event record before it
  std::string incoming;                // the new lines, written here by the page
  std::string text;                    // the last description, kept for the page to read
};

Described &described() {
  static Described &d = *new Described;  // lives as long as the page
  return d;
}

bool is_clear(const check::Record &r) { return r.kind == "draw" && r.value.value("draw", std::string()) == "clear"; }

void forget_before_last_clear(std::vector<check::Record> &records) {
  size_t clear = records.size();
  while (clear > 0 && !is_clear(records[clear - 1])) --clear;
  if (clear <= 1) return;
  --clear;  // the clear's own index
  size_t event = clear;
  while (event > 0 && records[event - 1].kind != "event") --event;
  std::vector<check::Record> kept;
  if (event > 0) kept.push_back(std::move(records[event - 1]));
  kept.insert(kept.end(), std::make_move_iterator(records.begin() + static_cast<long>(clear)),
              std::make_move_iterator(records.end()));
  records = std::move(kept);
}

}  // namespace

// tevra_page_log_space: room for `bytes` bytes of new log lines (whole lines only), which the page
// writes there before it calls tevra_page_describe.
extern "C" EMSCRIPTEN_KEEPALIVE char *tevra_page_log_space(int bytes) {
  std::string &in = described().incoming;
  in.assign(static_cast<size_t>(bytes > 0 ? bytes : 0), '\n');
  return in.data();
}

// tevra_page_describe: takes in the lines the page wrote and returns the canvas in words, or ""
// while the log holds no description yet (or has a line the reader refuses). The text stays valid
// until the next call.
extern "C" EMSCRIPTEN_KEEPALIVE const char *tevra_page_describe() {
  Described &d = described();
  std::vector<check::Record> added;
  std::string reason;
  const bool read = check::read_log_text(d.incoming, &added, &reason);
  d.incoming.clear();
  if (!read) return "";
  d.records.insert(d.records.end(), std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
  forget_before_last_clear(d.records);
  if (!check::describe_canvas(d.records, -1, &d.text, &reason)) d.text.clear();
  return d.text.c_str();
}

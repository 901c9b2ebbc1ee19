// describe_page.cpp — the canvas in words for a TEVRA program's page, from the draw log the page
// collects (page.js), by the checker's own description (check::describe_canvas).
//
// The page hands over the log's new whole lines now and then (tevra_page_log_space, then
// tevra_page_describe); what it is told back is the canvas as the last event left it, exactly as
// `tevra-check describe` says it for the same log. The records themselves are not kept, only what
// the description can still say (check::CanvasWords), so a long run costs no more than a short one.
#include <emscripten.h>

#include <string>
#include <vector>

#include "describe.h"

namespace {

struct Described {
  check::CanvasWords canvas;
  std::string incoming;  // the new lines, written here by the page
  std::string text;      // the last description, kept for the page to read
};

Described &described() {
  static Described &d = *new Described;  // lives as long as the page
  return d;
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
// when the reader refuses a line. The text stays valid until the next call.
extern "C" EMSCRIPTEN_KEEPALIVE const char *tevra_page_describe() {
  Described &d = described();
  std::vector<check::Record> added;
  std::string reason;
  const bool read = check::read_log_text(d.incoming, &added, &reason);
  d.incoming.clear();
  if (!read) return "";
  for (const check::Record &r : added) d.canvas.add(r);
  d.text = d.canvas.text();
  return d.text.c_str();
}

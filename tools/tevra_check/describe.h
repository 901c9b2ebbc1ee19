// describe.h — the canvas as it stands after one event, in plain words, from a draw log.
//
// Built only from the drawing records, so it says what the program asked for, not what the pixels
// look like; it needs no files and no fonts, and a web page can use it as the checker does.
#pragma once

#include "draw_log.h"

#include <memory>
#include <string>
#include <vector>

namespace check {

// describe_canvas: the canvas after event `event` (-1 for the last event in the log; 0 before the
// first), from the drawing calls made up to that event's frame. The text is one summary line, one
// line per visible shape in paint order, then the shapes that lie wholly off the canvas and those a
// later filled rectangle paints over (the same line repeated is said once, "(N times)"). Texts are
// placed by an estimate of their glyphs, half as wide as high. Returns false with `reason` set when the log
// has no such event. The words are kept plain and stable: a screen reader reads them.
bool describe_canvas(const std::vector<Record> &records, long event, std::string *text, std::string *reason);

// CanvasWords: the same description for a run still going, record by record: it keeps only what
// the description can still say (not the records), and text() is what describe_canvas says at the
// last event of the records added so far. A web page describes its program's canvas with it.
class CanvasWords {
public:
  CanvasWords();
  ~CanvasWords();
  void add(const Record &record);
  std::string text() const;

private:
  struct State;
  std::unique_ptr<State> state_;
};

} // namespace check

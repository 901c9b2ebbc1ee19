// The canvas in words, from a draw log written by hand.
#include "describe.h"

#include <gtest/gtest.h>

namespace {

// A green dot wiped by the clear; a red circle (drawn twice) and a line after the click; after the
// key, a blue filled rectangle over the red circles, a yellow circle, a text and an oval off the
// right edge.
const char kLog[] = R"({"tevra_log":2,"canvas":[601,540]}
{"draw":"circle","event":0,"color":3,"color_name":"green","given":{},"drawn":{"x":0,"y":0,"radius":5},"corrections":[]}
{"draw":"clear","event":0,"color":1,"color_name":"white","given":{},"drawn":{},"corrections":[]}
{"frame":0,"hash":"0","outside_text":"0"}
{"event":1,"kind":"mouse","x":-100,"y":100,"key":0,"script_line":1}
{"draw":"circle","event":1,"color":2,"color_name":"red","given":{},"drawn":{"x":-200,"y":150,"radius":10},"corrections":[]}
{"draw":"circle","event":1,"color":2,"color_name":"red","given":{},"drawn":{"x":-200,"y":150,"radius":10},"corrections":[]}
{"draw":"line","event":1,"color":0,"color_name":"black","given":{},"drawn":{"x1":-10,"y1":-200,"x2":30,"y2":-150,"width":0},"corrections":[]}
{"frame":1,"hash":"1","outside_text":"1"}
{"event":2,"kind":"kbd","x":0,"y":0,"key":97,"script_line":2}
{"draw":"rectangle","event":2,"color":4,"color_name":"blue","given":{},"drawn":{"x1":-250,"y1":200,"x2":-150,"y2":100,"width":0},"corrections":[]}
{"draw":"circle","event":2,"color":5,"color_name":"yellow","given":{},"drawn":{"x":0,"y":0,"radius":20},"corrections":[]}
{"draw":"text","event":2,"color":0,"color_name":"black","given":{},"drawn":{"x":150,"y":-250,"ptsize":10,"text":"Score 3"},"corrections":[]}
{"draw":"oval","event":2,"color":6,"color_name":"orange","given":{},"drawn":{"x1":400,"y1":10,"x2":460,"y2":-10,"width":2},"corrections":[]}
{"frame":2,"hash":"2","outside_text":"2"}
{"close":true,"events":2,"frames":3}
)";

std::string described(long event) {
  std::vector<check::Record> records;
  std::string reason, text;
  EXPECT_TRUE(check::read_log_text(kLog, &records, &reason)) << reason;
  if (!check::describe_canvas(records, event, &text, &reason)) return reason;
  return text;
}

TEST(Describe, TheCanvasAfterAnEarlierEventLeavesOutLaterDrawing) {
  EXPECT_EQ(described(1), "After event 1 (a mouse click at (-100,100)), the canvas shows 3 shapes.\n"
                          "A red circle of radius 10, near the top left.\n"
                          "A red circle of radius 10, near the top left.\n"
                          "A black line from (-10,-200) to (30,-150), near the bottom.\n");
  EXPECT_EQ(described(0), "Before the first event, the canvas shows nothing.\n");
}

TEST(Describe, TheLastEventSaysWhatIsOffTheCanvasAndWhatIsPaintedOver) {
  EXPECT_EQ(described(-1), "After event 2 (the key a), the canvas shows 3 shapes and 1 text.\n"
                           "A black line from (-10,-200) to (30,-150), near the bottom.\n"
                           "A blue filled rectangle 100 wide and 100 high, near the top left.\n"
                           "A yellow circle of radius 20, in the centre.\n"
                           "The black text \"Score 3\", near the bottom right.\n"
                           "Not visible: an orange outlined oval 60 wide and 20 high, right of the canvas.\n"
                           "Hidden behind a blue filled rectangle 100 wide and 100 high: a red circle of radius "
                           "10, near the top left (2 times).\n");
  EXPECT_EQ(described(3), "the log has no event 3");
}

// A red circle and a yellow one; a blue rectangle paints over the yellow, then a green one over the
// red: the hidden lines still come in drawing order.
const char kCovers[] = R"({"tevra_log":1,"canvas":[601,540]}
{"event":1,"kind":"periodic","x":0,"y":0,"key":0,"script_line":null}
{"draw":"circle","event":1,"color":2,"color_name":"red","given":{},"drawn":{"x":-200,"y":150,"radius":10},"corrections":[]}
{"draw":"circle","event":1,"color":5,"color_name":"yellow","given":{},"drawn":{"x":0,"y":0,"radius":20},"corrections":[]}
{"draw":"rectangle","event":1,"color":4,"color_name":"blue","given":{},"drawn":{"x1":-50,"y1":50,"x2":50,"y2":-50,"width":0},"corrections":[]}
{"frame":1,"hash":"1","outside_text":"1"}
{"event":2,"kind":"periodic","x":0,"y":0,"key":0,"script_line":null}
{"draw":"rectangle","event":2,"color":3,"color_name":"green","given":{},"drawn":{"x1":-250,"y1":200,"x2":-150,"y2":100,"width":0},"corrections":[]}
{"draw":"circle","event":2,"color":5,"color_name":"yellow","given":{},"drawn":{"x":0,"y":0,"radius":20},"corrections":[]}
{"close":true,"events":2,"frames":3}
)";

// Record by record, CanvasWords says what describe_canvas says for the records so far; what was
// painted over is said in drawing order, whichever rectangle came first.
TEST(Describe, ARunDescribedAsItGoesSaysWhatTheWholeLogSays) {
  check::CanvasWords covers;
  for (const char *log : {kLog, kCovers}) {
    std::vector<check::Record> records, so_far;
    std::string reason, whole;
    ASSERT_TRUE(check::read_log_text(log, &records, &reason)) << reason;
    check::CanvasWords words;
    for (const check::Record &r : records) {
      so_far.push_back(r);
      words.add(r);
      ASSERT_TRUE(check::describe_canvas(so_far, -1, &whole, &reason)) << reason;
      EXPECT_EQ(words.text(), whole) << "after " << r.value.dump();
      if (log == kCovers) covers.add(r);
    }
  }
  EXPECT_EQ(covers.text(), "After event 2 (a timer tick), the canvas shows 3 shapes.\n"
                           "A blue filled rectangle 100 wide and 100 high, in the centre.\n"
                           "A green filled rectangle 100 wide and 100 high, near the top left.\n"
                           "A yellow circle of radius 20, in the centre.\n"
                           "Hidden behind a green filled rectangle 100 wide and 100 high: a red circle of radius 10, "
                           "near the top left.\n"
                           "Hidden behind a blue filled rectangle 100 wide and 100 high: a yellow circle of radius "
                           "20, in the centre.\n");
}

} // namespace

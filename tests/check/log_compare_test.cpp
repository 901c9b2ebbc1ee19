// The record-by-record comparison of draw logs, on logs written by hand.
#include "draw_log.h"

#include <gtest/gtest.h>

namespace {

using check::Compare;
using check::Record;

const char kLog[] = R"({"tevra_log":2,"canvas":[601,540]}
{"frame":0,"hash":"00000000000000a0","outside_text":"00000000000000b0"}
{"event":1,"kind":"periodic","x":0,"y":0,"key":0,"script_line":null}
{"frame":1,"hash":"00000000000000a1","outside_text":"00000000000000b1"}
{"event":2,"kind":"mouse","x":10,"y":20,"key":0,"script_line":5}
{"draw":"circle","event":2,"color":2,"color_name":"blue","given":{},"drawn":{"x":10,"y":20,"radius":30},"corrections":[]}
{"console":"hello","event":2}
{"frame":2,"hash":"00000000000000a2","outside_text":"00000000000000b2"}
{"close":true,"events":2,"frames":3}
)";

std::vector<Record> parse(std::string text) {
  std::vector<Record> records;
  std::string reason;
  EXPECT_TRUE(check::read_log_text(text, &records, &reason)) << reason;
  return records;
}

std::string changed(std::string from, const std::string &to) {
  std::string text = kLog;
  text.replace(text.find(from), from.size(), to);
  return text;
}

std::string first_divergence(const std::string &actual, Compare what = {}) {
  auto d = check::compare_logs(parse(kLog), parse(actual), what);
  return d ? d->paragraph() : "none";
}

TEST(LogCompare, IdenticalLogsAgree) { EXPECT_EQ(first_divergence(kLog), "none"); }

TEST(LogCompare, DrawCallIsSaidInTheConsolesWords) {
  EXPECT_EQ(first_divergence(changed("\"radius\":30", "\"radius\":31")),
            "First divergence at event 2 (script line 5): expected \"blue circle at (10,20), radius 30\", got "
            "\"blue circle at (10,20), radius 31\".");
  // The console's own sentence is used when the record carries it, and every value when the
  // sentences agree but the calls do not.
  const std::string says = changed("\"corrections\":[]", "\"corrections\":[],\"says\":\"a ring\"");
  EXPECT_NE(first_divergence(says).find("got \"a ring\""), std::string::npos);
  auto check_only_size = [&](const std::string &actual) {
    auto d = check::compare_logs(parse(says), parse(actual), {});
    return d ? d->paragraph() : "none";
  };
  std::string bigger = says;
  bigger.replace(bigger.find("\"radius\":30"), 11, "\"radius\":31");
  EXPECT_NE(check_only_size(bigger).find("got \"blue circle at (10,20), radius 31\""), std::string::npos);
}

TEST(LogCompare, FramesByTheHashAskedFor) {
  std::string pixels = changed("\"hash\":\"00000000000000a1\"", "\"hash\":\"00000000000000ff\"");
  EXPECT_EQ(first_divergence(pixels), "First divergence at event 1: expected frame 1, hash 00000000000000a1, got "
                                      "frame 1, hash 00000000000000ff.");
  Compare outside;
  outside.outside_text = true;
  EXPECT_EQ(first_divergence(pixels, outside), "none"); // only the text differed
  std::string drawing = changed("\"outside_text\":\"00000000000000b2\"", "\"outside_text\":\"00000000000000ff\"");
  EXPECT_NE(first_divergence(drawing, outside).find("at event 2 (script line 5): expected frame 2 outside"),
            std::string::npos);
  Compare close_enough = outside;
  close_enough.frame_agrees = [](long frame) { return frame == 2; };
  EXPECT_EQ(first_divergence(drawing, close_enough), "none");
}

TEST(LogCompare, FirstDivergenceWinsAndOnlySelectsWhatIsCompared) {
  std::string both = changed("\"console\":\"hello\"", "\"console\":\"hullo\"");
  both = both.replace(both.find("\"radius\":30"), 11, "\"radius\":31");
  EXPECT_NE(first_divergence(both).find("radius 31"), std::string::npos);
  Compare no_draw;
  no_draw.draw = false;
  EXPECT_NE(first_divergence(both, no_draw).find("got console line \"hullo\""), std::string::npos);
}

TEST(LogCompare, ALogCutShortEndsEarly) {
  std::string text = kLog;
  std::string cut = text.substr(0, text.find("{\"console\""));
  EXPECT_EQ(first_divergence(cut), "First divergence at event 2 (script line 5): expected console line \"hello\", got "
                                   "the end of the log.");
  std::vector<Record> records;
  std::string reason;
  EXPECT_FALSE(check::read_log_text("{\"event\":1}\n{oops\n", &records, &reason));
  EXPECT_EQ(reason, "line 2 is not a JSON object");
}

} // namespace

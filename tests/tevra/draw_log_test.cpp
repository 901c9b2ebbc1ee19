// The draw log (TEVRA_LOG), and the text boxes that frames and the log leave out.
#include "fixture.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <csignal>
#include <regex>

#include "frame_image.h"
#include "tevra/context.h"
#include "tevra/scripted_run.h"

namespace tevra_test {
namespace {

class DrawLog : public TevraTest {
protected:
  void TearDown() override {
    unsetenv("TEVRA_LOG");
    TevraTest::TearDown();
  }
  static std::vector<std::string> lines(const std::string &name) {
    std::istringstream in(read_file(name));
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  }
  static std::string hex(uint64_t hash) {
    char text[24];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
  }
};

TEST_F(DrawLog, ARunGivesItsRecordsInOrder) {
  write_file("TEVRA_MOUSE(3, -4);\nTEVRA_KBD(233);\n", "run.scr");
  std::vector<std::string> hashes;
  tevra::ScriptedRun run;
  run.script = "run.scr";
  run.log = "run.log";
  run.frame = [&](long, const tevra::Frame &f) { hashes.push_back(hex(img::frame_hash(f.pixels.data(), 601, 540, 601))); };
  setenv("TEVRA_LOG", "ignored.log", 1); // a run set by a tool wins over the environment
  tevra::set_scripted_run(run);
  open();
  tevra_clear();
  wait();
  tevra_rectangle(99, 10, -10, -10, 10, -2);
  tevra_log("said \"%s\"\n", "q\\\x01\xE9");
  wait();
  tevra_printf(TEVRA_BLACK, 0, 0, 200, "n=%d", 7);
  tevra_close();

  const std::vector<std::string> log = lines("run.log");
  ASSERT_EQ(hashes.size(), 3u);
  const std::vector<std::string> expected = {
      R"({"tevra_log":2,"canvas":[601,540]})",
      R"({"console":"Clearing the graphics window","event":0})",
      R"({"draw":"clear","event":0,"color":1,"color_name":"white","given":{},"drawn":{},"corrections":[],"says":"Clearing the graphics window"})",
      R"({"frame":0,"hash":")" + hashes[0] + R"(","outside_text":")" + hashes[0] + R"("})",
      R"({"event":1,"kind":"mouse","x":3,"y":-4,"key":0,"script_line":1})",
      R"({"console":"Illegal color 99; using RED.","event":1})",
      R"({"console":"Width of -2 not possible, using width 2","event":1})",
      R"({"console":"red rectangle with bounding box (-10,10) to (10,-10) with line width 2","event":1})",
      R"({"draw":"rectangle","event":1,"color":2,"color_name":"red",)"
      R"("given":{"color":99,"x1":10,"y1":-10,"x2":-10,"y2":10,"width":-2},)"
      R"("drawn":{"color":2,"x1":-10,"y1":10,"x2":10,"y2":-10,"width":2},)"
      R"("corrections":["Illegal color 99; using RED.","Width of -2 not possible, using width 2"],)"
      R"("says":"red rectangle with bounding box (-10,10) to (10,-10) with line width 2"})",
      R"({"console":"said \"q\\\u0001\u00e9\"","event":1})",
      R"({"frame":1,"hash":")" + hashes[1] + R"(","outside_text":")" + hashes[1] + R"("})",
      R"({"event":2,"kind":"kbd","x":0,"y":0,"key":233,"script_line":2})",
      R"({"console":"ptsize of 200 not possible, using ptsize 127","event":2})",
      R"({"console":"black text at (0,0), \"n=7\"","event":2})",
      R"({"draw":"printf","event":2,"color":0,"color_name":"black",)"
      R"("given":{"color":0,"x":0,"y":0,"ptsize":200,"format":"n=%d","text":"n=7"},)"
      R"("drawn":{"color":0,"x":0,"y":0,"ptsize":127,"text":"n=7"},)"
      R"("corrections":["ptsize of 200 not possible, using ptsize 127"],"says":"black text at (0,0), \"n=7\""})",
  };
  ASSERT_GE(log.size(), expected.size() + 2);
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(log[i], expected[i]) << "line " << i + 1;
  // The text is left out of the last frame's second hash, and only the text.
  const std::regex last_frame(R"x(\{"frame":2,"hash":"([0-9a-f]{16})","outside_text":"([0-9a-f]{16})"\})x");
  std::smatch m;
  ASSERT_TRUE(std::regex_match(log[expected.size()], m, last_frame)) << log[expected.size()];
  EXPECT_EQ(m[1].str(), hashes[2]);
  EXPECT_NE(m[2].str(), hashes[2]);
  EXPECT_EQ(log[expected.size() + 1], R"({"close":true,"events":2,"frames":3})");
  EXPECT_EQ(log.size(), expected.size() + 2);
  EXPECT_FALSE(std::filesystem::exists("ignored.log"));
}

TEST_F(DrawLog, AFifoOrAMissingFolderIsSaidAndIgnored) {
  ASSERT_EQ(mkfifo("fifo", 0600), 0);
  for (const char *value : {"fifo", "missing/run.log"}) {
    restart();
    setenv("TEVRA_LOG", value, 1);
    testing::internal::CaptureStderr();
    open(); // never blocks on the FIFO
    EXPECT_EQ(tevra_circle(TEVRA_BLUE, 0, 0, 5), 1);
    EXPECT_EQ(at(0, 0), RGB(0, 0, 255));
    tevra_close();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(std::string("TEVRA_LOG=") + value), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  }
  EXPECT_FALSE(std::filesystem::exists("missing"));
}

// A kill lands between two writes far more often than not: several runs make a line written in two
// parts show.
TEST_F(DrawLog, AKilledProgramLeavesWholeLines) {
  for (int run = 0; run < 5; ++run) {
    const std::string name = "run" + std::to_string(run) + ".log";
    const pid_t child = fork();
    if (child == 0) {
      setenv("TEVRA_LOG", name.c_str(), 1);
      open();
      for (int i = 0;; ++i) tevra_log("line %d of a long run\n", i); // mostly writing the log
    }
    struct stat info = {};
    for (int tries = 0; tries < 20000 && (stat(name.c_str(), &info) != 0 || info.st_size < (256 << 10)); ++tries) {
      usleep(200); // until the log is well under way; the check does not depend on when it stops
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const std::string log = read_file(name);
    ASSERT_GT(log.size(), 10000u);
    EXPECT_EQ(log.back(), '\n') << "a line was cut";
    for (const std::string &line : lines(name)) ASSERT_TRUE(line.front() == '{' && line.back() == '}') << line;
  }
}

// Every pixel that 30-pixel text changes, drawn reaching past each edge of the canvas, lies in one
// of the frame's text boxes.
// A text redrawn in place, where no fill covers its box, is left out of the hashes by one box, not
// by a copy per drawing that every frame would clear again and a long run would pile up.
TEST_F(DrawLog, ATextRedrawnInPlaceKeepsOneBox) {
  write_file("TEVRA_KBD(97);\n", "run.scr");
  tevra::ScriptedRun run;
  run.script = "run.scr";
  run.log = "run.log";
  tevra::set_scripted_run(run);
  open();
  for (int i = 0; i < 1000; ++i) tevra_text(TEVRA_BLACK, 290, 260, 20, "edge");
  tevra_text(TEVRA_BLACK, 290, 200, 20, "edge");
  EXPECT_EQ(tevra::context().run.log_boxes.size(), 2u);
  tevra_close();
}

TEST_F(DrawLog, TextBoxesHoldAllTheInkAtTheCanvasEdges) {
  const std::vector<std::pair<int, int>> anchors = {{-100, 246}, {-100, 240}, {-100, 235}, {-100, 220},
                                                    {-305, 0},   {280, 0},    {-100, -285}, {-100, -300}};
  std::string script;
  for (size_t i = 0; i < anchors.size(); ++i) script += "TEVRA_KBD(97);\n";
  write_file(script, "run.scr");
  tevra::ScriptedRun run;
  run.script = "run.scr";
  run.frames_dir = "frames";
  tevra::set_scripted_run(run);
  open();
  std::vector<std::vector<uint32_t>> before, after;
  for (const auto &[x, y] : anchors) {
    tevra_clear();
    const bool dark = before.size() % 2; // faint edges show on a light canvas or a dark one
    tevra_rectangle(dark ? TEVRA_NAVY_BLUE : TEVRA_CYAN, -300, 250, 300, -300, 0);
    before.emplace_back();
    tevra_testing_read_canvas(before.back());
    tevra_text(dark ? TEVRA_WHITE : TEVRA_BLACK, x, y, 30, "Wg|j\xC5Q_");
    after.emplace_back();
    tevra_testing_read_canvas(after.back());
    wait();
  }
  tevra_close();
  const std::vector<std::string> boxes = lines("frames/text-boxes.txt");
  ASSERT_GT(boxes.size(), anchors.size());
  for (size_t f = 0; f < anchors.size(); ++f) {
    std::vector<img::Box> in_frame; // boxes of earlier frames that reach off the canvas stay
    std::string numbers = boxes[f].substr(boxes[f].find(' ') + 1);
    std::replace(numbers.begin(), numbers.end(), ',', ' ');
    std::istringstream words(numbers);
    for (img::Box b; words >> b.left >> b.top >> b.right >> b.bottom;) in_frame.push_back(b);
    ASSERT_FALSE(in_frame.empty()) << boxes[f];
    int ink = 0, outside = 0;
    for (int y = 0; y < 540; ++y) {
      for (int x = 0; x < 601; ++x) {
        if (before[f][y * 601 + x] == after[f][y * 601 + x]) continue;
        ++ink;
        outside += std::none_of(in_frame.begin(), in_frame.end(), [&](const img::Box &b) {
          return x >= b.left && x < b.right && y >= b.top && y < b.bottom;
        });
      }
    }
    EXPECT_GT(ink, 0) << f;
    EXPECT_EQ(outside, 0) << "anchor " << anchors[f].first << "," << anchors[f].second << ": " << boxes[f];
  }
}

} // namespace
} // namespace tevra_test

// Unattended runs: TEVRA_SCRIPT plays a script from the start, TEVRA_FRAMES writes every frame.
#include "fixture.h"

#include <sys/resource.h>
#include <sys/wait.h>

#include <csignal>

#include "frame_image.h"

namespace tevra_test {
namespace {

class ScriptedRun : public TevraTest {
protected:
  void TearDown() override {
    unsetenv("TEVRA_SCRIPT");
    unsetenv("TEVRA_FRAMES");
    TevraTest::TearDown();
  }
  static std::vector<uint32_t> frame(const std::string &name) {
    img::Image image;
    EXPECT_TRUE(img::read_png("frames/" + name + ".png", &image)) << name;
    return image.pixels;
  }
  // A frame that could not be read (or is not the canvas's size) has no pixels: kMissing, never a
  // read past its end.
  static constexpr uint32_t kMissing = 0xFF000000u;
  static uint32_t pixel(const std::vector<uint32_t> &pixels, int x, int y) {
    if (pixels.size() != 601u * 540u) return kMissing;
    return pixels[static_cast<size_t>(kOriginY - y) * 601 + kOriginX + x];
  }
};

TEST_F(ScriptedRun, ScriptPlaysFromTheFirstWaitWithoutTicks) {
  write_file("TEVRA_MOUSE(3, -4);\nTEVRA_PERIODIC(2);\nTEVRA_KBD(97);\n", "start.scr");
  write_file("TEVRA_KBD(98);\n"); // TEVRA.SCR, for the Playback command afterwards
  setenv("TEVRA_SCRIPT", "start.scr", 1);
  open();
  tevra_set_animation(TEVRA_ANIM_RUN); // the program's own start does not disturb the script
  const uint64_t start = headless::now_ms();
  Event e = wait();
  EXPECT_EQ(std::vector<int32_t>({e.kind, e.x, e.y}), std::vector<int32_t>({TEVRA_MOUSE, 3, -4}));
  EXPECT_EQ(wait().kind, TEVRA_PERIODIC);
  EXPECT_EQ(wait().kind, TEVRA_PERIODIC);
  EXPECT_EQ(wait().key, 'a');
  EXPECT_LT(headless::now_ms() - start, 50u) << "a scripted run never waits for a tick";
  EXPECT_TRUE(checked(6));

  EXPECT_EQ(wait().kind, TEVRA_PERIODIC); // the script has ended: the program's animation goes on
  ASSERT_EQ(console.size(), 1u);
  EXPECT_NE(console[0].find("EOF encountered in script file "), std::string::npos);
  EXPECT_NE(console[0].find("start.scr"), std::string::npos);
  EXPECT_FALSE(checked(6));

  SendMessageA(scripted::find_window(kGraphics), WM_COMMAND, 6, 0); // Playback reads TEVRA.SCR again
  EXPECT_EQ(wait().key, 'b');
}

TEST_F(ScriptedRun, FramesAfterEveryEventWithTheirTextBoxes) {
  write_file("TEVRA_KBD(97);\nTEVRA_KBD(98);\n", "start.scr");
  setenv("TEVRA_SCRIPT", "start.scr", 1);
  setenv("TEVRA_FRAMES", "frames", 1); // made when missing
  open();
  tevra_clear();
  wait();                                                 // frame 0: white
  tevra_rectangle(TEVRA_BLUE, -10, 10, 10, -10, 0);
  tevra_printf(TEVRA_BLACK, 100, 100, 20, "AB\nC");
  wait();                                                 // frame 1: the square and two lines of text
  tevra_rectangle(TEVRA_GREEN, -300, 250, 300, -250, 0); // paints over the text
  tevra_close();                                          // frame 2: the picture the last event left

  EXPECT_EQ(pixel(frame("frame-000000"), 0, 0), 0xFFFFFFu);
  EXPECT_EQ(pixel(frame("frame-000001"), 0, 0), 0x0000FFu);
  EXPECT_EQ(pixel(frame("frame-000002"), 0, 0), 0x00FF00u);
  EXPECT_FALSE(std::filesystem::exists("frames/frame-000003.png"));

  std::istringstream boxes(read_file("frames/text-boxes.txt"));
  std::string line0, line1, line2;
  std::getline(boxes, line0);
  std::getline(boxes, line1);
  std::getline(boxes, line2);
  EXPECT_EQ(line0, "frame-000000");
  EXPECT_EQ(line2, "frame-000002");
  // Two boxes, one per line of text, each starting at the text's anchor column and stacked.
  int l1, t1, r1, b1, l2, t2, r2, b2;
  ASSERT_EQ(std::sscanf(line1.c_str(), "frame-000001 %d,%d,%d,%d %d,%d,%d,%d", &l1, &t1, &r1, &b1, &l2, &t2, &r2, &b2),
            8)
      << line1;
  EXPECT_EQ(l1, kOriginX + 100);
  EXPECT_EQ(l2, l1);
  EXPECT_EQ(b1, kOriginY - 100);
  EXPECT_EQ(t2, b1);
  EXPECT_GT(r1, r2); // "AB" is wider than "C"
}

TEST_F(ScriptedRun, UnusableValuesAreSaidOnceAndIgnored) {
  write_file("not a directory", "file");
  setenv("TEVRA_SCRIPT", "missing.scr", 1);
  setenv("TEVRA_FRAMES", "file", 1);
  testing::internal::CaptureStderr();
  open();
  click_logical(5, 6, 1000);
  Event e = wait(); // live input, as without the settings
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::vector<int32_t>({e.kind, e.x, e.y}), std::vector<int32_t>({TEVRA_MOUSE, 5, 6}));
  EXPECT_NE(said.find("TEVRA_SCRIPT=missing.scr"), std::string::npos) << said;
  EXPECT_NE(said.find("TEVRA_FRAMES=file"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;
  EXPECT_TRUE(console.empty());
  EXPECT_FALSE(checked(6));
}

// A file size limit that the text boxes reach before the frames do: text-boxes.txt keeps whole lines
// only, and the failure is said, as a frame's would be.
TEST_F(ScriptedRun, TextBoxesThatCannotBeWrittenAreSaidAndLeaveWholeLines) {
  const pid_t child = fork();
  if (child == 0) {
    std::freopen("stderr.txt", "w", stderr);
    const rlimit limit = {24 << 10, 24 << 10};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, SIG_IGN);
    setenv("TEVRA_FRAMES", "frames", 1);
    open();
    tevra_set_animation(TEVRA_ANIM_RUN);
    for (int frame = 0; frame < 40; ++frame) { // the same small picture each time, with many boxes
      tevra_clear();
      for (int i = 0; i < 60; ++i) tevra_text(TEVRA_BLACK, -290 + 9 * i, 200, 8, "x");
      wait();
    }
    tevra_close();
    std::fflush(stderr);
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  const std::string boxes = read_file("frames/text-boxes.txt");
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back(), '\n') << "the last line was cut";
  EXPECT_LT(std::count(boxes.begin(), boxes.end(), '\n'), 41) << "the limit was never reached";
  EXPECT_NE(read_file("stderr.txt").find("text-boxes.txt"), std::string::npos) << read_file("stderr.txt");
}

} // namespace
} // namespace tevra_test

// The headless display through its table: the virtual clock, and where presented frames go.
#include <windows.h>
#include <winport/headless.h>
#include <winport/scripted_input.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "display/display.h"
#include "frame_image.h"

namespace winport::display {
namespace {

class Headless : public testing::Test {
 protected:
  void SetUp() override {
    headless::use();
    scripted::reset();
    scripted::set_idle_limit_ms(1000);
    scripted::set_stuck_handler([this] { ++stuck; });
  }
  void TearDown() override {
    unsetenv("WINPORT_FRAMES");
    scripted::set_stuck_handler(nullptr);
    scripted::set_idle_limit_ms(60000);
    scripted::reset();
  }
  const Display &d = headless_display();
  int stuck = 0;
};

TEST_F(Headless, APollMovesTheClockOneMillisecondButNeverPastTheDeadline) {
  for (int i = 0; i < 10; ++i) d.pump(false, 5);
  EXPECT_EQ(d.now_ms(), 5u);
  d.pump(true, 40);
  EXPECT_EQ(d.now_ms(), 40u);
}

TEST_F(Headless, AWaitEndsAtScheduledInputBeforeTheDeadlineOrAtTheIdleLimit) {
  scripted::click("Nobody", 0, 0, 70);
  testing::internal::CaptureStderr();
  d.pump(true, 100);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("no window titled \"Nobody\""), std::string::npos);
  EXPECT_EQ(d.now_ms(), 70u);
  EXPECT_EQ(scripted::pending_input(), 0u);
  // Nothing left to come: a wait without end is stuck one idle limit after the last input.
  d.pump(true, UINT64_MAX);
  EXPECT_EQ(d.now_ms(), 1070u);
  EXPECT_EQ(stuck, 1);
}

class HeadlessFrames : public Headless {
 protected:
  void present(NativeWindow *w, uint32_t colour) {
    const uint32_t pixels[4] = {colour, colour, colour, colour};
    Frame frame;
    frame.width = 2;
    frame.client = pixels;
    frame.client_height = 2;
    frame.client_stride = 2;
    d.present(w, frame);
  }
  std::vector<uint32_t> observed;
};

// A program that shows something between two looks for input is busy, not idle: however many
// looks, no virtual time passes and no idle limit runs out; the first look after it shows nothing
// lets time pass again.
TEST_F(HeadlessFrames, APollLetsTimePassOnlyWhenNothingWasPresentedSinceThePrevious) {
  NativeWindow *w = d.create(nullptr, "W", 0, 0, 10, 10);
  for (int i = 0; i < 5000; ++i) {
    present(w, static_cast<uint32_t>(i));
    d.pump(false, UINT64_MAX);
  }
  EXPECT_EQ(d.now_ms(), 0u);
  EXPECT_EQ(stuck, 0);
  d.pump(false, UINT64_MAX);
  d.pump(false, UINT64_MAX);
  EXPECT_EQ(d.now_ms(), 2u);
  d.destroy(w);
}

// A program that waits for input that can never come ends with status 124: told so by scripted
// input when it is the source, and by the display itself when there is no source at all.
TEST_F(Headless, AWaitForNothingEndsTheProcessWithOrWithoutAnInputSource) {
  scripted::set_stuck_handler(nullptr);
  EXPECT_EXIT(d.pump(true, UINT64_MAX), testing::ExitedWithCode(headless::kStuckExitStatus), "no scheduled input left");
  EXPECT_EXIT(
      {
        headless::set_input_source(nullptr);
        d.pump(true, UINT64_MAX);
      },
      testing::ExitedWithCode(headless::kStuckExitStatus), "no input source");
}

TEST_F(HeadlessFrames, EachWindowNumbersItsOwnFilesNamedAfterItsTitle) {
  char dir[] = "/tmp/winport-display-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  setenv("WINPORT_FRAMES", dir, 1);
  headless::on_frame([this](HWND, const uint32_t *pixels, int, int, int) { observed.push_back(pixels[0]); });
  NativeWindow *a = d.create(nullptr, "a/b c", 0, 0, 10, 10);
  NativeWindow *b = d.create(nullptr, "B", 0, 0, 10, 10);
  present(a, 0x010203);
  present(b, 0x040506);
  present(a, 0x070809);
  d.destroy(a);
  d.destroy(b);
  EXPECT_EQ(observed, (std::vector<uint32_t>{0x010203, 0x040506, 0x070809}));

  const std::string base = std::string(dir) + "/";
  const struct {
    const char *name;
    uint32_t colour;
  } files[] = {{"a_b_c-000001.png", 0x010203}, {"a_b_c-000002.png", 0x070809}, {"B-000001.png", 0x040506}};
  for (const auto &file : files) {
    img::Image frame;
    ASSERT_TRUE(img::read_png(base + file.name, &frame)) << file.name;
    EXPECT_EQ(frame.pixels[0], file.colour) << file.name;
    std::remove((base + file.name).c_str());
  }
  rmdir(dir);
}

TEST_F(HeadlessFrames, AFolderThatCannotBeWrittenIsReportedOnceAndObserversStillSeeEveryFrame) {
  setenv("WINPORT_FRAMES", "/nonexistent/winport-frames", 1);
  headless::on_frame([this](HWND, const uint32_t *pixels, int, int, int) { observed.push_back(pixels[0]); });
  NativeWindow *w = d.create(nullptr, "W", 0, 0, 10, 10);
  testing::internal::CaptureStderr();
  present(w, 1);
  present(w, 2);
  std::string said = testing::internal::GetCapturedStderr();
  d.destroy(w);
  EXPECT_NE(said.find("cannot write /nonexistent/winport-frames/W-000001.png"), std::string::npos) << said;
  EXPECT_EQ(said.find("W-000002"), std::string::npos) << said;
  EXPECT_EQ(observed, (std::vector<uint32_t>{1, 2}));
}

}  // namespace
}  // namespace winport::display

// Opening the library: the two windows, where they are, and the canvas.
#include "fixture.h"

namespace tevra_test {
namespace {

using Windows = TevraTest;

TEST_F(Windows, TextWindowSpansTheBottomThirdOfTheScreen) {
  headless::set_screen_size(1280, 1024);
  open();
  RECT r;
  GetWindowRect(headless::find_window(kText), &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 683);
  EXPECT_EQ(r.right - r.left, 1280);
  EXPECT_EQ(r.bottom - r.top, 341);

  GetWindowRect(headless::find_window(kGraphics), &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right - r.left, 601);
  EXPECT_EQ(r.bottom - r.top, 540);
  GetClientRect(headless::find_window(kGraphics), &r);
  EXPECT_EQ(r.right, 595);
  EXPECT_EQ(r.bottom, 496);
  EXPECT_TRUE(IsWindowVisible(headless::find_window(kText)));
  EXPECT_TRUE(IsWindowVisible(headless::find_window(kGraphics)));
}

TEST_F(Windows, APreviousInstanceMeansTheClassesAreRegisteredAlready) {
  char command_line[] = "";
  int previous = 0;
  EXPECT_EQ(tevra_open(nullptr, &previous, command_line, SW_SHOWNORMAL), 1);
  EXPECT_EQ(headless::find_window(kGraphics), nullptr) << "no class was registered, so no window";
  EXPECT_EQ(tevra_set_animation(TEVRA_ANIM_RUN), 0);
}

TEST_F(Windows, ShowingTheTextWindowReportsWhetherItWasVisible) {
  open();
  EXPECT_NE(tevra_show_text_window(0), 0);
  EXPECT_EQ(tevra_show_text_window(0), 0);
  EXPECT_EQ(tevra_show_text_window(1), 0);
  EXPECT_NE(tevra_show_text_window(1), 0);
  EXPECT_NE(tevra_testing_canvas(), nullptr);
  EXPECT_EQ(tevra_close(), 1);
}

} // namespace
} // namespace tevra_test

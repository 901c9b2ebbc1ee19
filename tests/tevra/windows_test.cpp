// Opening the library: the two windows, where they are, and the canvas.
#include "fixture.h"

#include <thread>

namespace tevra_test {
namespace {

using Windows = TevraTest;

TEST_F(Windows, TextWindowSpansTheBottomThirdOfTheScreen) {
  headless::set_screen_size(1280, 1024);
  open();
  RECT r;
  GetWindowRect(scripted::find_window(kText), &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 683);
  EXPECT_EQ(r.right - r.left, 1280);
  EXPECT_EQ(r.bottom - r.top, 341);

  GetWindowRect(scripted::find_window(kGraphics), &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right - r.left, 601);
  EXPECT_EQ(r.bottom - r.top, 540);
  GetClientRect(scripted::find_window(kGraphics), &r);
  EXPECT_EQ(r.right, 595);
  EXPECT_EQ(r.bottom, 496);
  EXPECT_TRUE(IsWindowVisible(scripted::find_window(kText)));
  EXPECT_TRUE(IsWindowVisible(scripted::find_window(kGraphics)));
}

// The library's reset and the display's may come in either order: the windows the display's reset
// destroys belong to the old library context, not to the fresh one.
TEST_F(Windows, TheLibraryOpensAgainAfterResetsInEitherOrder) {
  for (bool library_first : {true, false}) {
    open();
    if (library_first) tevra_testing_reset();
    scripted::reset();
    if (!library_first) tevra_testing_reset();
    install_hooks();
    open();
    tevra_set_animation(TEVRA_ANIM_STEP); // a tick, which only a live window gets
    EXPECT_EQ(wait().kind, TEVRA_PERIODIC) << library_first;
  }
}

TEST_F(Windows, APreviousInstanceMeansTheClassesAreRegisteredAlready) {
  char command_line[] = "";
  int previous = 0;
  EXPECT_EQ(tevra_open(nullptr, &previous, command_line, SW_SHOWNORMAL), 1);
  EXPECT_EQ(scripted::find_window(kGraphics), nullptr) << "no class was registered, so no window";
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

TEST_F(Windows, CallsFromAnotherThreadAreRefusedAndSaidOnce) {
  open();
  tevra_set_logging(0);
  std::vector<int32_t> results;
  int32_t x = 7, y = 7;
  char key = 7;
  std::thread([&] {
    char command_line[] = "";
    results = {tevra_circle(TEVRA_RED, 0, 0, 20),  tevra_log("from elsewhere\n"),
               tevra_clear(),                       tevra_set_animation(TEVRA_ANIM_RUN),
               tevra_await_event(&x, &y, &key),     tevra_open(nullptr, nullptr, command_line, 1)};
  }).join();
  EXPECT_EQ(results, std::vector<int32_t>(6, 0));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(count_canvas(RGB(255, 0, 0)), 0);
  EXPECT_TRUE(console.empty()) << "the console belongs to the library's thread";

  click_logical(0, 0, headless::now_ms() + 10);
  EXPECT_EQ(wait().kind, TEVRA_MOUSE) << "the animation was not started";
  EXPECT_EQ(console, std::vector<std::string>{"tevra_circle and 5 more calls came from another thread and were "
                                              "refused: TEVRA runs on the thread that opened it\n"});
  EXPECT_EQ(tevra_circle(TEVRA_RED, 0, 0, 20), 1);
}

} // namespace
} // namespace tevra_test

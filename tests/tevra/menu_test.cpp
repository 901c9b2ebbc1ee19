// The "&Run" menu and its Ctrl shortcuts, the logging switch and the Ctrl flag.
#include "fixture.h"

namespace tevra_test {
namespace {

using RunMenu = TevraTest;

TEST_F(RunMenu, LoggingItemStartsCheckedAndFollowsTheFlag) {
  EXPECT_EQ(tevra_set_logging(0), 0) << "not open yet";
  open();
  EXPECT_TRUE(checked(4));
  EXPECT_FALSE(checked(5));
  EXPECT_FALSE(checked(6));
  EXPECT_FALSE(checked(7));

  tevra_show_text_window(0);
  EXPECT_EQ(tevra_set_logging(0), 1);
  EXPECT_FALSE(checked(4));
  tevra_circle(1, 0, 0, 3);
  EXPECT_TRUE(console.empty());

  ctrl_key('L'); // on again, without showing the console
  click_logical(0, 0, 500);
  wait();
  EXPECT_TRUE(checked(4));
  EXPECT_FALSE(IsWindowVisible(scripted::find_window(kText)));
  tevra_circle(1, 0, 0, 3);
  EXPECT_TRUE(console_has("white circle at (0,0), radius 3\n"));

  scripted::menu_command(kGraphics, 4); // and off by the menu
  click_logical(0, 0, 900);
  wait();
  EXPECT_FALSE(checked(4));

  tevra_set_logging(1); // switching on by call shows the console
  EXPECT_TRUE(IsWindowVisible(scripted::find_window(kText)));
}

TEST_F(RunMenu, ShortcutsWorkInEitherCaseAndOnlyWithCtrl) {
  open();
  scripted::key_down(kGraphics, VK_CONTROL, 0, true, 1);
  scripted::key_down(kGraphics, 'a', 1, true, 2); // a lower-case key code
  EXPECT_EQ(wait().kind, TEVRA_PERIODIC);
  scripted::key_up(kGraphics, 'a', true, 101);
  scripted::key_up(kGraphics, VK_CONTROL, false, 102);
  ctrl_key('H', kGraphics, 103);
  scripted::key(kGraphics, 'A', 'a', false, 110); // without Ctrl: a character, not Animate
  const Event e = wait();
  EXPECT_EQ(e.kind, TEVRA_KBD);
  EXPECT_EQ(e.key, 'a');
  click_logical(0, 0, 5000);
  EXPECT_EQ(wait().kind, TEVRA_MOUSE) << "halted: no periodic event";
}

TEST_F(RunMenu, ScriptShortcutsRunTheirCommands) {
  open();
  ctrl_key('R', kGraphics, 10);
  click_logical(0, 0, 100);
  wait();
  EXPECT_TRUE(checked(5));
  ctrl_key('R', kGraphics, 110);
  click_logical(0, 0, 200);
  wait();
  EXPECT_FALSE(checked(5));
  EXPECT_EQ(read_file(), "TEVRA_MOUSE(0, 0);\n"); // the click that ended the first wait
  std::filesystem::remove("TEVRA.SCR");

  ctrl_key('P', kGraphics, 210); // no script file: reported, and playback is off again
  click_logical(0, 0, 300);
  wait();
  ctrl_key('O', kGraphics, 310);
  click_logical(0, 0, 400);
  wait();
  EXPECT_EQ(std::count(console.begin(), console.end(), "Cannot open script file TEVRA.SCR for reading\n"), 2);
  EXPECT_FALSE(checked(6));
}

TEST_F(RunMenu, AdvanceOneFrameStopsTheAnimationAfterOneMoreFrame) {
  open();
  scripted::menu_command(kGraphics, 1);
  EXPECT_EQ(wait().kind, TEVRA_PERIODIC);
  scripted::menu_command(kGraphics, 3, 150); // arrives while a periodic event is armed
  EXPECT_EQ(wait().kind, TEVRA_PERIODIC);    // the armed one
  EXPECT_EQ(wait().kind, TEVRA_PERIODIC);    // the step
  click_logical(0, 0, 5000);
  EXPECT_EQ(wait().kind, TEVRA_MOUSE);
}

TEST_F(RunMenu, HaltLeavesARequestedStepAlone) {
  open();
  tevra_set_animation(TEVRA_ANIM_STEP);
  scripted::menu_command(kGraphics, 2);
  EXPECT_EQ(wait().kind, TEVRA_PERIODIC);
}

TEST_F(RunMenu, UnknownCommandsDoNothing) {
  open();
  HWND graphics = scripted::find_window(kGraphics);
  PostMessageA(graphics, WM_COMMAND, 9, 0);
  PostMessageA(graphics, WM_COMMAND, 0, 0);
  PostMessageA(graphics, WM_COMMAND, 4242, 0);
  PostMessageA(graphics, WM_COMMAND, (WPARAM{1} << 16) | 4, 0); // not Logging
  click_logical(7, 7, 1000);
  const Event e = wait();
  EXPECT_EQ(e.kind, TEVRA_MOUSE);
  EXPECT_TRUE(checked(4));
}

TEST_F(RunMenu, CtrlIsForgottenWhenTheFocusLeaves) {
  open();
  HWND graphics = scripted::find_window(kGraphics);
  PostMessageA(graphics, WM_KEYDOWN, VK_CONTROL, 0);
  PostMessageA(graphics, WM_KILLFOCUS, 0, 0);
  scripted::key(kGraphics, 'Q', 'q'); // Ctrl's key-up went elsewhere
  const Event e = wait();
  EXPECT_EQ(e.kind, TEVRA_KBD) << "q is a character, not a shortcut";
  EXPECT_EQ(e.key, 'q');
}

// Ctrl held while the focus moves from one library window to the other is still held there: its
// key-up will come, through the text window. A then animates and types nothing.
TEST_F(RunMenu, CtrlStaysHeldWhileTheFocusMovesBetweenTheLibraryWindows) {
  open();
  HWND graphics = scripted::find_window(kGraphics);
  PostMessageA(graphics, WM_KEYDOWN, VK_CONTROL, 0);
  PostMessageA(graphics, WM_KILLFOCUS, reinterpret_cast<WPARAM>(scripted::find_window(kText)), 0);
  scripted::key(kText, 'A', 'a');
  const Event e = wait();
  EXPECT_EQ(e.kind, TEVRA_PERIODIC) << "Ctrl+A animates; key " << int(e.key);
}

TEST_F(RunMenu, ClosingTheGraphicsWindowQuitsAndStopsTheTimer) {
  open();
  tevra_set_animation(TEVRA_ANIM_RUN);
  scripted::close(kGraphics, 50);
  EXPECT_EQ(wait().kind, TEVRA_QUIT);
  EXPECT_EQ(headless::now_ms(), 50u);
  EXPECT_EQ(tevra_testing_run_popup(), nullptr);
}

} // namespace
} // namespace tevra_test

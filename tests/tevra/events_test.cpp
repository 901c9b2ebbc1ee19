// The event stream: what tevra_await_event returns, and when, on the headless display's clock.
#include "fixture.h"

namespace tevra_test {
namespace {

using EventStream = TevraTest;

TEST_F(EventStream, RunningAnimationGivesOnePeriodicEventPerTick) {
  open();
  tevra_set_animation(TEVRA_ANIM_RUN);
  uint64_t previous = 0;
  for (int i = 0; i < 5; ++i) {
    const Event e = wait();
    EXPECT_EQ(e.kind, TEVRA_PERIODIC);
    EXPECT_EQ(e.x, 0);
    EXPECT_EQ(e.y, 0);
    EXPECT_EQ(e.key, 0);
    EXPECT_EQ(headless::now_ms() - previous, 100u) << "event " << i;
    previous = headless::now_ms();
  }
}

TEST_F(EventStream, HaltedTicksNeverEndAWaitAndAClickAtTheOriginIsZeroZero) {
  open();
  click_logical(0, 0, 1000);
  const Event e = wait();
  EXPECT_EQ(e.kind, TEVRA_MOUSE);
  EXPECT_EQ(e.x, 0);
  EXPECT_EQ(e.y, 0);
  EXPECT_EQ(headless::now_ms(), 1000u);

  scripted::click(kGraphics, 0, 0); // the client's top-left pixel
  const Event corner = wait();
  EXPECT_EQ(corner.x, -kOriginX);
  EXPECT_EQ(corner.y, kOriginY);
}

TEST_F(EventStream, TicksWhileHaltedAreForgotten) {
  open();
  click_logical(5, 5, 550);
  EXPECT_EQ(wait().kind, TEVRA_MOUSE);
  tevra_set_animation(TEVRA_ANIM_STEP);
  EXPECT_EQ(wait().kind, TEVRA_PERIODIC);
  EXPECT_EQ(headless::now_ms(), 600u) << "the step waits for a fresh tick";
}

TEST_F(EventStream, SingleStepGivesExactlyOnePeriodicEvent) {
  open();
  tevra_set_animation(TEVRA_ANIM_STEP);
  EXPECT_EQ(wait().kind, TEVRA_PERIODIC);
  click_logical(1, 2, 5000);
  const Event e = wait();
  EXPECT_EQ(e.kind, TEVRA_MOUSE);
  EXPECT_EQ(headless::now_ms(), 5000u);
}

TEST_F(EventStream, SetAnimationModes) {
  EXPECT_EQ(tevra_set_animation(TEVRA_ANIM_RUN), 0) << "not open yet";
  open();
  for (int mode : {3, 4, 6, -1}) EXPECT_EQ(tevra_set_animation(mode), 1);
  tevra_set_animation(TEVRA_ANIM_RUN);
  tevra_set_animation(TEVRA_ANIM_STEP); // running stays on
  for (int i = 0; i < 3; ++i) EXPECT_EQ(wait().kind, TEVRA_PERIODIC);

  tevra_set_animation(TEVRA_ANIM_STEP);
  tevra_set_animation(TEVRA_ANIM_HALT); // cancels the step as well
  click_logical(0, 0, 2000);
  EXPECT_EQ(wait().kind, TEVRA_MOUSE);
}

TEST_F(EventStream, ArmedPeriodicEventGivesWayToClicksAndQuitButNotToHalt) {
  open();
  tevra_set_animation(TEVRA_ANIM_RUN);
  click_logical(3, 4, 50);
  Event e = wait();
  EXPECT_EQ(e.kind, TEVRA_MOUSE);
  EXPECT_EQ(e.x, 3);
  EXPECT_EQ(e.y, 4);
  EXPECT_EQ(wait().kind, TEVRA_PERIODIC); // a new one is armed and comes at the next tick

  scripted::menu_command(kGraphics, 8, 150); // Quit while a periodic event is armed
  EXPECT_EQ(wait().kind, TEVRA_QUIT);
  EXPECT_EQ(headless::now_ms(), 150u);
  EXPECT_TRUE(IsWindow(scripted::find_window(kGraphics))) << "quit by command leaves the window";

  scripted::menu_command(kGraphics, 2, 170); // Halt while armed: still delivered
  EXPECT_EQ(wait().kind, TEVRA_PERIODIC);
  EXPECT_EQ(headless::now_ms(), 200u);
  click_logical(0, 0, 3000);
  EXPECT_EQ(wait().kind, TEVRA_MOUSE);
}

TEST_F(EventStream, QuitModeTurnsEveryEventIntoQuit) {
  open();
  tevra_set_animation(TEVRA_ANIM_RUN);
  tevra_set_animation(TEVRA_ANIM_QUIT);
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(wait().kind, TEVRA_QUIT);
    EXPECT_EQ(headless::now_ms(), 100u * i);
  }
}

TEST_F(EventStream, TypedCharactersAreEventsUnlessCtrlIsHeld) {
  open();
  ctrl_key('Q'); // quits; its character is dropped
  scripted::key(kGraphics, 'Q', 'q', false, 10);
  EXPECT_EQ(wait().kind, TEVRA_QUIT);
  const Event e = wait();
  EXPECT_EQ(e.kind, TEVRA_KBD);
  EXPECT_EQ(e.key, 'q');
  EXPECT_EQ(e.x, 0);
}

TEST_F(EventStream, NoWaitOutlivesTheGraphicsWindow) {
  open();
  tevra_set_animation(TEVRA_ANIM_RUN);
  scripted::close(kGraphics, 250);
  ASSERT_NO_THROW({
    Event e = wait();
    EXPECT_EQ(e.kind, TEVRA_PERIODIC);
    EXPECT_EQ(wait().kind, TEVRA_PERIODIC);
    EXPECT_EQ(wait().kind, TEVRA_QUIT);
    EXPECT_FALSE(IsWindow(scripted::find_window(kGraphics)));

    // A program shaped like the game: a loop until quit, then one that counts 60 frames.
    int frames = 0;
    while (wait().kind != TEVRA_QUIT) {
    }
    for (int calls = 0; frames < 60 && calls < 1000; ++calls)
      if (wait().kind == TEVRA_PERIODIC) ++frames;
  });
  EXPECT_EQ(tevra_close(), 1);
}

TEST_F(EventStream, KeysTypedInTheConsoleWorkAsShortcuts) {
  open();
  tevra_show_text_window(1);
  SetFocus(scripted::find_window(kText));
  ctrl_key('A', kText); // starts the animation
  EXPECT_EQ(wait().kind, TEVRA_PERIODIC);
  scripted::key(kText, 'B', 'b');
  const Event e = wait();
  EXPECT_EQ(e.kind, TEVRA_KBD);
  EXPECT_EQ(e.key, 'b');
}

} // namespace
} // namespace tevra_test

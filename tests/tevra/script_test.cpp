// Recording the event stream to TEVRA.SCR and playing it back.
#include "fixture.h"

namespace tevra_test {
namespace {

constexpr UINT kRecord = 5, kPlayback = 6, kPlayOne = 7;

class Script : public TevraTest {
protected:
  void command(UINT id, uint64_t at = headless::kNextWait) { headless::menu_command(kGraphics, id, at); }
  // Runs the Run menu command at once, outside any wait (a wait would also take the first event).
  void command_now(UINT id) { SendMessageA(headless::find_window(kGraphics), WM_COMMAND, id, 0); }
  void expect(Event e, int32_t kind, int32_t x = 0, int32_t y = 0, char key = 0) {
    EXPECT_EQ(e.kind, kind);
    EXPECT_EQ(e.x, x);
    EXPECT_EQ(e.y, y);
    EXPECT_EQ(e.key, key);
  }
};

TEST_F(Script, PeriodicRunsAreCountedIntoOneLine) {
  open();
  tevra_set_animation(TEVRA_ANIM_RUN);
  command(kRecord, 50);
  for (int i = 0; i < 3; ++i) wait();
  command(kRecord, 350); // stops during the fourth wait: that event is not recorded
  wait();
  EXPECT_FALSE(checked(kRecord));
  EXPECT_EQ(read_file(), "TEVRA_PERIODIC(3);\n");

  command(kRecord, 450); // a fresh recording replaces the file
  wait();
  wait();
  command(kRecord, 650);
  wait();
  EXPECT_EQ(read_file(), "TEVRA_PERIODIC(2);\n");
}

TEST_F(Script, RecordingAndPlaybackRoundTrip) {
  open();
  tevra_set_animation(TEVRA_ANIM_RUN);
  command(kRecord, 50);
  wait();
  wait();
  click_logical(-12, 40, 230);
  EXPECT_EQ(wait().kind, TEVRA_MOUSE);
  wait();
  headless::key(kGraphics, 'A', 'a', false, 330);
  EXPECT_EQ(wait().kind, TEVRA_KBD);
  PostMessageA(headless::find_window(kGraphics), WM_CHAR, 0xE9, 0); // a key code above 127
  EXPECT_EQ(wait().key, static_cast<char>(0xE9));
  wait();
  headless::menu_command(kGraphics, 8, 450);
  EXPECT_EQ(wait().kind, TEVRA_QUIT);
  EXPECT_EQ(read_file(), "TEVRA_PERIODIC(2);\nTEVRA_MOUSE(-12, 40);\nTEVRA_PERIODIC(1);\n"
                         "TEVRA_KBD(97);\nTEVRA_KBD(-23);\nTEVRA_PERIODIC(1);\n");

  command_now(kRecord);
  command_now(kPlayback);
  const uint64_t start = headless::now_ms();
  expect(wait(), TEVRA_PERIODIC);
  expect(wait(), TEVRA_PERIODIC);
  expect(wait(), TEVRA_MOUSE, -12, 40);
  expect(wait(), TEVRA_PERIODIC);
  expect(wait(), TEVRA_KBD, 0, 0, 'a');
  expect(wait(), TEVRA_KBD, 0, 0, static_cast<char>(0xE9));
  expect(wait(), TEVRA_PERIODIC);
  EXPECT_LT(headless::now_ms() - start, 50u) << "a playing script never waits for a tick";
  EXPECT_TRUE(console.empty());
  click_logical(1, 1, start + 100);
  expect(wait(), TEVRA_MOUSE, 1, 1); // the end is reported and live input takes over
  EXPECT_EQ(console, std::vector<std::string>{"EOF encountered in script file TEVRA.SCR\n"});
  EXPECT_FALSE(checked(kPlayback));

  command_now(kPlayback); // plays again from the first line
  expect(wait(), TEVRA_PERIODIC);
}

TEST_F(Script, ReaderToleratesHandWrittenLines) {
  write_file("TEVRA_PERIODIC(2);\n\n\r\n"
             "xxxxxxM  at -5 ,, and 7 more\n"
             "TEVRA_MOUSE(99999999999, -99999999999);\n"
             "TEVRA_KBD(65);" + std::string(2000, 'x') + "\n"
             "123456K no digits here but 9\n"
             "TEVRA_KBD(66);");
  open();
  command_now(kPlayback);
  expect(wait(), TEVRA_PERIODIC);
  expect(wait(), TEVRA_PERIODIC);
  expect(wait(), TEVRA_MOUSE, -5, 7);
  expect(wait(), TEVRA_MOUSE, INT32_MAX, INT32_MIN);
  expect(wait(), TEVRA_KBD, 0, 0, 'A');
  expect(wait(), TEVRA_KBD, 0, 0, 9);
  expect(wait(), TEVRA_KBD, 0, 0, 'B'); // a last line without a newline is still played
  click_logical(0, 0, headless::now_ms() + 100);
  EXPECT_EQ(wait().kind, TEVRA_MOUSE);
  EXPECT_TRUE(console_has("EOF encountered in script file TEVRA.SCR\n"));
}

TEST_F(Script, UnusableLinesEndPlaybackCleanly) {
  for (const std::string bad :
       {"short\n", "TEVRA_XYZ(1);\n", "TEVRA_MOUSE(5);\n", "TEVRA_KBD();\n", "          \n", "\t\n"}) {
    SCOPED_TRACE(bad);
    write_file("TEVRA_KBD(65);\n" + bad + "TEVRA_KBD(66);\n");
    open();
    command_now(kPlayback);
    expect(wait(), TEVRA_KBD, 0, 0, 'A');
    click_logical(2, 2, headless::now_ms() + 100);
    expect(wait(), TEVRA_MOUSE, 2, 2);
    EXPECT_FALSE(checked(kPlayback));
    command_now(kPlayback); // the file was closed: playback starts again at its first line
    expect(wait(), TEVRA_KBD, 0, 0, 'A');
    restart();
  }
}

TEST_F(Script, MissingFileIsReportedInTheSameWait) {
  open();
  command(kPlayback);
  click_logical(4, 4, 1000);
  expect(wait(), TEVRA_MOUSE, 4, 4);
  EXPECT_EQ(console, std::vector<std::string>{"Cannot open script file TEVRA.SCR for reading\n"});
  EXPECT_FALSE(checked(kPlayback));
}

TEST_F(Script, PlayOneTakesOneCommandPerEvent) {
  write_file("TEVRA_PERIODIC(3);\nTEVRA_KBD(120);\n");
  open();
  for (int i = 0; i < 3; ++i) {
    command(kPlayOne, headless::now_ms() + 1000);
    expect(wait(), TEVRA_PERIODIC);
  }
  tevra_set_animation(TEVRA_ANIM_RUN);
  command(kPlayOne, headless::now_ms() + 50); // before the next tick
  expect(wait(), TEVRA_KBD, 0, 0, 'x');
  click_logical(0, 0, headless::now_ms() + 5000); // the step halted the animation
  EXPECT_EQ(wait().kind, TEVRA_MOUSE);
}

TEST_F(Script, UserInputDuringPlaybackIsReplacedAndAQuitComesNext) {
  write_file("TEVRA_KBD(49);\nTEVRA_KBD(50);\nTEVRA_KBD(51);\n");
  open();
  command_now(kPlayback);
  PostMessageA(headless::find_window(kGraphics), WM_CHAR, 'z', 0);
  expect(wait(), TEVRA_KBD, 0, 0, '1');
  PostQuitMessage(0);
  expect(wait(), TEVRA_KBD, 0, 0, '2');
  EXPECT_EQ(wait().kind, TEVRA_QUIT);
  expect(wait(), TEVRA_KBD, 0, 0, '3');
}

TEST_F(Script, RecordingAndPlaybackNeverShareTheFile) {
  write_file("TEVRA_PERIODIC(5);\n");
  open();
  command_now(kPlayback);
  wait(); // one of the five periodic events
  command_now(kRecord); // recording ends the playback first
  headless::key(kGraphics, 'K', 'k', false, headless::now_ms() + 100);
  expect(wait(), TEVRA_KBD, 0, 0, 'k');
  EXPECT_FALSE(checked(kPlayback));
  EXPECT_TRUE(checked(kRecord));

  tevra_set_animation(TEVRA_ANIM_RUN);
  wait();
  wait();
  command(kPlayback); // playback ends the recording first, with its periodic run
  EXPECT_EQ(wait().kind, TEVRA_KBD);
  EXPECT_FALSE(checked(kRecord));
  expect(wait(), TEVRA_PERIODIC);
  expect(wait(), TEVRA_PERIODIC);
  EXPECT_EQ(read_file(), "TEVRA_KBD(107);\nTEVRA_PERIODIC(2);\n");

  command_now(kRecord); // a single step also ends a recording first
  headless::key(kGraphics, 'M', 'm', false, headless::now_ms() + 10);
  wait();
  command_now(kPlayOne);
  expect(wait(), TEVRA_KBD, 0, 0, 'm');
  EXPECT_FALSE(checked(kRecord));
}

TEST_F(Script, StoppingPlaybackDropsTheRestOfAPeriodicRun) {
  write_file("TEVRA_PERIODIC(5);\nTEVRA_KBD(65);\n");
  open();
  command_now(kPlayback);
  wait();
  command_now(kPlayback); // stop
  command_now(kPlayback); // start again: from the first line, not the rest of the run
  int periodic = 0;
  while (wait().kind == TEVRA_PERIODIC) ++periodic;
  EXPECT_EQ(periodic, 5);
}

TEST_F(Script, StartAndStopWithoutEventsLeaveTheFileAlone) {
  write_file("TEVRA_KBD(65);\n");
  open();
  command_now(kRecord);
  command(kRecord); // the stop arrives in the same wait as the click: nothing recorded
  click_logical(0, 0, headless::now_ms() + 10);
  wait();
  EXPECT_EQ(read_file(), "TEVRA_KBD(65);\n");
}

TEST_F(Script, ClosingTheLibraryWritesThePendingRun) {
  open();
  tevra_set_animation(TEVRA_ANIM_RUN);
  command(kRecord, 50);
  for (int i = 0; i < 4; ++i) wait();
  tevra_close();
  EXPECT_EQ(read_file(), "TEVRA_PERIODIC(4);\n");
}

TEST_F(Script, UnwritableFileIsReportedAndRetried) {
  std::filesystem::create_directory("TEVRA.SCR"); // cannot be opened as a file
  open();
  command_now(kRecord);
  headless::key(kGraphics, 'A', 'a', false, headless::now_ms() + 10);
  wait();
  headless::key(kGraphics, 'A', 'a', false, headless::now_ms() + 10);
  wait();
  EXPECT_EQ(std::count(console.begin(), console.end(), "Cannot open script file TEVRA.SCR for writing\n"), 2);
  EXPECT_TRUE(checked(kRecord));
}

} // namespace
} // namespace tevra_test

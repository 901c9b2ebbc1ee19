// Recording the event stream to TEVRA.SCR and playing it back.
#include "fixture.h"

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace tevra_test {
namespace {

constexpr UINT kRecord = 5, kPlayback = 6, kPlayOne = 7;

class Script : public TevraTest {
protected:
  void command(UINT id, uint64_t at = scripted::kNextWait) { scripted::menu_command(kGraphics, id, at); }
  // Runs the Run menu command at once, outside any wait (a wait would also take the first event).
  void command_now(UINT id) { SendMessageA(scripted::find_window(kGraphics), WM_COMMAND, id, 0); }
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
  scripted::key(kGraphics, 'A', 'a', false, 330);
  EXPECT_EQ(wait().kind, TEVRA_KBD);
  PostMessageA(scripted::find_window(kGraphics), WM_CHAR, 0xE9, 0); // a key code above 127
  EXPECT_EQ(wait().key, static_cast<char>(0xE9));
  wait();
  scripted::menu_command(kGraphics, 8, 450);
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
  // A line longer than 511 characters is read as 511-character pieces, each a line of its own; one
  // that ends right after a full piece leaves an empty line, which is skipped.
  auto piece = [](std::string text) { return text + std::string(511 - text.size(), 'x'); };
  write_file("TEVRA_PERIODIC(2);\n\n\r\n"
             "xxxxxxM  at -5 ,, and 7 more\n"
             "TEVRA_MOUSE(99999999999, -99999999999);\n" +
             piece("TEVRA_KBD(65);") + piece("TEVRA_KBD(67);") + "\n"
             "123456K no digits here but 9\n"
             "TEVRA_KBD(66);");
  open();
  command_now(kPlayback);
  expect(wait(), TEVRA_PERIODIC);
  expect(wait(), TEVRA_PERIODIC);
  expect(wait(), TEVRA_MOUSE, -5, 7);
  expect(wait(), TEVRA_MOUSE, INT32_MAX, INT32_MIN);
  expect(wait(), TEVRA_KBD, 0, 0, 'A');
  expect(wait(), TEVRA_KBD, 0, 0, 'C');
  expect(wait(), TEVRA_KBD, 0, 0, 9);
  expect(wait(), TEVRA_KBD, 0, 0, 'B'); // a last line without a newline is still played
  click_logical(0, 0, headless::now_ms() + 100);
  EXPECT_EQ(wait().kind, TEVRA_MOUSE);
  EXPECT_TRUE(console_has("EOF encountered in script file TEVRA.SCR\n"));
}

TEST_F(Script, UnusableLinesEndPlaybackCleanlyAndAreNamed) {
  const std::string said = "Playback stopped at line 3 of script file TEVRA.SCR, which names no event: ";
  const std::pair<std::string, std::string> cases[] = {
      {"short\n", "short"},
      {"TEVRA_XYZ(1);\n", "TEVRA_XYZ(1);"},
      {"TEVRA_MOUSE(5);\n", "TEVRA_MOUSE(5);"},
      {"TEVRA_KBD();\n", "TEVRA_KBD();"},
      {"          \n", "          "},
      {"\t\n", "?"},
      {std::string(600, 'y') + "\n", std::string(40, 'y') + "..."},
  };
  for (const auto &[bad, shown] : cases) {
    SCOPED_TRACE(bad);
    write_file("TEVRA_KBD(65);\n\n" + bad + "TEVRA_KBD(66);\n");
    open();
    command_now(kPlayback);
    expect(wait(), TEVRA_KBD, 0, 0, 'A');
    click_logical(2, 2, headless::now_ms() + 100);
    expect(wait(), TEVRA_MOUSE, 2, 2);
    EXPECT_EQ(console, std::vector<std::string>{said + shown + "\n"});
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
  PostMessageA(scripted::find_window(kGraphics), WM_CHAR, 'z', 0);
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
  scripted::key(kGraphics, 'K', 'k', false, headless::now_ms() + 100);
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
  scripted::key(kGraphics, 'M', 'm', false, headless::now_ms() + 10);
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

// A program that shows every event it plays is busy, never idle: however long the script, no
// virtual time passes and the idle limit never runs out.
TEST_F(Script, PlaybackIsInputAndCostsNoVirtualTime) {
  write_file("TEVRA_PERIODIC(5000);\n");
  scripted::set_idle_limit_ms(1000); // a script this long would otherwise outlast it
  open();
  command_now(kPlayback);
  const uint64_t start = headless::now_ms();
  for (int i = 0; i < 5000; ++i) {
    ASSERT_EQ(wait().kind, TEVRA_PERIODIC) << i;
    tevra_line(TEVRA_RED, -200 + i % 400, -100, -200 + i % 400, 100, 1);
  }
  EXPECT_LE(headless::now_ms() - start, 1u);
}

TEST_F(Script, OnlyRegularFilesAreReadOrWrittenAndNothingWaitsForAFifo) {
  ASSERT_EQ(mkfifo("TEVRA.SCR", 0600), 0);
  open();
  command_now(kPlayback);
  click_logical(1, 1, headless::now_ms() + 10);
  expect(wait(), TEVRA_MOUSE, 1, 1);
  EXPECT_EQ(console, std::vector<std::string>{"Cannot open script file TEVRA.SCR for reading: not a regular file\n"});
  EXPECT_FALSE(checked(kPlayback));

  console.clear();
  command_now(kRecord);
  click_logical(2, 2, headless::now_ms() + 10);
  expect(wait(), TEVRA_MOUSE, 2, 2);
  EXPECT_EQ(console, std::vector<std::string>{
                         "Cannot open script file TEVRA.SCR for writing: not a regular file; recording stopped\n"});
  EXPECT_FALSE(checked(kRecord));
}

TEST_F(Script, AFileThatCannotBeOpenedIsSaidOnceAndStopsTheRecording) {
  std::filesystem::create_directory("TEVRA.SCR");
  open();
  command_now(kRecord);
  for (int i = 0; i < 3; ++i) {
    PostMessageA(scripted::find_window(kGraphics), WM_CHAR, 'a', 0);
    wait();
  }
  EXPECT_EQ(console, std::vector<std::string>{
                         "Cannot open script file TEVRA.SCR for writing: Is a directory; recording stopped\n"});
  EXPECT_FALSE(checked(kRecord));
}

// The rest runs the recording in a child process, which a file-size limit or a signal then ends.
// The child never returns into the test: it ends with `body`, or with status 99 if that throws.
pid_t fork_child(const std::function<void()> &body) {
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child != 0) return child;
  try {
    body();
  } catch (...) {
  }
  _exit(99);
}

int wait_child(pid_t child) {
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

TEST_F(Script, AFailingWriteIsSaidOnceStopsTheRecordingAndLeavesWholeLines) {
  constexpr rlim_t kLimit = 100; // bytes: six of the lines below fit, the seventh is cut
  const pid_t child = fork_child([&] {
    std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of ending the process
    const rlimit small{kLimit, RLIM_INFINITY};
    setrlimit(RLIMIT_FSIZE, &small);
    open();
    command_now(kRecord);
    for (int i = 0; i < 10; ++i) {
      PostMessageA(scripted::find_window(kGraphics), WM_CHAR, 'a' + i, 0);
      wait();
    }
    const rlimit none{RLIM_INFINITY, RLIM_INFINITY};
    setrlimit(RLIMIT_FSIZE, &none);
    std::ofstream report("report.txt");
    for (const std::string &line : console) report << line;
    report << (checked(kRecord) ? "checked\n" : "unchecked\n");
    report.close();
    _exit(0);
  });
  ASSERT_EQ(wait_child(child), 0);
  std::string whole;
  for (int i = 0; i < 10; ++i) {
    const std::string line = "TEVRA_KBD(" + std::to_string('a' + i) + ");\n";
    if (whole.size() + line.size() > kLimit) break;
    whole += line;
  }
  EXPECT_EQ(read_file(), whole);
  EXPECT_EQ(read_file("report.txt"), "Cannot write script file TEVRA.SCR: File too large; recording stopped\nunchecked\n");
}

TEST_F(Script, EveryLineIsInTheFileWhateverEndsTheProcess) {
  struct Ending {
    int signal;
    int events;
    bool typing; // an 'a' typed before every fourth event, else periodic events only
  };
  for (const Ending end : {Ending{SIGTERM, 150, true}, Ending{SIGTERM, 900, true}, Ending{SIGINT, 150, true},
                           Ending{SIGHUP, 150, true}, Ending{SIGABRT, 150, true}, Ending{SIGTERM, 5, false}}) {
    SCOPED_TRACE(std::string(strsignal(end.signal)) + " after " + std::to_string(end.events) + " events");
    std::filesystem::remove("TEVRA.SCR");
    const pid_t child = fork_child([&] {
      const rlimit no_core{0, 0};
      setrlimit(RLIMIT_CORE, &no_core);
      scripted::set_idle_limit_ms(UINT64_MAX / 2); // periodic events are not input
      open();
      tevra_set_animation(TEVRA_ANIM_RUN);
      command_now(kRecord);
      for (int i = 0; i < end.events; ++i) {
        if (end.typing && i % 4 == 0) PostMessageA(scripted::find_window(kGraphics), WM_CHAR, 'a', 0);
        wait();
      }
      if (end.signal == SIGABRT) std::abort();
      std::raise(end.signal);
    });
    const int status = wait_child(child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == end.signal) << status;

    std::string expected;
    int run = 0;
    for (int i = 0; i < end.events; ++i) {
      if (end.typing && i % 4 == 0) {
        if (run > 0) expected += "TEVRA_PERIODIC(" + std::to_string(run) + ");\n";
        expected += "TEVRA_KBD(97);\n";
        run = 0;
      } else {
        ++run;
      }
    }
    if (run > 0) expected += "TEVRA_PERIODIC(" + std::to_string(run) + ");\n"; // the run still being counted
    EXPECT_EQ(read_file(), expected);
  }
}

} // namespace
} // namespace tevra_test

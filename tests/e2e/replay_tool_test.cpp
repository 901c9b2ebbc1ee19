// frostvel-replay as a player runs it: files in, PNG frames, a console file and an exit status out.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "play.h"

#ifdef FROSTVEL_REPLAY_TOOL  // the path of the built tool

namespace fs = std::filesystem;

namespace {

class ReplayTool : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("frostvel-replay-test-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path file(const std::string &name) const { return dir_ / name; }
  void write(const std::string &name, const std::string &text) const { std::ofstream(file(name)) << text; }
  std::string read(const std::string &name) const {
    std::stringstream text;
    text << std::ifstream(file(name)).rdbuf();
    return text.str();
  }

  // Runs the tool with `arguments` from the test directory; returns its exit status.
  int run(const std::string &arguments) const {
    const std::string command = "cd '" + dir_.string() + "' && '" FROSTVEL_REPLAY_TOOL "' " + arguments +
                                " >out.txt 2>err.txt";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  fs::path dir_;
};

TEST_F(ReplayTool, WritesAFrameForEveryEventAndStopsWithStatusThreeWhenTheScriptEndsFirst) {
  write("short.scr", e2e::periodic(2));
  EXPECT_EQ(run("--frames frames --console console.txt short.scr"), 3);
  EXPECT_NE(read("err.txt").find("the script ended before the game did"), std::string::npos) << read("err.txt");
  EXPECT_NE(read("err.txt").find("ended during the title, which takes 44 timer ticks"), std::string::npos);

  EXPECT_TRUE(fs::exists(file("frames/frame-000002.png")));
  EXPECT_FALSE(fs::exists(file("frames/frame-000003.png")));
  img::Image first, last;
  ASSERT_TRUE(img::read_png(file("frames/frame-000000.png").string(), &first));
  ASSERT_TRUE(img::read_png(file("frames/frame-000002.png").string(), &last));
  EXPECT_EQ(first.width, 601);
  EXPECT_EQ(first.height, 540);
  // Frame 0: the cleared canvas, white in a black frame; frame 2: the intro's second frame.
  EXPECT_EQ(e2e::hex(first.at(0, 0)), e2e::hex(e2e::BLACK));
  EXPECT_EQ(e2e::hex(first.at(300, 300)), e2e::hex(e2e::WHITE));
  EXPECT_EQ(e2e::hex(last.at(297 - 200, 248 - 150)), e2e::hex(e2e::BLACK));
  EXPECT_EQ(e2e::hex(last.at(297, 248 - 60)), e2e::hex(e2e::ORANGE));

  EXPECT_EQ(read("console.txt"), "EOF encountered in script file TEVRA.SCR\n");
  EXPECT_FALSE(fs::exists(file("TEVRA.SCR"))) << "the game ran in the tool's own directory: " << read("TEVRA.SCR");
}

TEST_F(ReplayTool, AWholeGameEndsWithTheGamesStatusAndItsConsoleLines) {
  write("game.scr", e2e::periodic(44) + e2e::panel(e2e::EAT) + e2e::periodic(60));
  EXPECT_EQ(run("--logging --console console.txt game.scr"), 0) << read("err.txt");
  const std::string console = read("console.txt");
  EXPECT_EQ(console.rfind("black rectangle with bounding box (-300,250) to (300,-250), filled\n", 0), 0u);
  EXPECT_NE(console.find("white text at (-130,-60), \"THANK YOU FOR PLAYING\"\n"), std::string::npos);
  EXPECT_EQ(console.find("EOF encountered"), std::string::npos);
}

TEST_F(ReplayTool, RefusesBadArguments) {
  EXPECT_EQ(run(""), 2);
  EXPECT_EQ(run("missing.scr"), 2);
  EXPECT_NE(read("err.txt").find("missing.scr"), std::string::npos);
  EXPECT_EQ(run("--frobnicate x.scr"), 2);
  EXPECT_NE(read("err.txt").find("unknown option --frobnicate"), std::string::npos) << read("err.txt");
  fs::create_directory(file("folder.scr"));
  EXPECT_EQ(run("folder.scr"), 2);
  EXPECT_NE(read("err.txt").find("folder.scr: is a directory"), std::string::npos) << read("err.txt");
  write("short.scr", e2e::periodic(1));
  write("plain", "");
  EXPECT_EQ(run("--frames plain/frames short.scr"), 2);
  EXPECT_NE(read("err.txt").find("plain/frames: Not a directory"), std::string::npos) << read("err.txt");
}

TEST_F(ReplayTool, HelpListsEveryOptionOnStandardOutput) {
  EXPECT_EQ(run("--help"), 0);
  const std::string out = read("out.txt");
  for (const char *text : {"usage: frostvel-replay", "--frames DIR", "--logging", "--console FILE"})
    EXPECT_NE(out.find(text), std::string::npos) << text;
  EXPECT_EQ(read("err.txt"), "");
}

TEST_F(ReplayTool, NamesTheLineThatEndedTheScript) {
  write("bad.scr", e2e::periodic(3) + "\n" + "TEVRA_JUMP(1, 2);\n");
  EXPECT_EQ(run("bad.scr"), 3);
  EXPECT_NE(read("err.txt").find("frostvel-replay: line 3 of bad.scr names no event: TEVRA_JUMP(1, 2);\n"),
            std::string::npos)
      << read("err.txt");
}

TEST_F(ReplayTool, OutputsAreOpenedOnlyAfterTheInputsAndNeverOverAnInput) {
  write("TEVRA.SCR", e2e::periodic(1));
  EXPECT_EQ(run("--console TEVRA.SCR calls.txt"), 2);  // the arguments swapped
  EXPECT_NE(read("err.txt").find("calls.txt: no such script file"), std::string::npos) << read("err.txt");
  EXPECT_EQ(read("TEVRA.SCR"), e2e::periodic(1));
  EXPECT_EQ(run("--console TEVRA.SCR TEVRA.SCR"), 2);
  EXPECT_EQ(read("TEVRA.SCR"), e2e::periodic(1));
  EXPECT_EQ(run("/dev/null"), 2);
  EXPECT_NE(read("err.txt").find("/dev/null: not a regular file"), std::string::npos) << read("err.txt");
}

TEST_F(ReplayTool, TheCommandLineWinsOverTheEnvironmentAndEarlierFramesGo) {
  write("short.scr", e2e::periodic(2));
  write("other.scr", e2e::periodic(5));
  fs::create_directories(file("frames"));
  write("frames/frame-000007.png", "left by a longer run");
  setenv("TEVRA_SCRIPT", "other.scr", 1);
  setenv("TEVRA_FRAMES", "elsewhere", 1);
  const int status = run("--frames frames short.scr");
  unsetenv("TEVRA_SCRIPT");
  unsetenv("TEVRA_FRAMES");
  EXPECT_EQ(status, 3);
  EXPECT_TRUE(fs::exists(file("frames/frame-000002.png")));
  EXPECT_FALSE(fs::exists(file("frames/frame-000003.png")));
  EXPECT_FALSE(fs::exists(file("frames/frame-000007.png")));
  EXPECT_FALSE(fs::exists(file("elsewhere")));
}

// Every file named like a frame in `dir` is a whole PNG.
void expect_whole_frames(const fs::path &dir) {
  for (const auto &entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() != ".png") continue;
    img::Image image;
    EXPECT_TRUE(img::read_png(entry.path().string(), &image)) << entry.path();
  }
}

TEST_F(ReplayTool, AnInterruptedRunLeavesOnlyWholeFrames) {
  write("long.scr", e2e::periodic(44) + e2e::periodic(100000000));
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(file("").c_str()) != 0) _exit(127);
    dup2(::open("/dev/null", O_WRONLY), 2);
    execl(FROSTVEL_REPLAY_TOOL, FROSTVEL_REPLAY_TOOL, "--frames", "frames", "long.scr", static_cast<char *>(nullptr));
    _exit(127);
  }
  // Well under way once a few frames stand.
  for (int i = 0; i < 4000 && !fs::exists(file("frames/frame-000020.png")); ++i) usleep(5000);
  kill(child, SIGINT);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  expect_whole_frames(file("frames"));
}

TEST_F(ReplayTool, FramesThatCannotBeWrittenFailTheRun) {
  // A private mount of a small tmpfs for the frames: the disk fills up part way.
  write("game.scr", e2e::periodic(44) + e2e::panel(e2e::EAT) + e2e::periodic(60));
  fs::create_directories(file("frames"));
  const std::string command = "cd '" + file("").string() +
                              "' && { unshare -rm true 2>/dev/null || exit 77; } && unshare -rm sh -c 'mount -t tmpfs -o size=256k tmpfs frames || exit 77; "
                              "\"$0\" --frames frames game.scr; s=$?; ls frames > listed.txt; cp -r frames kept; exit $s' '" FROSTVEL_REPLAY_TOOL "' >out.txt 2>err.txt";
  const int status = std::system(command.c_str());
  if (WIFEXITED(status) && WEXITSTATUS(status) == 77) GTEST_SKIP() << "no private mounts here";
  EXPECT_EQ(WEXITSTATUS(status), 2) << read("err.txt");
  EXPECT_NE(read("err.txt").find("frames could not be written"), std::string::npos) << read("err.txt");
  EXPECT_NE(read("listed.txt").find("frame-000000.png"), std::string::npos) << "some frames fit";
  expect_whole_frames(file("kept"));
}

}  // namespace

#endif  // FROSTVEL_REPLAY_TOOL

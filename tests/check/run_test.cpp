// tevra-check run as a teacher runs it: on a hand-made program and reference, on the examples,
// and on programs that misbehave.
#include "reports.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

struct Result {
  int status;
  std::string out;
};

class CheckRun : public ::testing::Test {
protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("check_test." + std::to_string(getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  // Runs tevra-check with `args`; its stdout and stderr together, and its exit status.
  Result check(const std::string &args) {
    std::string command = std::string(TEVRA_CHECK) + " " + args + " 2>&1";
    FILE *pipe = popen(command.c_str(), "r");
    Result r{-1, ""};
    std::array<char, 512> buffer;
    while (size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) r.out.append(buffer.data(), n);
    int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
  }
  void write(const fs::path &path, const std::string &text) { std::ofstream(path) << text; }
  std::string read(const fs::path &path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // A reference made by hand: a one-line script, status 0, and a log of one drawn circle.
  fs::path hand_reference(int version = 1, fs::path ref = {}, int radius = 30, const std::string &script = "TEVRA_KBD(27);") {
    if (ref.empty()) ref = dir / "ref";
    fs::create_directories(ref);
    write(ref / "reference.json", "{\"tevra_check\":" + std::to_string(version) + ",\"script\":\"" + script +
                                      "\\n\",\"status\":0,\"verdict\":\"recorded\"}");
    write(ref / "log.jsonl", log(radius));
    return ref;
  }
  static std::string log(int radius) {
    return "{\"tevra_log\":2,\"canvas\":[601,540]}\n{\"event\":1,\"kind\":\"kbd\",\"x\":0,\"y\":0,\"key\":27,"
           "\"script_line\":1}\n{\"draw\":\"circle\",\"event\":1,\"color_name\":\"blue\",\"drawn\":{\"x\":1,\"y\":2,"
           "\"radius\":" + std::to_string(radius) + "}}\n{\"close\":true,\"events\":1,\"frames\":0}\n";
  }
  // A program that writes `log` as its draw log and exits with `status`; it crashes on a script
  // that says CRASH.
  fs::path fake(const std::string &log, int status) {
    fs::path program = dir / "fake.sh";
    write(dir / "fake.log", log);
    write(program, "#!/bin/sh\ngrep -q CRASH \"$TEVRA_SCRIPT\" && kill -SEGV $$\ncp '" + (dir / "fake.log").string() +
                       "' \"$TEVRA_LOG\"\nexit " + std::to_string(status) + "\n");
    fs::permissions(program, fs::perms::owner_all);
    return program;
  }
  fs::path dir;
};

TEST_F(CheckRun, HandMadeRunsPassDivergeAndReport) {
  fs::path ref = hand_reference();
  EXPECT_EQ(check("verify --ref " + ref.string() + " " + fake(log(30), 0).string()).out, "passed\n");
  Result r = check("verify --ref " + ref.string() + " --junit " + (dir / "j.xml").string() + " --gradescope " +
                   (dir / "g.json").string() + " " + fake(log(31), 0).string());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("expected \"blue circle at (1,2), radius 30\", got \"blue circle at (1,2), radius 31\""),
            std::string::npos) << r.out;
  EXPECT_NE(read(dir / "j.xml").find("<failure message=\"diverged\" type=\"diverged\">First divergence at event 1 (script line 1)"),
            std::string::npos);
  EXPECT_NE(read(dir / "g.json").find("\"score\": 0"), std::string::npos);
  r = check("verify --ref " + ref.string() + " " + fake(log(30), 3).string());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "exited with status 3\nFirst divergence at the exit status: expected 0, got 3.\n");
  EXPECT_EQ(check("verify --only draw --ref " + ref.string() + " " + fake(log(30), 3).string()).status, 0);
}

TEST_F(CheckRun, AFolderOfReferencesGivesOneLineEachByNameAndTheWorstStatus) {
  fs::path refs = dir / "refs";
  hand_reference(1, refs / "c-crashes", 30, "CRASH");
  hand_reference(1, refs / "a-passes", 30);
  hand_reference(1, refs / "b-diverges", 31);
  std::string program = fake(log(30), 0).string();
  Result r = check("verify -j2 --refs " + refs.string() + " --junit " + (dir / "j.xml").string() + " " + program);
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.out, "a-passes: passed\n"
                   "b-diverges: diverged\n"
                   "  First divergence at event 1 (script line 1): expected \"blue circle at (1,2), radius 31\", got "
                   "\"blue circle at (1,2), radius 30\".\n"
                   "c-crashes: crashed (signal SIGSEGV)\n"
                   "1 passed, 1 diverged, 1 failed to run\n");
  std::string junit = read(dir / "j.xml");
  EXPECT_NE(junit.find("tests=\"3\" failures=\"1\" errors=\"1\""), std::string::npos) << junit;
  // A reference that cannot be read is the heaviest outcome: the run as a whole cannot be trusted.
  hand_reference(2, refs / "d-unreadable");
  r = check("verify --refs " + refs.string() + " -j 3 " + program);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("d-unreadable: not checked: "), std::string::npos) << r.out;
  fs::remove_all(refs / "c-crashes");
  fs::remove_all(refs / "d-unreadable");
  EXPECT_EQ(check("verify --refs " + refs.string() + " " + program).status, 1);
  fs::remove_all(refs / "b-diverges");
  EXPECT_EQ(check("verify --refs " + refs.string() + " " + program).out, "a-passes: passed\n1 passed, 0 diverged\n");
}

TEST_F(CheckRun, AFolderOfScriptsIsRecordedOneReferenceEach) {
  write(dir / "one.scr", "TEVRA_KBD(27);\n");
  write(dir / "two.scr", "TEVRA_KBD(27);\n");
  write(dir / "notes.txt", "not a script\n");
  std::string program = fake(log(30), 0).string();
  Result r = check("record -j2 --scripts " + dir.string() + " --out " + (dir / "refs").string() + " " + program);
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "one.scr: recorded " + (dir / "refs" / "one").string() + ": status 0, 4 log records\ntwo.scr: recorded " +
                       (dir / "refs" / "two").string() + ": status 0, 4 log records\n");
  EXPECT_EQ(check("verify --refs " + (dir / "refs").string() + " " + program).out, "one: passed\ntwo: passed\n2 passed, 0 diverged\n");
}

// What a program drew or printed reaches the reports: a control character would make the JUnit
// file unreadable XML, and markup would change the page.
TEST(Reports, ProgramTextIsEscapedForXmlAndHtml) {
  EXPECT_EQ(check::markup_escape("a<b>\x01&\"'\tz\n"), "a&lt;b&gt;?&amp;&quot;&#39;\tz\n");
}

TEST_F(CheckRun, BadInputIsOneLineAndLeavesNothing) {
  fs::path ref = hand_reference(2);
  Result r = check("verify --ref " + ref.string() + " /bin/true");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("format version 2; this tevra-check reads version 1"), std::string::npos) << r.out;
  ref = hand_reference(1);
  std::string old = log(30);
  write(ref / "log.jsonl", old.replace(old.find("\"tevra_log\":2"), 13, "\"tevra_log\":1"));
  r = check("verify --ref " + ref.string() + " /bin/true");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("draw log of version 1; this tevra-check reads version 2"), std::string::npos) << r.out;
  write(ref / "log.jsonl", log(30) + "{\"frame\":1,\"ha\n");  // cut short
  r = check("verify --ref " + ref.string() + " /bin/true");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("log.jsonl: line 5 is not a JSON object"), std::string::npos) << r.out;
  ref = hand_reference(1);
  r = check("verify --ref " + ref.string() + " --junit " + dir.string() + " /bin/true");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(check("record --script " + dir.string() + " --out " + (dir / "new").string() + " /bin/true").status, 2);
  EXPECT_EQ(check("record --script " + (dir / "none.scr").string() + " --out " + (dir / "new").string() + " /bin/true").status, 2);
  EXPECT_FALSE(fs::exists(dir / "new"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1); // ref alone
}

TEST_F(CheckRun, ProgramsThatFailSayHow) {
  // The bad programs are built like everything else, so with sanitizers in a sanitizer build.
  const std::string ref = std::string(MEMORY_LIMIT) + " --ref " + hand_reference().string();
  EXPECT_EQ(check("verify " + ref + " " + (dir / "missing").string()).out, "not a program\n");
  Result r = check("verify " + ref + " " + BAD_PROGRAMS "/check_abort");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.out, "crashed (signal SIGABRT)\n");
  // A program named relative to where the checker starts, though it runs in a scratch folder.
  EXPECT_EQ(check("verify " + ref + " /no/such/folder/check_abort; cd " BAD_PROGRAMS " && " TEVRA_CHECK " verify " +
                  ref + " ./check_abort").out,
            "not a program\ncrashed (signal SIGABRT)\n");
  EXPECT_EQ(check("verify --timeout 1 " + ref + " " + BAD_PROGRAMS "/check_spin").out, "timed out after 1 s\n");
  EXPECT_EQ(check("verify " + ref + " /bin/true").out, "never opened TEVRA (no draw log)\n");
#ifndef TEVRA_CHECK_SANITIZED // sanitizers reserve more address space than any limit allows
  EXPECT_EQ(check("verify --memory 64 --ref " + hand_reference().string() + " " + BAD_PROGRAMS "/check_hog").out,
            "ran out of memory\n");
#endif
}

TEST_F(CheckRun, AnExampleRecordedThenVerifiedPasses) {
  std::string limits = MEMORY_LIMIT;
  std::string bounce = std::string(EXAMPLES) + "/bounce";
  Result r = check("record --frames " + limits + " --script " FROSTVEL_SOURCE_DIR "/examples/bounce.scr --out " +
                   (dir / "ref").string() + " " + bounce);
  if (r.out == "never opened TEVRA (no draw log)\n") GTEST_SKIP() << "this TEVRA writes no draw log yet";
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(fs::exists(dir / "ref" / "frames" / "frame-000000.png"));
  r = check("verify " + limits + " --ref " + (dir / "ref").string() + " " + bounce);
  EXPECT_EQ(r.out, "passed\n");
  // Another program on the same script draws something else, and the frame that differs is shown.
  r = check("verify " + limits + " --only frames --report " + (dir / "report").string() + " --ref " +
            (dir / "ref").string() + " " + std::string(EXAMPLES) + "/paint");
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_TRUE(fs::exists(dir / "report" / "diff.png")) << r.out;
}

} // namespace

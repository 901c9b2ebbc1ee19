// The font mapper's answers kept on disk: they must come back exactly as they were kept, and must
// not be used once anything they depend on has changed or the file is damaged.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "gdi/match_cache.h"
#include "gdi/regular_file.h"

using namespace winport::gdi::font;
namespace fs = std::filesystem;

namespace {

class MatchCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/match-cache-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    file_ = (dir_ / "cache" / "tevra" / "font-matches").string();  // folders made on saving
    write(dir_ / "fonts.conf", "<fontconfig/>");
    write(dir_ / "face.ttf", "face");
    request_.family = "odd\tname\n100% kept";
    request_.weight = 700;
    request_.fixed_pitch = true;
    choice_ = {(dir_ / "face.ttf").string(), 2};
  }
  void TearDown() override { fs::remove_all(dir_); }

  static void write(const fs::path &path, const std::string &text) { std::ofstream(path) << text; }

  // The answers a fresh run would find.
  std::optional<FaceChoice> found_afresh(const FaceRequest &request) const {
    MatchCache cache(file_);
    cache.load();
    return cache.find(request);
  }

  void keep() const {
    MatchCache cache(file_);
    cache.remember(request_, choice_, {(dir_ / "fonts.conf").string(), (dir_ / "user.conf").string()});
  }

  fs::path dir_;
  std::string file_;
  FaceRequest request_;
  FaceChoice choice_;
};

TEST_F(MatchCacheTest, AnswersComeBackExactlyAndOnlyForTheirOwnQuestion) {
  keep();
  auto found = found_afresh(request_);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->path, choice_.path);
  EXPECT_EQ(found->index, 2);
  FaceRequest other = request_;
  other.italic = true;
  EXPECT_FALSE(found_afresh(other).has_value());
}

TEST_F(MatchCacheTest, AnswersAreDroppedWhenWhatTheyDependOnChanges) {
  keep();
  write(dir_ / "fonts.conf", "<fontconfig><dir>/elsewhere</dir></fontconfig>");
  EXPECT_FALSE(found_afresh(request_).has_value()) << "a configuration file changed";

  keep();
  write(dir_ / "user.conf", "<fontconfig/>");
  EXPECT_FALSE(found_afresh(request_).has_value()) << "a configuration file appeared";

  keep();
  fs::remove(dir_ / "face.ttf");
  EXPECT_FALSE(found_afresh(request_).has_value()) << "the chosen face file went";

  keep();
  const char *lang = getenv("FC_LANG");
  const std::string saved = lang ? lang : "";
  setenv("FC_LANG", "xx-changed", 1);
  EXPECT_FALSE(found_afresh(request_).has_value()) << "the preferred language changed";
  if (lang) setenv("FC_LANG", saved.c_str(), 1); else unsetenv("FC_LANG");
}

TEST_F(MatchCacheTest, ADamagedFileIsIgnored) {
  keep();
  std::ifstream in(file_);
  const std::string good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t face_line = good.find("\nface\t");
  ASSERT_NE(face_line, std::string::npos);
  const std::string damaged[] = {
      good.substr(0, face_line / 2),                         // cut before its conditions end
      good.substr(0, face_line + 1) + "face\todd%G1\t700",  // a bad escape, fields missing
      good.substr(0, face_line + 1) + "face\tx\theavy\t0\t1\t0\t2\t/f",  // a weight that is no number
      good.substr(0, face_line + 1) + "dream\tof\tfonts\n",  // a record nobody writes
      "tevra font matches\t2\n" + good.substr(good.find('\n') + 1),  // another format
  };
  for (const std::string &text : damaged) {
    write(file_, text);
    EXPECT_FALSE(found_afresh(request_).has_value()) << text;
  }
}

// Runs `body` in a child that the alarm ends after a few seconds: a call that blocks fails the test
// instead of hanging it. True when the child got to the end of `body`.
template <typename Body>
bool finishes(Body body) {
  const pid_t child = fork();
  if (child == 0) {
    alarm(5);
    body();
    _exit(0);
  }
  int status = 0;
  return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(MatchCacheTest, AFifoWhereTheFileShouldBeNeitherBlocksNorCounts) {
  keep();
  fs::remove(file_);
  ASSERT_EQ(mkfifo(file_.c_str(), 0600), 0);
  EXPECT_TRUE(finishes([this] {
    if (found_afresh(request_)) _exit(2);
  })) << "reading answers from a FIFO";

  // A FIFO under the name of the file being written: the answers are still written, and kept.
  EXPECT_TRUE(finishes([this] {
    mkfifo((file_ + "." + std::to_string(getpid())).c_str(), 0600);
    keep();
    if (!found_afresh(request_)) _exit(2);
  })) << "writing answers past a FIFO";
}

TEST(RegularFile, OnlyRegularFilesOpenAndNothingWaits) {
  char pattern[] = "/tmp/regular-file-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const fs::path dir = pattern;
  const std::string fifo = (dir / "fifo").string(), file = (dir / "file").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::ofstream(file) << "twelve bytes";
  EXPECT_TRUE(finishes([&] {
    if (winport::gdi::open_regular_file(fifo.c_str()) != -1) _exit(2);
  }));
  EXPECT_EQ(winport::gdi::open_regular_file("/dev/zero"), -1);
  EXPECT_EQ(winport::gdi::open_regular_file(dir.c_str()), -1);
  size_t size = 0;
  const int fd = winport::gdi::open_regular_file(file.c_str(), &size);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(size, 12u);
  close(fd);
  fs::remove_all(dir);
}

}  // namespace

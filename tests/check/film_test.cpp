// tevra-check film and report.html, run as a teacher runs them, on the bounce example.
#include "film.h"
#include "frame_image.h"
#include "html_report.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

std::string run(const std::string &args, int *status) {
  FILE *pipe = popen((std::string(TEVRA_CHECK) + " " + args + " 2>&1").c_str(), "r");
  std::string out;
  std::array<char, 512> buffer;
  while (size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) out.append(buffer.data(), n);
  const int s = pclose(pipe);
  *status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
  return out;
}

std::string read(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

uint32_t be32(const std::string &s, size_t at) {
  return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 | uint32_t(uint8_t(s[at + 2])) << 8 |
         uint8_t(s[at + 3]);
}

// The APNG's frame count as acTL says it, and as its fcTL chunks count it.
std::pair<uint32_t, uint32_t> apng_frames(const std::string &png) {
  std::pair<uint32_t, uint32_t> counts{0, 0};
  for (size_t at = 8; at + 8 <= png.size(); at += 12 + be32(png, at)) {
    const std::string type = png.substr(at + 4, 4);
    if (type == "acTL") counts.first = be32(png, at + 8);
    if (type == "fcTL") ++counts.second;
  }
  return counts;
}

// The GIF's first frame, which covers the whole picture with the global palette.
img::Image gif_first_frame(const std::string &gif) {
  auto u16 = [&](size_t at) { return uint8_t(gif[at]) | uint8_t(gif[at + 1]) << 8; };
  img::Image image;
  image.width = u16(6);
  image.height = u16(8);
  const size_t palette_at = 13;
  size_t at = palette_at + 3 * (size_t{2} << (gif[10] & 7));
  while (gif[at] == 0x21) {  // extensions: their sub-blocks
    for (at += 2; gif[at] != 0; at += 1 + uint8_t(gif[at])) {}
    ++at;
  }
  at += 10;  // the image descriptor of the first frame: no palette of its own
  const int min_bits = gif[at++];
  std::string data;
  for (; gif[at] != 0; at += 1 + uint8_t(gif[at])) data += gif.substr(at + 1, uint8_t(gif[at]));
  std::vector<std::string> table;
  const int clear = 1 << min_bits;
  int width = min_bits + 1, previous = -1;
  std::string indices;
  for (size_t bit = 0; bit + width <= 8 * data.size();) {
    int code = 0;
    for (int i = 0; i < width; ++i, ++bit) code |= ((uint8_t(data[bit / 8]) >> (bit % 8)) & 1) << i;
    if (code == clear) {
      table.clear();
      for (int i = 0; i < clear + 2; ++i) table.push_back(std::string(1, char(i)));
      width = min_bits + 1;
      previous = -1;
      continue;
    }
    if (code == clear + 1) break;
    std::string entry = code < int(table.size()) ? table[code] : table[previous] + table[previous][0];
    if (previous >= 0) table.push_back(table[previous] + entry[0]);
    if (int(table.size()) >= (1 << width) && width < 12) ++width;
    indices += entry;
    previous = code;
  }
  for (unsigned char i : indices) {
    const size_t p = palette_at + 3 * i;
    image.pixels.push_back(uint32_t(uint8_t(gif[p])) << 16 | uint8_t(gif[p + 1]) << 8 | uint8_t(gif[p + 2]));
  }
  return image;
}

class Film : public ::testing::Test {
protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("film_test." + std::to_string(getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  // bounce recorded with its frames, as REF.
  fs::path bounce_reference() {
    int status;
    const std::string out = run("record " MEMORY_LIMIT " --frames --script " FROSTVEL_SOURCE_DIR
                                "/examples/bounce.scr --out " + (dir / "ref").string() + " " + EXAMPLES "/bounce",
                                &status);
    EXPECT_EQ(status, 0) << out;
    return dir / "ref";
  }
  fs::path dir;
};

TEST_F(Film, BounceIsFilmedFrameForFrame) {
  const fs::path ref = bounce_reference();
  img::Image first, frame, before;
  ASSERT_TRUE(img::read_png((ref / "frames" / "frame-000000.png").string(), &first));
  uint32_t changes = 0;  // equal frames in a row make one frame of the film
  for (long f = 0; img::read_png(check::frame_file((ref / "frames").string(), f), &frame); ++f, before = frame)
    changes += f == 0 || frame.pixels != before.pixels;
  int status;
  std::string out = run("film --gif --ref " + ref.string() + " --out " + (dir / "bounce").string(), &status);
  ASSERT_EQ(status, 0) << out;
  const std::string apng = read(dir / "bounce.png");
  EXPECT_EQ(apng_frames(apng), std::make_pair(changes, changes));
  ASSERT_TRUE(img::read_png((dir / "bounce.png").string(), &frame));  // the default image: frame 0
  EXPECT_EQ(frame.pixels, first.pixels);
  const img::Image gif = gif_first_frame(read(dir / "bounce.gif"));
  EXPECT_EQ(gif.width, first.width);
  EXPECT_EQ(gif.pixels, first.pixels);
  // Filmed from a run of the program, the film is the same.
  out = run("film " MEMORY_LIMIT " --script " FROSTVEL_SOURCE_DIR "/examples/bounce.scr --out " +
            (dir / "run.apng").string() + " " + EXAMPLES "/bounce", &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_EQ(read(dir / "run.apng"), apng);
}

TEST_F(Film, TicksAreSlowAndInputIsQuick) {
  std::vector<check::Record> log;
  for (const char *kind : {"periodic", "mouse", "kbd"})
    log.push_back({"event", {{"event", log.size() + 1}, {"kind", kind}}});
  EXPECT_EQ(check::frame_delays(log, 4), (std::vector<int>{check::kTickMs, check::kInputMs, check::kInputMs,
                                                            check::kLastMs}));
}

TEST_F(Film, BadInputIsOneLineAndLeavesNothing) {
  const fs::path ref = bounce_reference();
  fs::remove_all(ref / "frames");
  int status;
  EXPECT_NE(run("film --ref " + ref.string() + " --out " + (dir / "f").string(), &status).find("without frames"),
            std::string::npos);
  EXPECT_EQ(status, 2);
  run("film --script " + (dir / "none.scr").string() + " --out " + (dir / "f").string() + " /bin/true", &status);
  EXPECT_EQ(status, 2);
  run("film --ref " + ref.string() + " --out " + (dir / "no" / "f").string(), &status);
  EXPECT_EQ(status, 2);
  EXPECT_FALSE(fs::exists(dir / "f.png"));
  EXPECT_FALSE(fs::exists(dir / "no"));
}

TEST_F(Film, ReportShowsTheDivergenceInOnePage) {
  const fs::path ref = bounce_reference();
  int status;
  const std::string out = run("verify " MEMORY_LIMIT " --report " + (dir / "report").string() +
                              " --ref " + ref.string() + " " + EXAMPLES "/paint", &status);
  EXPECT_EQ(status, 1) << out;
  const std::string html = read(dir / "report" / "report.html");
  const size_t line = out.find('\n') + 1;
  const std::string paragraph = out.substr(line, out.find('\n', line) - line);
  EXPECT_NE(html.find(check::markup_escape(paragraph)), std::string::npos) << paragraph;
  size_t images = 0;
  for (size_t at = 0; (at = html.find("src=\"data:image/png;base64,", at)) != std::string::npos; ++at) ++images;
  EXPECT_GE(images, 3u);
  EXPECT_EQ(html.find("http"), std::string::npos);
  EXPECT_EQ(html.find("<script"), std::string::npos);
  // What a program draws reaches the page as text, never as markup.
  check::HtmlReport report;
  report.verification = {"p", false, "diverged", "got \"<script>alert(1)</script>\" & more"};
  EXPECT_EQ(check::html_report(report).find("<script>"), std::string::npos);
}

} // namespace

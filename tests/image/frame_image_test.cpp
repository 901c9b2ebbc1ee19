// The image module: PNG files that read back as written, the same bytes everywhere, whole files
// only, and frame hashes.
#include "frame_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

// A picture with every kind of row the encoder treats apart: long flat runs that end where those
// of the row above end, a gradient, short runs, noise, and a row that repeats the one above.
std::vector<uint32_t> picture(int w, int h, int stride) {
  std::vector<uint32_t> pixels(static_cast<size_t>(stride) * h, 0xAB000000u);  // high bytes: ignored
  uint32_t seed = 12345;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      seed = seed * 1103515245u + 12345u;
      uint32_t &p = pixels[static_cast<size_t>(y) * stride + x];
      const bool odd_run = (x / 5) % 2 != 0;
      switch (y % 5) {
        case 0: p = x < w * 2 / 3 ? 0x80FFEE00u : 0x00010101u * (x & 0xFF); break;
        case 1: p = x < w * 2 / 3 ? 0x00FFEE00u : odd_run ? 0x00102030u : 0x00405060u; break;
        case 2: p = odd_run ? 0x00708090u : 0x00405060u; break;
        case 3: p = (seed >> 8) | 0x5A000000u; break;
        default: p = pixels[static_cast<size_t>(y - 1) * stride + x] & 0xFFFFFF;
      }
    }
  return pixels;
}

uint64_t fnv1a(const std::vector<uint8_t> &bytes) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (uint8_t b : bytes) h = (h ^ b) * 0x100000001b3ull;
  return h;
}

std::vector<std::string> names_in(const fs::path &dir) {
  std::vector<std::string> names;
  for (const auto &entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  return names;
}

class PngFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("frame_image_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  fs::path dir;
};

#ifdef FRAME_IMAGE_TEST_READS
TEST_F(PngFiles, ReadBackAsWrittenWhateverTheSizeAndStride) {
  const struct { int w, h, stride; } sizes[] = {{1, 1, 1}, {1, 1, 4}, {601, 9, 613}, {7, 300, 8}, {97, 13, 97}};
  for (const auto &s : sizes) {
    const std::vector<uint32_t> pixels = picture(s.w, s.h, s.stride);
    const std::string path = (dir / "frame.png").string();
    std::string reason;
    ASSERT_TRUE(img::write_png(path, pixels.data(), s.w, s.h, s.stride, &reason)) << reason;
    img::Image back;
    ASSERT_TRUE(img::read_png(path, &back, &reason)) << reason;
    ASSERT_EQ(back.width, s.w);
    ASSERT_EQ(back.height, s.h);
    for (int y = 0; y < s.h; ++y)
      for (int x = 0; x < s.w; ++x)
        ASSERT_EQ(back.at(x, y), pixels[static_cast<size_t>(y) * s.stride + x] & 0xFFFFFF)
            << s.w << "x" << s.h << " at " << x << "," << y;
  }
}
#endif

TEST_F(PngFiles, TheSamePixelsGiveTheSameBytesOnEveryPlatform) {
  const std::vector<uint32_t> pixels = picture(601, 40, 640);
  const std::vector<uint8_t> bytes = img::encode_png(pixels.data(), 601, 40, 640);
  EXPECT_EQ(img::encode_png(pixels.data(), 601, 40, 640), bytes);
  // Recorded once; any platform, compiler or run that gives other bytes fails here.
  EXPECT_EQ(fnv1a(bytes), 0x932bb074f2d5cdfbull) << std::hex << fnv1a(bytes) << std::dec << ", " << bytes.size() << " bytes";
  EXPECT_TRUE(img::encode_png(pixels.data(), 601, 40, 600).empty());  // stride below the width
  EXPECT_TRUE(img::encode_png(nullptr, 1, 1, 1).empty());
}

TEST_F(PngFiles, AWriteReplacesTheOldFileAndLeavesNothingElse) {
  const std::vector<uint32_t> first(4, 0x112233u), second(4, 0x445566u);
  const std::string path = (dir / "frame.png").string();
  ASSERT_TRUE(img::write_png(path, first.data(), 2, 2, 2));
  ASSERT_TRUE(img::write_png(path, second.data(), 2, 2, 2));
  EXPECT_EQ(names_in(dir), std::vector<std::string>{"frame.png"});
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> written{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(written, img::encode_png(second.data(), 2, 2, 2));
}

TEST_F(PngFiles, AFolderThatCannotTakeTheFileGivesFalseAReasonAndNoFile) {
  const std::vector<uint32_t> pixels(4, 0x112233u);
  std::ofstream(dir / "plain-file") << "not a folder";
  const fs::path places[] = {dir / "missing" / "frame.png", dir / "plain-file" / "frame.png"};
  for (const fs::path &path : places) {
    std::string reason;
    EXPECT_FALSE(img::write_png(path.string(), pixels.data(), 2, 2, 2, &reason)) << path;
    EXPECT_FALSE(reason.empty()) << path;
  }
  EXPECT_EQ(names_in(dir), std::vector<std::string>{"plain-file"});
  // The rename fails when the final name is a folder: the temporary file must go too.
  fs::create_directories(dir / "taken.png" / "inside");
  std::string reason;
  EXPECT_FALSE(img::write_png((dir / "taken.png").string(), pixels.data(), 2, 2, 2, &reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_EQ(names_in(dir).size(), 2u);
}

TEST(FrameHash, OnePixelChangedChangesTheHash) {
  std::vector<uint32_t> pixels = picture(31, 17, 31);
  const uint64_t before = img::frame_hash(pixels.data(), 31, 17, 31);
  for (size_t i : {size_t{0}, size_t{3}, size_t{36}, size_t{200}, pixels.size() - 1}) {  // each lane, the tail
    pixels[i] ^= 0x000100u;
    EXPECT_NE(img::frame_hash(pixels.data(), 31, 17, 31), before) << i;
    pixels[i] ^= 0x000100u;
  }
  EXPECT_EQ(img::frame_hash(pixels.data(), 31, 17, 31), before);
  EXPECT_NE(img::frame_hash(pixels.data(), 17, 31, 17), before);  // the same words, another shape
}

TEST(FrameHash, DependsOnlyOnWhatIsShown) {
  const std::vector<uint32_t> wide = picture(31, 17, 40);
  std::vector<uint32_t> tight(31 * 17);
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 31; ++x) tight[y * 31 + x] = wide[y * 40 + x] & 0xFFFFFF;  // high byte cleared
  EXPECT_EQ(img::frame_hash(wide.data(), 31, 17, 40), img::frame_hash(tight.data(), 31, 17, 31));
  // Fixed by its definition (lanes and a tail), the same on every platform.
  std::vector<uint32_t> ramp(22);
  for (uint32_t i = 0; i < ramp.size(); ++i) ramp[i] = 0xFF000000u | (i * 0x010203u);
  EXPECT_EQ(img::frame_hash(ramp.data(), 11, 2, 11), 0xf3f04a14ed6fa799ull) << std::hex << img::frame_hash(ramp.data(), 11, 2, 11);
}

TEST(FrameHash, OutsideBoxesIgnoresWhatTheBoxesCover) {
  std::vector<uint32_t> pixels = picture(31, 17, 33);
  const img::Box boxes[] = {{2, 3, 10, 5}, {25, 10, 99, 99}, {5, 5, 5, 9}};  // the last one is empty
  const uint64_t before = img::frame_hash_outside(pixels.data(), 31, 17, 33, boxes, 3);
  pixels[4 * 33 + 9] ^= 0xFFFFFF;    // inside the first box (its last column and row)
  pixels[16 * 33 + 30] ^= 0xFFFFFF;  // inside the second, clipped to the frame
  EXPECT_EQ(img::frame_hash_outside(pixels.data(), 31, 17, 33, boxes, 3), before);
  pixels[5 * 33 + 9] ^= 0xFFFFFF;  // just below the first box
  EXPECT_NE(img::frame_hash_outside(pixels.data(), 31, 17, 33, boxes, 3), before);
  // With no boxes it is the frame hash.
  EXPECT_EQ(img::frame_hash_outside(pixels.data(), 31, 17, 33, nullptr, 0), img::frame_hash(pixels.data(), 31, 17, 33));
}

}  // namespace

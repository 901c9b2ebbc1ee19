// The SDL display's scale: which one a screen gets, and how positions, sizes, mouse coordinates and
// pixels cross it.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "display/sdl_scale.h"

namespace winport::display::sdl_scale {
namespace {

TEST(SdlScale, WinportScaleWinsOnlyWhenItIsAWholeNumberFrom1To8) {
  EXPECT_EQ(choose("3", 1024), 3);
  EXPECT_EQ(choose("1", 3840), 1);
  EXPECT_EQ(choose("8", 0), 8);
  for (const char *bad : {"0", "9", "2x", "-2"}) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(choose(bad, 2560), 2) << bad;
    EXPECT_NE(testing::internal::GetCapturedStderr().find(std::string("WINPORT_SCALE=") + bad), std::string::npos);
  }
  testing::internal::CaptureStderr();
  EXPECT_EQ(choose("", 1024), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "an empty WINPORT_SCALE is simply unset";
}

TEST(SdlScale, DesktopsFrom2560PixelsWideAreDoubled) {
  EXPECT_EQ(choose(nullptr, 2559), 1);
  EXPECT_EQ(choose(nullptr, 2560), 2);
  EXPECT_EQ(choose(nullptr, 0), 1);  // desktop size unknown
}

TEST(SdlScale, MouseCoordinatesRoundTowardMinusInfinity) {
  const int in[] = {0, 1, 2, 3, -1, -2, -3};
  const int out[] = {0, 0, 1, 1, -1, -1, -2};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(unscale(in[i], 2), out[i]) << in[i];
  EXPECT_EQ(unscale(-5, 1), -5);
}

TEST(SdlScale, PlacementIsBoundedBeforeItIsScaled) {
  Placement p = place(10, -20, 300, 200, 2);
  EXPECT_EQ((std::vector<int>{p.x, p.y, p.width, p.height}), (std::vector<int>{20, -40, 600, 400}));
  p = place(INT_MIN, INT_MAX, 0, INT_MAX, 8);
  EXPECT_EQ((std::vector<int>{p.x, p.y, p.width, p.height}), (std::vector<int>{-131072, 131072, 8, 131072}));
}

// A 2 x 2 image in rows of 3 pixels (the third is padding that must never show) onto a surface
// whose rows are 6 pixels long.
class CopyScaled : public testing::Test {
 protected:
  static constexpr uint32_t kUntouched = 0x12345678;
  const uint32_t image[6] = {0x000001, 0x000002, 0xDEAD, 0x000003, 0x000004, 0xDEAD};
  std::vector<uint32_t> surface = std::vector<uint32_t>(6 * 8, kUntouched);
  uint32_t at(int x, int y) const { return surface[static_cast<size_t>(y) * 6 + static_cast<size_t>(x)]; }
};

TEST_F(CopyScaled, EveryPixelBecomesAFilledBlock) {
  copy_scaled(image, 2, 2, 3, 3, surface.data(), 6, 8, 6 * 4, 0xFF000000u);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(at(x, y), 0xFF000000u | image[(y / 3) * 3 + x / 3]) << x << "," << y;
  for (int x = 0; x < 6; ++x) EXPECT_EQ(at(x, 6), kUntouched);
}

TEST_F(CopyScaled, BlocksThatDoNotFitWholeAreLeftOut) {
  copy_scaled(image, 2, 2, 3, 3, surface.data(), 5, 4, 6 * 4, 0);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 6; ++x)
      EXPECT_EQ(at(x, y), x < 3 && y < 3 ? image[0] : kUntouched) << x << "," << y;
}

TEST_F(CopyScaled, AtScale1RowsFollowTheStride) {
  copy_scaled(image, 2, 2, 3, 1, surface.data(), 6, 8, 6 * 4, 0);
  EXPECT_EQ((std::vector<uint32_t>{at(0, 0), at(1, 0), at(2, 0), at(0, 1), at(1, 1), at(2, 1)}),
            (std::vector<uint32_t>{1, 2, kUntouched, 3, 4, kUntouched}));
}

}  // namespace
}  // namespace winport::display::sdl_scale

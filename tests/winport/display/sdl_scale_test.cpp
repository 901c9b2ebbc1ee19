// The SDL display's scale: how window positions, sizes and mouse coordinates cross it.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "display/sdl_scale.h"

namespace winport::display::sdl_scale {
namespace {

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

}  // namespace
}  // namespace winport::display::sdl_scale

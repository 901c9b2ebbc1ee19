// What moves on every periodic event: clouds, drip and the sun's look; and the fades of the texts.
#include <gtest/gtest.h>

#include <vector>

#include "game.h"
#include "tevra.h"

namespace {

TEST(Scenery, CloudThreeTrailsCloudTwoFromTheFirstTick) {
  GameState s = new_game_state();
  advance_scenery(s.cloud1_x, s.cloud2_x, s.cloud3_x, s.drip_y);
  EXPECT_EQ(s.cloud1_x, 290);
  EXPECT_EQ(s.cloud2_x, -5);
  EXPECT_EQ(s.cloud3_x, -12);
  EXPECT_EQ(s.drip_y, -25);
}

TEST(Scenery, CloudOneWrapsAfterSixtyOneTicks) {
  GameState s = new_game_state();
  for (int i = 0; i < 60; ++i) advance_scenery(s.cloud1_x, s.cloud2_x, s.cloud3_x, s.drip_y);
  EXPECT_EQ(s.cloud1_x, -300);
  advance_scenery(s.cloud1_x, s.cloud2_x, s.cloud3_x, s.drip_y);
  EXPECT_EQ(s.cloud1_x, 300);
}

TEST(Scenery, CloudTwoAndThreeWrapToTheRightEdge) {
  GameState s = new_game_state();
  s.cloud2_x = -295;
  advance_scenery(s.cloud1_x, s.cloud2_x, s.cloud3_x, s.drip_y);
  EXPECT_EQ(s.cloud2_x, -300);
  EXPECT_EQ(s.cloud3_x, 300);  // -307 is off the left edge
  advance_scenery(s.cloud1_x, s.cloud2_x, s.cloud3_x, s.drip_y);
  EXPECT_EQ(s.cloud2_x, 300);
  EXPECT_EQ(s.cloud3_x, 293);
}

TEST(Scenery, TheDripFallsThroughSixPositions) {
  GameState s = new_game_state();
  std::vector<int32_t> seen;
  for (int i = 0; i < 12; ++i) {
    advance_scenery(s.cloud1_x, s.cloud2_x, s.cloud3_x, s.drip_y);
    seen.push_back(s.drip_y);
  }
  EXPECT_EQ(seen, (std::vector<int32_t>{-25, -75, -125, -175, -225, 25, -25, -75, -125, -175, -225, 25}));
}

TEST(Sun, ItsLookChangesEverySecondTick) {
  GameState s = new_game_state();
  std::vector<int32_t> styles;
  for (int i = 0; i < 10; ++i) {
    advance_sun(s.tick_count, s.sun_phase, s.sun_style);
    styles.push_back(s.sun_style);
  }
  EXPECT_EQ(styles, (std::vector<int32_t>{1, 1, 2, 2, 3, 3, 0, 0, 1, 1}));
  EXPECT_EQ(s.tick_count, 10);
}

TEST(Fades, GrayWhiteGray) {
  std::vector<int32_t> colours;
  for (int f = 4; f <= 22; ++f) colours.push_back(fade_color(f, 5, 21));
  const int32_t G = TEVRA_GRAY_50, L = TEVRA_GRAY_20, W = TEVRA_WHITE;
  EXPECT_EQ(colours, (std::vector<int32_t>{-1, G, L, W, W, W, W, W, W, W, W, W, W, W, W, W, L, G, -1}));
}

}  // namespace

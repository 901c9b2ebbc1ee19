// Clicks of the building phase: the control panel, the ice cream and the toppings.
#include <gtest/gtest.h>

#include "game.h"
#include "tevra.h"

namespace {

// The panel row r is clicked at its middle.
int32_t row_y(int32_t row) { return 245 - 25 * row - 12; }

struct Game : ::testing::Test {
  GameState s = new_game_state();

  void panel(int32_t row) { panel_at(-240, row_y(row)); }
  void panel_at(int32_t x, int32_t y) {
    handle_panel_click(x, y, s.scoop_count, s.topping_color, s.topping_kind, s.topping_count, s.status, s.selected,
                       s.done);
  }
  void cone(int32_t x, int32_t y) {
    handle_cone_click(x, y, s.scoop_count, s.topping_count, s.topping_color, s.topping_kind, s.topping_x,
                      s.topping_y, s.status, s.selected);
  }
};

TEST(PanelArea, FrameLinesAreOutsideAndTheInsideIsAllRows) {
  EXPECT_EQ(in_panel(-294, 244), 1);
  EXPECT_EQ(in_panel(-186, -229), 1);
  EXPECT_EQ(in_panel(-295, 100), 0);
  EXPECT_EQ(in_panel(-185, 100), 0);
  EXPECT_EQ(in_panel(-240, 245), 0);
  EXPECT_EQ(in_panel(-240, -230), 0);
  EXPECT_EQ(in_panel(0, 0), 0);
}

TEST_F(Game, NewGameHasOneScoopNoToppingsAndZeroedSlots) {
  EXPECT_EQ(s.scoop_count, 1);
  EXPECT_EQ(s.topping_count, 0);
  EXPECT_EQ(s.status, STATUS_ADD_TOPPING);
  EXPECT_EQ(s.selected, 0);
  for (int i = 0; i < TOPPING_SLOTS; ++i) {
    EXPECT_EQ(s.topping_kind[i], TOPPING_CHIP);
    EXPECT_EQ(s.topping_color[i], TEVRA_BLACK);
  }
}

TEST_F(Game, ScoopButtonsStayWithinOneToThree) {
  panel(1);
  EXPECT_EQ(s.scoop_count, 1);
  panel(0);
  panel(0);
  panel(0);
  EXPECT_EQ(s.scoop_count, 3);
  panel(1);
  EXPECT_EQ(s.scoop_count, 2);
}

TEST_F(Game, ModeButtonsAndEat) {
  panel(3);
  EXPECT_EQ(s.status, STATUS_SELECT_TOPPING);
  panel(4);
  EXPECT_EQ(s.status, STATUS_ADD_TOPPING);
  EXPECT_EQ(s.done, 0);
  panel(2);
  EXPECT_EQ(s.done, 1);
}

TEST_F(Game, ALowerFrameLineBelongsToTheButtonBelow) {
  panel_at(-240, 220);  // the line between "Add Scoop" and "Remove Scoop"
  EXPECT_EQ(s.scoop_count, 1);
  panel_at(-240, 221);
  EXPECT_EQ(s.scoop_count, 2);
  panel_at(-240, -229);  // lowest point of the panel: the sprinkle sample
  EXPECT_EQ(s.topping_kind[0], TOPPING_SPRINKLE);
}

TEST_F(Game, ChangeColorCyclesThroughAllTwentyFourColours) {
  s.topping_color[0] = 5;
  for (int i = 0; i < 24; ++i) panel(5);
  EXPECT_EQ(s.topping_color[0], 5);
  s.topping_color[0] = 23;
  panel(5);
  EXPECT_EQ(s.topping_color[0], 0);
}

TEST_F(Game, SwatchesAndSamplesChangeTheSelectedSlotOnly) {
  s.selected = 4;
  for (int k = 0; k < 10; ++k) {
    panel(6 + k);
    EXPECT_EQ(s.topping_color[4], k);
  }
  panel(16);
  EXPECT_EQ(s.topping_kind[4], TOPPING_CHIP);
  panel(17);
  EXPECT_EQ(s.topping_kind[4], TOPPING_CANDY);
  panel(18);
  EXPECT_EQ(s.topping_kind[4], TOPPING_SPRINKLE);
  EXPECT_EQ(s.topping_color[0], 0);
  EXPECT_EQ(s.topping_kind[0], TOPPING_CHIP);
  EXPECT_EQ(s.status, STATUS_ADD_TOPPING);
}

TEST(IceCream, OnlyTheUpperHalfOfTheBottomScoopCounts) {
  EXPECT_EQ(on_ice_cream(0, 25, 1), 0);
  EXPECT_EQ(on_ice_cream(40, 20, 1), 0);
  EXPECT_EQ(on_ice_cream(0, 26, 1), 1);
  EXPECT_EQ(on_ice_cream(0, 81, 1), 1);
  EXPECT_EQ(on_ice_cream(0, 82, 1), 0);  // exactly 57 away
}

TEST(IceCream, UpperScoopsAreTestedSixUnitsAboveWhereTheyAreDrawn) {
  EXPECT_EQ(on_ice_cream(0, 140, 2), 1);
  EXPECT_EQ(on_ice_cream(0, 145, 2), 0);
  EXPECT_EQ(on_ice_cream(50, 60, 2), 0);
  EXPECT_EQ(on_ice_cream(0, 140, 1), 0);
  EXPECT_EQ(on_ice_cream(0, 204, 3), 1);
  EXPECT_EQ(on_ice_cream(0, 204, 2), 0);
}

TEST(IceCream, FarOffPointsAreNeverOnIt) {
  EXPECT_EQ(on_ice_cream(INT32_MAX, INT32_MAX, 3), 0);
  EXPECT_EQ(on_ice_cream(INT32_MIN, INT32_MIN, 3), 0);
  EXPECT_EQ(on_ice_cream(0, INT32_MIN, 3), 0);
}

TEST_F(Game, AClickOnTheIceCreamAddsASelectedRedCandy) {
  cone(10, 40);
  ASSERT_EQ(s.topping_count, 1);
  EXPECT_EQ(s.topping_x[0], 10);
  EXPECT_EQ(s.topping_y[0], 40);
  EXPECT_EQ(s.topping_kind[0], TOPPING_CANDY);
  EXPECT_EQ(s.topping_color[0], TEVRA_RED);
  EXPECT_EQ(s.selected, 0);
  EXPECT_EQ(s.status, STATUS_TOPPING_SELECTED);
}

TEST_F(Game, AClickOffTheIceCreamChangesNothing) {
  cone(0, 10);
  cone(200, 200);
  EXPECT_EQ(s.topping_count, 0);
  EXPECT_EQ(s.status, STATUS_ADD_TOPPING);
}

TEST_F(Game, TheEleventhToppingIsRefused) {
  for (int i = 0; i < 11; ++i) {
    panel(4);
    cone(i, 50);
  }
  EXPECT_EQ(s.topping_count, 10);
  EXPECT_EQ(s.status, STATUS_ADD_TOPPING);
  EXPECT_EQ(s.selected, 9);
  EXPECT_EQ(s.topping_x[9], 9);
}

TEST_F(Game, InSelectedModeAClickMovesTheSelectedTopping) {
  cone(10, 40);
  cone(-20, 60);
  EXPECT_EQ(s.topping_count, 1);
  EXPECT_EQ(s.topping_x[0], -20);
  EXPECT_EQ(s.topping_y[0], 60);
  cone(0, 0);  // off the ice cream: stays
  EXPECT_EQ(s.topping_x[0], -20);
}

TEST_F(Game, SelectingPicksTheLastToppingWithinReach) {
  cone(0, 40);
  panel(4);
  cone(5, 40);
  panel(4);
  cone(30, 60);
  panel(3);
  cone(2, 41);  // within 8 of the first two
  EXPECT_EQ(s.selected, 1);
  EXPECT_EQ(s.status, STATUS_TOPPING_SELECTED);

  panel(3);
  cone(37, 60);  // exactly 7 away from the third
  EXPECT_EQ(s.selected, 2);
  panel(3);
  cone(38, 60);  // exactly 8 away: out of reach
  EXPECT_EQ(s.selected, 2);
  EXPECT_EQ(s.status, STATUS_SELECT_TOPPING);
}

TEST_F(Game, AToppingLeftOffTheIceCreamCannotBeSelected) {
  panel(0);
  cone(0, 120);  // on the second scoop
  panel(1);      // ... which is removed again
  panel(3);
  cone(0, 120);
  EXPECT_EQ(s.status, STATUS_SELECT_TOPPING);
  EXPECT_EQ(s.topping_x[0], 0);
  EXPECT_EQ(s.topping_y[0], 120);
}

TEST_F(Game, ColourButtonsStillRecolourTheLastToppingAfterAddTopping) {
  cone(0, 40);
  panel(4);
  panel(6 + 4);  // blue
  EXPECT_EQ(s.topping_color[0], TEVRA_BLUE);
  EXPECT_EQ(s.status, STATUS_ADD_TOPPING);
}

}  // namespace

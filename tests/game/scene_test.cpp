// What the scene, intro and farewell routines draw, read from the library's description of every
// drawing call on the console (logging on, headless display).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game.h"
#include "tevra.h"
#include "tevra/testing.h"
#include "winport/headless.h"
#include "winport/scripted_input.h"

namespace {

using Lines = std::vector<std::string>;

class Drawing : public ::testing::Test {
 protected:
  void SetUp() override {
    winport::headless::use();
    winport::scripted::reset();
    tevra_testing_reset();
    char command_line[] = "";
    tevra_open(nullptr, nullptr, command_line, 1);
    tevra_set_logging(1);
    tevra_testing_set_console_hook(
        [](const char *line, void *ctx) { static_cast<Lines *>(ctx)->push_back(line); }, &lines_);
  }
  void TearDown() override {
    tevra_close();
    tevra_testing_reset();
    winport::scripted::reset();
  }

  // The lines written since the last call.
  Lines take() {
    Lines taken;
    taken.swap(lines_);
    return taken;
  }
  static size_t count(const Lines &lines, const std::string &part) {
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string &l) { return l.find(part) != std::string::npos; });
  }

 private:
  Lines lines_;
};

TEST_F(Drawing, ScoopsAreDrawnTopFirst) {
  draw_scoops(1);
  EXPECT_EQ(take(), (Lines{"orange circle at (0,25), radius 57\n"}));
  draw_scoops(3);
  EXPECT_EQ(take(), (Lines{"gold circle at (0,142), radius 57\n", "magenta circle at (0,82), radius 57\n",
                           "orange circle at (0,25), radius 57\n"}));
}

TEST_F(Drawing, SunOutlinesFollowItsStyle) {
  for (int32_t style : {0, 1, 2, 3}) {
    draw_sun(220, 180, style);
    const Lines lines = take();
    EXPECT_EQ(count(lines, "yellow triangle"), 8u) << style;
    EXPECT_EQ(count(lines, "orange triangle"), (style == 1 || style == 3) ? 8u : 0u) << style;
    EXPECT_EQ(count(lines, "red triangle"), style == 2 ? 8u : 0u) << style;
    EXPECT_EQ(lines.back(), "red circle at (220,180), radius 40\n") << style;
  }
}

TEST_F(Drawing, ToppingsByKindAndAnUnknownKindAsOops) {
  const int32_t xs[] = {0, 20, 40, 60}, ys[] = {50, 60, 70, 80};
  const int32_t kinds[] = {TOPPING_CHIP, TOPPING_CANDY, TOPPING_SPRINKLE, 7};
  const int32_t colours[] = {TEVRA_BLUE, TEVRA_GREEN, TEVRA_CYAN, TEVRA_BLUE};
  draw_toppings(xs, ys, kinds, colours, 4);
  EXPECT_EQ(take(), (Lines{
                        "brown triangle at (-7,43), (7,43), (0,57)\n",  // a chip is brown whatever its colour
                        "green circle at (20,60), radius 8\n",
                        "white text at (18,58), \"m\"\n",
                        "cyan rectangle with bounding box (40,73) to (50,70), filled\n",
                        "white text at (58,78), \"Oops\"\n",
                    }));
  draw_toppings(xs, ys, kinds, colours, 0);
  EXPECT_TRUE(take().empty());
}

TEST_F(Drawing, StatusLineForEachModeAndAnUnknownOne) {
  draw_status_line(STATUS_TOPPING_SELECTED);
  draw_status_line(0);
  EXPECT_EQ(take(), (Lines{
                        "red text at (-130,-215), "
                        "\"Topping selected. Click cone to move it, or a button to alter it.\"\n",
                        "black text at (-130,-215), \"Status error -- this status code not implemented\"\n",
                    }));
}

TEST_F(Drawing, ThePanelPressesTheButtonOfTheMode) {
  const int32_t colours[TOPPING_SLOTS] = {TEVRA_BLUE};
  int32_t selected = 0;
  draw_panel(STATUS_ADD_TOPPING, colours, selected);
  Lines lines = take();
  EXPECT_EQ(lines.size(), 120u);
  // Pressed "Add Topping": its top and left edges dark, the lower and right edges white.
  EXPECT_EQ(count(lines, "50% gray line from (-295,145) to (-185,145), width 1"), 1u);
  EXPECT_EQ(count(lines, "white line from (-295,121) to (-185,121), width 1"), 1u);
  // The kind samples show the selected slot's colour (a chip stays brown).
  EXPECT_EQ(count(lines, "blue circle at (-275,-192), radius 8"), 1u);
  EXPECT_EQ(count(lines, "blue rectangle with bounding box (-280,-214) to (-270,-217), filled"), 1u);

  draw_panel(STATUS_SELECT_TOPPING, colours, selected);
  EXPECT_EQ(count(take(), "50% gray line from (-295,170) to (-185,170), width 1"), 1u);
  draw_panel(STATUS_TOPPING_SELECTED, colours, selected);
  EXPECT_EQ(take().size(), 115u);
}

TEST_F(Drawing, AFullRedrawStaysWithinItsBudgetOfCalls) {
  GameState s = new_game_state();
  redraw_scene(s);
  EXPECT_EQ(take().size(), 155u);  // "Add Topping" pressed, plain sun, one scoop

  s.status = STATUS_TOPPING_SELECTED;
  redraw_scene(s);
  EXPECT_EQ(take().size(), 150u);

  s.scoop_count = 3;
  s.topping_count = 10;
  for (int i = 0; i < 10; ++i) s.topping_kind[i] = TOPPING_CANDY;
  s.status = STATUS_SELECT_TOPPING;
  s.sun_style = 2;
  redraw_scene(s);
  EXPECT_EQ(take().size(), 185u);
}

TEST_F(Drawing, IntroFramesFortyAndFortyTwoPaintNoBackground) {
  play_intro_frame(39);
  Lines lines = take();
  EXPECT_EQ(lines.front(), "black rectangle with bounding box (-300,250) to (300,-250), filled\n");
  EXPECT_EQ(count(lines, "white text at (-225,-8), \"FROSTVEL\""), 1u);

  play_intro_frame(40);
  lines = take();
  EXPECT_EQ(lines.front(), "orange circle at (0,25), radius 57\n");
  EXPECT_EQ(count(lines, "20% gray text at (-225,-8), \"FROSTVEL\""), 1u);
  EXPECT_EQ(count(lines, "rectangle"), 1u);  // the cone's top, no credits box

  play_intro_frame(41);
  lines = take();
  EXPECT_EQ(lines.front(), "50% gray rectangle with bounding box (-300,250) to (300,-250), filled\n");
  EXPECT_EQ(count(lines, "50% gray text at (-225,-8), \"FROSTVEL\""), 1u);

  play_intro_frame(42);
  EXPECT_EQ(take().size(), 4u);  // scoop, cone (two shapes) and the caption
}

TEST_F(Drawing, IntroTextsAppearInTheirFrames) {
  play_intro_frame(4);
  Lines lines = take();
  EXPECT_EQ(count(lines, " text at "), 3u);  // the credits box only
  play_intro_frame(8);
  lines = take();
  EXPECT_EQ(count(lines, "white text at (-75,-5), \"CREATED BY\""), 1u);
  EXPECT_EQ(count(lines, "white text at (-150,-40), \"TARVIN OSK\""), 1u);
  EXPECT_EQ(count(lines, "white text at (-160,230)"), 1u);  // the caption, from frame 8 on
}

TEST_F(Drawing, FarewellCarriesTheConeAwayWithoutToppings) {
  GameState s = new_game_state();
  s.scoop_count = 3;
  s.topping_count = 1;
  s.topping_kind[0] = TOPPING_CANDY;
  s.topping_x[0] = 0;
  s.topping_y[0] = 100;
  auto frame = [&](int32_t f) {
    play_farewell_frame(f, s.scoop_count, s.topping_count, s.topping_color, s.topping_kind, s.topping_x,
                        s.topping_y, s.status, s.selected, s.sun_style);
    return take();
  };

  Lines lines = frame(10);
  EXPECT_EQ(count(lines, "circle at (0,100), radius 8"), 1u);   // the candy, in place
  EXPECT_EQ(count(lines, "peach circle at (0,-100), radius 40"), 1u);  // the hand on the cone

  lines = frame(11);
  EXPECT_EQ(count(lines, "radius 8"), 0u);
  EXPECT_EQ(count(lines, "gold circle at (25,142), radius 57"), 1u);
  EXPECT_EQ(count(lines, "orange circle at (25,25), radius 57"), 1u);
  EXPECT_EQ(count(lines, "brown triangle at (25,-175), (-35,5), (85,5)"), 1u);
  EXPECT_EQ(count(lines, "peach circle at (25,-100), radius 40"), 1u);

  EXPECT_EQ(frame(42), frame(59));
}

TEST_F(Drawing, FarewellBandOpensAndTheGoodbyeSignDrops) {
  GameState s = new_game_state();
  auto frame = [&](int32_t f) {
    play_farewell_frame(f, s.scoop_count, s.topping_count, s.topping_color, s.topping_kind, s.topping_x,
                        s.topping_y, s.status, s.selected, s.sun_style);
    return take();
  };
  const int32_t half_widths[] = {1, 50, 100, 150, 200, 250};
  for (int32_t f = 20; f <= 25; ++f) {
    const int32_t b = half_widths[f - 20];
    const std::string band = "black rectangle with bounding box (" + std::to_string(-b) + ",250) to (" +
                             std::to_string(b) + ",-250), filled";
    const Lines lines = frame(f);
    EXPECT_EQ(count(lines, band), 1u) << "frame " << f;
    EXPECT_EQ(count(lines, "peach"), 0u) << "frame " << f;  // the arm has gone
  }
  const int32_t heights[] = {250, 200, 150, 100, 50, 0, 0};
  for (int32_t f = 36; f <= 43; ++f) {
    const Lines lines = frame(f);
    const size_t signs = count(lines, "yellow circle at (0,");
    if (f == 36) {
      EXPECT_EQ(signs, 0u);
      continue;
    }
    const std::string sign = "yellow circle at (0," + std::to_string(heights[f - 37]) + "), radius 150";
    EXPECT_EQ(signs, 1u) << "frame " << f;
    EXPECT_EQ(count(lines, sign), 1u) << "frame " << f;
  }
}

TEST_F(Drawing, TheLargestTextsAreCappedWithAMessageEvenWithLoggingOff) {
  tevra_set_logging(0);
  GameState s = new_game_state();
  play_farewell_frame(30, s.scoop_count, s.topping_count, s.topping_color, s.topping_kind, s.topping_x,
                      s.topping_y, s.status, s.selected, s.sun_style);
  EXPECT_EQ(take(), (Lines{"ptsize of 400 not possible, using ptsize 127\n"}));
  play_farewell_frame(45, s.scoop_count, s.topping_count, s.topping_color, s.topping_kind, s.topping_x,
                      s.topping_y, s.status, s.selected, s.sun_style);
  EXPECT_EQ(take(), (Lines{"ptsize of 200 not possible, using ptsize 127\n"}));
}

}  // namespace

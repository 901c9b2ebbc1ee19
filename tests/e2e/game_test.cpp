// Whole games from script files, headless: what the player sees, frame by frame, and how it ends.
//
// Frame N is the canvas when the game waits after handling scripted event N; the first 44 periodic
// events are the intro, so frame k + 1 shows intro frame k.
#include <gtest/gtest.h>

#include <algorithm>

#include "play.h"
#include "winport/headless.h"
#include "winport/scripted_input.h"

namespace {

using namespace e2e;

constexpr const char *WINDOW = "TEVRA Graphics";
constexpr UINT MENU_QUIT = 8;

#define EXPECT_PIXEL(game, frame, x, y, colour) \
  EXPECT_EQ(hex((game).pixel(frame, x, y)), hex(colour)) << "frame " << (frame) << " at (" << (x) << ", " << (y) << ")"

std::set<long> range(long first, long last) {
  std::set<long> frames;
  for (long f = first; f <= last; ++f) frames.insert(f);
  return frames;
}

size_t lines_starting(const Game &game, const std::string &start) {
  return std::count_if(game.console.begin(), game.console.end(),
                       [&](const std::string &line) { return line.rfind(start, 0) == 0; });
}

// The farewell writes one point-size message per frame with "YUM" (11 frames) and with "BYE" (23).
void expect_whole_farewell(const Game &game) {
  EXPECT_EQ(lines_starting(game, "ptsize of 400 not possible"), 11u);
  EXPECT_EQ(lines_starting(game, "ptsize of 200 not possible"), 23u);
}

TEST(Intro, FortyFourFramesThenTheBuildingScene) {
  Game game;
  game.keep = {1, 41, 42, 43, 44, 45, 46};
  EXPECT_EQ(game.play(periodic(46)), frostvel::kScriptEnded);
  ASSERT_EQ(game.result.report.frames, 47);

  // Intro frame 0: black, the orange scoop on its brown cone.
  EXPECT_PIXEL(game, 1, -200, 150, BLACK);
  EXPECT_PIXEL(game, 1, 0, 60, ORANGE);
  EXPECT_PIXEL(game, 1, 0, -100, BROWN);
  EXPECT_PIXEL(game, 1, 290, -240, WHITE);  // the credits box
  // Intro frames 40 and 42 paint no background: the picture before stays under them.
  EXPECT_PIXEL(game, 41, -200, 150, BLACK);
  EXPECT_PIXEL(game, 41, 290, -240, WHITE);
  EXPECT_PIXEL(game, 42, -200, 150, GRAY_50);
  EXPECT_PIXEL(game, 42, 290, -240, GRAY_20);
  EXPECT_PIXEL(game, 43, -200, 150, GRAY_50);
  EXPECT_PIXEL(game, 43, 290, -240, GRAY_20);
  // The last intro frame is 20% gray.
  EXPECT_PIXEL(game, 44, -200, 150, GRAY_20);
  // The 45th periodic event is the building phase's first: sky, panel, and clouds that move.
  EXPECT_PIXEL(game, 45, 100, 230, ICE_BLUE);
  EXPECT_PIXEL(game, 45, -190, 0, GRAY_20);
  EXPECT_PIXEL(game, 45, 220, 180, RED);  // the sun's disc
  EXPECT_FALSE(game.same(45, 46));
}

TEST(Intro, QuitFromTheMenuStartsTheBuildingPhaseAtOnce) {
  Game game;
  game.keep = range(1, 16);
  game.at_wait = [](long frame) {
    if (frame == 5) winport::scripted::menu_command(WINDOW, MENU_QUIT);
  };
  EXPECT_EQ(game.play(periodic(10) + panel(EAT) + periodic(60)), 0);
  EXPECT_EQ(game.result.report.frames, 10 + 1 + 60 + 1 + 1) << "the quit is one more event";

  long first_building = 0;
  for (long f = 1; f <= 16 && !first_building; ++f) {
    if (game.pixel(f, 100, 230) == ICE_BLUE) first_building = f;
  }
  ASSERT_GT(first_building, 2);
  EXPECT_LT(first_building, 11) << "the intro ran on after the quit";
  EXPECT_TRUE(game.same(first_building - 2, first_building - 1)) << "the quit itself draws nothing";
  for (long f = 1; f < first_building; ++f) EXPECT_PIXEL(game, f, -200, 150, BLACK);
  expect_whole_farewell(game);
}

TEST(Intro, KeysAndClicksChangeNothing) {
  Game game;
  game.keep = {3, 4, 6};
  EXPECT_EQ(game.play(periodic(3) + key('a') + click(0, 40) + click(-240, 233) + periodic(41) + panel(EAT) +
                      periodic(60)),
            0);
  EXPECT_TRUE(game.same(3, 4));
  EXPECT_TRUE(game.same(3, 6));
  EXPECT_EQ(game.result.report.frames, 3 + 3 + 41 + 1 + 60 + 1) << "the game used every event";
}

TEST(Building, EveryPanelRow) {
  Game game;
  game.keep = {45, 46, 48, 49, 50, 51, 53};
  std::string script = periodic(44);
  script += panel(ADD_SCOOP) + panel(ADD_SCOOP) + panel(ADD_SCOOP);           // 45..47
  script += panel(REMOVE_SCOOP) + panel(REMOVE_SCOOP) + panel(REMOVE_SCOOP);  // 48..50
  script += panel(SELECT_TOPPING) + panel(ADD_TOPPING);                        // 51, 52
  script += panel(CHANGE_COLOR);                                              // 53
  for (int k = 0; k < 10; ++k) script += panel(SWATCH_0 + k);                 // 54..63
  script += panel(SPRINKLE) + panel(CHIP) + panel(CANDY);                     // 64..66
  script += panel(EAT) + periodic(60);                                        // 67, 68..127
  for (long f = 54; f <= 63; ++f) game.keep.insert(f);
  for (long f : {47, 52, 66, 68, 110, 127}) game.keep.insert(f);

  EXPECT_EQ(game.play(script), 0);
  EXPECT_EQ(game.result.report.frames, 128);

  EXPECT_PIXEL(game, 45, 0, 120, MAGENTA);  // two scoops
  EXPECT_PIXEL(game, 46, 0, 160, GOLD);     // three
  EXPECT_TRUE(game.same(46, 47)) << "no fourth scoop";
  EXPECT_PIXEL(game, 48, 0, 160, BROWN);    // back to two: the peak shows
  EXPECT_PIXEL(game, 48, 0, 120, MAGENTA);
  EXPECT_PIXEL(game, 49, 0, 120, BROWN);    // one
  EXPECT_TRUE(game.same(49, 50)) << "never fewer than one scoop";

  // The pressed button: "Add Topping" at first, "Select Topping" after it was clicked.
  EXPECT_PIXEL(game, 50, -240, 170, WHITE);
  EXPECT_PIXEL(game, 50, -240, 145, GRAY_50);
  EXPECT_PIXEL(game, 51, -240, 170, GRAY_50);
  EXPECT_PIXEL(game, 50, -295, 130, GRAY_50);  // the left edge of "Add Topping"
  EXPECT_PIXEL(game, 51, -295, 130, WHITE);
  EXPECT_TRUE(game.same(50, 52));

  // With no topping the colour buttons recolour slot 0, which the kind samples show.
  EXPECT_PIXEL(game, 50, -275, -197, BLACK);
  EXPECT_PIXEL(game, 53, -275, -197, WHITE);
  const uint32_t swatches[] = {BLACK, WHITE, RED, GREEN, BLUE, YELLOW, MAGENTA, 0x00FFFF, 0x9900CC, 0x003399};
  for (int k = 0; k < 10; ++k) EXPECT_PIXEL(game, 54 + k, -275, -197, swatches[k]);
  EXPECT_TRUE(game.same(63, 66)) << "kinds of an unused slot do not show";

  // "Eat it!!": the farewell starts with the cone in place and the arm reaching in.
  EXPECT_PIXEL(game, 68, 0, 60, ORANGE);
  EXPECT_PIXEL(game, 68, 250, -100, PEACH);
  EXPECT_TRUE(game.same(68 + 42, 127)) << "the goodbye sign rests from frame 42 on";
}

TEST(Building, ToppingsAddedSelectedMovedRecolouredAndReshaped) {
  const int points[10][2] = {{-30, 40}, {0, 40}, {30, 40}, {-30, 90}, {0, 90},
                             {30, 90},  {-30, 140}, {0, 140}, {30, 140}, {0, 190}};
  std::string script = periodic(44) + panel(ADD_SCOOP) + panel(ADD_SCOOP);  // 45, 46
  for (int i = 0; i < 10; ++i) {
    if (i > 0) script += panel(ADD_TOPPING);
    script += click(points[i][0], points[i][1]);  // the 10th at 65
  }
  script += panel(ADD_TOPPING) + click(-20, 60);            // 66, 67: an eleventh is refused
  script += panel(SELECT_TOPPING) + click(2, 91);           // 68, 69: selects topping 4
  script += click(-10, 180);                                // 70: moves it
  script += panel(SWATCH_0 + 4);                           // 71: blue
  script += panel(SPRINKLE) + panel(CHIP) + panel(CANDY);   // 72..74
  script += panel(SELECT_TOPPING) + click(1, 41) + click(0, 120);  // 75..77: topping 1 moves
  script += panel(EAT) + periodic(60);                      // 78, 79..138

  Game game;
  game.keep = {65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 77, 79, 90};
  EXPECT_EQ(game.play(script), 0);
  EXPECT_EQ(game.result.report.frames, 139);

  for (const auto &p : points) EXPECT_PIXEL(game, 65, p[0], p[1] - 5, RED);  // ten red candies
  EXPECT_TRUE(game.same(66, 67)) << "the eleventh click added something";
  EXPECT_PIXEL(game, 68, -240, 170, GRAY_50);  // "Select Topping" pressed
  EXPECT_PIXEL(game, 69, -240, 170, WHITE);    // a topping selected: no button pressed
  EXPECT_PIXEL(game, 69, -240, 145, WHITE);
  EXPECT_PIXEL(game, 70, -10, 175, RED);
  EXPECT_PIXEL(game, 70, 0, 85, MAGENTA);  // moved away from its old place
  EXPECT_PIXEL(game, 71, -10, 175, BLUE);
  EXPECT_PIXEL(game, 72, -5, 181, BLUE);   // a sprinkle: its lower left corner on the anchor
  EXPECT_PIXEL(game, 72, -10, 175, GOLD);
  EXPECT_PIXEL(game, 73, -10, 176, BROWN);  // a chip is brown whatever its colour
  EXPECT_PIXEL(game, 74, -10, 175, BLUE);
  EXPECT_PIXEL(game, 77, 0, 115, RED);
  EXPECT_PIXEL(game, 77, 0, 35, ORANGE);    // its old place
  EXPECT_PIXEL(game, 77, -30, 35, RED);     // topping 0 stayed

  // The farewell shows the toppings with the cone in place, and carries the cone off without them.
  EXPECT_PIXEL(game, 79, 0, 115, RED);
  EXPECT_PIXEL(game, 79, -10, 175, BLUE);
  EXPECT_PIXEL(game, 90, 0, 115, MAGENTA);
  EXPECT_PIXEL(game, 90, 25, 60, ORANGE);
}

TEST(Building, KeysOnlyRedraw) {
  Game game;
  game.keep = {46, 47, 48};
  EXPECT_EQ(game.play(periodic(46) + key('x') + key('q') + panel(EAT) + periodic(60)), 0);
  EXPECT_TRUE(game.same(46, 47));
  EXPECT_TRUE(game.same(46, 48));
}

// Every event of the building phase, the one that ends it included, is followed by one full redraw
// (the only one to paint the panel backing): as many backings as building events, for "Eat it!!" and
// for a quit alike. Frame N follows event N, so a game of F frames had F - 1 events.
TEST(Building, EveryEventTheLastIncludedIsRedrawn) {
  struct Case {
    const char *how;
    std::string script;
    bool quit;
  } cases[] = {
      {"eat", periodic(44) + panel(EAT) + periodic(60), false},
      {"quit", periodic(44) + periodic(80), true},
  };
  for (const Case &c : cases) {
    Game game;
    game.logging = true;
    if (c.quit) {
      game.at_wait = [](long frame) {
        if (frame == 44) winport::scripted::menu_command(WINDOW, MENU_QUIT);
      };
    }
    ASSERT_EQ(game.play(c.script), 0) << c.how;
    const long building_events = game.result.report.frames - 1 - 44 - 60;
    EXPECT_GE(building_events, 1) << c.how;
    EXPECT_EQ(long(lines_starting(game, "20% gray rectangle with bounding box (-300,250) to (-180,-235)")),
              building_events)
        << c.how;
  }
}

TEST(Building, CtrlQEndsItAndTheWholeFarewellPlays) {
  Game game;
  game.at_wait = [](long frame) {
    if (frame == 47) winport::scripted::key(WINDOW, 'Q', 'q', true);
  };
  // More periodic events than the game needs: it ends on its own after the farewell.
  EXPECT_EQ(game.play(periodic(44) + periodic(20) + periodic(80)), 0);
  EXPECT_LT(game.result.report.frames, 44 + 20 + 1 + 60 + 1);
  expect_whole_farewell(game);
}

TEST(Farewell, SixtyFramesThatQuitAndClicksDoNotShorten) {
  Game game;
  game.at_wait = [](long frame) {
    if (frame == 44 + 1 + 30) winport::scripted::menu_command(WINDOW, MENU_QUIT);
  };
  EXPECT_EQ(game.play(periodic(44) + panel(EAT) + periodic(20) + click(0, 40) + panel(EAT) + key('a') +
                      periodic(40)),
            0);
  EXPECT_EQ(game.result.report.frames, 44 + 1 + 60 + 3 + 1 + 1) << "three ignored events and the quit";
  expect_whole_farewell(game);
}

// Closing the window ends the game promptly in every phase: with the script run out, a game that
// still waited for events would be reported as stuck (status 3) instead.
TEST(ClosingTheWindow, EndsTheGameInEveryPhase) {
  struct Case {
    const char *phase;
    std::string script;
    long close_at;
  } cases[] = {
      {"intro", periodic(20), 10},
      {"building", periodic(44) + periodic(10) + click(0, 40), 50},
      {"farewell", periodic(44) + panel(EAT) + periodic(20), 44 + 1 + 10},
  };
  for (const Case &c : cases) {
    Game game;
    game.at_wait = [&](long frame) {
      if (frame == c.close_at) winport::scripted::close(WINDOW);
    };
    EXPECT_EQ(game.play(c.script), 0) << c.phase;
  }
}

TEST(Logging, CtrlLDescribesEveryDrawingCall) {
  Game game;
  game.logging = true;
  EXPECT_EQ(game.play(periodic(1)), frostvel::kScriptEnded);
  ASSERT_FALSE(game.console.empty());
  EXPECT_EQ(game.console.front(), "black rectangle with bounding box (-300,250) to (300,-250), filled\n");
  EXPECT_EQ(game.console.back(), "EOF encountered in script file TEVRA.SCR\n");
}

}  // namespace

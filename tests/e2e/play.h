// play.h — whole games of Frostvel for the end-to-end tests: a script in, frames and lines out.
//
// A Game runs the replay in this process on the headless display and keeps the frames a test
// asks for. Pixels are looked up by logical point (origin at
// the centre of the client area, y up), the way the game draws them.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "frame_image.h"
#include "replay.h"

namespace e2e {

// Palette colours as canvas pixels (0x00RRGGBB).
constexpr uint32_t BLACK = 0x000000, WHITE = 0xFFFFFF, RED = 0xFF0000, GREEN = 0x00FF00, BLUE = 0x0000FF,
                   YELLOW = 0xFFFF00, MAGENTA = 0xFF00FF, ICE_BLUE = 0x99FFFF, ORANGE = 0xFF6600,
                   BROWN = 0x996633, GOLD = 0xCC9933, PEACH = 0xFF9966, FOREST_GREEN = 0x006633,
                   SEA_GREEN = 0x33CC99, GRAY_50 = 0x808080, GRAY_20 = 0xCCCCCC;

// Script lines.
std::string periodic(int n);
std::string click(int x, int y);
std::string key(int code);
// A click on the middle of panel row `row` (0 "Add Scoop" ... 18 the sprinkle sample).
std::string panel(int row);
enum Row { ADD_SCOOP = 0, REMOVE_SCOOP, EAT, SELECT_TOPPING, ADD_TOPPING, CHANGE_COLOR, SWATCH_0,
           CHIP = 16, CANDY, SPRINKLE };

struct Game {
  // The frames a test looks at; only these are read from the canvas and kept.
  std::set<long> keep;
  // Called at each wait with the number of the frame just taken: lets a test act as the player.
  std::function<void(long frame)> at_wait;
  bool logging = false;

  frostvel::ReplayResult result;
  std::map<long, img::Image> frames;
  std::vector<std::string> console;

  // Plays `script` (the text of a script file). Returns the exit status.
  int play(const std::string &script);

  // The pixel at logical (x, y) of a kept frame.
  uint32_t pixel(long frame, int x, int y) const;
  // Whether two kept frames are identical.
  bool same(long a, long b) const;
};

// A hex colour for messages.
std::string hex(uint32_t pixel);

}  // namespace e2e

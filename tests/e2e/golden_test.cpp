// The recorded game tests/golden/game.scr, compared pixel for pixel with its golden frames.
//
// A frame that differs is written next to its golden as NAME.png.new, to be looked at; when the
// change is meant, `make goldens` regenerates every golden frame.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "play.h"

namespace {

const std::string GOLDEN_DIR = std::string(FROSTVEL_SOURCE_DIR) + "/tests/golden/";

std::vector<std::pair<long, std::string>> golden_frames() {
  std::vector<std::pair<long, std::string>> frames;
  std::ifstream list(GOLDEN_DIR + "frames.txt");
  std::string line;
  while (std::getline(list, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    long number;
    std::string name;
    if (fields >> number >> name) frames.emplace_back(number, name);
  }
  return frames;
}

TEST(Goldens, TheRecordedGameLooksAsItDid) {
  const auto goldens = golden_frames();
  ASSERT_GE(goldens.size(), 10u) << "cannot read " << GOLDEN_DIR << "frames.txt";

  std::string script;
  {
    std::ifstream in(GOLDEN_DIR + "game.scr");
    std::stringstream text;
    text << in.rdbuf();
    script = text.str();
  }
  e2e::Game game;
  for (const auto &[number, name] : goldens) game.keep.insert(number);
  ASSERT_EQ(game.play(script), 0);

  for (const auto &[number, name] : goldens) {
    SCOPED_TRACE(name);
    img::Image expected;
    std::string error;
    ASSERT_TRUE(img::read_png(GOLDEN_DIR + name + ".png", &expected, &error)) << error;
    const img::Image &actual = game.frames.at(number);
    ASSERT_EQ(actual.width, expected.width);
    ASSERT_EQ(actual.height, expected.height);

    long differing = 0;
    int first_x = -1, first_y = -1;
    for (int y = 0; y < actual.height; ++y) {
      for (int x = 0; x < actual.width; ++x) {
        if (actual.at(x, y) == expected.at(x, y)) continue;
        if (differing++ == 0) first_x = x, first_y = y;
      }
    }
    if (differing > 0) {
      img::write_png(GOLDEN_DIR + name + ".png.new", actual);
      ADD_FAILURE() << differing << " pixels differ from the golden frame, the first at canvas (" << first_x << ", "
                    << first_y << "): " << e2e::hex(actual.at(first_x, first_y)) << " instead of "
                    << e2e::hex(expected.at(first_x, first_y)) << "; see " << name << ".png.new";
    }
  }
}

}  // namespace

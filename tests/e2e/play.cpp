// play.cpp — see play.h.
#include "play.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace e2e {

std::string periodic(int n) { return "TEVRA_PERIODIC(" + std::to_string(n) + ");\n"; }
std::string click(int x, int y) { return "TEVRA_MOUSE(" + std::to_string(x) + ", " + std::to_string(y) + ");\n"; }
std::string key(int code) { return "TEVRA_KBD(" + std::to_string(code) + ");\n"; }
std::string panel(int row) { return click(-240, 245 - 25 * row - 12); }

namespace {

const img::Image &kept(const std::map<long, img::Image> &frames, long frame) {
  const auto it = frames.find(frame);
  if (it == frames.end()) throw std::out_of_range("frame " + std::to_string(frame) + " was not kept");
  return it->second;
}

}  // namespace

int Game::play(const std::string &script) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("frostvel-e2e-" + std::to_string(getpid()) + ".scr");
  {
    std::ofstream out(file, std::ios::binary);
    out << script;
  }
  tevra::ScriptedRun run;
  run.logging = logging;
  run.wants = [this](long number) { return keep.count(number) > 0; };
  run.frame = [this](long number, const tevra::Frame &canvas) {
    frames[number] = img::Image{canvas.width, canvas.height, canvas.pixels};
  };
  run.console = [this](const char *line) { console.emplace_back(line); };
  if (at_wait) run.wait = at_wait;
  result = frostvel::replay_script(file.string(), run);
  std::error_code ignored;
  std::filesystem::remove(file, ignored);
  return result.status;
}

uint32_t Game::pixel(long frame, int x, int y) const { return kept(frames, frame).at(297 + x, 248 - y); }

bool Game::same(long a, long b) const { return kept(frames, a).pixels == kept(frames, b).pixels; }

std::string hex(uint32_t pixel) {
  char text[16];
  std::snprintf(text, sizeof text, "#%06X", pixel);
  return text;
}

}  // namespace e2e

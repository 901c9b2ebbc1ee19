// fixture.h — a TEVRA program on the headless display, in a temporary directory of its own.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <winport/headless.h>
#include <winport/scripted_input.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>
#include <unistd.h>

#include "tevra.h"
#include "tevra/testing.h"

namespace tevra_test {

namespace headless = winport::headless;
namespace scripted = winport::scripted;

inline const std::string kGraphics = "TEVRA Graphics";
inline const std::string kText = "TEVRA Text";
// Client pixel of logical (0, 0) on the classic metrics: a 595 x 496 client area.
constexpr int kOriginX = 297;
constexpr int kOriginY = 248;

struct Stuck : std::runtime_error {
  Stuck() : std::runtime_error("the program waited for input that can never come") {}
};

struct Event {
  int32_t kind;
  int32_t x;
  int32_t y;
  char key;
};

class TevraTest : public ::testing::Test {
protected:
  void SetUp() override {
    headless::use();
    scripted::reset();
    scripted::set_idle_limit_ms(60000);
    tevra_testing_reset();
    install_hooks();
    char pattern[] = "/tmp/tevra_test_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    previous_dir_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
  }

  void install_hooks() {
    scripted::set_stuck_handler([] { throw Stuck(); });
    tevra_testing_set_console_hook(
        [](const char *line, void *ctx) { static_cast<TevraTest *>(ctx)->console.push_back(line); }, this);
  }

  // Back to program start, in the same directory: for tests that run the library several times.
  void restart() {
    tevra_testing_reset();
    scripted::reset();
    install_hooks();
    console.clear();
  }

  void TearDown() override {
    tevra_testing_reset();
    scripted::reset();
    std::filesystem::current_path(previous_dir_);
    std::filesystem::remove_all(dir_);
  }

  void open() {
    char command_line[] = "";
    tevra_open(nullptr, nullptr, command_line, SW_SHOWNORMAL);
  }

  Event wait() {
    Event e{-1, -1, -1, 'X'};
    e.kind = tevra_await_event(&e.x, &e.y, &e.key);
    return e;
  }

  // A click at a logical point, as the user would make it on the graphics window.
  void click_logical(int x, int y, uint64_t at = scripted::kNextWait) {
    scripted::click(kGraphics, kOriginX + x, kOriginY - y, at);
  }
  // Ctrl+letter as a person types it: Ctrl goes down, the letter goes down and up, Ctrl comes up,
  // each a millisecond apart, so the program handles each before the next arrives.
  void ctrl_key(char upper, const std::string &window = kGraphics, uint64_t at = 0) {
    if (at == 0) at = headless::now_ms() + 1;
    scripted::key_down(window, VK_CONTROL, 0, true, at);
    scripted::key_down(window, upper, static_cast<unsigned char>(upper - 'A' + 1), true, at + 1);
    scripted::key_up(window, upper, true, at + 2);
    scripted::key_up(window, VK_CONTROL, false, at + 3);
  }

  // Whether the Run popup's item is checked, read without changing it.
  bool checked(UINT id) {
    HMENU popup = tevra_testing_run_popup();
    const DWORD previous = CheckMenuItem(popup, id, MF_BYCOMMAND | MF_CHECKED);
    CheckMenuItem(popup, id, MF_BYCOMMAND | previous);
    return previous == MF_CHECKED;
  }

  static std::string read_file(const std::string &name = "TEVRA.SCR") {
    std::ifstream in(name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void write_file(const std::string &text, const std::string &name = "TEVRA.SCR") {
    std::ofstream(name, std::ios::binary) << text;
  }

  // Canvas pixels, addressed by logical coordinates.
  static COLORREF at(int x, int y) { return GetPixel(tevra_testing_canvas(), kOriginX + x, kOriginY - y); }
  static int count_canvas(COLORREF color) {
    int n = 0;
    for (int y = 0; y < 540; ++y)
      for (int x = 0; x < 601; ++x) n += GetPixel(tevra_testing_canvas(), x, y) == color;
    return n;
  }

  bool console_has(const std::string &line) const {
    for (const std::string &l : console)
      if (l == line) return true;
    return false;
  }

  std::vector<std::string> console;

private:
  std::filesystem::path dir_;
  std::filesystem::path previous_dir_;
};

} // namespace tevra_test

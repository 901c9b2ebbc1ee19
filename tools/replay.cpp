// replay.cpp — one recorded game of Frostvel on the headless display (see replay.h).
//
// Owns the state of the run in progress: the hooks, the frame counter and whether the script has
// run out. The library reports a script that has run out on its console; the headless display
// then finds the game waiting for input that can never come and calls the stuck handler, which
// closes the graphics window so that the game ends promptly.
#include "replay.h"

#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "game.h"
#include "tevra/testing.h"
#include "winport/headless.h"

namespace fs = std::filesystem;

namespace frostvel {

namespace {

constexpr int CANVAS_WIDTH = 601;
constexpr int CANVAS_HEIGHT = 540;
constexpr const char *GRAPHICS_WINDOW = "TEVRA Graphics";

struct Run {
  const ReplayHooks *hooks = nullptr;
  long frames = 0;
  bool script_ended = false;  // from here on nothing is reported
};

Run run;

// The canvas as pixels. The canvas bitmap is swapped out of its DC for the read, as GetDIBits asks.
bool read_canvas(Image *image) {
  HDC canvas = tevra_testing_canvas();
  if (!canvas) return false;
  HBITMAP placeholder = CreateCompatibleBitmap(canvas, 1, 1);
  HBITMAP bitmap = static_cast<HBITMAP>(SelectObject(canvas, placeholder));

  BITMAPINFO info;
  std::memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = CANVAS_WIDTH;
  info.bmiHeader.biHeight = -CANVAS_HEIGHT;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  image->width = CANVAS_WIDTH;
  image->height = CANVAS_HEIGHT;
  image->pixels.assign(static_cast<size_t>(CANVAS_WIDTH) * CANVAS_HEIGHT, 0);
  const int lines = GetDIBits(canvas, bitmap, 0, CANVAS_HEIGHT, image->pixels.data(), &info, DIB_RGB_COLORS);

  SelectObject(canvas, bitmap);
  DeleteObject(placeholder);
  for (uint32_t &p : image->pixels) p &= 0x00FFFFFFu;
  return lines == CANVAS_HEIGHT;
}

// Hands the canvas to the frame hook as the next frame.
void take_frame() {
  const long number = run.frames++;
  if (!run.hooks->frame || (run.hooks->wants && !run.hooks->wants(number))) return;
  Image image;
  if (!read_canvas(&image)) {  // no canvas: a black frame keeps the numbering
    image = Image{CANVAS_WIDTH, CANVAS_HEIGHT, std::vector<uint32_t>(CANVAS_WIDTH * CANVAS_HEIGHT)};
  }
  run.hooks->frame(number, image);
}

void on_wait(void *) {
  if (run.script_ended) return;
  take_frame();
  if (run.hooks->wait) run.hooks->wait(run.frames - 1);
}

// The library's words for a playback that has run out of events.
bool ends_playback(const char *line) {
  return std::strncmp(line, "EOF encountered in script file", 30) == 0 ||
         std::strncmp(line, "Cannot open script file", 23) == 0;
}

void on_console_line(const char *line, void *) {
  if (run.script_ended) return;
  if (run.hooks->console) run.hooks->console(line);
  // A game that waits again after this waits for nothing: the headless display may call it stuck
  // at once instead of after a long idle time.
  if (ends_playback(line)) winport::headless::set_idle_limit_ms(0);
}

// The game waits for input that will never come: the script ended before the game did.
void on_stuck() {
  // Once the window is gone the game needs no input to end: it is not stuck, only polling.
  if (run.script_ended || !winport::headless::find_window(GRAPHICS_WINDOW)) return;
  run.script_ended = true;
  winport::headless::close(GRAPHICS_WINDOW);
}

// Ctrl+<letter> on the graphics window, as a player presses it: Ctrl and the letter go down at one
// wait and come up at a later one. Its control character is then handled (and dropped by the
// library) while Ctrl is still held; delivered together, the character would trail behind the Ctrl
// key-up and reach the game as a typed key.
void press_ctrl(char letter) {
  const unsigned char ch = static_cast<unsigned char>(letter - 'A' + 'a');
  winport::headless::key_down(GRAPHICS_WINDOW, letter, ch, true);
  winport::headless::key_up(GRAPHICS_WINDOW, letter, true);
}

// A fresh temporary directory holding the script as "TEVRA.SCR"; empty on failure.
fs::path make_work_dir(const fs::path &script, std::string *error) {
  std::error_code ec;
  fs::path base = fs::temp_directory_path(ec);
  if (ec) base = "/tmp";
  std::string pattern = (base / "frostvel-replay-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    *error = std::string("cannot create a temporary directory: ") + std::strerror(errno);
    return {};
  }
  const fs::path dir = pattern;
  fs::copy_file(script, dir / "TEVRA.SCR", ec);
  if (ec) {
    *error = "cannot copy " + script.string() + ": " + ec.message();
    fs::remove_all(dir, ec);
    return {};
  }
  return dir;
}

}  // namespace

ReplayResult replay_script(const std::string &script_path, bool logging, const ReplayHooks &hooks) {
  ReplayResult result;
  std::error_code ec;
  const fs::path script = fs::absolute(script_path, ec);
  if (!fs::is_regular_file(script, ec)) {
    result.error = script_path + ": no such script file";
    return result;
  }
  const fs::path work_dir = make_work_dir(script, &result.error);
  if (work_dir.empty()) return result;
  const fs::path start_dir = fs::current_path(ec);
  fs::current_path(work_dir, ec);

  winport::headless::use();
  winport::headless::reset();
  tevra_testing_reset();
  run = Run{&hooks, 0, false};
  // A long script advances the virtual clock a little with every event; it is never idle for an hour.
  winport::headless::set_idle_limit_ms(60ull * 60 * 1000);
  winport::headless::set_stuck_handler(on_stuck);
  tevra_testing_set_wait_hook(on_wait, nullptr);
  tevra_testing_set_console_hook(on_console_line, nullptr);
  if (logging) press_ctrl('L');
  press_ctrl('P');

  char command_line[] = "";
  const int status = game_main(nullptr, nullptr, command_line, 1);
  if (!run.script_ended) take_frame();  // the picture that the last event left

  // The library leaves its windows to the end of the process; forget them now, so that a process
  // that replays many games (or ends here) holds nothing of this one.
  tevra_testing_reset();
  winport::headless::reset();
  winport::headless::set_stuck_handler(nullptr);
  winport::headless::set_idle_limit_ms(60000);
  fs::current_path(start_dir, ec);
  fs::remove_all(work_dir, ec);

  result.status = run.script_ended ? kScriptEnded : status;
  result.frames = run.frames;
  return result;
}

}  // namespace frostvel

// frostvel-replay — plays a recorded game of Frostvel on the headless display, frame by frame.
//
//   frostvel-replay [--frames DIR] [--logging] [--console FILE] SCRIPT
//
// The game runs in a fresh temporary directory that holds SCRIPT as "TEVRA.SCR"; at its first wait
// the tool presses Ctrl+P on the graphics window, as a player would, so the library plays the script
// back (with --logging, Ctrl+L first, so every drawing call is described on the console).
//
// --frames DIR   writes DIR/frame-NNNNNN.png, the whole 601 x 540 canvas: frame 0 when the game
//                first waits, frame N when it waits again after handling event N, and the frame of
//                the last event when the game ends.
// --console FILE writes every console line, in order, to FILE.
//
// Exit status: the game's own, or 3 (with a message) when the script ends before the game does,
// 2 for a usage or file error.
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "game.h"
#include "png_file.h"
#include "tevra/testing.h"
#include "winport/headless.h"

namespace fs = std::filesystem;

namespace {

constexpr int EXIT_SCRIPT_ENDED = 3;
constexpr int EXIT_USAGE = 2;
constexpr int CANVAS_WIDTH = 601;
constexpr int CANVAS_HEIGHT = 540;
constexpr const char *GRAPHICS_WINDOW = "TEVRA Graphics";

struct Replay {
  std::string frames_dir;  // empty: no frames
  FILE *console = nullptr;
  fs::path work_dir;
  long frame = 0;  // number of the next frame to write
  int failures = 0;
};

Replay replay;

void usage() {
  std::fprintf(stderr, "usage: frostvel-replay [--frames DIR] [--logging] [--console FILE] SCRIPT\n");
}

// The canvas as pixels. The canvas bitmap is swapped out of its DC for the read, as GetDIBits asks.
bool read_canvas(frostvel::Image *image) {
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

void write_frame() {
  if (replay.frames_dir.empty()) return;
  char name[32];
  std::snprintf(name, sizeof name, "frame-%06ld.png", replay.frame);
  ++replay.frame;
  frostvel::Image image;
  std::string error;
  if (!read_canvas(&image)) {
    std::fprintf(stderr, "frostvel-replay: cannot read the canvas for %s\n", name);
    ++replay.failures;
  } else if (!frostvel::write_png_file(replay.frames_dir + "/" + name, image, &error)) {
    std::fprintf(stderr, "frostvel-replay: %s\n", error.c_str());
    ++replay.failures;
  }
}

void on_wait(void *) { write_frame(); }

void on_console_line(const char *line, void *) {
  if (!replay.console) return;
  std::fputs(line, replay.console);
  const size_t n = std::strlen(line);
  if (n == 0 || line[n - 1] != '\n') std::fputc('\n', replay.console);
}

void finish() {
  if (replay.console) {
    std::fclose(replay.console);
    replay.console = nullptr;
  }
  std::error_code ignored;
  fs::current_path(replay.work_dir.parent_path(), ignored);
  fs::remove_all(replay.work_dir, ignored);
}

// The game waits for input that will never come: the script has ended before the game did.
void on_stuck() {
  std::fprintf(stderr,
               "frostvel-replay: the script ended before the game did (the game is still waiting after %ld "
               "frames)\n",
               replay.frame);
  finish();
  std::_Exit(EXIT_SCRIPT_ENDED);
}

// A fresh temporary working directory holding the script as "TEVRA.SCR".
bool make_work_dir(const fs::path &script) {
  std::error_code ec;
  fs::path base = fs::temp_directory_path(ec);
  if (ec) base = "/tmp";
  std::string pattern = (base / "frostvel-replay-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    std::fprintf(stderr, "frostvel-replay: cannot create a temporary directory: %s\n", std::strerror(errno));
    return false;
  }
  replay.work_dir = pattern;
  fs::copy_file(script, replay.work_dir / "TEVRA.SCR", ec);
  if (ec) {
    std::fprintf(stderr, "frostvel-replay: cannot copy %s: %s\n", script.c_str(), ec.message().c_str());
    fs::remove_all(replay.work_dir, ec);
    return false;
  }
  return true;
}

// Ctrl+<letter> on the graphics window at the game's next wait: Ctrl down, the letter, Ctrl up.
void press_ctrl(char letter) {
  using namespace winport::headless;
  key_down(GRAPHICS_WINDOW, VK_CONTROL, 0, true);
  key(GRAPHICS_WINDOW, letter, static_cast<unsigned char>(letter - 'A' + 'a'), true);
  key_up(GRAPHICS_WINDOW, VK_CONTROL, false);
}

}  // namespace

int main(int argc, char **argv) {
  bool logging = false;
  std::string frames_dir, console_file, script;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--frames" || arg == "--console") && i + 1 < argc) {
      (arg == "--frames" ? frames_dir : console_file) = argv[++i];
    } else if (arg == "--logging") {
      logging = true;
    } else if (arg == "-h" || arg == "--help") {
      usage();
      return 0;
    } else if (!arg.empty() && arg[0] != '-' && script.empty()) {
      script = arg;
    } else {
      usage();
      return EXIT_USAGE;
    }
  }
  if (script.empty()) {
    usage();
    return EXIT_USAGE;
  }

  // Every path is taken as given from where the tool was started, before the game moves away.
  std::error_code ec;
  const fs::path script_path = fs::absolute(script, ec);
  if (!fs::is_regular_file(script_path, ec)) {
    std::fprintf(stderr, "frostvel-replay: %s: no such script file\n", script.c_str());
    return EXIT_USAGE;
  }
  if (!frames_dir.empty()) {
    replay.frames_dir = fs::absolute(frames_dir, ec).string();
    fs::create_directories(replay.frames_dir, ec);
    if (!fs::is_directory(replay.frames_dir, ec)) {
      std::fprintf(stderr, "frostvel-replay: cannot create the frame directory %s\n", frames_dir.c_str());
      return EXIT_USAGE;
    }
  }
  if (!console_file.empty()) {
    replay.console = std::fopen(fs::absolute(console_file, ec).c_str(), "w");
    if (!replay.console) {
      std::fprintf(stderr, "frostvel-replay: cannot write %s: %s\n", console_file.c_str(), std::strerror(errno));
      return EXIT_USAGE;
    }
  }
  if (!make_work_dir(script_path)) return EXIT_USAGE;
  fs::current_path(replay.work_dir, ec);

  winport::headless::use();
  winport::headless::set_stuck_handler(on_stuck);
  tevra_testing_set_wait_hook(on_wait, nullptr);
  tevra_testing_set_console_hook(on_console_line, nullptr);
  if (logging) press_ctrl('L');
  press_ctrl('P');

  char command_line[] = "";
  const int status = game_main(nullptr, nullptr, command_line, 1);
  if (tevra_testing_canvas()) write_frame();  // the picture that the last event left

  finish();
  if (replay.failures > 0) std::fprintf(stderr, "frostvel-replay: %d frames could not be written\n", replay.failures);
  return status;
}

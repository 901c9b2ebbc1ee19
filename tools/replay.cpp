// replay.cpp — one recorded game of Frostvel on the headless display (see replay.h).
//
// Owns the state of the run in progress: the hooks, the frame counter and whether the script has
// run out. The library reports a script that has run out on its console; the headless display
// then finds the game waiting for input that can never come and calls the stuck handler, which
// closes the graphics window so that the game ends promptly.
#include "replay.h"

#include <windows.h>

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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
  std::string ended_by;       // the console line that ended playback
};

Run run;

// The canvas as pixels.
bool read_canvas(img::Image *image) {
  image->width = CANVAS_WIDTH;
  image->height = CANVAS_HEIGHT;
  return tevra_testing_read_canvas(image->pixels);
}

// Hands the canvas to the frame hook as the next frame.
void take_frame() {
  const long number = run.frames++;
  if (!run.hooks->frame || (run.hooks->wants && !run.hooks->wants(number))) return;
  img::Image image;
  if (!read_canvas(&image)) {  // no canvas: a black frame keeps the numbering
    image = img::Image{CANVAS_WIDTH, CANVAS_HEIGHT, std::vector<uint32_t>(CANVAS_WIDTH * CANVAS_HEIGHT)};
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
  for (const char *words : {"EOF encountered in script file", "Cannot open script file", "Cannot read script file",
                            "Playback stopped at line"}) {
    if (std::strncmp(line, words, std::strlen(words)) == 0) return true;
  }
  return false;
}

void on_console_line(const char *line, void *) {
  if (run.script_ended) return;
  if (run.hooks->console) run.hooks->console(line);
  // A game that waits again after this waits for nothing: the headless display may call it stuck
  // at once instead of after a long idle time.
  if (ends_playback(line)) {
    winport::headless::set_idle_limit_ms(0);
    run.ended_by = line;
  }
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

// The reason for a failed file operation; a full disk is called that.
std::string reason(int error) {
  if (error == ENOSPC || error == EDQUOT) return "the disk is full";
  return std::strerror(error);
}

// The temporary directory of the run in progress and its one entry, as plain strings: the signal
// handler below removes them when the tool is interrupted.
char work_dir_path[4096];
char work_link_path[sizeof work_dir_path + sizeof "/TEVRA.SCR"];

void remove_work_dir() {
  if (work_link_path[0]) unlink(work_link_path);
  if (work_dir_path[0]) rmdir(work_dir_path);
}

constexpr int kInterruptSignals[] = {SIGHUP, SIGINT, SIGTERM};
struct sigaction previous_actions[3];

// Interrupted: the temporary directory goes, then the signal does what it did before the run.
void on_interrupt(int signal_number) {
  const int saved = errno;
  remove_work_dir();
  for (int i = 0; i < 3; ++i) {
    if (kInterruptSignals[i] == signal_number) sigaction(signal_number, &previous_actions[i], nullptr);
  }
  errno = saved;
  raise(signal_number);
}

void catch_interrupts(bool on) {
  for (int i = 0; i < 3; ++i) {
    if (on) {
      struct sigaction action = {};
      action.sa_handler = on_interrupt;
      sigemptyset(&action.sa_mask);
      for (int s : kInterruptSignals) sigaddset(&action.sa_mask, s);
      sigaction(kInterruptSignals[i], &action, &previous_actions[i]);
    } else {
      sigaction(kInterruptSignals[i], &previous_actions[i], nullptr);
    }
  }
}

// A fresh temporary directory in which "TEVRA.SCR" is a link to the script (a copy would double a
// long script on disk); empty on failure.
fs::path make_work_dir(const fs::path &script, std::string *error) {
  std::error_code ec;
  fs::path base = fs::temp_directory_path(ec);
  if (ec) base = "/tmp";
  const std::string pattern = (base / "frostvel-replay-XXXXXX").string();
  if (pattern.size() >= sizeof work_dir_path) {
    *error = "the temporary directory's name is too long: " + base.string();
    return {};
  }
  // Made in place, with the handler already set: an interrupt at any point leaves nothing behind.
  std::snprintf(work_dir_path, sizeof work_dir_path, "%s", pattern.c_str());
  catch_interrupts(true);
  bool made = mkdtemp(work_dir_path) != nullptr;
  if (!made) {
    *error = "cannot create a temporary directory in " + base.string() + ": " + reason(errno);
  } else {
    std::snprintf(work_link_path, sizeof work_link_path, "%s/TEVRA.SCR", work_dir_path);
    made = symlink(script.c_str(), work_link_path) == 0;
    if (!made) *error = "cannot link " + script.string() + " into " + work_dir_path + ": " + reason(errno);
  }
  if (!made) {
    remove_work_dir();
    catch_interrupts(false);
    work_dir_path[0] = work_link_path[0] = '\0';
    return {};
  }
  return work_dir_path;
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
  run = Run{&hooks, 0, false, {}};
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
  fs::remove_all(work_dir, ec);  // the link only, not what it points to
  catch_interrupts(false);
  work_dir_path[0] = work_link_path[0] = '\0';

  result.status = run.script_ended ? kScriptEnded : status;
  if (run.script_ended) {
    long line = 0;
    int text = 0;
    if (std::sscanf(run.ended_by.c_str(), "Playback stopped at line %ld of script file TEVRA.SCR, which names no event: %n",
                    &line, &text) == 1 && text > 0) {
      result.unusable_line = line;
      result.unusable_text = run.ended_by.substr(static_cast<size_t>(text));
      while (!result.unusable_text.empty() && result.unusable_text.back() == '\n') result.unusable_text.pop_back();
    }
  }
  result.frames = run.frames;
  return result;
}

}  // namespace frostvel

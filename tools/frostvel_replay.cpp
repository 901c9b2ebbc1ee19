// frostvel-replay — plays a recorded game of Frostvel on the headless display, frame by frame.
//
//   frostvel-replay [--frames DIR] [--logging] [--console FILE] SCRIPT
//
// The game runs in a fresh temporary directory that holds SCRIPT as "TEVRA.SCR"; at its first wait
// the tool presses Ctrl+P on the graphics window, as a player would (with --logging, Ctrl+L first,
// so that every drawing call is described on the console).
//
// --frames DIR   writes DIR/frame-NNNNNN.png, the whole 601 x 540 canvas: frame 0 when the game
//                first waits, frame N when it waits again after handling event N; the last frame
//                is the picture the last event left when the game ends.
// --console FILE writes every console line, in order, to FILE.
//
// Exit status: the game's own; 3 (with a message) when the script ends before the game does; 2 for
// a usage or file error. --help prints the usage on standard output.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "frame_image.h"
#include "replay.h"

namespace fs = std::filesystem;

namespace {

constexpr const char *kUsage = "usage: frostvel-replay [--frames DIR] [--logging] [--console FILE] SCRIPT\n";

int usage_error(const char *what, const std::string &arg) {
  std::fprintf(stderr, "frostvel-replay: %s%s\n%s", what, arg.c_str(), kUsage);
  return frostvel::kReplayFailed;
}

// The title plays for this many timer ticks before the building phase takes input.
constexpr long kTitleTicks = 44;

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
      std::printf("%s"
                  "Plays a script recorded with Frostvel (Ctrl+R) on an invisible screen, from the start of\n"
                  "the game.\n"
                  "  --frames DIR    write the canvas after every event as DIR/frame-NNNNNN.png\n"
                  "  --logging       switch logging on first, so every drawing call reaches the console\n"
                  "  --console FILE  write every console line to FILE\n"
                  "  --help          show this text\n"
                  "Exit status: the game's; 3 when the script ends before the game does; 2 for a usage or\n"
                  "file error.\n",
                  kUsage);
      return 0;
    } else if (arg == "--frames" || arg == "--console") {
      return usage_error("a name must follow ", arg);
    } else if (!arg.empty() && arg[0] == '-') {
      return usage_error("unknown option ", arg);
    } else if (script.empty()) {
      script = arg;
    } else {
      return usage_error("one script only; also given ", arg);
    }
  }
  if (script.empty()) return usage_error("no script given", "");
  std::error_code ec;
  if (fs::is_directory(script, ec)) {
    std::fprintf(stderr, "frostvel-replay: %s: is a directory\n", script.c_str());
    return frostvel::kReplayFailed;
  }

  // Paths are taken from where the tool was started; the game runs elsewhere.
  if (!frames_dir.empty()) {
    frames_dir = fs::absolute(frames_dir, ec).string();
    fs::create_directories(frames_dir, ec);
    if (!ec && !fs::is_directory(frames_dir, ec)) ec = std::make_error_code(std::errc::not_a_directory);
    if (ec) {
      std::fprintf(stderr, "frostvel-replay: cannot create the frame directory %s: %s\n", frames_dir.c_str(),
                   ec.message().c_str());
      return frostvel::kReplayFailed;
    }
  }
  FILE *console = nullptr;
  if (!console_file.empty()) {
    console = std::fopen(console_file.c_str(), "w");
    if (!console) {
      std::fprintf(stderr, "frostvel-replay: cannot write %s: %s\n", console_file.c_str(), std::strerror(errno));
      return frostvel::kReplayFailed;
    }
  }

  int unwritten = 0;
  frostvel::ReplayHooks hooks;
  if (!frames_dir.empty()) {
    hooks.frame = [&](long number, const img::Image &canvas) {
      char name[32];
      std::snprintf(name, sizeof name, "/frame-%06ld.png", number);
      std::string reason;
      if (!img::write_png(frames_dir + name, canvas, &reason)) {
        if (unwritten++ == 0) std::fprintf(stderr, "frostvel-replay: cannot write %s%s: %s\n", frames_dir.c_str(), name, reason.c_str());
      }
    };
  }
  if (console) {
    hooks.console = [&](const char *line) {
      std::fputs(line, console);
      const size_t n = std::strlen(line);
      if (n == 0 || line[n - 1] != '\n') std::fputc('\n', console);
    };
  }

  const frostvel::ReplayResult result = frostvel::replay_script(script, logging, hooks);
  if (console) std::fclose(console);
  if (result.status == frostvel::kReplayFailed && !result.error.empty()) {
    std::fprintf(stderr, "frostvel-replay: %s\n", result.error.c_str());
  } else if (result.status == frostvel::kScriptEnded && result.unusable_line > 0) {
    std::fprintf(stderr, "frostvel-replay: line %ld of %s names no event: %s\n", result.unusable_line, script.c_str(),
                 result.unusable_text.c_str());
    std::fprintf(stderr, "frostvel-replay: the script ended there, before the game did (after %ld frames)\n",
                 result.frames);
  } else if (result.status == frostvel::kScriptEnded) {
    std::fprintf(stderr, "frostvel-replay: the script ended before the game did (after %ld frames)\n",
                 result.frames);
  }
  if (result.status == frostvel::kScriptEnded && result.frames <= kTitleTicks) {
    std::fprintf(stderr,
                 "frostvel-replay: it ended during the title, which takes %ld timer ticks; a recording started "
                 "after the title needs TEVRA_PERIODIC(%ld); as its first line\n",
                 kTitleTicks, kTitleTicks);
  }
  if (unwritten > 0) std::fprintf(stderr, "frostvel-replay: %d frames could not be written\n", unwritten);
  return result.status;
}

// frostvel-replay — plays a recorded game of Frostvel on the headless display, frame by frame.
//
//   frostvel-replay [--frames DIR] [--logging] [--console FILE] SCRIPT
//
// The game runs in this process with SCRIPT played from its first wait by the library's
// scripted-run engine (with --logging, logging is switched on first, so that every drawing call is
// described on the console).
//
// --frames DIR   writes DIR/frame-NNNNNN.png, the whole 601 x 540 canvas: frame 0 when the game
//                first waits, frame N when it waits again after handling event N; the last frame
//                is the picture the last event left when the game ends. DIR/text-boxes.txt lists
//                where text may lie in each frame. Frames of an earlier run there are removed.
// --console FILE writes every console line, in order, to FILE.
//
// Every input is checked before any output is opened, and no output may be an input. Exit status:
// the game's own; 3 (with a message) when the script ends before the game does; 2 for a usage or
// file error, including a frame or console line that could not be written. --help prints the usage
// on standard output.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "replay.h"

namespace fs = std::filesystem;

namespace {

constexpr const char *kUsage = "usage: frostvel-replay [--frames DIR] [--logging] [--console FILE] SCRIPT\n";
constexpr const char *kHelp =
    "Plays a script recorded with Frostvel (Ctrl+R) on an invisible screen, from the start of\n"
    "the game.\n"
    "  --frames DIR    write the canvas after every event as DIR/frame-NNNNNN.png\n"
    "  --logging       switch logging on first, so every drawing call reaches the console\n"
    "  --console FILE  write every console line to FILE\n"
    "  --help          show this text\n"
    "Exit status: the game's; 3 when the script ends before the game does; 2 for a usage or\n"
    "file error.\n";

// The title plays for this many timer ticks before the building phase takes input.
constexpr long kTitleTicks = 44;

struct Options {
  std::string frames_dir, console_file, script;
  bool logging = false;
  bool help = false;
};

int fail(const std::string &what) {
  std::fprintf(stderr, "frostvel-replay: %s\n", what.c_str());
  return frostvel::kReplayFailed;
}

int usage_error(const std::string &what) {
  std::fprintf(stderr, "frostvel-replay: %s\n%s", what.c_str(), kUsage);
  return frostvel::kReplayFailed;
}

// Fills `options` from the command line; returns 0, or the exit status of a usage error.
int parse(int argc, char **argv, Options *options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--frames" || arg == "--console") && i + 1 < argc) {
      (arg == "--frames" ? options->frames_dir : options->console_file) = argv[++i];
    } else if (arg == "--logging") {
      options->logging = true;
    } else if (arg == "-h" || arg == "--help") {
      options->help = true;
    } else if (arg == "--frames" || arg == "--console") {
      return usage_error("a name must follow " + arg);
    } else if (!arg.empty() && arg[0] == '-') {
      return usage_error("unknown option " + arg);
    } else if (options->script.empty()) {
      options->script = arg;
    } else {
      return usage_error("one script only; also given " + arg);
    }
  }
  if (options->script.empty() && !options->help) return usage_error("no script given");
  return 0;
}

// The script must be a regular file, and no output may name it; the frame folder is made.
int check_paths(const Options &options) {
  std::error_code ec;
  const fs::file_status script = fs::status(options.script, ec);
  if (!fs::exists(script)) return fail(options.script + ": no such script file");
  if (fs::is_directory(script)) return fail(options.script + ": is a directory");
  if (!fs::is_regular_file(script)) return fail(options.script + ": not a regular file");
  if (!options.console_file.empty() && fs::equivalent(options.console_file, options.script, ec))
    return fail("the console file " + options.console_file + " is the script; it is not overwritten");
  if (!options.frames_dir.empty()) {
    fs::create_directories(options.frames_dir, ec);
    if (!ec && !fs::is_directory(options.frames_dir, ec)) ec = std::make_error_code(std::errc::not_a_directory);
    if (ec) return fail("cannot create the frame directory " + options.frames_dir + ": " + ec.message());
  }
  return 0;
}

// What the run left unsaid: why the script ended early, what could not be written.
int report(const Options &options, const frostvel::ReplayResult &result, bool console_failed) {
  const tevra::RunReport &run = result.report;
  if (result.status == frostvel::kScriptEnded) {
    if (run.playback.end == tevra::PlaybackEnd::kUnusableLine) {
      std::fprintf(stderr, "frostvel-replay: line %ld of %s names no event: %s\n", run.playback.line,
                   options.script.c_str(), run.playback.text.c_str());
      std::fprintf(stderr, "frostvel-replay: the script ended there, before the game did (after %ld frames)\n",
                   run.frames);
    } else {
      std::fprintf(stderr, "frostvel-replay: the script ended before the game did (after %ld frames)\n", run.frames);
    }
    if (run.frames <= kTitleTicks) {
      std::fprintf(stderr,
                   "frostvel-replay: it ended during the title, which takes %ld timer ticks; a recording started "
                   "after the title needs TEVRA_PERIODIC(%ld); as its first line\n",
                   kTitleTicks, kTitleTicks);
    }
  }
  int status = result.status;
  if (run.frames_unwritten > 0) {
    std::fprintf(stderr, "frostvel-replay: %ld frames could not be written\n", run.frames_unwritten);
    status = frostvel::kReplayFailed;
  }
  if (console_failed) status = fail("cannot write " + options.console_file + ": " + std::strerror(errno));
  return status;
}

} // namespace

int main(int argc, char **argv) {
  Options options;
  if (const int status = parse(argc, argv, &options)) return status;
  if (options.help) {
    std::printf("%s%s", kUsage, kHelp);
    return 0;
  }
  if (const int status = check_paths(options)) return status;
  FILE *console = nullptr;
  if (!options.console_file.empty() && !(console = std::fopen(options.console_file.c_str(), "w")))
    return fail("cannot write " + options.console_file + ": " + std::strerror(errno));

  tevra::ScriptedRun run;
  run.frames_dir = options.frames_dir;
  run.logging = options.logging;
  bool console_failed = false;
  if (console) {
    run.console = [&](const char *line) {
      const size_t n = std::strlen(line);
      const bool newline = n > 0 && line[n - 1] == '\n';
      if (std::fputs(line, console) < 0 || (!newline && std::fputc('\n', console) == EOF)) console_failed = true;
    };
  }
  const frostvel::ReplayResult result = frostvel::replay_script(options.script, run);
  if (console && std::fclose(console) != 0) console_failed = true;
  if (result.status == frostvel::kReplayFailed && !result.error.empty()) return fail(result.error);
  return report(options, result, console_failed);
}

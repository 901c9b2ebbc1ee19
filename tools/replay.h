// replay.h — runs Frostvel on a recorded script, on the headless display, in this process.
//
// The heart of frostvel-replay, shared with the end-to-end tests. The game runs in a fresh
// temporary working directory that holds the script as "TEVRA.SCR"; at its first wait Ctrl+P is
// pressed on the graphics window, as a player would, so the library plays the script back (with
// `logging`, Ctrl+L first, so every drawing call is described on the console).
//
// Interrupted by SIGINT, SIGTERM or SIGHUP, the temporary directory is removed first.
//
// Frames: frame 0 is the canvas when the game first waits, frame N the canvas when it waits again
// after handling event N, and the frame after the last event is taken when the game ends. When the
// script runs out before the game ends, the run stops there: the graphics window is closed (so the
// game ends promptly), nothing after that is reported, and the result is kScriptEnded.
#pragma once

#include <functional>
#include <string>

#include "frame_image.h"

namespace frostvel {

constexpr int kScriptEnded = 3;  // the script ended before the game did
constexpr int kReplayFailed = 2;  // the run could not be set up (see the error text)

struct ReplayHooks {
  // Each frame with its number; unset: the canvas is never read.
  std::function<void(long number, const img::Image &canvas)> frame;
  // Which frames to hand to `frame`; unset: all of them.
  std::function<bool(long number)> wants;
  // Each console line as the library wrote it (normally ending in a newline).
  std::function<void(const char *line)> console;
  // At the start of each wait, after the frame of that wait; `number` is that frame's number. A test
  // may schedule input on the headless display here.
  std::function<void(long number)> wait;
};

struct ReplayResult {
  int status = kReplayFailed;  // the game's exit status, kScriptEnded or kReplayFailed
  long frames = 0;             // frames taken (the waits, plus the final frame)
  std::string error;           // why the run could not be set up
  // With kScriptEnded, when playback stopped at a line that names no event: its number (from 1)
  // and its first characters; 0 when the script simply ran out.
  long unusable_line = 0;
  std::string unusable_text;
};

// Plays the script in the file `script_path`. Puts the headless display and the library back to
// their start state first, so it can run many times in one process. The working directory is
// restored afterwards.
ReplayResult replay_script(const std::string &script_path, bool logging, const ReplayHooks &hooks);

}  // namespace frostvel

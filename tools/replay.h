// replay.h — Frostvel played from a script on the headless display, in this process.
//
// A thin layer over the library's scripted-run engine (tevra/scripted_run.h), shared by
// frostvel-replay, the end-to-end tests and the benchmarks: the headless display and the library
// are put back to their start state, the game runs with the script played from its first wait, and
// when the script runs out before the game ends, the engine closes the graphics window (the game then
// ends as it does for its close box) and the result is kScriptEnded.
#pragma once

#include <string>

#include "tevra/scripted_run.h"

namespace frostvel {

constexpr int kScriptEnded = 3;  // the script ended before the game did
constexpr int kReplayFailed = 2; // the run could not be set up, or what was asked could not be written

struct ReplayResult {
  int status = kReplayFailed; // the game's exit status, kScriptEnded or kReplayFailed
  std::string error;          // why the run could not be set up
  tevra::RunReport report;    // frames taken and unwritten, how playback ended
};

// Plays the script in the file `script_path` with `run`'s frames and observers (its `script` and
// `end_with_script` are set here). Can run many times in one process.
ReplayResult replay_script(const std::string &script_path, tevra::ScriptedRun run = {});

} // namespace frostvel

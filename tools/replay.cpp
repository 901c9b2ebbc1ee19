// replay.cpp — one recorded game of Frostvel on the headless display (see replay.h).
#include "replay.h"

#include <filesystem>
#include <utility>

#include "game.h"
#include "tevra/testing.h"
#include "winport/headless.h"
#include "winport/scripted_input.h"

namespace frostvel {

ReplayResult replay_script(const std::string &script_path, tevra::ScriptedRun run) {
  ReplayResult result;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(script_path, ec)) {
    result.error = script_path + ": no such script file";
    return result;
  }
  winport::headless::use();
  winport::scripted::reset();
  tevra_testing_reset();
  run.script = script_path;
  run.script_name = "TEVRA.SCR"; // the game plays it as a player's own recording
  run.end_with_script = true;
  tevra::set_scripted_run(std::move(run));

  char command_line[] = "";
  result.status = game_main(nullptr, nullptr, command_line, 1);
  result.report = tevra::scripted_run_report();
  if (result.report.ended_by_script) result.status = kScriptEnded;

  // The library leaves its windows to the end of the process; forget them now, so that a process
  // that replays many games holds nothing of this one.
  tevra_testing_reset();
  winport::scripted::reset();
  return result;
}

} // namespace frostvel

// tevra/scripted_run.h — the scripted-run engine: a program played from a script from its start, and
// filmed. For this project's tools, tests and benchmarks (C++; not part of the public API).
//
// Usage: describe the run with set_scripted_run() before the program calls tevra_open(), run the
// program in this process, then read scripted_run_report(). A program started with TEVRA_SCRIPT,
// TEVRA_FRAMES or TEVRA_LOG in its environment is run by the same engine; a run set here ignores
// all three variables.
//
//   tevra::ScriptedRun run;
//   run.script = "game.scr";
//   run.frames_dir = "frames";            // frames/frame-000000.png, ..., frames/text-boxes.txt
//   run.end_with_script = true;           // the program is ended when the script runs out
//   tevra::set_scripted_run(run);
//   game_main(...);
//   const tevra::RunReport &report = tevra::scripted_run_report();
//
// Frames: frame 0 is the canvas when the program first waits, frame N the canvas when it waits again
// after handling event N, and the last frame is the picture the last event left, taken by
// tevra_close. Each frame is handed to `frame` and, with `frames_dir`, written there under
// frame_name(N) as a whole file (never a partial one), with a line of text boxes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tevra {

// How a playback ended.
enum class PlaybackEnd {
  kNotEnded,     // no script, or the program ended before its script did
  kEndOfScript,  // every line was played
  kUnusableLine, // a line names no event; `line` and `text` say which
  kCannotOpen,   // the file could not be opened (or is not a regular file)
  kCannotRead,   // reading failed part way
  kStopped,      // the player stopped it (Playback Script again)
};

struct PlaybackReport {
  PlaybackEnd end = PlaybackEnd::kNotEnded;
  long line = 0;    // kUnusableLine: the line's number, from 1
  std::string text; // kUnusableLine: its first characters as the console shows them
};

// A canvas frame: 0x00RRGGBB pixels, top row first, `width` pixels a row.
struct Frame {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

struct ScriptedRun {
  std::string script;      // played from the program's first wait; empty: none
  std::string script_name; // what the console calls it; empty: `script` as given
  std::string frames_dir; // where frames are written (made if missing); empty: nowhere
  bool logging = false;   // logging is switched on at the first wait, as Ctrl+L would
  std::string log;        // the draw log (docs/draw-log.md) is written here; empty: nowhere
  // Once the script has run out, the graphics window is closed (so the program ends as it would for
  // its close box) and nothing after that is reported: no frame, no console line, no wait.
  bool end_with_script = false;
  // Optional observers. `wants` picks the frames handed to `frame` (all when unset).
  std::function<void(long number, const Frame &frame)> frame;
  std::function<bool(long number)> wants;
  std::function<void(const char *line)> console; // each console line as formatted
  std::function<void(long number)> wait;         // each wait, after its frame was taken
};

struct RunReport {
  PlaybackReport playback;
  bool ended_by_script = false; // end_with_script closed the program
  long frames = 0;              // frames taken (the waits, plus the last frame)
  long frames_unwritten = 0;    // frames (or their text boxes) that could not be written
  std::string write_error;      // the first write failure, as said on standard error
};

// The run the next tevra_open starts; it replaces TEVRA_SCRIPT, TEVRA_FRAMES and TEVRA_LOG for that
// one run.
void set_scripted_run(ScriptedRun run);
// What the last run did; complete once the program has called tevra_close.
const RunReport &scripted_run_report();
// "frame-000012.png": the one way frames are named.
std::string frame_name(long number);

} // namespace tevra

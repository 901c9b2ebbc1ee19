// playback_bench — Frostvel played from scripts on the headless display, in this process.
//
// Each replay runs the whole game through the replay library with frames off: every event the
// script yields is handled and drawn (in the building phase, a full redraw of the scene), exactly
// as frostvel-replay does without writing images. The benchmarks:
//   BM_ReplayRecordedGame  the recorded game of the end-to-end tests (tests/golden/game.scr), and
//                          the same with logging on (every drawing call described on the console),
//                          and the same with the draw log written (TEVRA_LOG);
//   BM_ReplayLongGame      a generated game of a few thousand clicks and periodic runs;
//   BM_MemoryOverLongRun   10,000 periodic events of the building scene with logging on (about
//                          175 console lines each), reporting the resident set size before the
//                          run, after a warm-up, and at the end: it must stay flat.
// Counters: events per second (a rate), events per replay, resident sizes in KiB.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "replay.h"

namespace {

namespace fs = std::filesystem;

const char *const kRecordedGame = FROSTVEL_SOURCE_DIR "/tests/golden/game.scr";

// The building phase's clicks of the recorded game, "Eat it!!" left out: scoops added and removed,
// toppings added, selected, moved and recoloured, mode buttons. Repeating them keeps the game in
// its building phase; toppings stop at ten, which the game handles like any other click.
constexpr int kClicks[][2] = {{-240, 233}, {-240, 233}, {0, 40},     {-240, -17}, {-240, 133},
                              {-30, 100},  {-240, -217}, {-240, 8},   {-240, 133}, {30, 150},
                              {-240, -167}, {-240, 133}, {20, 70},    {-240, -42}, {-240, 158},
                              {1, 41},     {-20, 180},   {-240, 133}};
constexpr int kClickCount = sizeof kClicks / sizeof kClicks[0];
constexpr int kIntroFrames = 44, kFarewellFrames = 60;

// Resident set size of this process in KiB, from /proc/self/statm (its second field, in pages).
long resident_kib() {
  std::FILE *statm = std::fopen("/proc/self/statm", "r");
  if (!statm) return -1;
  long size = 0, resident = 0;
  const int fields = std::fscanf(statm, "%ld %ld", &size, &resident);
  std::fclose(statm);
  if (fields != 2) return -1;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Writes a script into a fresh file in the temporary directory and returns its path. The game
// opens with the intro, then `rounds` times: every building click followed by a run of `ticks`
// periodic events; then "Eat it!!" and the farewell.
std::string write_script(const std::string &name, int rounds, int ticks) {
  const fs::path path = fs::temp_directory_path() / (name + "-" + std::to_string(getpid()) + ".scr");
  std::ofstream out(path);
  out << "TEVRA_PERIODIC(" << kIntroFrames << ");\n";
  for (int r = 0; r < rounds; ++r) {
    for (const auto &click : kClicks) out << "TEVRA_MOUSE(" << click[0] << ", " << click[1] << ");\n";
    if (ticks > 0) out << "TEVRA_PERIODIC(" << ticks << ");\n";
  }
  out << "TEVRA_MOUSE(-240, 183);\n";  // "Eat it!!"
  out << "TEVRA_PERIODIC(" << kFarewellFrames << ");\n";
  if (!out.flush()) {
    std::fprintf(stderr, "playback_bench: cannot write %s\n", path.c_str());
    std::exit(1);
  }
  return path.string();
}

// Replays `script` once per iteration and reports the events handled per second. The game's exit
// status must be 0: a script that ran out before the game ended did not measure a whole game.
void replay_benchmark(benchmark::State &state, const std::string &script, bool logging = false,
                      const std::string &log = "") {
  long events = 0;
  for (auto _ : state) {
    tevra::ScriptedRun run;  // frames off, console unseen
    run.logging = logging;
    run.log = log;
    const frostvel::ReplayResult result = frostvel::replay_script(script, run);
    if (result.status != 0) {
      state.SkipWithError(("replay ended with status " + std::to_string(result.status) + " " + result.error).c_str());
      return;
    }
    events = result.report.frames - 1;  // one frame per wait, plus the last picture
  }
  state.counters["events"] = benchmark::Counter(static_cast<double>(events));
  state.counters["events_per_s"] =
      benchmark::Counter(static_cast<double>(events) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}

void BM_ReplayRecordedGame(benchmark::State &state) { replay_benchmark(state, kRecordedGame); }

// The same with every drawing call described on the console.
void BM_ReplayRecordedGameLogged(benchmark::State &state) { replay_benchmark(state, kRecordedGame, true); }

// The same with the draw log written: every event, drawing call and console line, and two hashes a frame.
void BM_ReplayRecordedGameDrawLog(benchmark::State &state) {
  const fs::path log = fs::temp_directory_path() / ("draw-" + std::to_string(getpid()) + ".log");
  replay_benchmark(state, kRecordedGame, false, log.string());
  fs::remove(log);
}

void BM_ReplayLongGame(benchmark::State &state) {
  // 100 rounds of 18 clicks and 10 ticks: 2,800 building events, about 2,900 in all.
  const std::string script = write_script("playback-long", 100, 10);
  replay_benchmark(state, script);
  std::error_code ec;
  fs::remove(script, ec);
}

// The resident set size before the replay, after `kWarmUp` events (caches, glyphs, the console
// ring and the object pools all at their working size), at the last building event, and after the
// replay has put the display and the library back to their start state. Growth is the last
// building event's figure minus the warm-up one; flat means a few pages at most, whatever the
// number of events.
void BM_MemoryOverLongRun(benchmark::State &state) {
  constexpr long kTicks = 10000, kWarmUp = 1000;
  constexpr long kLastBuilding = kIntroFrames + kClickCount + kTicks;  // the wait after that event
  const std::string script = write_script("playback-memory", 1, static_cast<int>(kTicks));
  long start = 0, warm = 0, late = 0, after = 0, events = 0, lines = 0;
  for (auto _ : state) {
    start = resident_kib();
    lines = 0;
    tevra::ScriptedRun run;
    run.logging = true;
    run.wait = [&warm, &late](long number) {
      if (number == kWarmUp) warm = resident_kib();
      if (number == kLastBuilding) late = resident_kib();
    };
    run.console = [&lines](const char *) { ++lines; };
    const frostvel::ReplayResult result = frostvel::replay_script(script, run);
    after = resident_kib();
    if (result.status != 0) {
      state.SkipWithError(("replay ended with status " + std::to_string(result.status)).c_str());
      break;
    }
    events = result.report.frames - 1;
  }
  std::error_code ec;
  fs::remove(script, ec);
  state.counters["events"] = benchmark::Counter(static_cast<double>(events));
  state.counters["console_lines"] = benchmark::Counter(static_cast<double>(lines));
  state.counters["rss_start_KiB"] = benchmark::Counter(static_cast<double>(start));
  state.counters["rss_warm_KiB"] = benchmark::Counter(static_cast<double>(warm));
  state.counters["rss_late_KiB"] = benchmark::Counter(static_cast<double>(late));
  state.counters["rss_after_KiB"] = benchmark::Counter(static_cast<double>(after));
  state.counters["growth_KiB"] = benchmark::Counter(static_cast<double>(late - warm));
}

}  // namespace

BENCHMARK(BM_ReplayRecordedGame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplayRecordedGameLogged)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplayRecordedGameDrawLog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplayLongGame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemoryOverLongRun)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_MAIN();

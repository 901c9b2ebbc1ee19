// film.h — `tevra-check film`: a run as a lossless animation, an animated PNG and, when asked, a GIF.
//
// The frames are a run's (the program run headless on a script, its frames kept) or a reference's
// recorded with --frames. Each frame is shown until the next event's frame: 100 ms when that event is
// a tick (ticks come 100 ms apart), 30 ms when it is a click, a key or a quit (they come when a person
// acts, so the film hurries over the wait), and the last frame for a second, so that a looping viewer
// shows where the run ended. A frame equal to the one before adds its time to it.
#pragma once

#include "commands.h"

#include <string>
#include <vector>

namespace check {

constexpr int kTickMs = 100, kInputMs = 30, kLastMs = 1000;

// frame_delays: how long each of `frames` frames (0, 1, ...) is shown, by the events of `log`.
std::vector<int> frame_delays(const std::vector<Record> &log, long frames);

// film: `tevra-check film`, after its arguments are read.
int film(const Options &options);

} // namespace check

// scripted_input.h — the input that tests and tools script for the headless display.
//
// Input is scheduled by window title (winport/headless.h) and carried out through the input sink,
// exactly as a real screen's input is, with the few look-ups into USER32 that naming windows by
// title needs (user/control.h). This module also tells when a program waits for input that will
// never come. The headless display (headless.cpp) keeps the virtual clock, read here through its
// now_ms(); its pump asks here what is due.
#pragma once

#include <cstdint>

namespace winport::display::scripted_input {

// Delivers all timed input that is due; true when something was delivered.
bool deliver_due();
// Delivers the first item scheduled for the next wait (kNextWait); true when there was one.
bool deliver_next_wait();
// When the next timed input is due; UINT64_MAX when none is left (kNextWait input is not timed).
uint64_t next_due();
// When a program with no timed input left is stuck: the idle limit after the last input.
uint64_t stuck_at();
// Whether the program fed itself an event (winport::program_input) since the previous call.
bool take_program_input();
// The program is stuck: the stuck handler runs (and the program is given another idle
// period), or without one the process ends with kStuckExitStatus.
void stuck();
// USER32 forgets its classes, windows, timers and queue (destroying the native windows through the
// display), and all scheduled input is dropped; idle time counts from 0 again. The idle limit and
// the stuck handler stay as set.
void reset();

}  // namespace winport::display::scripted_input

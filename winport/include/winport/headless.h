// winport/headless.h — control of the headless display, for tests and tools.
//
// On the headless display windows live in memory and time is virtual. The clock moves only while
// the program does nothing: when it waits (WaitMessage, GetMessageA), the clock jumps to the next
// timer deadline or to when its input source next wants a turn; a PeekMessageA that finds nothing
// lets one virtual millisecond pass, unless the program has presented a frame since its previous
// look (it is busy showing what it does, not waiting). A program that shows every event it takes
// therefore plays any number of events in the same virtual instant, and every run is identical.
//
// Input comes from an input source that plugs in here (scripted input, winport/scripted_input.h,
// is one). Without one, nothing ever comes: a program still waiting after a minute of virtual time
// is stopped with a message on standard error and exit status kStuckExitStatus.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

namespace winport::headless {

constexpr int kStuckExitStatus = 124;

// Select the headless display for this process (same as WINPORT_DISPLAY=headless). Call before the
// first window is created.
void use();
// The clock goes back to 0 and the frame observers go; the windows stay (USER32 owns them) and so
// do the screen size and the input source.
void reset();

uint64_t now_ms();
void set_screen_size(int width, int height);  // default 1024 x 768

// Every presented frame of every window: the composed image (menu bar, then client area).
using FrameObserver = std::function<void(HWND hwnd, const uint32_t *pixels, int width, int height, int stride)>;
void on_frame(FrameObserver observer);

// Where the program's input comes from. The display calls these while the program looks for input.
struct InputSource {
  // The virtual time at which the source next wants a turn (its next input, or when it would
  // decide about a program that is still waiting); UINT64_MAX for never. The clock never jumps
  // past it.
  uint64_t (*next_due)();
  // Deliver (through the input sink) what is due at `now_ms`; `waiting` says the program looks
  // for input and has nothing else, which is when input meant for "the next wait" goes. True when
  // anything was delivered.
  bool (*deliver)(uint64_t now_ms, bool waiting);
  // The clock reached next_due() and nothing was delivered: the program waits with nothing due.
  // The source may stop it (exit, or a handler that ends the wait by throwing) or let it wait on.
  void (*idle)(uint64_t now_ms);
};
// The source from now on; null for none.
void set_input_source(const InputSource *source);

}  // namespace winport::headless

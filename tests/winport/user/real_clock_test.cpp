// On a real display the clock moves on while winport works: a timer can fall due between the moment
// the queue is searched and the moment the wait starts. That wait must still end at the timer.
#include <windows.h>
#include <winport/headless.h>
#include <winport/scripted_input.h>

#include <gtest/gtest.h>

#include <cstdint>

#include "display/display.h"

namespace {

// A display whose clock advances 7 ms every time it is read, and which records a wait without end
// (on SDL that would block until unrelated input arrived) instead of blocking.
uint64_t clock_ms = 0;
int endless_waits = 0;

void screen_size(int *w, int *h) { *w = 1024, *h = 768; }
winport::display::NativeWindow *create(HWND, const char *, int, int, int, int) { return nullptr; }
void destroy(winport::display::NativeWindow *) {}
void show(winport::display::NativeWindow *, bool) {}
void set_title(winport::display::NativeWindow *, const char *) {}
void present(winport::display::NativeWindow *, const winport::display::Frame &) {}
uint64_t now_ms() { return clock_ms += 7; }
void pump(bool wait, uint64_t deadline_ms) {
  if (!wait) return;
  if (deadline_ms == UINT64_MAX) {
    ++endless_waits;
    clock_ms += 1000;  // stands for the input that would eventually have woken it
  } else if (clock_ms < deadline_ms) {
    clock_ms = deadline_ms;
  }
}

const winport::display::Display moving_clock{"moving clock", screen_size, create,  destroy, show,
                                             set_title,      present,     now_ms, pump};

TEST(RealClock, AWaitEndsAtATimerThatFellDueWhileTheQueueWasSearched) {
  winport::headless::use();
  winport::scripted::reset();
  winport::display::select(moving_clock);
  UINT_PTR id = SetTimer(nullptr, 0, 10, nullptr);
  for (int i = 0; i < 50; ++i) {
    WaitMessage();
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
  }
  EXPECT_EQ(endless_waits, 0);
  KillTimer(nullptr, id);
  winport::headless::use();
  winport::scripted::reset();
}

}  // namespace

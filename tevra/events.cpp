// events.cpp — the event stream and animation control.
//
// Owns the pending event, the animation flags (running, single step, quit mode), the timer-tick
// flag and the message-pump step. Promises: tevra_await_event returns exactly one event per call,
// periodic events come at most once per timer period and never pile up, and a waiting program
// sleeps in the platform (WaitMessage) instead of polling, except while a script plays, which is
// never slowed. No call waits forever once the graphics window is gone, and a quit that a scripted
// event displaced is reported by the next call.
#include "internal.h"

#ifndef _WIN32
#include <winport/program_input.h>
#endif

namespace tevra {

PendingEvent pending_event = {-1, 0, 0, 0};
uint8_t running_flag = 0;
uint8_t single_step_flag = 0;

namespace {

uint8_t quit_mode = 0;
int32_t timer_tick = 0;
// A quit message retrieved in a pass whose scripted event took its place; reported next call.
bool quit_carried = false;
// The kind returned by the previous call, before quit mode; drives the calls after the graphics
// window is gone (see settle_without_window).
int32_t last_kind = -1;

enum class Pump { kEmpty, kDispatched, kQuit };

// One pass of the message pump: at most one message, never blocking, then the present step. Console
// lines logged since the previous pass are drawn first.
Pump pump_step() {
  report_refused_calls();
  console_flush();
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    present_step();
    return Pump::kEmpty;
  }
  if (msg.message == WM_QUIT) {
    pending_event.kind = TEVRA_QUIT;
    return Pump::kQuit;
  }
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  present_step();
  return Pump::kDispatched;
}

bool settled() {
  return pending_event.kind != -1 && !(pending_event.kind == TEVRA_PERIODIC && timer_tick == 0);
}

// Once the graphics window is destroyed and its quit has been reported (or before the library is
// open), no timer and no input can arrive. Rather than wait forever, every call then returns at
// once, alternating TEVRA_PERIODIC and TEVRA_QUIT: a loop that ends on a quit ends, and one that
// counts periodic frames finishes them.
void settle_without_window() {
  pending_event.kind = (last_kind == TEVRA_QUIT) ? TEVRA_PERIODIC : TEVRA_QUIT;
}

} // namespace

void halt_animation() {
  running_flag = 0;
  single_step_flag = 0;
}

void events_on_lbutton(LPARAM position) {
  pending_event.kind = TEVRA_MOUSE;
  pending_event.x = static_cast<int32_t>(LOWORD(position)) - origin_x;
  pending_event.y = origin_y - static_cast<int32_t>(HIWORD(position));
}

void events_on_char(WPARAM code) {
  if (ctrl_flag) return; // the character of a Ctrl shortcut is never an event
  pending_event.kind = TEVRA_KBD;
  pending_event.key = static_cast<char>(code & 0xFF);
}

void events_on_timer() { timer_tick = 1; }

void events_reset() {
  pending_event = {-1, 0, 0, 0};
  halt_animation();
  quit_mode = 0;
  timer_tick = 0;
  quit_carried = false;
  last_kind = -1;
}

} // namespace tevra

using namespace tevra;

extern "C" int32_t tevra_await_event(int32_t *x_out, int32_t *y_out, char *key_out) {
  if (!on_library_thread(__func__)) {
    *x_out = 0;
    *y_out = 0;
    *key_out = 0;
    return 0;
  }
  testing_on_wait();
  scripted_run_on_wait();
  pending_event = {-1, 0, 0, 0};
  bool synthetic = false;

  if (quit_carried) {
    quit_carried = false;
    pending_event.kind = TEVRA_QUIT;
  }

  while (!settled()) {
    const Pump pumped = pump_step();

    if (script_playback_step()) {
#ifndef _WIN32
      winport::program_input(); // a scripted event is input: an idle limit does not run out during playback
#endif
      if (pumped == Pump::kQuit) quit_carried = true;
      break; // a scripted event ends the wait at once, without waiting for a tick
    }

    if ((single_step_flag || running_flag) && pending_event.kind == -1) {
      pending_event.kind = TEVRA_PERIODIC;
      timer_tick = 0;
      single_step_flag = 0;
    }

    // The queue was empty and nothing is settled: sleep until the next message (a tick, input,
    // a repaint) instead of polling. The present step has already run in this pass.
    if (!settled() && pumped == Pump::kEmpty && !script_playing()) {
      if (graphics_destroyed || graphics_window == nullptr) {
        settle_without_window();
        synthetic = true;
        break;
      }
      console_flush(); // lines logged in this pass (a script failure) show before the sleep
      WaitMessage();
    }
  }

  // Events made up after the window is gone are not part of what the user did: never recorded.
  if (!synthetic) script_record_hook(pending_event.kind, pending_event.x, pending_event.y, pending_event.key);

  *x_out = pending_event.x;
  *y_out = pending_event.y;
  *key_out = pending_event.key;
  last_kind = pending_event.kind;
  return quit_mode ? TEVRA_QUIT : pending_event.kind;
}

extern "C" int32_t tevra_set_animation(int32_t mode) {
  if (!on_library_thread(__func__)) return 0;
  if (graphics_window == nullptr) return 0;
  switch (mode) {
  case TEVRA_ANIM_HALT: halt_animation(); break;
  case TEVRA_ANIM_STEP: single_step_flag = 1; break;
  case TEVRA_ANIM_RUN: running_flag = 1; break;
  case TEVRA_ANIM_QUIT: quit_mode = 1; break;
  default: break;
  }
  return 1;
}

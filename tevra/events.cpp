// events.cpp — the event stream and animation control.
//
// Owns the pending event, the animation flags (running, single step, quit mode), the timer-tick
// flag and the message-pump step. Promises: tevra_await_event returns exactly one event per call,
// periodic events come at most once per timer period and never pile up, and a waiting program
// sleeps in the platform (WaitMessage) instead of polling, except while a script plays, which is
// never slowed; a halted program is not woken by ticks. No call waits forever once the graphics
// window is gone, and a quit that a scripted event displaced is reported by the next call.
#include "internal.h"

namespace tevra {

namespace {

EventState &state = context().events;

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
    state.pending.kind = TEVRA_QUIT;
    return Pump::kQuit;
  }
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  present_step();
  return Pump::kDispatched;
}

bool settled() {
  return state.pending.kind != -1 && !(state.pending.kind == TEVRA_PERIODIC && !state.timer_tick);
}

// Once the graphics window is destroyed and its quit has been reported (or before the library is
// open), no timer and no input can arrive. Rather than wait forever, every call then returns at
// once, alternating TEVRA_PERIODIC and TEVRA_QUIT: a loop that ends on a quit ends, and one that
// counts periodic frames finishes them.
void settle_without_window() {
  state.pending.kind = (state.last_kind == TEVRA_QUIT) ? TEVRA_PERIODIC : TEVRA_QUIT;
}

// The event the call returns, to the draw log; a scripted one with the script line it came from.
void log_event(int32_t kind, bool scripted) {
  draw_log_event(kind, state.pending.x, state.pending.y, state.pending.key,
                 scripted ? context().read.lines_read : -1);
}

// Sleeps until the next message. A tick can settle the wait only while animation runs, a single
// step is asked for or a periodic event waits for its tick; otherwise a timer message would wake
// the program to find nothing to do (ten times a second while halted), so the wait leaves timers
// out. The ticks it slept through are taken as soon as it ends, as they would have been while it
// slept, so that a step asked for next still waits for a fresh tick.
void wait_for_message() {
  if (state.running || state.single_step || state.pending.kind == TEVRA_PERIODIC) {
    WaitMessage();
    return;
  }
  MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT & ~QS_TIMER);
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) return;
  if (msg.message == WM_QUIT) PostQuitMessage(static_cast<int>(msg.wParam)); // retrieved whatever the filter
  else DispatchMessageA(&msg);
}

} // namespace

void halt_animation() {
  state.running = false;
  state.single_step = false;
}

void set_running(bool running) { state.running = running; }

void request_single_step() { state.single_step = true; }

const PendingEvent &pending_event() { return state.pending; }

void events_on_lbutton(LPARAM position) {
  state.pending.kind = TEVRA_MOUSE;
  state.pending.x = static_cast<int32_t>(LOWORD(position)) - origin_x();
  state.pending.y = origin_y() - static_cast<int32_t>(HIWORD(position));
}

void events_on_char(WPARAM code) {
  if (ctrl_held()) return; // the character of a Ctrl shortcut is never an event
  state.pending.kind = TEVRA_KBD;
  state.pending.key = static_cast<char>(code & 0xFF);
}

void events_on_timer() { state.timer_tick = true; }

void events_on_scripted_key(char key) {
  state.pending.kind = TEVRA_KBD;
  state.pending.key = key;
}

void events_on_scripted_mouse(int32_t x, int32_t y) {
  state.pending.kind = TEVRA_MOUSE;
  state.pending.x = x;
  state.pending.y = y;
}

void events_on_scripted_periodic() { state.pending.kind = TEVRA_PERIODIC; }

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
  state.pending = {-1, 0, 0, 0};
  bool synthetic = false;
  bool scripted = false;

  if (state.quit_carried) {
    state.quit_carried = false;
    state.pending.kind = TEVRA_QUIT;
  }

  while (!settled()) {
    const Pump pumped = pump_step();

    if (script_playback_step()) {
      scripted = true;
      if (pumped == Pump::kQuit) state.quit_carried = true;
      break; // a scripted event ends the wait at once, without waiting for a tick
    }

    if ((state.single_step || state.running) && state.pending.kind == -1) {
      state.pending.kind = TEVRA_PERIODIC;
      state.timer_tick = false;
      state.single_step = false;
    }

    // The queue was empty and nothing is settled: sleep until the next message (a tick, input,
    // a repaint) instead of polling. The present step has already run in this pass.
    if (!settled() && pumped == Pump::kEmpty && !script_playing()) {
      if (!graphics_window_live()) {
        settle_without_window();
        synthetic = true;
        break;
      }
      console_flush(); // lines logged in this pass (a script failure) show before the sleep
      wait_for_message();
    }
  }

  // Events made up after the window is gone are not part of what the user did: never recorded.
  if (!synthetic) script_record_hook(state.pending.kind, state.pending.x, state.pending.y, state.pending.key);

  *x_out = state.pending.x;
  *y_out = state.pending.y;
  *key_out = state.pending.key;
  state.last_kind = state.pending.kind;
  const int32_t kind = state.quit_mode ? TEVRA_QUIT : state.pending.kind;
  if (log_on()) log_event(kind, scripted);
  return kind;
}

extern "C" int32_t tevra_set_animation(int32_t mode) {
  if (!on_library_thread(__func__)) return 0;
  if (graphics_window() == nullptr) return 0;
  switch (mode) {
  case TEVRA_ANIM_HALT: halt_animation(); break;
  case TEVRA_ANIM_STEP: request_single_step(); break;
  case TEVRA_ANIM_RUN: set_running(true); break;
  case TEVRA_ANIM_QUIT: state.quit_mode = true; break;
  default: break;
  }
  return 1;
}

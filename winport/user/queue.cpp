// queue.cpp — the thread's message queue and timers.
//
// One queue per process (the program has one thread). A message is retrieved in Win32's order:
// posted messages in the order they were posted; then input from the display in its order (Win32
// keeps input in a queue of its own, behind posted messages); then WM_QUIT, once PostQuitMessage was
// called and no posted message or input remains; then WM_PAINT for a visible window with
// an invalid client area; then WM_TIMER for a due timer. WM_QUIT and WM_PAINT are states, not queued
// messages, and a timer is at most one pending WM_TIMER however many periods went by.
//
// Time is the display's clock: real for SDL, virtual for the headless display. Waiting blocks in the
// display's pump until input arrives or the next timer falls due.
#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "keyboard/keys.h"
#include "user/state.h"

namespace winport::user {

namespace {

bool matches(HWND hwnd, UINT message, HWND filter, UINT min, UINT max) {
  if (filter != nullptr && hwnd != filter) return false;
  if (min == 0 && max == 0) return true;
  return message >= min && message <= max;
}

uint64_t now() { return screen().now_ms(); }

// The earliest deadline of a timer that the filter lets through (UINT64_MAX without one). A timer
// that fell due after the queue was last searched gives a deadline already past, so the wait returns
// at once and the timer is retrieved; leaving it out would block until unrelated input arrived. A
// timer that the filter keeps out must not end a wait, or the wait would never block.
uint64_t next_deadline(HWND filter, UINT min, UINT max) {
  uint64_t next = UINT64_MAX;
  for (const Timer &timer : state().timers)
    if (matches(timer.hwnd, WM_TIMER, filter, min, max)) next = std::min(next, timer.due);
  return next;
}

// Find the next message in retrieval order; remove it (or, for a timer, reschedule it) if asked.
bool take(MSG *out, HWND filter, UINT min, UINT max, bool remove) {
  State &s = state();
  MSG msg{};
  for (auto it = s.posted.begin(); it != s.posted.end(); ++it) {
    if (!matches(it->hwnd, it->message, filter, min, max)) continue;
    *out = *it;
    if (remove) s.posted.erase(it);
    return true;
  }
  for (auto it = s.input.begin(); it != s.input.end(); ++it) {
    if (!matches(it->msg.hwnd, it->msg.message, filter, min, max)) continue;
    *out = it->msg;
    if (remove) {
      s.retrieved_keys = it->keys;
      if (it->msg.message == WM_KEYDOWN || it->msg.message == WM_SYSKEYDOWN) {
        s.last_key = it->msg;
        s.last_key_char = it->ch;
      }
      s.input.erase(it);
    }
    return true;
  }
  // WM_QUIT is always retrieved, whatever the filter, once nothing posted remains.
  if (s.quit && s.posted.empty() && s.input.empty()) {
    msg.message = WM_QUIT;
    msg.wParam = static_cast<WPARAM>(s.quit_code);
    msg.time = static_cast<DWORD>(now());
    if (remove) s.quit = false;
    *out = msg;
    return true;
  }
  for (auto &w : s.windows) {
    if (!w->visible || !w->invalid || !matches(w->handle, WM_PAINT, filter, min, max)) continue;
    msg.hwnd = w->handle;
    msg.message = WM_PAINT;
    msg.time = static_cast<DWORD>(now());
    *out = msg;  // stays until the window is validated
    return true;
  }
  uint64_t t = now();
  Timer *due = nullptr;
  for (Timer &timer : s.timers)
    if (timer.due <= t && matches(timer.hwnd, WM_TIMER, filter, min, max) && (due == nullptr || timer.due < due->due))
      due = &timer;
  if (due == nullptr) return false;
  msg.hwnd = due->hwnd;
  msg.message = WM_TIMER;
  msg.wParam = due->id;
  msg.lParam = reinterpret_cast<LPARAM>(due->proc);
  msg.time = static_cast<DWORD>(t);
  if (remove) {
    // Periods that went by while nobody retrieved the timer collapse into this one message; the
    // next deadline stays on the timer's own grid, so ticks do not drift.
    uint64_t period = std::max<uint64_t>(due->elapse, 1);
    due->due += period;
    if (due->due <= t) due->due += ((t - due->due) / period + 1) * period;
  }
  *out = msg;
  return true;
}

}  // namespace

namespace {

MSG make_message(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  MSG msg{};
  msg.hwnd = hwnd;
  msg.message = message;
  msg.wParam = wparam;
  msg.lParam = lparam;
  msg.time = static_cast<DWORD>(now());
  return msg;
}

}  // namespace

void post(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  state().posted.push_back(make_message(hwnd, message, wparam, lparam));
}

void post_input(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, unsigned char ch) {
  State &s = state();
  s.input.push_back(QueuedInput{make_message(hwnd, message, wparam, lparam), ch, s.keys});
}

void kill_window_timers(HWND hwnd) {
  auto &timers = state().timers;
  timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const Timer &t) { return t.hwnd == hwnd; }),
               timers.end());
}

namespace {

bool same_message(const MSG &a, const MSG &b) {
  return a.hwnd == b.hwnd && a.message == b.message && a.wParam == b.wParam && a.lParam == b.lParam &&
         a.time == b.time;
}

// The character a key-down types: for real input, what the display said the key typed; for a
// key-down that did not come from the keyboard (posted by a program), what its virtual key types
// on a US keyboard in the current keyboard state, which only real input changes.
unsigned char key_character(const MSG &msg) {
  const State &s = state();
  if (same_message(msg, s.last_key)) return s.last_key_char;
  return keyboard::character(static_cast<int>(msg.wParam), GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0);
}

}  // namespace

}  // namespace winport::user

using namespace winport::user;

BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT min, UINT max, UINT flags) {
  if (msg == nullptr) return FALSE;
  present_all();
  bool remove = (flags & PM_REMOVE) != 0;
  MSG found;
  if (take(&found, hwnd, min, max, false)) {
    if (remove) take(&found, hwnd, min, max, true);
    *msg = found;
    return TRUE;
  }
  // Nothing for the program: let the display deliver what input it has, without waiting.
  screen().pump(false, next_deadline(hwnd, min, max));
  if (!take(&found, hwnd, min, max, remove)) return FALSE;
  *msg = found;
  return TRUE;
}

namespace winport::user {
namespace {

// Block in the display until a message that passes the filter can be retrieved.
void wait_for(HWND hwnd, UINT min, UINT max) {
  present_all();
  MSG found;
  while (!take(&found, hwnd, min, max, false)) {
    screen().pump(true, next_deadline(hwnd, min, max));
    present_all();  // input the menu took changes only the picture
  }
}

}  // namespace
}  // namespace winport::user

BOOL WINAPI WaitMessage(void) {
  wait_for(nullptr, 0, 0);
  return TRUE;
}

namespace winport::user {
namespace {

// The wake-mask class of a message from the display's input.
DWORD input_class(UINT message) {
  if (message >= WM_KEYDOWN && message <= WM_SYSKEYUP) return QS_KEY;
  if (message == WM_MOUSEMOVE) return QS_MOUSEMOVE;
  if (message >= WM_LBUTTONDOWN && message <= WM_MBUTTONUP) return QS_MOUSEBUTTON;
  return QS_INPUT;
}

// Whether a message of a class in `mask` could be retrieved now.
bool waiting_message(DWORD mask) {
  const State &s = state();
  if ((mask & (QS_POSTMESSAGE | QS_ALLPOSTMESSAGE)) && (!s.posted.empty() || s.quit)) return true;
  for (const QueuedInput &in : s.input)
    if (mask & input_class(in.msg.message)) return true;
  if (mask & QS_PAINT)
    for (const auto &w : s.windows)
      if (w->visible && w->invalid) return true;
  return (mask & QS_TIMER) && next_deadline(nullptr, 0, 0) <= now();
}

}  // namespace
}  // namespace winport::user

// Without QS_TIMER in the mask a due timer does not end the wait, and the display sleeps until
// other input comes: a program with nothing to do on a tick is not woken for each one. The timer is
// still retrieved, one WM_TIMER for the periods that went by, by the next PeekMessageA.
DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE *, BOOL, DWORD ms, DWORD mask) {
  if (count != 0) return WAIT_FAILED;
  const uint64_t end = ms == INFINITE ? UINT64_MAX : now() + ms;
  present_all();
  while (!waiting_message(mask)) {
    if (now() >= end) return WAIT_TIMEOUT;
    screen().pump(true, std::min(end, (mask & QS_TIMER) ? next_deadline(nullptr, 0, 0) : UINT64_MAX));
    present_all();
  }
  return WAIT_OBJECT_0;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND hwnd, UINT min, UINT max) {
  if (msg == nullptr) return -1;
  while (!PeekMessageA(msg, hwnd, min, max, PM_REMOVE)) wait_for(hwnd, min, max);
  return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL WINAPI TranslateMessage(const MSG *msg) {
  if (msg == nullptr) return FALSE;
  if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) {
    return msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP ? TRUE : FALSE;
  }
  unsigned char ch = key_character(*msg);
  if (ch != 0) post(msg->hwnd, msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR, ch, msg->lParam);
  return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG *msg) {
  if (msg == nullptr) return 0;
  if (msg->message == WM_TIMER && msg->lParam != 0) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
    return 0;
  }
  Window *w = find_window(msg->hwnd);
  if (w == nullptr) return 0;
  return w->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL WINAPI PostMessageA(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (hwnd != nullptr && find_window(hwnd) == nullptr) return FALSE;
  post(hwnd, message, wparam, lparam);
  return TRUE;
}

LRESULT WINAPI SendMessageA(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  Window *w = find_window(hwnd);
  if (w == nullptr) return 0;
  return w->proc(hwnd, message, wparam, lparam);
}

void WINAPI PostQuitMessage(int exit_code) {
  State &s = state();
  s.quit = true;
  s.quit_code = exit_code;
}

UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  if (hwnd != nullptr && find_window(hwnd) == nullptr) return 0;
  State &s = state();
  elapse = std::clamp<UINT>(elapse, 10, 0x7FFFFFFF);  // USER_TIMER_MINIMUM and MAXIMUM
  if (hwnd == nullptr) {
    // Thread timers get an identifier of their own unless they replace an existing one.
    bool known = std::any_of(s.timers.begin(), s.timers.end(),
                             [&](const Timer &t) { return t.hwnd == nullptr && t.id == id; });
    if (!known) id = s.next_timer_id++;
  }
  uint64_t due = now() + elapse;
  for (Timer &t : s.timers) {
    if (t.hwnd == hwnd && t.id == id) {
      t.elapse = elapse;
      t.due = due;
      t.proc = proc;
      return hwnd != nullptr ? 1 : id;
    }
  }
  s.timers.push_back(Timer{hwnd, id, elapse, due, proc});
  return hwnd != nullptr ? 1 : id;
}

BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id) {
  auto &timers = state().timers;
  auto it = std::find_if(timers.begin(), timers.end(), [&](const Timer &t) { return t.hwnd == hwnd && t.id == id; });
  if (it == timers.end()) return FALSE;
  timers.erase(it);
  return TRUE;
}

// one_thread.cpp — the library runs on the thread that opened it.
//
// Owns the identity of that thread and the count of calls refused on others. Promises: a call of
// an entry point from another thread changes nothing and returns 0; it is said on the console by
// the library's own thread, one line for the calls refused since the previous message-pump step,
// since the console itself belongs to that thread. The check costs one atomic load and one
// thread-identity read per call.
#include "internal.h"

#include <atomic>
#include <thread>

namespace tevra {

namespace {

ThreadState &state = context().thread;

} // namespace

void claim_library_thread() { state.library_thread.store(std::this_thread::get_id(), std::memory_order_relaxed); }

bool on_library_thread(const char *entry_point) {
  const std::thread::id owner = state.library_thread.load(std::memory_order_relaxed);
  if (owner == std::thread::id() || owner == std::this_thread::get_id()) return true;
  const char *none = nullptr;
  state.first_refused.compare_exchange_strong(none, entry_point);
  state.refused_calls.fetch_add(1);
  return false;
}

void report_refused_calls() {
  if (state.refused_calls.load(std::memory_order_relaxed) == 0) return;
  const int32_t count = state.refused_calls.exchange(0);
  const char *entry_point = state.first_refused.exchange(nullptr);
  if (count == 1) {
    tevra_log("%s was called from another thread and refused: TEVRA runs on the thread that opened it\n",
              entry_point);
  } else {
    tevra_log("%s and %d more calls came from another thread and were refused: TEVRA runs on the thread "
              "that opened it\n",
              entry_point, count - 1);
  }
}

} // namespace tevra

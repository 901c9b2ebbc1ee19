// testing.cpp — hooks for tests and the replay tool (see testing.h).
//
// Owns the two observer hooks. Promises: with no hook set the library behaves exactly as without
// this file, and tevra_testing_reset puts every module back to its state at program start.
#include "testing.h"

#include "internal.h"

namespace {

void (*wait_hook)(void *ctx) = nullptr;
void *wait_hook_ctx = nullptr;
void (*console_hook)(const char *line, void *ctx) = nullptr;
void *console_hook_ctx = nullptr;

} // namespace

namespace tevra {

void testing_on_wait() {
  if (wait_hook) wait_hook(wait_hook_ctx);
}

void testing_on_console_line(const char *line) {
  if (console_hook) console_hook(line, console_hook_ctx);
}

} // namespace tevra

HDC tevra_testing_canvas() { return tevra::canvas; }

void tevra_testing_set_wait_hook(void (*hook)(void *ctx), void *ctx) {
  wait_hook = hook;
  wait_hook_ctx = ctx;
}

void tevra_testing_set_console_hook(void (*hook)(const char *line, void *ctx), void *ctx) {
  console_hook = hook;
  console_hook_ctx = ctx;
}

HMENU tevra_testing_run_popup() { return tevra::menu_run_popup(); }

std::vector<std::string> tevra_testing_console_ring() {
  std::vector<std::string> lines;
  tevra::console_each_line([](const char *line, void *ctx) { static_cast<std::vector<std::string> *>(ctx)->push_back(line); },
                           &lines);
  return lines;
}

void tevra_testing_reset() {
  tevra::scripted_run_reset();
  tevra::script_reset();
  tevra::console_reset();
  tevra::events_reset();
  tevra::menu_reset();
  tevra::window_reset();
  tevra::one_thread_reset();
  wait_hook = nullptr;
  wait_hook_ctx = nullptr;
  console_hook = nullptr;
  console_hook_ctx = nullptr;
}

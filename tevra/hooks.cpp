// hooks.cpp — the two observer hooks a test or tool may set through the tevra_testing library.
//
// They live in the library because the library calls them; setting them is left to
// tevra/testing.cpp, which is not part of libtevra. With no hook set nothing here does anything.
#include "internal.h"

namespace tevra {

namespace {

void (*wait_hook)(void *ctx) = nullptr;
void *wait_hook_ctx = nullptr;
void (*console_hook)(const char *line, void *ctx) = nullptr;
void *console_hook_ctx = nullptr;

} // namespace

void testing_on_wait() {
  if (wait_hook) wait_hook(wait_hook_ctx);
}

void testing_on_console_line(const char *line) {
  if (console_hook) console_hook(line, console_hook_ctx);
}

void testing_set_wait_hook(void (*hook)(void *ctx), void *ctx) {
  wait_hook = hook;
  wait_hook_ctx = ctx;
}

void testing_set_console_hook(void (*hook)(const char *line, void *ctx), void *ctx) {
  console_hook = hook;
  console_hook_ctx = ctx;
}

} // namespace tevra

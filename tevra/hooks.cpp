// hooks.cpp — the two observer hooks a test or tool may set through the tevra_testing library.
//
// They live in the library's context because the library calls them; setting them is left to
// tevra/testing.cpp, which is not part of libtevra. With no hook set nothing here does anything.
#include "internal.h"

namespace tevra {

void testing_on_wait() {
  const Hooks &hooks = context().hooks;
  if (hooks.wait) hooks.wait(hooks.wait_ctx);
}

void testing_on_console_line(const char *line) {
  const Hooks &hooks = context().hooks;
  if (hooks.console) hooks.console(line, hooks.console_ctx);
}

void testing_set_wait_hook(void (*hook)(void *ctx), void *ctx) {
  context().hooks.wait = hook;
  context().hooks.wait_ctx = ctx;
}

void testing_set_console_hook(void (*hook)(const char *line, void *ctx), void *ctx) {
  context().hooks.console = hook;
  context().hooks.console_ctx = ctx;
}

} // namespace tevra

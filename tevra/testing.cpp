// testing.cpp — hooks for tests and the replay tool (see testing.h), the library tevra_testing.
//
// Kept out of libtevra so that a program sees only the public entry points. Promise:
// tevra_testing_reset puts every module back to its state at program start.
#include "testing.h"

#include "internal.h"

HDC tevra_testing_canvas() { return tevra::canvas(); }

bool tevra_testing_read_canvas(std::vector<uint32_t> &pixels) {
  return tevra::read_canvas(pixels);
}

void tevra_testing_set_wait_hook(void (*hook)(void *ctx), void *ctx) { tevra::testing_set_wait_hook(hook, ctx); }

void tevra_testing_set_console_hook(void (*hook)(const char *line, void *ctx), void *ctx) {
  tevra::testing_set_console_hook(hook, ctx);
}

HMENU tevra_testing_run_popup() { return tevra::menu_run_popup(); }

std::vector<std::string> tevra_testing_console_ring() {
  std::vector<std::string> lines;
  tevra::console_each_line([](const char *line, void *ctx) { static_cast<std::vector<std::string> *>(ctx)->push_back(line); },
                           &lines);
  return lines;
}

void tevra_testing_reset() { tevra::reset_context(); }

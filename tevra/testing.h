// tevra/testing.h — hooks into the library for tests and the replay tool (C++, not public API).
//
// These let a test process look at the canvas, see every console line, act at the start of every
// wait, and open the library many times. Nothing here changes how the library behaves for a
// program that never calls it.
#pragma once

#include <windows.h>

// The canvas device context, or null while the library is not open.
HDC tevra_testing_canvas();

// The canvas's pixels (601 x 540, 0x00RRGGBB, top row first); false while the library is not
// open or when they cannot be read.
#include <cstdint>
#include <vector>
bool tevra_testing_read_canvas(std::vector<uint32_t> &pixels);

// Called at the start of every tevra_await_event call, before its first message-pump step, so the
// frame drawn since the previous wait is complete on the canvas. Pass null to remove it.
void tevra_testing_set_wait_hook(void (*hook)(void *ctx), void *ctx);

// Called with every console line exactly as formatted (trailing newline included), after it is
// stored in the ring. Pass null to remove it.
void tevra_testing_set_console_hook(void (*hook)(const char *line, void *ctx), void *ctx);

// Puts all library state back to how it is at program start (windows forgotten, flags, console
// ring, script files closed, hooks removed): a fresh library context, so one process can open the
// library again. Before or after winport::scripted::reset(), in either order.
void tevra_testing_reset();

// For the library's own tests: the "&Run" popup (null before the graphics window exists or after
// it is gone), and the console ring's lines, oldest first, as stored.
#include <string>
#include <vector>
HMENU tevra_testing_run_popup();
std::vector<std::string> tevra_testing_console_ring();

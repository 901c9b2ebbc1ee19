// tevra/context.h — the library's state: one context that owns every module's structure.
//
// Each module keeps what it owns in one structure here and reaches it as `context().<module>`;
// nothing else is global. Tests start afresh with reset_context(): the files, memory blocks and
// drawing objects the modules hold are given back, then a fresh context takes the old one's place.
// It calls no USER32 function, so it needs no particular order with the platform's own reset.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "scripted_run.h"

namespace tevra {

constexpr int kRingSize = 25; // console lines kept
inline constexpr const char *kScriptName = "TEVRA.SCR";

// The pending event of the current wait.
struct PendingEvent {
  int32_t kind; // -1 while the current call has no event yet
  int32_t x;
  int32_t y;
  char key;
};

// ---- Windows and canvas (window.cpp) -------------------------------------------------------------
struct WindowState {
  HWND graphics_window = nullptr;
  HWND text_window = nullptr;
  HDC window_context = nullptr; // the graphics window's kept device context
  HDC canvas = nullptr;
  HBITMAP canvas_bitmap = nullptr;
  HBRUSH background_brush = nullptr;
  bool canvas_dirty = true;
  bool graphics_destroyed = false; // the graphics window is gone: no timer, no input can come
  int32_t origin_x = 0;
  int32_t origin_y = 0;
};

// ---- Events and animation (events.cpp) -----------------------------------------------------------
struct EventState {
  PendingEvent pending = {-1, 0, 0, 0};
  bool running = false;
  bool single_step = false;
  bool quit_mode = false;
  bool timer_tick = false;
  // A quit message retrieved in a pass whose scripted event took its place; reported next call.
  bool quit_carried = false;
  // The kind returned by the previous call, before quit mode; drives the calls after the graphics
  // window is gone (see settle_without_window).
  int32_t last_kind = -1;
};

// ---- Run menu and keys (menu.cpp) ----------------------------------------------------------------
struct MenuState {
  bool ctrl_held = false;
  HMENU run_popup = nullptr; // null before the graphics window exists and after it is gone
};

// ---- Console (console.cpp) -----------------------------------------------------------------------
struct ConsoleState {
  HGLOBAL lines[kRingSize] = {};
  int32_t first = -1; // the oldest kept line's slot, -1 while the ring is empty
  int32_t next = 0;   // the slot the next line goes into
  int echo = -1;      // -1 until the environment has been read
  // Lines kept while the console was shown and not drawn yet. Drawing waits for the next
  // message-pump step, where all of them cost one scroll: a frame's worth of logged drawing calls
  // stays cheap.
  int undrawn = 0;
  bool logging = true; // drawing calls are described (the Logging item's state)
};

// ---- Script recording (script_write.cpp) ---------------------------------------------------------
struct RecordState {
  // What the signal and exit handlers read as well, hence lock-free atomics.
  std::atomic<uint8_t> recording{0};
  std::atomic<int32_t> pending_periodic{0}; // the periodic run being counted
  std::atomic<int> write_fd{-1};            // the file being recorded into, or -1
  long long bytes_written = 0;              // whole lines in that file
};

// ---- Script playback (script_read.cpp) -----------------------------------------------------------
struct ReadState {
  bool playing_back = false;
  bool play_one = false;
  int32_t periodic_left = 0; // the rest of a periodic run being played
  FILE *read_file = nullptr; // the script being played, or null
  long lines_read = 0;       // lines taken from read_file so far, counting each piece of a long line
  // The file playback reads: "TEVRA.SCR", or a scripted run's file until that playback ends, and
  // the name the console gives it.
  const char *playback_path = kScriptName;
  const char *playback_name = kScriptName;
};

// ---- The scripted-run engine (scripted_run.cpp) --------------------------------------------------
struct TextBox {
  int left, top, right, bottom; // right and bottom excluded
};

struct RunState {
  ScriptedRun asked;       // the run in progress
  std::string script_path; // absolute: the program may change directory
  bool playing = false;    // the run's own script is being played
  bool stopped = false;    // end_with_script has ended the run: nothing more is reported
  bool first_wait = true;
  std::string dir;         // frames are written here; empty: not (any more)
  std::vector<TextBox> text_boxes;
  std::vector<TextBox> log_boxes; // the same texts' font-independent bounds (draw log only)
  int boxes_fd = -1;         // text-boxes.txt
  long long boxes_bytes = 0; // whole lines in it
  RunReport report;          // outlives the run: read after tevra_close
  int log_fd = -1;           // the draw log (draw_log.cpp), or -1
  long long log_bytes = 0;   // whole lines in it
  long log_events = 0;       // events written to it so far
  std::vector<std::string> log_corrections; // console lines of the drawing call under way
  Frame frame; // the frame being taken; its buffer is kept, so a frame neither allocates nor clears
};

// ---- The library's thread (one_thread.cpp) -------------------------------------------------------
struct ThreadState {
  std::atomic<std::thread::id> library_thread{}; // no thread until tevra_open
  std::atomic<const char *> first_refused{nullptr}; // the entry point of the first refused call
  std::atomic<int32_t> refused_calls{0};
};

// ---- Observers for tests and tools (testing.h) ----------------------------------------------------
struct Hooks {
  void (*wait)(void *ctx) = nullptr;
  void *wait_ctx = nullptr;
  void (*console)(const char *line, void *ctx) = nullptr;
  void *console_ctx = nullptr;
};

struct Context {
  WindowState window;
  EventState events;
  MenuState menu;
  ConsoleState console;
  RecordState record;
  ReadState read;
  RunState run;
  ThreadState thread;
  Hooks hooks;
  // What set_scripted_run asked for the next tevra_open, which replaces the run in progress.
  ScriptedRun next_run;
  bool next_run_set = false;
};

Context &context();
void reset_context();

} // namespace tevra

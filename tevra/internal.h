// tevra/internal.h — the routines that TEVRA's modules share with one another.
//
// Each module keeps its mutable state in its own structure of the library context (context.h); what
// another module needs to read or change goes through the functions declared here, grouped by the
// module that owns it. Nothing in this header is part of the public API.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "context.h"
#include "scripted_run.h"
#include "tevra.h"

namespace tevra {

// ---- Windows and canvas (window.cpp) -------------------------------------------------------------
constexpr int kCanvasWidth = 601;
constexpr int kCanvasHeight = 540;
constexpr UINT_PTR kTimerId = 2;
constexpr UINT kTimerPeriodMs = 100;

HWND graphics_window();      // non-null once the library is open
HWND text_window();          // the console window
bool graphics_window_live(); // open and not destroyed: a timer and input can still come
HDC canvas();                // memory DC every drawing renders into; null while the library is not open
int32_t origin_x();          // client pixel of logical (0, 0)
int32_t origin_y();
void mark_canvas_dirty();    // the canvas has changes the window does not show yet
// The w x h pixels of the bitmap selected into `dc`, as 0x00RRGGBB, top row first (false when
// they cannot all be read); read_canvas reads the whole canvas that way.
// colours_only clears each pixel's high byte, as a frame handed on or written has it; the frame
// hashes ignore that byte, so the draw log alone skips the pass.
bool read_pixels(HDC dc, int w, int h, std::vector<uint32_t> &pixels, bool colours_only = true);
bool read_canvas(std::vector<uint32_t> &pixels, bool colours_only = true);

void present_step();
void window_release(); // gives back the canvas and the brush (reset_context)

// ---- Events and animation (events.cpp) -----------------------------------------------------------
const PendingEvent &pending_event(); // what the current wait has so far

void halt_animation();          // clears the running and the single-step flag
void set_running(bool running); // a requested single step still comes
void request_single_step();
void events_on_lbutton(LPARAM position);
void events_on_char(WPARAM code);
void events_on_timer();
// A scripted event (script.cpp) becomes the pending event as input from the window does.
void events_on_scripted_key(char key);
void events_on_scripted_mouse(int32_t x, int32_t y); // logical coordinates
void events_on_scripted_periodic();

// ---- Run menu and keys (menu.cpp) ----------------------------------------------------------------
enum Command : UINT {
  kCmdAnimate = 1,
  kCmdHalt = 2,
  kCmdAdvance = 3,
  kCmdLogging = 4,
  kCmdRecord = 5,
  kCmdPlayback = 6,
  kCmdPlayOne = 7,
  kCmdQuit = 8,
  kCmdAbout = 9,
};
bool ctrl_held(); // Ctrl is held down in a library window

void menu_on_create(HWND window);
void menu_on_command(WPARAM id);
void menu_on_keydown(WPARAM vk);
void menu_on_keyup(WPARAM vk);
void menu_on_focus_lost(HWND gaining); // WM_KILLFOCUS of either library window
void menu_on_window_gone(); // the graphics window, and its menu with it, is being destroyed
void set_menu_check(UINT id, bool checked); // harmless while the menu does not exist
HMENU menu_run_popup();

// ---- Script recording (script_write.cpp) ---------------------------------------------------------
void script_start_recording();
void script_stop_recording();
bool script_recording();
// Hands the settled event of one wait to the recorder.
void script_record_hook(int32_t kind, int32_t x, int32_t y, char key);
// Writes one line (opening the file first); false when recording had to stop.
bool script_write_event(int32_t kind, int32_t x, int32_t y, char key);
void script_close_writing();
void script_close_library(); // tevra_close: writes a pending periodic run, then closes

// ---- Script playback (script_read.cpp) -----------------------------------------------------------
void script_start_playback();
// Playback of another file than "TEVRA.SCR", which the console calls `name`; both strings are kept.
void script_start_playback_of(const char *path, const char *name);
void script_stop_playback();
void script_play_one();
bool script_playing_back();
bool script_playing(); // playback on or a single step requested
bool script_reading(); // playing, stepping, or a script still open
// One pass's playback step: true when the pending event now holds a scripted event.
bool script_playback_step();
int script_read_event();
// Playback is over: the file is closed, and a scripted run is told why.
void script_end_playback(PlaybackEnd end, long line = 0, const char *text = nullptr);
void script_close_reading();
void script_close(); // both files

// ---- The library's thread (one_thread.cpp) -------------------------------------------------------
void claim_library_thread(); // tevra_open: the calling thread is the library's from now on
// Each entry point's first step: false on any thread but the library's (the call must then change
// nothing and return 0); the call is reported by report_refused_calls.
bool on_library_thread(const char *entry_point);
void report_refused_calls(); // on the library's thread: one console line for the calls refused since

// ---- The scripted-run engine (scripted_run.cpp; its entry in scripted_run.h) ---------------------
void scripted_run_open();    // end of tevra_open: starts the script, opens the frame directory
void scripted_run_on_wait(); // start of every wait: takes the next frame
void scripted_run_close();   // tevra_close: takes the frame the last event left, ends the run
void scripted_run_on_text(HFONT font, int x, int y, const char *text, int length); // a line drawn at canvas (x, y)
// A whole text of `ptsize` whose first line's lower-left corner is canvas (x, y), before its lines.
void scripted_run_on_text_call(int64_t x, int64_t y, int32_t ptsize, const char *text);
void scripted_run_on_fill(int left, int top, int right, int bottom);   // a canvas box painted over
void scripted_run_on_console_line(const char *line);
void scripted_run_on_playback_end(const PlaybackReport &report);
void scripted_run_release(); // closes the text-boxes file (reset_context)

// ---- The draw log (draw_log.cpp; opened and closed by the scripted-run engine) -------------------
// Every caller but the engine asks log_on() first: a closed log costs one branch.
struct LogField {
  const char *name;
  int64_t number = 0;
  const char *text = nullptr; // with is_text: a JSON string, or null when null
  bool is_text = false;
};
inline LogField log_text(const char *name, const char *text) { return {name, 0, text, true}; }

// The draw log is open: the one test a drawing call makes for it.
inline bool log_on() { return context().run.log_fd >= 0; }
void draw_log_open(const std::string &value); // writes the first line; said on stderr when it cannot
void draw_log_event(int32_t kind, int32_t x, int32_t y, char key, long script_line); // -1: not scripted
void draw_log_correction(const char *line); // a console line a drawing call's correction produced
// A drawing call, with the console's sentence for it (`says`), the arguments as given and as drawn;
// takes the corrections said since the last.
void draw_log_call(const char *what, int32_t color, const char *says, std::initializer_list<LogField> given,
                   std::initializer_list<LogField> drawn);
void draw_log_console(const char *line);
void draw_log_frame(long number, uint64_t hash, uint64_t outside_text);
void draw_log_close(long frames); // the close record, then the file is closed
void draw_log_release();          // closes without a record (a new run, reset_context)

// ---- Files (files.cpp) -----------------------------------------------------------------------------
// Every file the library opens is a regular file, opened without ever blocking (a FIFO is refused).
enum class OpenFailure { kNone, kSystem, kNotRegular };
int open_regular_for_writing(const char *path, OpenFailure *why); // emptied; a descriptor, or -1
FILE *open_regular_for_reading(const char *path, OpenFailure *why);
bool write_all(int fd, const char *text, size_t n);  // async-signal-safe; false with errno set
bool truncate_to(int fd, long long length);          // back to its first `length` bytes
void close_fd(int fd);

// ---- Console (console.cpp) -----------------------------------------------------------------------
void console_draw_line(const char *text); // scrolls up one line, draws text without one trailing newline
void console_flush(); // draws the lines logged since the last pump step
LRESULT CALLBACK text_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
void console_release(); // frees the kept lines (reset_context)
bool logging();            // the Logging item's state: drawing calls are said on the console
void set_logging(bool on); // and its check mark
void console_each_line(void (*visit)(const char *line, void *ctx), void *ctx); // oldest first

// ---- Palette and primitives (primitives.cpp) -----------------------------------------------------
extern const COLORREF palette[TEVRA_COLORS];
extern const char *const color_names[TEVRA_COLORS];
int32_t check_color(int32_t color);
// A correction said on the console in its fixed wording (and given to the draw log).
[[gnu::format(printf, 1, 2)]] void say_correction(const char *format, ...);

// ---- Renderer (render.cpp) -----------------------------------------------------------------------
enum DrawKind : int32_t {
  DRAW_TRIANGLE = 0,
  DRAW_RECTANGLE = 1,
  DRAW_OVAL = 2,
  DRAW_LINE = 3,
  DRAW_TEXT = 5,
};

// One drawing operation. For DRAW_TEXT, x2 is the point size and `text` the handle of the text
// block (as wide as the platform's handles); no other kind uses `text`.
struct DrawRecord {
  int32_t kind;
  int32_t color;
  int32_t width;
  int32_t x1;
  int32_t y1;
  int32_t x2;
  int32_t y2;
  int32_t x3;
  int32_t y3;
  HGLOBAL text;
};

void render_draw_record(const DrawRecord &record);
void fill_canvas();

} // namespace tevra

namespace tevra {
// ---- Testing hooks (hooks.cpp; set by tevra/testing.cpp, which is not in libtevra) ---------------
void testing_on_wait();
void testing_on_console_line(const char *line);
void testing_set_wait_hook(void (*hook)(void *ctx), void *ctx);
void testing_set_console_hook(void (*hook)(const char *line, void *ctx), void *ctx);
} // namespace tevra

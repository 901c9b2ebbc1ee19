/*
 * tevra.h — TEVRA, a small graphics and event library for interactive programs.
 *
 * USING IT
 *   Open the library, then loop: wait for an event, react, redraw. Close it at the end.
 *
 *     tevra_open(instance, prev, cmdline, show);   // two windows, the canvas, the 100 ms timer
 *     tevra_clear();                                // white canvas
 *     tevra_set_animation(TEVRA_ANIM_RUN);          // periodic events every 100 ms
 *     for (;;) {
 *       int x, y; char key;
 *       int kind = tevra_await_event(&x, &y, &key);
 *       if (kind == TEVRA_QUIT) break;
 *       ... draw with tevra_circle, tevra_rectangle, tevra_printf ...
 *     }
 *     tevra_close();
 *
 * WINDOWS
 *   "TEVRA Graphics" (601 x 540 at the screen's top-left corner, with the "&Run" menu) shows the
 *   canvas; "TEVRA Text" (the bottom third of the screen) is the console.
 *
 * COORDINATES
 *   Logical pixels, signed 32-bit: the origin is the centre of the graphics window's client area, x
 *   grows to the right and y grows UP. On the classic window metrics the client area is 595 x 496 and
 *   logical (x, y) is client pixel (297 + x, 248 - y). Nothing is bounded: the canvas clips.
 *
 * COLOURS
 *   An index 0..23 into the palette below. An illegal index is drawn red, with a console line.
 *
 * EVENTS
 *   tevra_await_event returns one of TEVRA_MOUSE (a left click; x, y set), TEVRA_KBD (a typed
 *   character; key set), TEVRA_PERIODIC (an animation tick) or TEVRA_QUIT. All three outputs are
 *   always written, 0 where the event sets nothing.
 *
 * THE RUN MENU AND ITS KEYS
 *   Ctrl+A animate, Ctrl+H halt, Ctrl+F advance one frame, Ctrl+L logging, Ctrl+R record to
 *   "TEVRA.SCR", Ctrl+P play it back, Ctrl+O play one event of it, Ctrl+Q quit. The keys work in
 *   either window and in either case; their characters never reach the program.
 *
 * SCRIPTS
 *   Recording writes the events tevra_await_event returns to "TEVRA.SCR" in the current directory,
 *   one line each: TEVRA_MOUSE(x, y); TEVRA_KBD(code); and TEVRA_PERIODIC(n); for a run of n ticks
 *   (quits are not written). Playback returns the file's events instead of live input, as fast as
 *   the program asks; it halts the animation, and ends at the end of the file or at a line it cannot
 *   use, which the console names (its number and first characters). A last line without a newline
 *   is played like any other (a file written by hand need not end in one). A line longer than 511
 *   characters is read as pieces of 511, each a line of its own. Recording and playback exclude each
 *   other: starting one stops the other. Only a regular file is played or written.
 *   Each line is in the file as soon as it is recorded; the run of ticks still being counted is
 *   written when recording stops, at tevra_close, at exit, and when SIGHUP, SIGINT, SIGQUIT, SIGTERM
 *   or abort() ends the process (unless the program handles that signal itself). A file that cannot
 *   be opened or written (a full disk) is said once on the console, with the reason, and stops the
 *   recording; the file then holds whole lines only.
 *   Three environment variables, read by tevra_open, make unattended runs: TEVRA_SCRIPT=FILE plays
 *   FILE from the first event on, TEVRA_FRAMES=DIR writes the canvas at every wait, as
 *   DIR/frame-000000 (the first wait), frame-000001 (after event 1) and so on, and TEVRA_LOG=FILE
 *   writes the run's draw log (events, drawing calls, console lines, frame hashes; JSON Lines, see
 *   docs/draw-log.md).
 *
 * CONSOLE
 *   Keeps the last 25 lines. With logging on (the initial state) every drawing call is described
 *   there; corrected arguments and script failures are reported whatever the logging flag says.
 *   Lines appear at the next wait, not as they are logged: all lines logged since the last wait are
 *   drawn there together, with the picture drawing each one at once would have left. Setting the
 *   environment variable TEVRA_ECHO=1 also writes every console line to standard error.
 *
 * ONE THREAD
 *   The library is single-threaded: call it only from the thread that called tevra_open. A call from
 *   any other thread is refused: it changes nothing and returns 0 (tevra_await_event also writes 0 to
 *   its three outputs), and the library's thread says so in one console line at its next wait.
 *
 * Every entry point returns a 32-bit integer: 1 for done unless stated otherwise, and 0 when called
 * from another thread than the library's.
 */
#ifndef TEVRA_H
#define TEVRA_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Event kinds (result of tevra_await_event) --------------------------------------------------- */
#define TEVRA_MOUSE 1    /* left button pressed in the graphics window; x, y are its logical point */
#define TEVRA_KBD 2      /* a character typed without Ctrl; key is its 8-bit code */
#define TEVRA_PERIODIC 3 /* an animation tick (at most one per 100 ms) */
#define TEVRA_QUIT 4     /* Quit was chosen, the window was closed, or quit mode is set */

/* ---- Animation modes (argument of tevra_set_animation) ------------------------------------------ */
#define TEVRA_ANIM_HALT 0 /* no periodic events */
#define TEVRA_ANIM_STEP 1 /* one periodic event, then as before */
#define TEVRA_ANIM_RUN 2  /* a periodic event at every tick */
#define TEVRA_ANIM_QUIT 5 /* every later event is reported as TEVRA_QUIT */

/* ---- Palette indices ------------------------------------------------------------------------------ */
#define TEVRA_BLACK 0
#define TEVRA_WHITE 1
#define TEVRA_RED 2
#define TEVRA_GREEN 3
#define TEVRA_BLUE 4
#define TEVRA_YELLOW 5
#define TEVRA_MAGENTA 6
#define TEVRA_CYAN 7
#define TEVRA_PURPLE 8
#define TEVRA_NAVY_BLUE 9
#define TEVRA_DUSTY_PLUM 10
#define TEVRA_ICE_BLUE 11
#define TEVRA_TURQUOISE 12
#define TEVRA_ORANGE 13
#define TEVRA_BROWN 14
#define TEVRA_PINK 15
#define TEVRA_CHALK 16
#define TEVRA_GOLD 17
#define TEVRA_PEACH 18
#define TEVRA_FOREST_GREEN 19
#define TEVRA_SEA_GREEN 20
#define TEVRA_OLIVE 21
#define TEVRA_GRAY_50 22 /* "50% gray", the darker grey (128) */
#define TEVRA_GRAY_20 23 /* "20% gray", the lighter grey (204) */
#define TEVRA_COLORS 24

/* ---- Windows and canvas --------------------------------------------------------------------------- */

/* Opens the library: registers the window classes (unless previous_instance is non-null), creates
 * and shows both windows with show_command, creates the canvas and starts the 100 ms timer. Pass
 * the program's four start-up values unchanged (on systems without Win32: null, null, "" and 1
 * will do; the command line is only read). Call once per process. Returns 1. */
int32_t tevra_open(void *instance, void *previous_instance, const char *command_line, int32_t show_command);

/* Releases the window context and closes the script file (writing a pending recording). Returns 1. */
int32_t tevra_close(void);

/* Shows (non-zero) or hides (0) the console window. Returns non-zero when it was visible before. */
int32_t tevra_show_text_window(int32_t show);

/* ---- Events and animation ------------------------------------------------------------------------- */

/* Waits for the next event, writes *x_out, *y_out and *key_out, and returns the event kind. Only
 * here are the windows served: input, menu commands and repainting, and the canvas is shown when
 * something was drawn. Waiting sleeps in the window system; a playing script never waits. Once the
 * graphics window has been closed and its TEVRA_QUIT returned, calls return at once, alternately
 * TEVRA_PERIODIC and TEVRA_QUIT, so a loop that waits for a quit and one that counts frames both
 * end. */
int32_t tevra_await_event(int32_t *x_out, int32_t *y_out, char *key_out);

/* Applies an animation mode. Returns 0 when the library is not open, else 1 (also for modes 3, 4 and
 * values outside 0..5, which change nothing). */
int32_t tevra_set_animation(int32_t mode);

/* Switches the description of drawing calls on the console on (non-zero) or off. Switching it on
 * also shows the console. Returns 0 when the library is not open, else 1. */
int32_t tevra_set_logging(int32_t on);

/* ---- Console -------------------------------------------------------------------------------------- */

/* Appends one printf-formatted line to the console (output beyond 1,023 characters is cut), whatever
 * the logging flag says; the window shows it at the next wait. Returns the number of characters
 * kept. */
int32_t tevra_log(const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

/* ---- Drawing primitives ----------------------------------------------------------------------------
 * Each corrects impossible arguments (with a console line), describes the call on the console while
 * logging is on, and draws into the canvas at once; the window shows it at the next wait. A width of
 * 0 means filled for triangles, rectangles and ovals; a wider outline is centred on the edge. */

/* A filled circle of the given radius around (x, y): 2 * radius + 1 pixels across. Returns 1. */
int32_t tevra_circle(int32_t color, int32_t x, int32_t y, int32_t radius);
/* A triangle through three corners. Returns 1. */
int32_t tevra_triangle(int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3,
                       int32_t width);
/* A rectangle between two opposite corners (any order), both included. Returns 1. */
int32_t tevra_rectangle(int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width);
/* An oval inscribed in the box between two opposite corners. Returns 1. */
int32_t tevra_oval(int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width);
/* A line from (x1, y1) to (x2, y2); the end point itself is not drawn. Returns 1. */
int32_t tevra_line(int32_t color, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width);
/* Text whose first line has its lower-left corner at (x, y); "\n" starts a line below. ptsize is
 * the character height in pixels, 0..127 (larger sizes are drawn at 127). A null text draws
 * nothing. Returns 1. */
int32_t tevra_text(int32_t color, int32_t x, int32_t y, int32_t ptsize, const char *text);
/* tevra_text of a printf-formatted string, cut to 1,023 characters. Returns the number of
 * characters drawn. */
int32_t tevra_printf(int32_t color, int32_t x, int32_t y, int32_t ptsize, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 5, 6)))
#endif
    ;

/* Paints the whole canvas white, framed by a 1-pixel black line. Returns 1. */
int32_t tevra_clear(void);

#ifdef __cplusplus
}
#endif

#endif /* TEVRA_H */

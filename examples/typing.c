/*
 * typing.c — typing, shown on the canvas and written to the console.
 *
 * Type a line: it grows on the canvas as you type (Backspace takes a character back). Enter writes
 * it to the console window "TEVRA Text" and moves it up into the list of lines on the canvas. Tab
 * switches logging, so the console also describes every drawing call. Esc ends the program.
 */
#include <string.h>
#include <tevra.h>

enum { MAX_LINE = 60, LIST_ROWS = 12, ROW_HEIGHT = 30 };

static char lines[LIST_ROWS][MAX_LINE + 1]; /* the lines entered, newest first */
static char line[MAX_LINE + 1];             /* the line being typed */

static void draw(void) {
  int i;
  tevra_rectangle(TEVRA_CHALK, -296, 247, 296, -247, 0);
  for (i = 0; i < LIST_ROWS && lines[i][0]; i++) tevra_text(TEVRA_NAVY_BLUE, -280, -120 + ROW_HEIGHT * (i + 1), 20, lines[i]);
  tevra_rectangle(TEVRA_WHITE, -290, -150, 290, -200, 0);
  tevra_rectangle(TEVRA_BLACK, -290, -150, 290, -200, 1);
  tevra_printf(TEVRA_BLACK, -280, -188, 24, "> %s_", line);
  tevra_text(TEVRA_GRAY_50, -280, -235, 14, "Enter sends the line to the console, Tab switches logging, Esc quits");
}

static void enter_line(void) {
  tevra_log("%s\n", line);
  memmove(lines[1], lines[0], sizeof lines - sizeof lines[0]);
  strcpy(lines[0], line);
  line[0] = '\0';
}

int main(void) {
  int logging = 0;
  int x, y;
  char key;

  tevra_open(0, 0, "", 1);
  tevra_show_text_window(1);
  tevra_set_logging(logging);
  tevra_clear();
  tevra_log("Type on the canvas; Enter writes the line here.\n");
  draw();
  for (;;) {
    int kind = tevra_await_event(&x, &y, &key);
    size_t n = strlen(line);
    if (kind == TEVRA_QUIT || (kind == TEVRA_KBD && key == 27)) break;
    if (kind != TEVRA_KBD) continue;
    if (key == '\r' || key == '\n') {
      enter_line();
    } else if (key == '\b') {
      if (n > 0) line[n - 1] = '\0';
    } else if (key == '\t') {
      logging = !logging;
      tevra_set_logging(logging);
    } else if (n < MAX_LINE && (unsigned char)key >= ' ') {
      line[n] = key;
      line[n + 1] = '\0';
    }
    draw();
  }
  tevra_close();
  return 0;
}

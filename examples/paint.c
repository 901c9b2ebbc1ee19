/*
 * paint.c — click to draw.
 *
 * Every left click draws the current shape, in the current colour, where you clicked: a circle, a
 * triangle, a square, an oval, or a line from your previous click. Keys: s picks the next shape, c
 * the next colour, x clears the canvas, Esc (or Ctrl+Q, or the close box) ends the program.
 */
#include <tevra.h>

enum shape { CIRCLE, TRIANGLE, SQUARE, OVAL, LINE, SHAPES };
static const char *const shape_names[SHAPES] = {"circle", "triangle", "square", "oval", "line"};

/* The status line along the top edge: what the next click draws. */
static void draw_status(int shape, int color) {
  tevra_rectangle(TEVRA_WHITE, -296, 247, 296, 222, 0);
  tevra_printf(TEVRA_BLACK, -290, 226, 16, "next click: %s in colour %d   (s shape, c colour, x clear, Esc quits)",
               shape_names[shape], color);
}

/* Draws one shape centred on (x, y); a line runs from (px, py), the previous click, to (x, y). */
static void draw_shape(int shape, int color, int x, int y, int px, int py) {
  switch (shape) {
  case CIRCLE: tevra_circle(color, x, y, 20); break;
  case TRIANGLE: tevra_triangle(color, x - 20, y - 15, x + 20, y - 15, x, y + 20, 0); break;
  case SQUARE: tevra_rectangle(color, x - 15, y - 15, x + 15, y + 15, 0); break;
  case OVAL: tevra_oval(color, x - 30, y - 15, x + 30, y + 15, 3); break;
  case LINE: tevra_line(color, px, py, x, y, 4); break;
  }
}

int main(void) {
  int shape = CIRCLE, color = TEVRA_BLUE;
  int px = 0, py = 0; /* the previous click */
  int x, y;
  char key;
  int done = 0;

  tevra_open(0, 0, "", 1);
  tevra_set_logging(0);
  tevra_clear();
  draw_status(shape, color);
  while (!done) {
    switch (tevra_await_event(&x, &y, &key)) {
    case TEVRA_MOUSE:
      draw_shape(shape, color, x, y, px, py);
      px = x;
      py = y;
      break;
    case TEVRA_KBD:
      if (key == 's') shape = (shape + 1) % SHAPES;
      if (key == 'c') color = (color + 1) % TEVRA_COLORS;
      if (key == 'x') tevra_clear();
      if (key == 27) done = 1;
      draw_status(shape, color);
      break;
    case TEVRA_QUIT:
      done = 1;
      break;
    }
  }
  tevra_close();
  return 0;
}

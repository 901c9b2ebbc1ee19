/*
 * record.c — a path to record and play back.
 *
 * Each left click adds a point to a path (up to 32), and a ball runs along the path, one point for
 * every periodic event. Record what you do: Ctrl+R starts recording to "TEVRA.SCR" in the current
 * directory, Ctrl+R again stops (so does quitting). Ctrl+P plays the file back in the running
 * program; to replay it from the start, without a window, and keep every frame:
 *
 *     TEVRA_SCRIPT=TEVRA.SCR TEVRA_FRAMES=frames WINPORT_DISPLAY=headless ./record
 *
 * Esc ends the program (type it before you stop recording, and the replay ends by itself).
 */
#include <tevra.h>

enum { MAX_POINTS = 32 };

struct path {
  int x[MAX_POINTS], y[MAX_POINTS];
  int count;
};

static void draw(const struct path *p, int ball) {
  int i;
  tevra_rectangle(TEVRA_WHITE, -296, 247, 296, -247, 0);
  tevra_printf(TEVRA_GRAY_50, -290, 226, 14, "%d points. Click to add one; Ctrl+R records, Ctrl+P plays back, Esc quits",
               p->count);
  for (i = 1; i < p->count; i++) tevra_line(TEVRA_SEA_GREEN, p->x[i - 1], p->y[i - 1], p->x[i], p->y[i], 3);
  for (i = 0; i < p->count; i++) tevra_circle(TEVRA_FOREST_GREEN, p->x[i], p->y[i], 4);
  if (p->count > 0) tevra_circle(TEVRA_ORANGE, p->x[ball], p->y[ball], 12);
}

int main(void) {
  struct path p = {{0}, {0}, 0};
  int ball = 0;
  int x, y;
  char key;

  tevra_open(0, 0, "", 1);
  tevra_set_logging(0);
  tevra_clear();
  tevra_set_animation(TEVRA_ANIM_RUN);
  draw(&p, ball);
  for (;;) {
    int kind = tevra_await_event(&x, &y, &key);
    if (kind == TEVRA_QUIT || (kind == TEVRA_KBD && key == 27)) break;
    if (kind == TEVRA_MOUSE && p.count < MAX_POINTS) {
      p.x[p.count] = x;
      p.y[p.count] = y;
      p.count++;
    }
    if (kind == TEVRA_PERIODIC && p.count > 0) ball = (ball + 1) % p.count;
    draw(&p, ball);
  }
  tevra_close();
  return 0;
}

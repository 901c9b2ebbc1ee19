/*
 * clock.c — animation you can halt and step.
 *
 * A hand goes round a dial, one twelfth for every periodic event: ten steps a second while the
 * animation runs. Keys: h halts it, s moves it exactly one step (and halts), g lets it go again;
 * Esc puts the library in quit mode, so the next event is TEVRA_QUIT and the loop ends. The
 * "&Run" menu and Ctrl+A, Ctrl+H, Ctrl+F do the same as g, h and s.
 */
#include <tevra.h>

enum { STEPS = 12, RADIUS = 150 };

/* Where the hand points at each step: twelve positions 30 degrees apart, 130 pixels out. */
static const int hand[STEPS][2] = {{0, 130},   {65, 113},   {113, 65},   {130, 0},   {113, -65}, {65, -113},
                                   {0, -130}, {-65, -113}, {-113, -65}, {-130, 0}, {-113, 65}, {-65, 113}};

static void draw(int steps, const char *mode) {
  const int hx = hand[steps % STEPS][0], hy = hand[steps % STEPS][1];
  tevra_rectangle(TEVRA_ICE_BLUE, -296, 247, 296, -247, 0);
  tevra_circle(TEVRA_WHITE, 0, 0, RADIUS);
  tevra_triangle(TEVRA_RED, -8, RADIUS + 4, 8, RADIUS + 4, 0, RADIUS - 12, 0); /* twelve o'clock */
  tevra_line(TEVRA_NAVY_BLUE, 0, 0, hx, hy, 5);
  tevra_circle(TEVRA_NAVY_BLUE, 0, 0, 8);
  tevra_printf(TEVRA_BLACK, -290, 220, 18, "step %d, %s   (h halt, s step, g go, Esc quits)", steps, mode);
}

int main(void) {
  int steps = 0;
  const char *mode = "running";
  int x, y;
  char key;

  tevra_open(0, 0, "", 1);
  tevra_set_logging(0);
  tevra_clear();
  tevra_set_animation(TEVRA_ANIM_RUN);
  draw(steps, mode);
  for (;;) {
    int kind = tevra_await_event(&x, &y, &key);
    if (kind == TEVRA_QUIT) break;
    if (kind == TEVRA_PERIODIC) steps++;
    if (kind == TEVRA_KBD && key == 'h') {
      tevra_set_animation(TEVRA_ANIM_HALT);
      mode = "halted";
    }
    if (kind == TEVRA_KBD && key == 's') {
      tevra_set_animation(TEVRA_ANIM_HALT);
      tevra_set_animation(TEVRA_ANIM_STEP);
      mode = "stepping";
    }
    if (kind == TEVRA_KBD && key == 'g') {
      tevra_set_animation(TEVRA_ANIM_RUN);
      mode = "running";
    }
    if (kind == TEVRA_KBD && key == 27) tevra_set_animation(TEVRA_ANIM_QUIT);
    draw(steps, mode);
  }
  tevra_close();
  return 0;
}

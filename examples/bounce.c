/*
 * bounce.c — a ball that bounces inside the TEVRA graphics window.
 *
 * The ball moves on every periodic event (ten a second while the animation runs), a left click
 * puts it where you clicked, and every key you type is written on the console. Try the "&Run"
 * menu: Ctrl+H halts the ball, Ctrl+F moves it one frame, Ctrl+A lets it go again, Ctrl+L shows
 * each drawing call on the console, Ctrl+R records what you do and Ctrl+P plays it back.
 * Esc, Ctrl+Q or the close box ends the program.
 */
#include <tevra.h>

#ifdef _WIN32
#include <windows.h>
#endif

enum { RADIUS = 20, HALF_WIDTH = 297, HALF_HEIGHT = 248 };

struct ball {
  int x, y;   /* centre, in logical coordinates: origin at the window's centre, y up */
  int dx, dy; /* movement per frame */
};

/* Moves the ball one frame and turns it round at the edges of the client area. */
static void move_ball(struct ball *b) {
  b->x += b->dx;
  b->y += b->dy;
  if (b->x > HALF_WIDTH - RADIUS || b->x < -HALF_WIDTH + RADIUS) b->dx = -b->dx;
  if (b->y > HALF_HEIGHT - RADIUS || b->y < -HALF_HEIGHT + RADIUS) b->dy = -b->dy;
}

static void draw(const struct ball *b, int frames) {
  tevra_rectangle(TEVRA_ICE_BLUE, -300, 250, 300, -250, 0); /* the whole client area */
  tevra_circle(TEVRA_ORANGE, b->x, b->y, RADIUS);
  tevra_oval(TEVRA_BROWN, b->x - RADIUS, -HALF_HEIGHT + 6, b->x + RADIUS, -HALF_HEIGHT, 0); /* shadow */
  tevra_printf(TEVRA_NAVY_BLUE, -290, 225, 16, "frame %d  (click to move the ball, Esc quits)", frames);
}

static int run(void *instance, void *previous, const char *command_line, int show) {
  struct ball b = {0, 0, 7, 5};
  int frames = 0;
  int quit = 0;

  tevra_open(instance, previous, command_line, show);
  tevra_set_logging(0);
  tevra_clear();
  tevra_set_animation(TEVRA_ANIM_RUN);
  draw(&b, frames);

  while (!quit) {
    int x, y;
    char key;
    switch (tevra_await_event(&x, &y, &key)) {
    case TEVRA_PERIODIC:
      move_ball(&b);
      frames++;
      break;
    case TEVRA_MOUSE:
      b.x = x;
      b.y = y;
      break;
    case TEVRA_KBD:
      tevra_log("You typed '%c' (code %d)\n", key, (unsigned char)key);
      quit = key == 27;
      break;
    case TEVRA_QUIT:
      quit = 1;
      break;
    }
    draw(&b, frames);
  }

  tevra_close();
  return 0;
}

#ifdef _WIN32
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
  return run(instance, previous, command_line, show);
}
#else
int main(void) { return run(0, 0, "", 1); }
#endif

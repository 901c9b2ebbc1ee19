// farewell.cpp — the eating and goodbye sequence: 60 frames after the building phase.
//
// Frames 0..10: the landscape, the sun and the cone as built, while a peach arm reaches in from the
// right; 11..19: the arm carries the cone, without its toppings, off to the right; 20..25: a black
// band opens from the centre; from 26 on the screen is black with the white credits box, "YUM" fades
// in and out (26..36) and the goodbye sign drops to the centre (37..42), where it stays. Every frame
// is a pure function of its number and of the cone the player built.
#include "game.h"
#include "shapes.h"
#include "tevra.h"

namespace {

// The goodbye sign around (0, 0): yellow rings outside red discs.
constexpr Shape GOODBYE[] = {
    {SHAPE_CIRCLE, TEVRA_YELLOW, {0, 0, 150}, 0},  {SHAPE_CIRCLE, TEVRA_YELLOW, {170, 0, 100}, 0},
    {SHAPE_CIRCLE, TEVRA_YELLOW, {-170, 0, 100}, 0}, {SHAPE_CIRCLE, TEVRA_RED, {0, 0, 140}, 0},
    {SHAPE_CIRCLE, TEVRA_RED, {170, 0, 90}, 0},    {SHAPE_CIRCLE, TEVRA_RED, {-170, 0, 90}, 0},
};

// Half-width of the black band in frames 20..25.
constexpr int32_t BAND_HALF_WIDTH[] = {1, 50, 100, 150, 200, 250};
// Height of the goodbye sign in frames 37..41; from 42 on it rests at 0.
constexpr int32_t GOODBYE_Y[] = {250, 200, 150, 100, 50};

}  // namespace

void draw_arm(int32_t x, int32_t y) {
  tevra_circle(TEVRA_PEACH, x, y, 40);                       // the hand
  tevra_rectangle(TEVRA_PEACH, x, y + 40, x + 300, y - 40, 0);  // the arm, reaching to the right
}

void draw_goodbye(int32_t x, int32_t y) {
  draw_shapes(GOODBYE, count_of(GOODBYE), x, y);
  // Both texts share one anchor. The sizes are passed as they stand: the library caps "BYE" at its
  // largest size.
  tevra_printf(TEVRA_WHITE, x - 130, y - 60, 200, "BYE");
  tevra_printf(TEVRA_WHITE, x - 130, y - 60, 20, "THANK YOU FOR PLAYING");
}

void play_farewell_frame(int32_t frame, int32_t scoop_count, int32_t &topping_count, const int32_t topping_color[],
                         const int32_t topping_kind[], const int32_t topping_x[], const int32_t topping_y[],
                         int32_t & /*status*/, int32_t & /*selected*/, int32_t sun_style) {
  const int32_t f = frame;
  if (f <= 25) {
    draw_landscape();
    draw_sun(220, 180, sun_style);
  }
  if (f <= 10) {
    draw_scoops(scoop_count);
    draw_cone();
    draw_toppings(topping_x, topping_y, topping_kind, topping_color, topping_count);
  }
  if (f >= 11 && f <= 19) {
    const int32_t d = 25 * (f - 10);  // the cone goes with the hand
    draw_scoops_at(scoop_count, d);
    draw_cone_at(d);
  }
  if (f <= 19) draw_arm(25 * (f < 10 ? 10 - f : f - 10), -100);
  if (f >= 20 && f <= 25) {
    const int32_t b = BAND_HALF_WIDTH[f - 20];
    tevra_rectangle(TEVRA_BLACK, -b, 250, b, -250, 0);
  }
  if (f >= 26) tevra_rectangle(TEVRA_BLACK, -300, 250, 300, -250, 0);

  if (f <= 25) {
    draw_credits_box(245, -210, TEVRA_BLACK, TEVRA_WHITE);
  } else if (f <= 59) {
    draw_credits_box(245, -210, TEVRA_WHITE, TEVRA_BLACK);
  }

  const int32_t yum = fade_color(f, 26, 36);
  if (yum >= 0) tevra_printf(yum, -150, -100, 400, "YUM");

  if (f >= 37 && f <= 41) draw_goodbye(0, GOODBYE_Y[f - 37]);
  if (f >= 42) draw_goodbye(0, 0);
}

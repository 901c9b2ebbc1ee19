// scene.cpp — the pieces of the building scene: backdrop, clouds, drip, status line, scoops, cone,
// toppings, credits box and sun.
//
// Each routine is a fixed sequence of TEVRA primitives with constant geometry, shifted only by its
// arguments. None keeps state, clears or waits; a later call simply paints over an earlier one.
#include "game.h"
#include "shapes.h"
#include "tevra.h"

namespace {

// The backdrop, back to front. The first five shapes are the landscape that the farewell reuses.
constexpr int LANDSCAPE_SHAPES = 5;
constexpr Shape BACKGROUND[] = {
    {SHAPE_RECTANGLE, TEVRA_ICE_BLUE, {-300, -250, 300, 250}, 0},              // sky
    {SHAPE_RECTANGLE, TEVRA_GRAY_20, {-300, -250, 300, -100}, 0},              // ground band
    {SHAPE_TRIANGLE, TEVRA_BROWN, {-300, 0, 300, 0, 0, 180}, 0},               // peak
    {SHAPE_TRIANGLE, TEVRA_SEA_GREEN, {-300, -100, 300, -100, 300, 150}, 0},   // right slope
    {SHAPE_TRIANGLE, TEVRA_FOREST_GREEN, {-300, -100, 100, -100, -300, 150}, 0},  // left slope
    {SHAPE_RECTANGLE, TEVRA_GRAY_20, {-300, 250, -180, -235}, 0},              // panel backing
    {SHAPE_LINE, TEVRA_GRAY_50, {-180, 250, -180, -235}, 2},                   // panel right edge
    {SHAPE_LINE, TEVRA_GRAY_50, {-300, -235, -180, -235}, 2},                  // panel bottom edge
};

constexpr Shape CONE[] = {
    {SHAPE_TRIANGLE, TEVRA_BROWN, {0, -175, -60, 5, 60, 5}, 0},
    {SHAPE_RECTANGLE, TEVRA_BROWN, {-60, 25, 60, 5}, 0},
};

// Scoops top first, so that each lower scoop paints over the one above it.
struct Scoop {
  int32_t min_count;  // drawn when scoop_count is at least this
  int32_t color;
  int32_t center_y;
};
constexpr Scoop SCOOPS[] = {
    {3, TEVRA_GOLD, 142},
    {2, TEVRA_MAGENTA, 82},
    {1, TEVRA_ORANGE, 25},
};
constexpr int32_t SCOOP_RADIUS = 57;

// The sun's eight rays around (0, 0), in drawing order: right, top, left, bottom, then the four
// diagonals.
constexpr int32_t SUN_RAYS[8][6] = {
    {35, 15, 35, -15, 55, 0},     {15, 35, -15, 35, 0, 55},    {-35, 15, -35, -15, -55, 0},
    {15, -35, -15, -35, 0, -55},  {35, 15, 15, 35, 40, 40},    {-35, 15, -15, 35, -40, 40},
    {-35, -15, -15, -35, -40, -40}, {15, -35, 35, -15, 40, -40},
};

}  // namespace

void draw_background() { draw_shapes(BACKGROUND, count_of(BACKGROUND)); }

void draw_landscape() { draw_shapes(BACKGROUND, LANDSCAPE_SHAPES); }

void draw_cloud(int32_t x, int32_t y, int32_t color) {
  tevra_oval(color, x - 40, y + 20, x + 40, y - 20, 0);
  tevra_oval(color, x - 60, y, x - 20, y - 20, 0);
  tevra_oval(color, x + 20, y + 20, x + 60, y, 0);
}

void draw_drip(int32_t x, int32_t y) { tevra_circle(TEVRA_ORANGE, x, y, 6); }

void draw_status_line(int32_t status) {
  switch (status) {
    case STATUS_ADD_TOPPING:
      tevra_printf(TEVRA_BLUE, -130, -215, 18, "Click on the cone to add a topping");
      break;
    case STATUS_SELECT_TOPPING:
      tevra_printf(TEVRA_BLUE, -130, -215, 18, "Click on the topping to select it");
      break;
    case STATUS_TOPPING_SELECTED:
      tevra_printf(TEVRA_RED, -130, -215, 11, "Topping selected. Click cone to move it, or a button to alter it.");
      break;
    default:
      tevra_printf(TEVRA_BLACK, -130, -215, 18, "Status error -- this status code not implemented");
      break;
  }
}

void draw_scoops_at(int32_t scoop_count, int32_t dx) {
  for (const Scoop &scoop : SCOOPS) {
    if (scoop_count >= scoop.min_count) tevra_circle(scoop.color, dx, scoop.center_y, SCOOP_RADIUS);
  }
}

void draw_scoops(int32_t scoop_count) { draw_scoops_at(scoop_count, 0); }

void draw_cone_at(int32_t dx) { draw_shapes(CONE, count_of(CONE), dx, 0); }

void draw_cone() { draw_cone_at(0); }

void draw_chip(int32_t x, int32_t y, int32_t /*color: a chip is always brown*/) {
  tevra_triangle(TEVRA_BROWN, x - 7, y - 7, x + 7, y - 7, x, y + 7, 0);
}

void draw_candy(int32_t x, int32_t y, int32_t color) {
  tevra_circle(color, x, y, 8);
  tevra_printf(TEVRA_WHITE, x - 2, y - 2, 9, "m");
}

void draw_sprinkle(int32_t x, int32_t y, int32_t color) { tevra_rectangle(color, x, y, x + 10, y + 3, 0); }

void draw_toppings(const int32_t topping_x[], const int32_t topping_y[], const int32_t topping_kind[],
                   const int32_t topping_color[], int32_t topping_count) {
  for (int32_t i = 0; i < topping_count && i < TOPPING_SLOTS; ++i) {
    const int32_t x = topping_x[i];
    const int32_t y = topping_y[i];
    switch (topping_kind[i]) {
      case TOPPING_CHIP:
        draw_chip(x, y, topping_color[i]);
        break;
      case TOPPING_CANDY:
        draw_candy(x, y, topping_color[i]);
        break;
      case TOPPING_SPRINKLE:
        draw_sprinkle(x, y, topping_color[i]);
        break;
      default:
        tevra_printf(TEVRA_WHITE, x - 2, y - 2, 9, "Oops");
        break;
    }
  }
}

void draw_credits_box(int32_t x, int32_t y, int32_t box_color, int32_t text_color) {
  const Label text[] = {
      {text_color, -35, 8, 13, "CREATED BY"},
      {text_color, -47, -15, 22, "TARVIN"},
      {text_color, -30, -40, 30, "OSK"},
  };
  tevra_rectangle(box_color, x - 50, y + 25, x + 50, y - 35, 0);
  draw_labels(text, count_of(text), x, y);
}

void draw_sun(int32_t x, int32_t y, int32_t style) {
  // Style 0 has plain rays; 1 and 3 outline them in orange, anything else in red.
  const int32_t outline = style == 0 ? -1 : (style == 1 || style == 3) ? TEVRA_ORANGE : TEVRA_RED;
  for (const auto &ray : SUN_RAYS) {
    const Shape fill = {SHAPE_TRIANGLE, TEVRA_YELLOW, {ray[0], ray[1], ray[2], ray[3], ray[4], ray[5]}, 0};
    draw_shapes(&fill, 1, x, y);
    if (outline >= 0) {
      const Shape edge = {SHAPE_TRIANGLE, outline, {ray[0], ray[1], ray[2], ray[3], ray[4], ray[5]}, 2};
      draw_shapes(&edge, 1, x, y);
    }
  }
  tevra_circle(TEVRA_RED, x, y, 40);
}

void draw_bad_news() { tevra_printf(TEVRA_RED, 0, 0, 16, "BAAAADDD NEWS!"); }

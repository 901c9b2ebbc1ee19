// cone_input.cpp — clicks on the ice cream: adding, selecting and moving toppings.
//
// A topping's position is its anchor, the point of the click that placed or last moved it. What a
// click does depends on `status`; a click that adds a topping leaves it selected (status 3).
#include "game.h"
#include "tevra.h"

namespace {

constexpr int32_t SCOOP_REACH = 57;   // a click strictly closer than this to a scoop's centre is on it
constexpr int32_t TOPPING_REACH = 8;  // a click strictly closer than this to an anchor selects it

// Whether the Euclidean distance from (x, y) to (cx, cy) is strictly less than `reach`. Exact in
// integers for any two 32-bit points: far-off points are rejected before anything is squared.
bool within(int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t reach) {
  const int64_t dx = int64_t{x} - cx;
  const int64_t dy = int64_t{y} - cy;
  if (dx <= -reach || dx >= reach || dy <= -reach || dy >= reach) return false;
  return dx * dx + dy * dy < int64_t{reach} * reach;
}

}  // namespace

int32_t on_ice_cream(int32_t x, int32_t y, int32_t scoop_count) {
  // Only the upper half of the bottom scoop counts: its lower half lies behind the cone. The upper
  // scoops are hit-tested six units above where they are drawn (88 and 148, drawn at 82 and 142).
  if (within(x, y, 0, 25, SCOOP_REACH) && y > 25) return 1;
  if (scoop_count >= 2 && within(x, y, 0, 88, SCOOP_REACH)) return 1;
  if (scoop_count >= 3 && within(x, y, 0, 148, SCOOP_REACH)) return 1;
  return 0;
}

void handle_cone_click(int32_t x, int32_t y, int32_t scoop_count, int32_t &topping_count, int32_t topping_color[],
                       int32_t topping_kind[], int32_t topping_x[], int32_t topping_y[], int32_t &status,
                       int32_t &selected) {
  const bool on_cream = on_ice_cream(x, y, scoop_count) == 1;

  // Add: a new red candy at the click, selected.
  if (status == STATUS_ADD_TOPPING && topping_count < TOPPING_SLOTS && on_cream) {
    const int32_t n = topping_count;
    topping_x[n] = x;
    topping_y[n] = y;
    topping_kind[n] = TOPPING_CANDY;
    topping_color[n] = TEVRA_RED;
    selected = n;
    topping_count = n + 1;
    status = STATUS_TOPPING_SELECTED;
  }

  // Then select or move, by the status as the add left it. Of several toppings in reach the last
  // one, which is drawn on top, wins.
  if (status == STATUS_SELECT_TOPPING && on_cream) {
    for (int32_t i = 0; i < topping_count; ++i) {
      if (within(x, y, topping_x[i], topping_y[i], TOPPING_REACH)) {
        selected = i;
        status = STATUS_TOPPING_SELECTED;
      }
    }
  } else if (status == STATUS_TOPPING_SELECTED && on_cream) {
    topping_x[selected] = x;
    topping_y[selected] = y;
  }
}

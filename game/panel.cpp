// panel.cpp — the control panel: its column of 19 buttons, and what a click on each one does.
//
// The buttons are rows of 25 units between x -295 and -185; row r spans y from 245 - 25r down to
// 220 - 25r. Rows 0..5 are commands, rows 6..15 the colour swatches, rows 16..18 the kind samples.
// The colour and kind buttons change slot `selected` of the topping arrays in every mode, whether
// or not a topping exists.
#include "game.h"
#include "shapes.h"
#include "tevra.h"

namespace {

constexpr int32_t PANEL_ROWS = 19;
constexpr int32_t PANEL_LEFT = -295;
constexpr int32_t PANEL_RIGHT = -185;
constexpr int32_t PANEL_TOP = 245;
constexpr int32_t PANEL_BOTTOM = -230;
constexpr int32_t ROW_HEIGHT = 25;

// Rows of the panel.
constexpr int32_t ROW_ADD_SCOOP = 0;
constexpr int32_t ROW_REMOVE_SCOOP = 1;
constexpr int32_t ROW_EAT = 2;
constexpr int32_t ROW_SELECT_TOPPING = 3;
constexpr int32_t ROW_ADD_TOPPING = 4;
constexpr int32_t ROW_CHANGE_COLOR = 5;
constexpr int32_t ROW_FIRST_SWATCH = 6;
constexpr int32_t ROW_LAST_SWATCH = 15;
constexpr int32_t ROW_CHIP = 16;
constexpr int32_t ROW_CANDY = 17;
constexpr int32_t ROW_SPRINKLE = 18;

constexpr Label LABELS[] = {
    {TEVRA_FOREST_GREEN, -285, 227, 12, "Add Scoop"},
    {TEVRA_RED, -285, 202, 12, "Remove Scoop"},
    {TEVRA_BLACK, -285, 177, 12, "Eat it!!"},
    {TEVRA_BLACK, -285, 152, 12, "Select Topping"},
    {TEVRA_BLACK, -285, 127, 12, "Add Topping"},
    {TEVRA_BLACK, -285, 102, 12, "Change Color"},
};

int32_t row_top(int32_t row) { return PANEL_TOP - ROW_HEIGHT * row; }

}  // namespace

void draw_button(int32_t top, int32_t bottom, int32_t light, int32_t dark) {
  // The lower edge sits one unit above `bottom`, inside the button's own rows.
  tevra_rectangle(TEVRA_GRAY_20, PANEL_LEFT, top, PANEL_RIGHT, bottom, 0);
  tevra_line(light, PANEL_LEFT, top, PANEL_RIGHT, top, 1);
  tevra_line(light, PANEL_LEFT, top, PANEL_LEFT, bottom, 1);
  tevra_line(dark, PANEL_LEFT, bottom + 1, PANEL_RIGHT, bottom + 1, 1);
  tevra_line(dark, PANEL_RIGHT, top, PANEL_RIGHT, bottom + 1, 1);
}

void draw_panel(int32_t status, const int32_t topping_color[], int32_t &selected) {
  for (int32_t row = 0; row < PANEL_ROWS; ++row) {
    draw_button(row_top(row), row_top(row) - ROW_HEIGHT, TEVRA_WHITE, TEVRA_GRAY_50);
  }

  // The button of the current mode is drawn again, pressed.
  int32_t pressed = -1;
  if (status == STATUS_ADD_TOPPING) pressed = ROW_ADD_TOPPING;
  if (status == STATUS_SELECT_TOPPING) pressed = ROW_SELECT_TOPPING;
  if (pressed >= 0) draw_button(row_top(pressed), row_top(pressed) - ROW_HEIGHT, TEVRA_GRAY_50, TEVRA_WHITE);

  draw_labels(LABELS, count_of(LABELS));

  // Swatches of colours 0..9, top to bottom.
  for (int32_t k = 0; k <= ROW_LAST_SWATCH - ROW_FIRST_SWATCH; ++k) tevra_circle(k, -275, 83 - 25 * k, 9);

  // The kind samples, in the colour of the selected slot.
  const int32_t color = topping_color[selected];
  draw_chip(-275, -167, color);
  draw_candy(-275, -192, color);
  draw_sprinkle(-280, -217, color);
}

int32_t in_panel(int32_t x, int32_t y) {
  return x > PANEL_LEFT && x < PANEL_RIGHT && y > PANEL_BOTTOM && y < PANEL_TOP ? 1 : 0;
}

void handle_panel_click(int32_t /*x*/, int32_t y, int32_t &scoop_count, int32_t topping_color[],
                        int32_t topping_kind[], int32_t & /*topping_count*/, int32_t &status, int32_t &selected,
                        int32_t &done) {
  // A click on a button's lower frame line belongs to the button below it. The sum is taken in
  // 64 bits so that no y can overflow it; only rows 0..18 have an action.
  const int64_t row = (int64_t{PANEL_TOP} - y) / ROW_HEIGHT;
  switch (row) {
    case ROW_ADD_SCOOP:
      if (scoop_count < 3) ++scoop_count;
      return;
    case ROW_REMOVE_SCOOP:
      if (scoop_count > 1) --scoop_count;
      return;
    case ROW_EAT:
      done = 1;
      return;
    case ROW_SELECT_TOPPING:
      status = STATUS_SELECT_TOPPING;
      return;
    case ROW_ADD_TOPPING:
      status = STATUS_ADD_TOPPING;
      return;
    case ROW_CHANGE_COLOR:
      // Steps through all 24 palette colours, from 23 back to 0.
      topping_color[selected] = (topping_color[selected] + 1) % TEVRA_COLORS;
      return;
    case ROW_CHIP:
      topping_kind[selected] = TOPPING_CHIP;
      return;
    case ROW_CANDY:
      topping_kind[selected] = TOPPING_CANDY;
      return;
    case ROW_SPRINKLE:
      topping_kind[selected] = TOPPING_SPRINKLE;
      return;
    default:
      if (row >= ROW_FIRST_SWATCH && row <= ROW_LAST_SWATCH) {
        topping_color[selected] = static_cast<int32_t>(row - ROW_FIRST_SWATCH);
      } else {
        draw_bad_news();
      }
      return;
  }
}

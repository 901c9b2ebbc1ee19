// game.h — Frostvel, the ice-cream cone builder: the game's state and its routines.
//
// The game is plain procedural code on top of TEVRA (include/tevra.h). `game_main` owns one
// GameState for the life of the process and runs three phases: the intro, the building phase and
// the farewell. Every other routine receives only the fields it needs and keeps no state of its
// own; all drawing goes through the TEVRA primitives, in logical coordinates (origin at the centre
// of the graphics window, y up). The scene spans x -300..300 and y -250..250.
#pragma once

#include <stdint.h>

// ---- Constants ------------------------------------------------------------------------------------

constexpr int32_t TOPPING_SLOTS = 10;  // toppings a cone can carry

// Topping kinds.
constexpr int32_t TOPPING_CHIP = 0;
constexpr int32_t TOPPING_CANDY = 1;
constexpr int32_t TOPPING_SPRINKLE = 2;

// Input modes: what a click on the ice cream does.
constexpr int32_t STATUS_ADD_TOPPING = 1;       // adds a topping there
constexpr int32_t STATUS_SELECT_TOPPING = 2;    // selects the topping within reach
constexpr int32_t STATUS_TOPPING_SELECTED = 3;  // moves the selected topping there

constexpr int32_t INTRO_FRAMES = 44;
constexpr int32_t FAREWELL_FRAMES = 60;

// ---- State ----------------------------------------------------------------------------------------

// The whole state of one game. Slots 0..topping_count-1 of the four topping arrays are live; the
// arrays start zeroed (a black chip), which is what the panel's kind samples show before the first
// topping is added or recoloured.
struct GameState {
  int32_t scoop_count;  // 1..3
  int32_t topping_count;  // 0..10
  int32_t topping_x[TOPPING_SLOTS];
  int32_t topping_y[TOPPING_SLOTS];
  int32_t topping_kind[TOPPING_SLOTS];
  int32_t topping_color[TOPPING_SLOTS];
  int32_t selected;  // 0..9: slot that the colour and kind buttons change
  int32_t status;    // STATUS_*
  int32_t done;      // a quit or "Eat it!!": ends the intro early and the building phase
  int32_t cloud1_x;
  int32_t cloud2_x;
  int32_t cloud3_x;
  int32_t drip_y;
  int32_t tick_count;  // periodic events of the building and farewell phases
  int32_t sun_phase;
  int32_t sun_style;  // 0..3, the sun's look
  int32_t intro_frame;
  int32_t intro_done;
  int32_t farewell_frame;
  int32_t farewell_done;
};

// A GameState as a new game starts it.
GameState new_game_state();

// ---- Driver (driver.cpp) --------------------------------------------------------------------------

// The program: opens TEVRA, plays intro, building phase and farewell, closes TEVRA. Takes the
// platform's four start-up values and returns the exit status (0).
int game_main(void *instance, void *previous_instance, char *command_line, int show_command);

// One periodic event's step of the sun: a new look on every second tick.
void advance_sun(int32_t &tick_count, int32_t &sun_phase, int32_t &sun_style);
// One periodic event's motion of the clouds and the drip in the building phase.
void advance_scenery(int32_t &cloud1_x, int32_t &cloud2_x, int32_t &cloud3_x, int32_t &drip_y);
// The whole building scene, back to front.
void redraw_scene(GameState &state);

// ---- Scene (scene.cpp) ----------------------------------------------------------------------------

void draw_background();
void draw_landscape();  // the background without the panel backing
void draw_cloud(int32_t x, int32_t y, int32_t color);
void draw_drip(int32_t x, int32_t y);
void draw_status_line(int32_t status);
void draw_scoops(int32_t scoop_count);
void draw_scoops_at(int32_t scoop_count, int32_t dx);  // shifted right by dx
void draw_cone();
void draw_cone_at(int32_t dx);
void draw_toppings(const int32_t topping_x[], const int32_t topping_y[], const int32_t topping_kind[],
                   const int32_t topping_color[], int32_t topping_count);
void draw_chip(int32_t x, int32_t y, int32_t color);
void draw_candy(int32_t x, int32_t y, int32_t color);
void draw_sprinkle(int32_t x, int32_t y, int32_t color);
void draw_credits_box(int32_t x, int32_t y, int32_t box_color, int32_t text_color);
void draw_sun(int32_t x, int32_t y, int32_t style);
void draw_bad_news();

// ---- Control panel (panel.cpp) --------------------------------------------------------------------

void draw_button(int32_t top, int32_t bottom, int32_t light, int32_t dark);
void draw_panel(int32_t status, const int32_t topping_color[], int32_t &selected);
// 1 when (x, y) lies on the panel's buttons (frame lines excluded), else 0.
int32_t in_panel(int32_t x, int32_t y);
void handle_panel_click(int32_t x, int32_t y, int32_t &scoop_count, int32_t topping_color[],
                        int32_t topping_kind[], int32_t &topping_count, int32_t &status, int32_t &selected,
                        int32_t &done);

// ---- Clicks on the ice cream (cone_input.cpp) -----------------------------------------------------

// 1 when (x, y) lies on the ice cream, as far as clicks are concerned, else 0.
int32_t on_ice_cream(int32_t x, int32_t y, int32_t scoop_count);
void handle_cone_click(int32_t x, int32_t y, int32_t scoop_count, int32_t &topping_count, int32_t topping_color[],
                       int32_t topping_kind[], int32_t topping_x[], int32_t topping_y[], int32_t &status,
                       int32_t &selected);

// ---- Intro and farewell (intro.cpp, farewell.cpp) -------------------------------------------------

void play_intro_frame(int32_t frame);
void play_farewell_frame(int32_t frame, int32_t scoop_count, int32_t &topping_count, const int32_t topping_color[],
                         const int32_t topping_kind[], const int32_t topping_x[], const int32_t topping_y[],
                         int32_t &status, int32_t &selected, int32_t sun_style);
void draw_arm(int32_t x, int32_t y);
void draw_goodbye(int32_t x, int32_t y);

// The text colour of a fade over frames first..last: 50% gray at the two ends, 20% gray one frame
// inside them, white in between; -1 outside the fade (nothing drawn).
int32_t fade_color(int32_t frame, int32_t first, int32_t last);

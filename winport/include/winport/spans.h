// winport/spans.h — a recorder of the spans winport's shapes write, for measuring drawing against
// the cost of writing its pixels.
//
// Every shape (rectangles, ellipses, polygons, lines, wide pens) ends in one span writer that
// stores a run of pixels on one row. With a recorder set, that writer also reports each run it
// stores, after clipping: surface row y, columns [x0, x1), and the pixel (0x00RRGGBB). Text is
// blended glyph by glyph and is not reported. Benchmarks only: a set recorder costs a call per span.
#pragma once

#include <cstdint>

namespace winport::spans {

using Recorder = void (*)(int y, int x0, int x1, uint32_t pixel, void *ctx);

// Pass null to stop recording.
void set_recorder(Recorder recorder, void *ctx);

}  // namespace winport::spans

// animation.h — lossless animations of canvas frames: animated PNG and GIF, built a frame at a time.
//
// USAGE
//   img::ApngEncoder apng;                     img::GifEncoder gif;
//   apng.add(pixels, w, h, stride, delay_ms);  if (!gif.add(pixels, w, h, stride, delay_ms)) gif.error();
//   std::vector<uint8_t> file = apng.finish(); // the whole file; write it with img::write_file (frame_image.h)
//
//   Pixels are 0x00RRGGBB, as in frame_image.h. Every frame has the size of the first; a frame is
//   shown for its delay, and the animation loops. Only the box of pixels that changed since the
//   frame before is stored (the rest of the picture stays as it was), so a frame where a ball moves
//   costs about the ball. The encoders keep the frame before and the compressed frames so far, never
//   all the pictures.
//
//   The APNG's first frame is its default image: a viewer without animation shows frame one. Its
//   deflate is the PNG encoder's. The GIF holds a frame only when the box that changed has at most 256
//   colours; colours go to the global palette while it has room, and a frame with colours that do
//   not fit there has a palette of its own.
#pragma once

#include "frame_image.h"

#include <cstdint>
#include <string>
#include <vector>

namespace img {

// The smallest box holding every pixel where two frames of w x h differ (rows `stride` and
// `previous_stride` pixels apart); an empty box (right == left) when none does.
Box changed_box(const uint32_t *pixels, int stride, const uint32_t *previous, int previous_stride, int w, int h);

class ApngEncoder {
 public:
  // add: false (and the frame left out) when pixels are null, the size is not the first frame's or
  // not positive, or stride < w.
  bool add(const uint32_t *pixels, int w, int h, int stride, int delay_ms);
  int frames() const { return frames_; }
  // finish: the whole file; empty when no frame was added.
  std::vector<uint8_t> finish();

 private:
  int width_ = 0, height_ = 0, frames_ = 0;
  uint32_t sequence_ = 0;          // fcTL and fdAT chunks are numbered together, from 0
  std::vector<uint32_t> previous_; // the frame before, width_ pixels a row
  std::vector<uint8_t> body_;      // fcTL, IDAT and fdAT chunks so far
  std::vector<uint8_t> scratch_;
};

class GifEncoder {
 public:
  // add: false when the frame cannot be added (as ApngEncoder::add, or more than 256 colours in what
  // changed), with error() saying why in words that follow "the frame has"; the encoder then takes
  // no more frames.
  bool add(const uint32_t *pixels, int w, int h, int stride, int delay_ms);
  const std::string &error() const { return error_; }
  int frames() const { return frames_; }
  // finish: the whole file; empty when no frame was added or one could not be.
  std::vector<uint8_t> finish();

 private:
  bool encode(const uint32_t *pixels, int stride, const Box &box, int delay_ms);
  int width_ = 0, height_ = 0, frames_ = 0;
  std::string error_;
  std::vector<uint32_t> palette_;  // the global palette so far
  std::vector<uint32_t> previous_;
  std::vector<uint8_t> body_;      // the frames' blocks so far
};

}  // namespace img

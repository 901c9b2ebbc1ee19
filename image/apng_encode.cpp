// apng_encode.cpp — animated PNG: PNG chunks acTL, fcTL and fdAT around the PNG encoder's deflate.
//
// The file is the signature, IHDR, acTL (frame count, loop forever), then per frame an fcTL (its
// box, delay and how it is laid over the frame before) and its pixels: IDAT for the first frame,
// which is also the default image, fdAT for the others. fcTL and fdAT share one sequence count. A
// frame's box is replaced outright (blend SOURCE) and left in place for the next (dispose NONE).
#include "animation.h"
#include "png_parts.h"

#include <algorithm>
#include <cstring>

namespace img {

Box changed_box(const uint32_t *pixels, int stride, const uint32_t *previous, int previous_stride, int w, int h) {
  const auto row_differs = [&](int y, int *left, int *right) {
    const uint32_t *a = pixels + static_cast<size_t>(y) * stride;
    const uint32_t *b = previous + static_cast<size_t>(y) * previous_stride;
    int x = 0;
    while (x < w && ((a[x] ^ b[x]) & 0xFFFFFF) == 0) ++x;
    if (x == w) return false;
    int last = w - 1;
    while (((a[last] ^ b[last]) & 0xFFFFFF) == 0) --last;
    *left = std::min(*left, x);
    *right = std::max(*right, last + 1);
    return true;
  };
  Box box{w, 0, 0, 0};
  int top = -1;
  for (int y = 0; y < h; ++y) {
    if (!row_differs(y, &box.left, &box.right)) continue;
    if (top < 0) top = y;
    box.bottom = y + 1;
  }
  if (top < 0) return Box{0, 0, 0, 0};
  box.top = top;
  return box;
}

namespace {

void put16(uint8_t *p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v);
}

}  // namespace

void png::keep_frame(std::vector<uint32_t> *previous, const uint32_t *pixels, int w, int h, int stride) {
  previous->resize(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      (*previous)[static_cast<size_t>(y) * w + x] = pixels[static_cast<size_t>(y) * stride + x] & 0xFFFFFF;
}

bool ApngEncoder::add(const uint32_t *pixels, int w, int h, int stride, int delay_ms) {
  if (pixels == nullptr || w <= 0 || h <= 0 || stride < w || (frames_ > 0 && (w != width_ || h != height_)))
    return false;
  Box box{0, 0, w, h};
  if (frames_ > 0) {
    box = changed_box(pixels, stride, previous_.data(), w, w, h);
    if (box.right == box.left) box = Box{0, 0, 1, 1};  // an unchanged frame still needs a pixel
  }
  width_ = w;
  height_ = h;
  const int bw = box.right - box.left, bh = box.bottom - box.top;
  uint8_t control[26];
  png::put32(control, sequence_++);
  png::put32(control + 4, static_cast<uint32_t>(bw));
  png::put32(control + 8, static_cast<uint32_t>(bh));
  png::put32(control + 12, static_cast<uint32_t>(box.left));
  png::put32(control + 16, static_cast<uint32_t>(box.top));
  put16(control + 20, static_cast<uint32_t>(std::clamp(delay_ms, 0, 65535)));
  put16(control + 22, 1000);  // the delay is in thousandths of a second
  control[24] = 0;            // dispose NONE: the next frame is laid over this one
  control[25] = 0;            // blend SOURCE: the box replaces what was there
  png::append_chunk(&body_, "fcTL", control, sizeof control);
  // fdAT's data is its sequence number, then what IDAT would hold.
  const size_t head = frames_ == 0 ? 0 : 4;
  scratch_.resize(head + png::zlib_bound(bw, bh));
  if (head) png::put32(scratch_.data(), sequence_++);
  const uint32_t *start = pixels + static_cast<size_t>(box.top) * stride + box.left;
  const size_t size = head + png::zlib_stream(start, bw, bh, stride, scratch_.data() + head);
  png::append_chunk(&body_, frames_ == 0 ? "IDAT" : "fdAT", scratch_.data(), size);
  png::keep_frame(&previous_, pixels, w, h, stride);
  ++frames_;
  return true;
}

std::vector<uint8_t> ApngEncoder::finish() {
  if (frames_ == 0) return {};
  static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> file(signature, signature + 8);
  file.reserve(body_.size() + 8 + 25 + 20 + 12);
  uint8_t header[13] = {0, 0, 0, 0, 0, 0, 0, 0, 8, 2, 0, 0, 0};  // 8-bit RGB, no interlace
  png::put32(header, static_cast<uint32_t>(width_));
  png::put32(header + 4, static_cast<uint32_t>(height_));
  png::append_chunk(&file, "IHDR", header, sizeof header);
  uint8_t animation[8] = {0, 0, 0, 0, 0, 0, 0, 0};  // the frame count, then 0 plays: loop forever
  png::put32(animation, static_cast<uint32_t>(frames_));
  png::append_chunk(&file, "acTL", animation, sizeof animation);
  file.insert(file.end(), body_.begin(), body_.end());
  png::append_chunk(&file, "IEND", nullptr, 0);
  return file;
}

}  // namespace img

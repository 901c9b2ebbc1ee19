// frame_hash.cpp — FNV-1a over 32-bit words of a frame, whole or outside a list of boxes.
#include "frame_image.h"

#include <algorithm>

namespace img {
namespace {

constexpr uint64_t kOffset = 0xcbf29ce484222325ull, kPrime = 0x100000001b3ull;

inline uint64_t mix(uint64_t h, uint32_t v) { return (h ^ v) * kPrime; }

uint64_t hash_row(uint64_t h, const uint32_t *row, int w) {
  for (int x = 0; x < w; ++x) h = mix(h, row[x] & 0xFFFFFFu);
  return h;
}

bool valid(const uint32_t *pixels, int w, int h, int stride) { return pixels != nullptr && w > 0 && h > 0 && stride >= w; }

uint64_t start(int w, int h) { return mix(mix(kOffset, static_cast<uint32_t>(w)), static_cast<uint32_t>(h)); }

}  // namespace

uint64_t frame_hash(const uint32_t *pixels, int w, int h, int stride) {
  if (!valid(pixels, w, h, stride)) return start(std::max(w, 0), std::max(h, 0));
  uint64_t hash = start(w, h);
  for (int y = 0; y < h; ++y) hash = hash_row(hash, pixels + static_cast<size_t>(y) * static_cast<size_t>(stride), w);
  return hash;
}

uint64_t frame_hash_outside(const uint32_t *pixels, int w, int h, int stride, const Box *boxes, size_t count) {
  if (!valid(pixels, w, h, stride)) return frame_hash(pixels, w, h, stride);
  // Each row is copied, the boxes crossing it are cleared, and the copy is hashed as the row.
  std::vector<uint32_t> row(static_cast<size_t>(w));
  uint64_t hash = start(w, h);
  for (int y = 0; y < h; ++y) {
    const uint32_t *src = pixels + static_cast<size_t>(y) * static_cast<size_t>(stride);
    std::copy_n(src, w, row.data());
    for (size_t i = 0; i < count; ++i) {
      const Box &b = boxes[i];
      if (y < b.top || y >= b.bottom) continue;
      const int left = std::max(b.left, 0), right = std::min(b.right, w);
      if (left < right) std::fill(row.begin() + left, row.begin() + right, 0u);
    }
    hash = hash_row(hash, row.data(), w);
  }
  return hash;
}

}  // namespace img

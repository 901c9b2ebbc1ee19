// frame_image.h — PNG files and hashes of canvas frames, the same on every platform.
//
// USAGE
//   Pixels are uint32_t values 0x00RRGGBB (the layout of a winport surface and of GetDIBits' 32-bit
//   rows), top row first; the high byte is ignored everywhere. `stride` is the distance between the
//   starts of two rows, in pixels (not bytes), and is at least the width.
//
//   Writing a frame:     img::write_png(path, pixels, w, h, stride, &reason)
//   Encoding in memory:  img::encode_png(pixels, w, h, stride)
//   Comparing frames:    img::frame_hash(pixels, w, h, stride), or img::frame_hash_outside(...) to
//                        leave out boxes (the text boxes of a scripted run)
//   Reading a PNG:       img::read_png(path, &image, &reason)   (Linux only, for tests and tools)
//
//   Files are 8-bit RGB PNG, non-interlaced, compressed for speed rather than size: a game frame of
//   601 x 540 encodes in under a millisecond into some 30 KB, where a general-purpose deflate takes
//   ten times as long for a third less. The encoder is plain integer code of our own and needs no
//   library: the same pixels give the same bytes on every platform (Linux, Win32, the browser), every
//   run.
//   Nothing here keeps state between calls; every call may be made from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace img {

// A whole image in memory: width * height pixels 0x00RRGGBB, top row first, stride = width.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;

  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + x]; }
};

// encode_png: the whole PNG file for w x h pixels (rows `stride` pixels apart), as bytes. Returns an
// empty vector when pixels is null, w or h is not positive, or stride < w. Each row is stored
// unfiltered; the deflate stream is one block of fixed codes whose matches repeat the pixel to the
// left or the row above, which is what flat areas and repeated rows need.
std::vector<uint8_t> encode_png(const uint32_t *pixels, int w, int h, int stride);

// write_png: writes the PNG of w x h pixels (as encode_png) to `path` as a whole file: the bytes go to
// a temporary file in the same folder, which then replaces `path` in one step, so `path` is either
// its old self or the complete new image, never a part. Returns true on success. On failure returns
// false, leaves nothing behind (the temporary file is removed, `path` untouched) and, when `reason`
// is not null, sets it to why: the system's text for the error, or "the disk is full".
bool write_png(const std::string &path, const uint32_t *pixels, int w, int h, int stride,
               std::string *reason = nullptr);
bool write_png(const std::string &path, const Image &image, std::string *reason = nullptr);

// write_file: any `size` bytes written whole, the same way (animations, the checker's reports and
// references).
bool write_file(const std::string &path, const void *data, size_t size, std::string *reason = nullptr);

// read_png: reads any PNG file into `image` (palette, grey, 16-bit and alpha are reduced to 8-bit
// RGB; alpha is dropped). Returns false, with `reason` set when not null, when the file is missing,
// is not a PNG, or is larger than 32768 pixels either way. It is libpng's, in the separate target
// tevra_image_reader, built only where libpng is (Linux): writing never needs it.
bool read_png(const std::string &path, Image *image, std::string *reason = nullptr);

// frame_hash: a 64-bit hash of a frame's size and pixels, for comparing frames without keeping
// them. With mix(h, v) = (h ^ v) * 0x100000001b3 (mod 2^64) and O = 0xcbf29ce484222325:
//   - a row's value: lanes a, b, c, d start at O, O+1, O+2, O+3; for each whole group of eight
//     pixels, lane k takes the word p[2k] | p[2k+1] << 32 of the group (each pixel & 0xFFFFFF);
//     then r = mix(mix(mix(a, b), c), d), and each pixel left over in turn r = mix(r, p & 0xFFFFFF);
//   - the frame: H = mix(mix(O, w), h), then H = mix(H, r) for each row, top to bottom.
// So it does not depend on the stride or the pixels' high byte, is the same on every platform, and
// differs whenever one pixel alone changes. Null pixels, or a size or stride out of range, hash as
// the size alone.
uint64_t frame_hash(const uint32_t *pixels, int w, int h, int stride);

// A rectangle of pixels: left and top included, right and bottom excluded.
struct Box {
  int left, top, right, bottom;
};

// frame_hash_outside: frame_hash of the frame with every pixel inside any of the `count` boxes taken
// as 0, so two frames that differ only inside the boxes hash alike. Boxes may overlap, be empty, or
// reach outside the frame (they are clipped).
uint64_t frame_hash_outside(const uint32_t *pixels, int w, int h, int stride, const Box *boxes, size_t count);

// frame_hashes: both at once, reading the frame once; a row no box reaches is hashed once.
struct FrameHashes {
  uint64_t whole, outside_boxes;
};
FrameHashes frame_hashes(const uint32_t *pixels, int w, int h, int stride, const Box *boxes, size_t count);

}  // namespace img

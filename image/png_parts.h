// png_parts.h — the pieces of the PNG encoder that the animation encoders share (image/ only).
//
// zlib_stream is the PNG encoder's own deflate over 0x00RRGGBB pixels (rows stored unfiltered, runs
// of the pixel to the left or the row above); an animated PNG compresses each frame with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace img::png {

// The most bytes zlib_stream writes for w x h pixels.
size_t zlib_bound(int w, int h);
// The zlib stream of the w x h scanlines (rows `stride` pixels apart) into `out`, which has room for
// zlib_bound(w, h) bytes; returns its size.
size_t zlib_stream(const uint32_t *pixels, int w, int h, int stride, uint8_t *out);

uint32_t crc32(const uint8_t *data, size_t size);
// Big-endian, as PNG stores numbers.
void put32(uint8_t *p, uint32_t v);

// append_chunk: a whole chunk (length, type, data, CRC) at the end of `file`.
void append_chunk(std::vector<uint8_t> *file, const char *type, const uint8_t *data, size_t size);

// keep_frame: a copy of w x h pixels into `previous` (w a row), high bytes cleared: the frame the
// next frame of an animation (APNG or GIF) is compared with.
void keep_frame(std::vector<uint32_t> *previous, const uint32_t *pixels, int w, int h, int stride);

}  // namespace img::png

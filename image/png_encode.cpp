// png_encode.cpp — the PNG encoder: a small deflate over pixels, zlib and PNG framing.
//
// Canvas frames are large flat areas, repeated rows and some text. Rows are stored unfiltered, and
// the deflate here looks for the two matches that pay for such pictures, a whole pixel at a time:
// a run of the pixel to the left (distance 3) and a run of the row above (distance one scanline).
// It takes the longer greedily, writes one block with the fixed Huffman codes (no tables to build
// or send), and never lays the scanline bytes out in memory: the matches are found on the pixels,
// and the zlib checksum is kept as they go, a whole run of one colour in one step. No state
// outlives a call; the fixed tables are built once, on first use.
#include "frame_image.h"
#include "png_parts.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace img {
namespace {

// Bit order and codes of the deflate format: codes are sent most significant bit first inside a
// stream written least significant bit first, hence the reversals.
uint32_t reverse_bits(uint32_t code, int count) {
  uint32_t out = 0;
  for (int i = 0; i < count; ++i) out = out << 1 | ((code >> i) & 1u);
  return out;
}

// One ready-made piece of the bit stream: `bits` (low `count` bits) sent as is.
struct Code {
  uint32_t bits = 0;
  int count = 0;
};

// The fixed literal/length code of a symbol 0..287.
Code fixed_symbol(int symbol) {
  if (symbol < 144) return {reverse_bits(0x30u + symbol, 8), 8};
  if (symbol < 256) return {reverse_bits(0x190u + (symbol - 144), 9), 9};
  if (symbol < 280) return {reverse_bits(static_cast<uint32_t>(symbol - 256), 7), 7};
  return {reverse_bits(0xC0u + (symbol - 280), 8), 8};
}

constexpr int kMinMatch = 3, kMaxMatch = 258, kWindow = 32768;

// Literals and match lengths with their extra bits, each as one Code.
struct FixedTables {
  Code literal[256];
  Code length[kMaxMatch + 1];
  Code end_of_block;

  FixedTables() {
    for (int v = 0; v < 256; ++v) literal[v] = fixed_symbol(v);
    end_of_block = fixed_symbol(256);
    static const int base[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const int extra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    for (int len = kMinMatch; len <= kMaxMatch; ++len) {
      int i = 28;  // 258 has a code of its own; every other length takes the last base not above it
      if (len < kMaxMatch)
        while (base[i] > len || i == 28) --i;
      const Code sym = fixed_symbol(257 + i);
      length[len] = {sym.bits | static_cast<uint32_t>(len - base[i]) << sym.count, sym.count + extra[i]};
    }
  }
};

const FixedTables &tables() {
  static const FixedTables t;
  return t;
}

// The distance code (5 bits, fixed) and its extra bits for a distance 1..32768.
Code distance_code(int distance) {
  int code = 0, base = 1, extra = 0;
  while (code < 29) {
    const int next_extra = (code + 1) < 4 ? 0 : (code + 1 - 2) / 2;
    const int next_base = base + (1 << extra);
    if (next_base > distance) break;
    base = next_base;
    extra = next_extra;
    ++code;
  }
  return {reverse_bits(static_cast<uint32_t>(code), 5) | static_cast<uint32_t>(distance - base) << 5, 5 + extra};
}

// Writes bits least significant first into a buffer sized for the worst case beforehand.
class BitWriter {
 public:
  explicit BitWriter(uint8_t *out) : out_(out), start_(out) {}
  void put(Code c) {
    acc_ |= static_cast<uint64_t>(c.bits) << used_;
    used_ += c.count;
    if (used_ >= 32) {
      for (int i = 0; i < 4; ++i) *out_++ = static_cast<uint8_t>(acc_ >> (8 * i));
      acc_ >>= 32;
      used_ -= 32;
    }
  }
  size_t finish() {  // pads the last byte with zeros; returns the bytes written
    for (; used_ > 0; used_ -= 8, acc_ >>= 8) *out_++ = static_cast<uint8_t>(acc_);
    used_ = 0;
    return static_cast<size_t>(out_ - start_);
  }

 private:
  uint8_t *out_;
  uint8_t *start_;
  uint64_t acc_ = 0;
  int used_ = 0;
};

// Adler-32 of the scanline bytes, fed a byte, a pixel (R, G, B) or a run of one pixel at a time.
// After k pixels whose bytes sum to s and weigh w = 3 R + 2 G + B, a grows by k s and b by
// 3 k a + 3 s k (k - 1) / 2 + k w. Sums are reduced before 64 bits could overflow.
class Adler {
 public:
  void byte(uint32_t v) {
    a_ += v;
    b_ += a_;
    count(1);
  }
  void pixel(uint32_t p) {  // the pending count is the caller's: see pixels()
    const uint64_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, bl = p & 0xFF;
    b_ += 3 * a_ + 3 * r + 2 * g + bl;
    a_ += r + g + bl;
  }
  void pixels(const uint32_t *p, int k) {
    for (int i = 0; i < k; ++i) pixel(p[i]);
    count(3 * static_cast<uint64_t>(k));
  }
  void run(uint32_t p, uint64_t k) {
    const uint64_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, bl = p & 0xFF;
    const uint64_t s = r + g + bl, w = 3 * r + 2 * g + bl;
    b_ += 3 * k * a_ + 3 * s * (k * (k - 1) / 2) + k * w;
    a_ += k * s;
    count(3 * k);
  }
  uint32_t value() {
    reduce();
    return static_cast<uint32_t>(b_ << 16 | a_);
  }

 private:
  void count(uint64_t bytes) {
    if ((pending_ += bytes) >= 1u << 20) reduce();
  }
  void reduce() {
    a_ %= 65521;
    b_ %= 65521;
    pending_ = 0;
  }
  uint64_t a_ = 1, b_ = 0, pending_ = 0;
};

constexpr uint32_t kRgb = 0xFFFFFF;
constexpr int kMaxRun = kMaxMatch / 3;  // 86 pixels, exactly the longest match

// How many pixels from `x` on equal `colour` (RGB), up to `limit`.
int run_of(const uint32_t *row, int x, int limit, uint32_t colour) {
  int k = 0;
  while (k < limit && (row[x + k] & kRgb) == colour) ++k;
  return k;
}

// How many pixels from `x` on equal those of `above`, up to `limit`.
int run_above(const uint32_t *row, const uint32_t *above, int x, int limit) {
  int k = 0;
  while (k < limit && ((row[x + k] ^ above[x + k]) & kRgb) == 0) ++k;
  return k;
}

// One scanline: its filter byte (0, none), then per pixel the longer of the two runs, else the
// pixel's three bytes as literals. A tie goes to the run on the left, whose distance is cheaper.
struct RowEncoder {
  const FixedTables &t;
  Code left, up;  // the two distances
  bool up_ok;     // one scanline is within deflate's window
  BitWriter &bits;
  Adler &adler;

  void encode(const uint32_t *row, const uint32_t *above, int w) {
    bits.put(t.literal[0]);
    adler.byte(0);
    for (int x = 0; x < w;) {
      const int limit = std::min(kMaxRun, w - x);
      const uint32_t before = x > 0 ? row[x - 1] & kRgb : 0;
      const int by_left = x > 0 ? run_of(row, x, limit, before) : 0;
      const int by_above = above != nullptr && up_ok && by_left < limit ? run_above(row, above, x, limit) : 0;
      if (by_left == 0 && by_above == 0) {
        literal_pixel(row[x++]);
      } else if (by_left >= by_above) {
        match(by_left, left);
        adler.run(before, static_cast<uint64_t>(by_left));
        x += by_left;
      } else {
        match(by_above, up);
        adler.pixels(row + x, by_above);
        x += by_above;
      }
    }
  }
  void literal_pixel(uint32_t p) {
    const Code &r = t.literal[(p >> 16) & 0xFF], &g = t.literal[(p >> 8) & 0xFF], &b = t.literal[p & 0xFF];
    bits.put({r.bits | g.bits << r.count | b.bits << (r.count + g.count), r.count + g.count + b.count});
    adler.pixels(&p, 1);
  }
  void match(int pixels, Code distance) {
    const Code &length = t.length[3 * pixels];
    bits.put({length.bits | distance.bits << length.count, length.count + distance.count});
  }
};

}  // namespace

namespace png {

void put32(uint8_t *p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

// A pixel costs at most 27 bits as literals and a row's filter byte 8, so the stream is at most 9/8
// of the scanlines, plus its header, tail and padding.
size_t zlib_bound(int w, int h) {
  const size_t raw_size = (1 + 3 * static_cast<size_t>(w)) * static_cast<size_t>(h);
  return raw_size / 8 * 9 + 32;
}

// The zlib stream: header, one final fixed-code block, Adler-32.
size_t zlib_stream(const uint32_t *pixels, int w, int h, int stride, uint8_t *out) {
  const size_t row_bytes = 1 + 3 * static_cast<size_t>(w);
  const bool up_ok = row_bytes <= static_cast<size_t>(kWindow);
  out[0] = 0x78;  // deflate with a 32 KiB window,
  out[1] = 0x01;  // fastest, no dictionary; (0x7801 % 31) == 0 as zlib requires
  BitWriter bits(out + 2);
  Adler adler;
  RowEncoder rows{tables(), distance_code(3), up_ok ? distance_code(static_cast<int>(row_bytes)) : Code{}, up_ok,
                  bits, adler};
  bits.put({0x3u, 3});  // final block, fixed codes
  for (int y = 0; y < h; ++y) {
    const uint32_t *row = pixels + static_cast<size_t>(y) * static_cast<size_t>(stride);
    rows.encode(row, y > 0 ? row - stride : nullptr, w);
  }
  bits.put(tables().end_of_block);
  const size_t size = 2 + bits.finish();
  put32(out + size, adler.value());
  return size + 4;
}

uint32_t crc32(const uint8_t *data, size_t size) {
  static const auto table = [] {
    std::unique_ptr<uint32_t[]> t(new uint32_t[256]);
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void append_chunk(std::vector<uint8_t> *file, const char *type, const uint8_t *data, size_t size) {
  const size_t start = file->size();
  file->resize(start + size + 12);
  uint8_t *chunk = file->data() + start;
  put32(chunk, static_cast<uint32_t>(size));
  std::memcpy(chunk + 4, type, 4);
  if (size > 0) std::memcpy(chunk + 8, data, size);
  put32(chunk + 8 + size, crc32(chunk + 4, size + 4));
}

}  // namespace png

namespace {

using png::put32;

// Fills in a chunk whose data already sits at `chunk + 8`: length, type, CRC. Returns its size.
size_t seal_chunk(uint8_t *chunk, const char *type, size_t data_size) {
  put32(chunk, static_cast<uint32_t>(data_size));
  std::memcpy(chunk + 4, type, 4);
  put32(chunk + 8 + data_size, png::crc32(chunk + 4, data_size + 4));
  return data_size + 12;
}

}  // namespace

std::vector<uint8_t> encode_png(const uint32_t *pixels, int w, int h, int stride) {
  if (pixels == nullptr || w <= 0 || h <= 0 || stride < w) return {};
  // Signature, IHDR (25), IDAT around the zlib stream, IEND (12). The buffer is left uninitialised:
  // only the bytes written are touched.
  std::unique_ptr<uint8_t[]> file(new uint8_t[8 + 25 + 12 + 12 + png::zlib_bound(w, h)]);
  static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  uint8_t *p = file.get();
  std::memcpy(p, signature, 8);
  p += 8;
  put32(p + 8, static_cast<uint32_t>(w));
  put32(p + 12, static_cast<uint32_t>(h));
  const uint8_t format[5] = {8, 2, 0, 0, 0};  // 8 bits a sample, RGB, deflate, filters, no interlace
  std::memcpy(p + 16, format, 5);
  p += seal_chunk(p, "IHDR", 13);
  p += seal_chunk(p, "IDAT", png::zlib_stream(pixels, w, h, stride, p + 8));
  p += seal_chunk(p, "IEND", 0);
  return std::vector<uint8_t>(file.get(), p);
}

}  // namespace img

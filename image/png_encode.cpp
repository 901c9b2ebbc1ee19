// png_encode.cpp — the PNG encoder: scanlines, a small deflate, zlib and PNG framing.
//
// Canvas frames are large flat areas, repeated rows and some text. The deflate here finds only the
// two matches that pay for such pictures — the pixel to the left (distance 3) and the same place in
// the row above (distance one scanline) — takes the longer greedily and writes one block with the
// fixed Huffman codes, so there are no tables to build or send. No state outlives a call; the fixed
// tables are built once, on first use.
#include "frame_image.h"

#include <algorithm>
#include <bit>
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

// How many bytes from `a` equal those from `b`, up to `limit`; compared eight at a time.
int match_length(const uint8_t *a, const uint8_t *b, int limit) {
  int n = 0;
  while (n + 8 <= limit) {
    uint64_t x, y;
    std::memcpy(&x, a + n, 8);
    std::memcpy(&y, b + n, 8);
    if (x != y) {
      // The first differing byte in memory order, whatever the machine's byte order.
      while (a[n] == b[n]) ++n;
      return n;
    }
    n += 8;
  }
  while (n < limit && a[n] == b[n]) ++n;
  return n;
}

// The deflate stream (one final fixed-code block) of `raw`; returns its size in `out`.
size_t deflate_fixed(const uint8_t *raw, size_t size, size_t row_bytes, uint8_t *out) {
  const FixedTables &t = tables();
  const Code left = distance_code(3);
  const bool above_ok = row_bytes <= static_cast<size_t>(kWindow);
  const Code above = above_ok ? distance_code(static_cast<int>(row_bytes)) : Code{};
  BitWriter bits(out);
  bits.put({0x3u, 3});  // final block, fixed codes
  size_t i = 0;
  while (i < size) {
    const int limit = static_cast<int>(std::min<size_t>(kMaxMatch, size - i));
    const int by_left = i >= 3 ? match_length(raw + i, raw + i - 3, limit) : 0;
    const int by_above = above_ok && i >= row_bytes && by_left < limit ? match_length(raw + i, raw + i - row_bytes, limit) : 0;
    const int best = std::max(by_left, by_above);
    if (best < kMinMatch) {
      bits.put(t.literal[raw[i++]]);
      continue;
    }
    bits.put(t.length[best]);
    bits.put(by_left >= by_above ? left : above);  // on a tie the cheaper distance
    i += static_cast<size_t>(best);
  }
  bits.put(t.end_of_block);
  return bits.finish();
}

// Adler-32, sixteen interleaved lanes at a time so that the compiler can use vector registers.
// Over a run of J sixteen-byte groups, lane k sums its bytes (sa) and the running sums before each
// group (sb); byte 16 j + k then weighs 16 (J - 1 - j) + 16 - k in b, which is 16 sb + (16 - k) sa.
uint32_t adler32(const uint8_t *data, size_t size) {
  constexpr size_t kRun = 5536;  // 16 * 346: the most bytes before a lane's sb could overflow b's sum
  uint64_t a = 1, b = 0;
  while (size >= 16) {
    const size_t n = std::min(size, kRun) & ~size_t{15};
    uint32_t sa[16] = {}, sb[16] = {};
    for (size_t j = 0; j < n; j += 16)
      for (int k = 0; k < 16; ++k) {
        sb[k] += sa[k];
        sa[k] += data[j + k];
      }
    b += n * a;
    for (int k = 0; k < 16; ++k) {
      b += 16 * uint64_t{sb[k]} + uint64_t(16 - k) * sa[k];
      a += sa[k];
    }
    a %= 65521;
    b %= 65521;
    data += n;
    size -= n;
  }
  for (; size > 0; --size, ++data) {
    a += *data;
    b += a;
  }
  return static_cast<uint32_t>((b % 65521) << 16 | a % 65521);
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

void put32(uint8_t *p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

// Fills in a chunk whose data already sits at `chunk + 8`: length, type, CRC. Returns its size.
size_t seal_chunk(uint8_t *chunk, const char *type, size_t data_size) {
  put32(chunk, static_cast<uint32_t>(data_size));
  std::memcpy(chunk + 4, type, 4);
  put32(chunk + 8 + data_size, crc32(chunk + 4, data_size + 4));
  return data_size + 12;
}

// The scanlines as PNG stores them: a filter byte (0, none) and R, G, B for each pixel. A pixel is
// stored as four bytes R, G, B, 0 whose last the next pixel overwrites, so `raw` has one byte to spare.
void scanlines(const uint32_t *pixels, int w, int h, int stride, uint8_t *raw) {
  for (int y = 0; y < h; ++y) {
    const uint32_t *src = pixels + static_cast<size_t>(y) * static_cast<size_t>(stride);
    *raw++ = 0;
    for (int x = 0; x < w; ++x, raw += 3) {
      uint32_t rgb0;
      if constexpr (std::endian::native == std::endian::little)
        rgb0 = __builtin_bswap32(src[x] << 8);
      else
        rgb0 = src[x] << 8;
      std::memcpy(raw, &rgb0, 4);
    }
  }
}

}  // namespace

std::vector<uint8_t> encode_png(const uint32_t *pixels, int w, int h, int stride) {
  if (pixels == nullptr || w <= 0 || h <= 0 || stride < w) return {};
  const size_t row_bytes = 1 + 3 * static_cast<size_t>(w);
  const size_t raw_size = row_bytes * static_cast<size_t>(h);
  std::unique_ptr<uint8_t[]> raw(new uint8_t[raw_size + 1]);
  scanlines(pixels, w, h, stride, raw.get());

  // Signature, IHDR (25), then IDAT around the zlib stream, then IEND (12). A literal costs at
  // most 9 bits, so the stream is at most raw_size * 9 / 8 plus its header, tail and padding.
  // The buffer is left uninitialised: only the bytes written are touched, then copied out.
  static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::unique_ptr<uint8_t[]> file(new uint8_t[8 + 25 + 12 + 2 + raw_size / 8 * 9 + 32 + 12]);
  uint8_t *p = file.get();
  std::memcpy(p, signature, 8);
  p += 8;
  put32(p + 8, static_cast<uint32_t>(w));
  put32(p + 12, static_cast<uint32_t>(h));
  const uint8_t format[5] = {8, 2, 0, 0, 0};  // 8 bits a sample, RGB, deflate, filters, no interlace
  std::memcpy(p + 16, format, 5);
  p += seal_chunk(p, "IHDR", 13);

  uint8_t *z = p + 8;
  z[0] = 0x78;  // deflate with a 32 KiB window,
  z[1] = 0x01;  // fastest, no dictionary; (0x7801 % 31) == 0 as zlib requires
  size_t z_size = 2 + deflate_fixed(raw.get(), raw_size, row_bytes, z + 2);
  put32(z + z_size, adler32(raw.get(), raw_size));
  z_size += 4;
  p += seal_chunk(p, "IDAT", z_size);
  p += seal_chunk(p, "IEND", 0);
  return std::vector<uint8_t>(file.get(), p);
}

}  // namespace img

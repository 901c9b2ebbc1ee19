// gdi/web/png.cpp — PNG files in the browser, where there is no libpng: frames are written with the
// deflate stream's stored (uncompressed) blocks, which every PNG reader accepts. They stay in the
// page's file system; reading PNG files is not needed there and always fails.
#include "gdi/png.h"

#include <cstdio>

namespace winport {
namespace {

uint32_t crc32(const uint8_t *data, size_t n, uint32_t crc = 0) {
  static uint32_t table[256];
  if (table[1] == 0)
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[i] = c;
    }
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void put32(std::vector<uint8_t> &out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void chunk(std::vector<uint8_t> &out, const char *type, const std::vector<uint8_t> &data) {
  put32(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  put32(out, crc32(out.data() + start, out.size() - start));
}

}  // namespace

bool write_png(const std::string &path, const uint32_t *pixels, int w, int h, int stride) {
  if (!pixels || w <= 0 || h <= 0 || stride < w || w > 65535 / 3) return false;
  // Each row: filter type 0, then R, G, B; a stored block per row keeps every block under 64 KiB.
  std::vector<uint8_t> z = {0x78, 0x01};
  uint32_t a = 1, b = 0;  // Adler-32 of the raw rows
  std::vector<uint8_t> row(1 + 3 * static_cast<size_t>(w));
  for (int y = 0; y < h; ++y) {
    const uint32_t *src = pixels + static_cast<size_t>(y) * static_cast<size_t>(stride);
    for (int x = 0; x < w; ++x) {
      row[1 + 3 * x] = static_cast<uint8_t>(src[x] >> 16);
      row[2 + 3 * x] = static_cast<uint8_t>(src[x] >> 8);
      row[3 + 3 * x] = static_cast<uint8_t>(src[x]);
    }
    const uint16_t n = static_cast<uint16_t>(row.size());
    z.insert(z.end(), {static_cast<uint8_t>(y == h - 1), static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8),
                       static_cast<uint8_t>(~n), static_cast<uint8_t>(~n >> 8)});
    z.insert(z.end(), row.begin(), row.end());
    for (uint8_t v : row) {
      a = (a + v) % 65521;
      b = (b + a) % 65521;
    }
  }
  put32(z, b << 16 | a);

  std::vector<uint8_t> header;
  put32(header, static_cast<uint32_t>(w));
  put32(header, static_cast<uint32_t>(h));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
  std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  chunk(file, "IHDR", header);
  chunk(file, "IDAT", z);
  chunk(file, "IEND", {});

  FILE *f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool written = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  return std::fclose(f) == 0 && written;
}

bool read_png(const std::string &, std::vector<uint32_t> &, int &, int &) { return false; }

}  // namespace winport

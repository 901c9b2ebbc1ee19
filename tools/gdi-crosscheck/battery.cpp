// battery.cpp — runs the pinned shape battery (tests/winport/gdi/reference_battery.h) and prints
// each family's hash as a line of the table that tests/winport/gdi/reference_test.cpp holds.
// Built for Windows and run under Wine, it records the reference; built against winport, it
// shows which families differ.
#include <vector>

#include "../../tests/winport/gdi/reference_battery.h"

int main(int argc, char **argv) {
  using namespace gdi_reference;
  FILE *out = argc > 1 ? std::fopen(argv[1], "w") : stdout;
  if (!out) return 1;
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO bi = top_down_info();
  std::vector<uint32_t> pixels(kSize * kSize);
#ifdef _WIN32
  void *bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  SelectObject(dc, bitmap);
  ReadPixels read = [&]() -> const uint32_t * {
    GdiFlush();
    return static_cast<const uint32_t *>(bits);
  };
#else
  HBITMAP bitmap = CreateCompatibleBitmap(dc, kSize, kSize);
  SelectObject(dc, bitmap);
  ReadPixels read = [&]() -> const uint32_t * {
    GetDIBits(dc, bitmap, 0, kSize, pixels.data(), &bi, DIB_RGB_COLORS);
    return pixels.data();
  };
#endif
  Battery battery(dc, read);
  for (const FamilyHash &f : battery.run()) {
    std::fprintf(out, "    {\"%s\", 0x%016llxull},\n", f.family.c_str(), static_cast<unsigned long long>(f.hash));
  }
  if (out != stdout) std::fclose(out);
  return 0;
}

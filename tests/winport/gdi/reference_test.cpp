// Shapes against pixels recorded from a real GDI: rectangles, ellipses (circles, narrow and flat
// ones included) and triangles with every pen width from 0 to 6, NULL_PEN and NULL_BRUSH, and lines in every
// direction and slope. Each family is pinned by one hash (see reference_battery.h); when one
// differs, tools/gdi-crosscheck shows the cases and pixels behind it.
#include <gtest/gtest.h>

#include <map>

#include "canvas.h"
#include "reference_battery.h"

using namespace gdi_reference;

namespace {

// Recorded with tools/gdi-crosscheck/battery.cpp.
const std::map<std::string, uint64_t> kRecorded = {
    {"rect w0S", 0x6b9f4690656ed6bbull},
    {"rect w0F", 0x4d7d969ddd49693dull},
    {"rect w0N", 0x1dc1e504af8d7d1bull},
    {"rect w1F", 0x4d7d969ddd49693dull},
    {"rect w1N", 0x1dc1e504af8d7d1bull},
    {"rect w2F", 0x5c108278520870b9ull},
    {"rect w2N", 0xec9ddfcf499f2ca1ull},
    {"rect w3F", 0xcc6997986d27e887ull},
    {"rect w3N", 0x7cd1219709180945ull},
    {"rect w4F", 0x88d09c66f331feb9ull},
    {"rect w4N", 0xeff61f2e7311c971ull},
    {"rect w5F", 0x1622c5cee2aa9647ull},
    {"rect w5N", 0xca9975bc22470d01ull},
    {"rect w6F", 0x372c55009278f609ull},
    {"rect w6N", 0xd1cc10e15b9f46efull},
    {"rect w-1F", 0x06118186a4024517ull},
    {"ellipse w0S", 0x36d9719118831053ull},
    {"ellipse w0F", 0x1c92347ee6e3b275ull},
    {"ellipse w0N", 0x4d083e82a8720655ull},
    {"ellipse w1F", 0x1c92347ee6e3b275ull},
    {"ellipse w1N", 0x4d083e82a8720655ull},
    {"ellipse w2F", 0xa843dcf7e66395eeull},
    {"ellipse w2N", 0x1db0793ccfed6a82ull},
    {"ellipse w3F", 0x72db7c66f0d1374cull},
    {"ellipse w3N", 0xe135249d64d55265ull},
    {"ellipse w4F", 0x8a251f73a5201a59ull},
    {"ellipse w4N", 0xfc6c7a26c170074dull},
    {"ellipse w5F", 0x4fbc8e766c43c282ull},
    {"ellipse w5N", 0x6a853cee941e8142ull},
    {"ellipse w6F", 0x5d224d0f51d92bf4ull},
    {"ellipse w6N", 0x16e392ef81eb101dull},
    {"ellipse w-1F", 0x02019995f0e6834full},
    {"ellipse narrow w1F", 0xffc427c093713798ull},
    {"ellipse narrow w1N", 0x80c546e1a9370a04ull},
    {"ellipse narrow w2F", 0x00b04cdf0a4aa10eull},
    {"ellipse narrow w2N", 0xdc5232a59b207b95ull},
    {"ellipse narrow w3F", 0x9281f4de88026e70ull},
    {"ellipse narrow w3N", 0x41d99753a010babaull},
    {"triangle w0S", 0xb2d5ca8db9f8bd40ull},
    {"triangle w0F", 0xb4e5bce5716ede28ull},
    {"triangle w0N", 0x5245eab80fa492edull},
    {"triangle w1F", 0xb4e5bce5716ede28ull},
    {"triangle w1N", 0x5245eab80fa492edull},
    {"triangle w2F", 0x1a87d77f83ec265cull},
    {"triangle w2N", 0x0e57bb1f20def854ull},
    {"triangle w3F", 0xe2559f816b6c4f44ull},
    {"triangle w3N", 0x291bba69345be06bull},
    {"triangle w4F", 0xe7acbaa4ac763195ull},
    {"triangle w4N", 0xb5c86081589f9c3eull},
    {"triangle w5F", 0xa67d5d740392e157ull},
    {"triangle w5N", 0x622802f59edf6928ull},
    {"triangle w6F", 0xe04fcfe8b360565bull},
    {"triangle w6N", 0x66d73f45ae9920eaull},
    {"triangle w-1F", 0x7e753f5c8769d5b9ull},
    {"line w0N", 0x3a0e0658a11b750eull},
    {"line w1N", 0x3a0e0658a11b750eull},
    {"line w2N", 0xacd7a9c6bd22970eull},
    {"line w3N", 0x9d8bdfa23d42772full},
    {"line w4N", 0x45822890776d3536ull},
    {"line w5N", 0xb779be5557d8c8b9ull},
    {"line w6N", 0xfbdae89852f6ec08ull},
};

// Rows h of the canvas from (x0, y0), w wide: P for the pen's red, B for blue, . for white.
std::vector<std::string> picture(const gdi_test::Canvas &c, int x0, int y0, int w, int h) {
  std::vector<std::string> rows;
  for (int y = y0; y < y0 + h; ++y) {
    std::string row;
    for (int x = x0; x < x0 + w; ++x) {
      const COLORREF p = GetPixel(c.dc(), x, y);
      row += p == gdi_test::kRed ? 'P' : p == gdi_test::kBlue ? 'B' : p == gdi_test::kWhite ? '.' : '?';
    }
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

// A few of the recorded cases in full, where a difference is easiest to read.
TEST(GdiReference, EllipsesAreTracedLikeGdi) {
  gdi_test::Canvas c(64, 64);
  // An outline pixel wherever the traced path runs, the brush on the traced rows inside it.
  c.use(0, gdi_test::kRed, true, gdi_test::kBlue);
  Ellipse(c.dc(), 20, 20, 33, 28);
  EXPECT_EQ(picture(c, 19, 19, 15, 10), (std::vector<std::string>{
                                             "...............",
                                             ".....PPPPP.....",
                                             "...PPBBBBBPP...",
                                             "..PBBBBBBBBBP..",
                                             ".PBBBBBBBBBBBP.",
                                             ".PBBBBBBBBBBBP.",
                                             "..PBBBBBBBBBP..",
                                             "...PPBBBBBPP...",
                                             ".....PPPPP.....",
                                             "...............",
                                         }));
  c.clear();
  c.use(1, gdi_test::kRed);
  Ellipse(c.dc(), 20, 20, 26, 26);
  EXPECT_EQ(picture(c, 20, 20, 6, 6), (std::vector<std::string>{
                                          "..PP..",
                                          ".P..P.",
                                          "P....P",
                                          "P....P",
                                          ".P..P.",
                                          "..PP..",
                                      }));
  // A slim ellipse's tips: the traced outline ends short of the first and last rows, and the brush
  // leaves them too.
  c.clear();
  c.use(1, gdi_test::kRed, true, gdi_test::kBlue);
  Ellipse(c.dc(), 20, 20, 23, 30);
  EXPECT_EQ(picture(c, 20, 20, 3, 10), (std::vector<std::string>{
                                          "...", ".P.", "PBP", "PBP", "PBP", "PBP", "PBP", "PBP", ".P.", "...",
                                      }));
  // Without a pen the brush fills the whole traced ellipse, right and bottom edges included
  // (unlike a rectangle).
  c.clear();
  c.use(-1, gdi_test::kRed, true, gdi_test::kBlue);
  Ellipse(c.dc(), 20, 20, 32, 29);
  EXPECT_EQ(picture(c, 19, 19, 14, 11), (std::vector<std::string>{
                                            "..............",
                                            "....BBBBBB....",
                                            "...BBBBBBBB...",
                                            "..BBBBBBBBBB..",
                                            ".BBBBBBBBBBBB.",
                                            ".BBBBBBBBBBBB.",
                                            ".BBBBBBBBBBBB.",
                                            "..BBBBBBBBBB..",
                                            "...BBBBBBBB...",
                                            "....BBBBBB....",
                                            "..............",
                                        }));
}

TEST(GdiReference, WidePensAreGdisUnionOfDotsAndSegmentBodies) {
  gdi_test::Canvas c(64, 64);
  // A slanted line: round dots at both ends joined by the segment's rounded quadrilateral.
  c.use(4, gdi_test::kRed);
  c.line(48, 48, 55, 51);
  EXPECT_EQ(picture(c, 46, 46, 11, 7), (std::vector<std::string>{
                                           ".PP........",
                                           "PPPPPP.....",
                                           "PPPPPPPP...",
                                           ".PPPPPPPPP.",
                                           ".PPPPPPPPPP",
                                           "....PPPPPPP",
                                           "......PPPP.",
                                       }));
  EXPECT_EQ(c.painted().size(), 46u);
  // A small rectangle whose width 6 pen closes it up, with rounded corners.
  c.clear();
  c.use(6, gdi_test::kRed);
  Rectangle(c.dc(), 20, 20, 27, 25);
  EXPECT_EQ(picture(c, 17, 17, 12, 10), (std::vector<std::string>{
                                            "..PPPPPPPP..",
                                            ".PPPPPPPPPP.",
                                            "PPPPPPPPPPPP",
                                            "PPPPPPPPPPPP",
                                            "PPPPPPPPPPPP",
                                            "PPPPPPPPPPPP",
                                            "PPPPPPPPPPPP",
                                            "PPPPPPPPPPPP",
                                            ".PPPPPPPPPP.",
                                            "..PPPPPPPP..",
                                        }));
  // A thin triangle outlined with width 3.
  c.clear();
  c.use(3, gdi_test::kRed);
  const POINT tri[3] = {{30, 30}, {31, 40}, {45, 31}};
  Polygon(c.dc(), tri, 3);
  EXPECT_EQ(picture(c, 29, 29, 18, 13), (std::vector<std::string>{
                                            ".PPPPPPPPPPPPPPPP.",
                                            "PPPPPPPPPPPPPPPPP.",
                                            ".PPPPPPPPPPPPPPPPP",
                                            ".PPP........PPPPP.",
                                            ".PPP.......PPPPPP.",
                                            ".PPP.....PPPPPPP..",
                                            ".PPP....PPPPPP....",
                                            ".PPP..PPPPPPP.....",
                                            ".PPP.PPPPPP.......",
                                            ".PPPPPPPPP........",
                                            ".PPPPPPP..........",
                                            ".PPPPPP...........",
                                            "..PPP.............",
                                        }));
}

TEST(GdiReference, EveryShapeFamilyMatchesTheRecordedPixels) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, kSize, kSize);
  HGDIOBJ old = SelectObject(dc, bitmap);
  BITMAPINFO bi = top_down_info();
  std::vector<uint32_t> pixels(kSize * kSize);
  Battery battery(dc, [&]() -> const uint32_t * {
    GetDIBits(dc, bitmap, 0, kSize, pixels.data(), &bi, DIB_RGB_COLORS);
    return pixels.data();
  });
  const std::vector<FamilyHash> got = battery.run();
  EXPECT_EQ(got.size(), kRecorded.size());
  for (const FamilyHash &f : got) {
    auto it = kRecorded.find(f.family);
    ASSERT_NE(it, kRecorded.end()) << f.family;
    EXPECT_EQ(f.hash, it->second) << f.family;
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

// The text console: the ring of 25 lines, formatting limits, echo, and keys passed on.
#include "fixture.h"

namespace tevra_test {
namespace {

using Console = TevraTest;

// Non-white pixels of the console in the bottom `rows` rows, columns x0 .. x1 - 1 (x1 < 0: up to
// the right edge).
int bottom_ink(int x0, int x1, int rows) {
  HWND text = scripted::find_window(kText);
  RECT client;
  GetClientRect(text, &client);
  if (x1 < 0) x1 = client.right;
  HDC dc = GetDC(text);
  int ink = 0;
  for (int y = client.bottom - rows; y < client.bottom; ++y)
    for (int x = x0; x < x1; ++x) ink += GetPixel(dc, x, y) != RGB(255, 255, 255);
  ReleaseDC(text, dc);
  return ink;
}

TEST_F(Console, RingKeepsTheLast25LinesAsFormatted) {
  EXPECT_TRUE(tevra_testing_console_ring().empty());
  for (int i = 1; i <= 30; ++i) EXPECT_EQ(tevra_log("line %d\n", i), i < 10 ? 7 : 8);
  const std::vector<std::string> ring = tevra_testing_console_ring();
  ASSERT_EQ(ring.size(), 25u);
  EXPECT_EQ(ring.front(), "line 6\n");
  EXPECT_EQ(ring.back(), "line 30\n");
  EXPECT_EQ(console.size(), 30u);
}

TEST_F(Console, LongOutputIsCutTo1023Characters) {
  const std::string long_text(5000, 'x');
  EXPECT_EQ(tevra_log("%s", long_text.c_str()), 1023);
  EXPECT_EQ(tevra_testing_console_ring().back(), std::string(1023, 'x'));
  open();
  tevra_set_logging(0);
  EXPECT_EQ(tevra_printf(0, 0, 0, 10, "%s!", long_text.c_str()), 1023);
}

// Only TEVRA_ECHO=1 echoes: any other value, an empty one or none at all keeps standard error quiet.
TEST_F(Console, EchoWritesEveryLineToStandardErrorForOneOnly) {
  const std::pair<const char *, std::string> cases[] = {
      {"1", "Clearing the graphics window\nno newline\n"}, {"0", ""}, {"", ""}, {nullptr, ""}};
  for (const auto &[value, echoed] : cases) {
    if (value) {
      setenv("TEVRA_ECHO", value, 1);
    } else {
      unsetenv("TEVRA_ECHO");
    }
    restart(); // the environment is read afresh
    testing::internal::CaptureStderr();
    tevra_log("Clearing the graphics window\n");
    tevra_log("no newline");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), echoed) << "TEVRA_ECHO=" << (value ? value : "(unset)");
  }
  unsetenv("TEVRA_ECHO");
}

TEST_F(Console, LinesLoggedWhileHiddenAppearWhenShown) {
  open();
  tevra_show_text_window(0);
  tevra_log("%s", std::string(40, '#').c_str());
  EXPECT_EQ(tevra_show_text_window(1), 0) << "it was hidden";
  click_logical(0, 0, 100); // a wait, in which the console repaints
  wait();
  EXPECT_GT(bottom_ink(0, 400, 20), 40) << "the line is drawn at the bottom of the console";
}

} // namespace
} // namespace tevra_test

namespace tevra_test {
namespace {

std::vector<COLORREF> console_pixels() {
  HWND text = scripted::find_window(kText);
  RECT client;
  GetClientRect(text, &client);
  HDC dc = GetDC(text);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < client.bottom; ++y)
    for (int x = 0; x < 300; ++x) pixels.push_back(GetPixel(dc, x, y));
  ReleaseDC(text, dc);
  return pixels;
}

// Paints the whole client area blue behind the console's back.
void scribble_over_console() {
  HWND text = scripted::find_window(kText);
  RECT client;
  GetClientRect(text, &client);
  HDC dc = GetDC(text);
  HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
  FillRect(dc, &client, brush);
  DeleteObject(brush);
  ReleaseDC(text, dc);
}

TEST_F(Console, LinesDrawnAtTheNextWaitMatchARepaint) {
  open();
  tevra_show_text_window(1);
  click_logical(0, 0, 100);
  wait();
  for (int i = 1; i <= 30; ++i) tevra_log("line %d%s", i, i % 2 ? "\n" : "\n\n");
  click_logical(0, 0, 200);
  wait(); // the 30 lines are drawn here, in one scroll
  const std::vector<COLORREF> drawn = console_pixels();
  EXPECT_NE(std::count(drawn.begin(), drawn.end(), RGB(255, 255, 255)), static_cast<long>(drawn.size()));

  // Repaints from the ring, line by line, twice: each looks the same as the lines drawn at once.
  // Each starts from a scribbled-over window, so only a real repaint brings the lines back.
  for (uint64_t t : {300, 400}) {
    scribble_over_console();
    ASSERT_FALSE(console_pixels() == drawn);
    InvalidateRect(scripted::find_window(kText), nullptr, TRUE);
    click_logical(0, 0, t);
    wait();
    const std::vector<COLORREF> repainted = console_pixels();
    EXPECT_EQ(std::count(repainted.begin(), repainted.end(), 0) , std::count(drawn.begin(), drawn.end(), 0));
    EXPECT_TRUE(repainted == drawn) << "repaint at " << t;
  }
}

// A console taller than the ring: what the batch draws at a wait is what drawing each line at once
// leaves, the rows above the ring's 25 lines included.
TEST_F(Console, ABatchLongerThanTheRingDrawsWhatEachLineAtOnceWould) {
  std::vector<COLORREF> pictures[2];
  for (int at_once = 0; at_once < 2; ++at_once) {
    restart();
    headless::set_screen_size(1024, 1400); // a text window of about 34 rows
    open();
    for (int i = 1; i <= 30; ++i) {
      tevra_log("line %d\n", i);
      if (at_once || i == 1 || i == 30) {
        click_logical(0, 0);
        wait();
      }
    }
    pictures[at_once] = console_pixels();
  }
  headless::set_screen_size(1024, 768); // the default, which reset() does not restore
  EXPECT_TRUE(pictures[0] == pictures[1]);
}

// The blanked strip reaches the last column: a short line after one that ran past the right edge
// leaves no ink of it there.
TEST_F(Console, AShortLineBlanksTheLastColumnToo) {
  open();
  tevra_log("%s\n", std::string(300, '#').c_str());
  tevra_log("short\n");
  click_logical(0, 0);
  wait();
  RECT client;
  GetClientRect(scripted::find_window(kText), &client);
  EXPECT_EQ(bottom_ink(client.right - 1, -1, 10), 0);
}

} // namespace
} // namespace tevra_test

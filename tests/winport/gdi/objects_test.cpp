// Device contexts, object selection and global memory blocks.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gdi/handles.h"
#include "gdi/objects.h"

using winport::gdi::dc_from_handle;
using winport::gdi::Font;
using winport::gdi::object_from_handle;
using winport::gdi::Pen;

TEST(DeviceContext, NewDcHasWin32Defaults) {
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
  EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  EXPECT_EQ(GetPolyFillMode(dc), ALTERNATE);
  POINT p = {7, 7};
  MoveToEx(dc, 3, 4, &p);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);

  // Selecting something hands back the default: the black pen, white brush, system font.
  HPEN pen = CreatePen(PS_SOLID, 3, RGB(1, 2, 3));
  HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));
  EXPECT_EQ(SelectObject(dc, pen), GetStockObject(BLACK_PEN));
  EXPECT_EQ(SelectObject(dc, brush), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(SelectObject(dc, GetStockObject(ANSI_FIXED_FONT)), GetStockObject(SYSTEM_FONT));
  EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), pen);
  EXPECT_EQ(SelectObject(dc, GetStockObject(WHITE_BRUSH)), brush);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(dc));
}

TEST(DeviceContext, AttributeSettersReturnThePreviousValue) {
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SetTextColor(dc, RGB(10, 20, 30)), RGB(0, 0, 0));
  EXPECT_EQ(GetTextColor(dc), RGB(10, 20, 30));
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  EXPECT_EQ(SetBkMode(dc, 99), 0);
  EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
  EXPECT_EQ(SetBkColor(dc, RGB(1, 1, 1)), RGB(255, 255, 255));
  EXPECT_EQ(SetPolyFillMode(dc, WINDING), ALTERNATE);
  EXPECT_EQ(GetPolyFillMode(dc), WINDING);
  DeleteDC(dc);
  // A stale handle is refused, not dereferenced.
  EXPECT_EQ(GetBkMode(dc), 0);
  EXPECT_EQ(SetTextColor(dc, 0), CLR_INVALID);
}

TEST(GdiObjects, StockObjectsSurviveDeleteAndHaveTheirRoles) {
  EXPECT_TRUE(DeleteObject(GetStockObject(NULL_BRUSH)));
  EXPECT_NE(object_from_handle(GetStockObject(NULL_BRUSH)), nullptr);
  auto *fixed = static_cast<Font *>(object_from_handle(GetStockObject(ANSI_FIXED_FONT)));
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(fixed->face, "monospace");
  EXPECT_EQ(fixed->height, 13);
  EXPECT_EQ(fixed->pitch_and_family & 3, FIXED_PITCH);
  auto *null_pen = static_cast<Pen *>(object_from_handle(GetStockObject(NULL_PEN)));
  EXPECT_EQ(null_pen->style, PS_NULL);
  EXPECT_EQ(GetStockObject(-1), nullptr);
  EXPECT_EQ(GetStockObject(9), nullptr);
}

TEST(GdiObjects, SelectedObjectsCannotBeDeletedAndStaleHandlesAreRefused) {
  HDC dc = CreateCompatibleDC(nullptr);
  HPEN pen = CreatePen(PS_SOLID, 1, 0);
  HGDIOBJ old = SelectObject(dc, pen);
  EXPECT_FALSE(DeleteObject(pen));  // still in use: the DC keeps a valid pen
  SelectObject(dc, old);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_FALSE(DeleteObject(pen));
  EXPECT_EQ(SelectObject(dc, pen), nullptr);

  // Deleting the DC releases what it held.
  HBRUSH brush = CreateSolidBrush(0);
  SelectObject(dc, brush);
  DeleteDC(dc);
  EXPECT_TRUE(DeleteObject(brush));
}

TEST(GdiObjects, HandlesBeyondTheFirstThousandObjectsAreCheckedToo) {
  // More pens than one chunk of the object pool holds: the later ones live in another chunk.
  std::vector<HPEN> pens;
  for (int i = 0; i < 1100; ++i) pens.push_back(CreatePen(PS_SOLID, 1, RGB(i % 256, 0, 0)));
  HDC dc = CreateCompatibleDC(nullptr);
  HPEN last = pens.back();
  const auto *inside = reinterpret_cast<const char *>(last) + 8;  // not the start of an object
  EXPECT_EQ(SelectObject(dc, const_cast<char *>(inside)), nullptr);
  HGDIOBJ old = SelectObject(dc, last);
  ASSERT_NE(old, nullptr);
  EXPECT_FALSE(DeleteObject(last));
  SelectObject(dc, old);
  for (HPEN pen : pens) EXPECT_TRUE(DeleteObject(pen));
  EXPECT_EQ(SelectObject(dc, last), nullptr);  // stale
  EXPECT_FALSE(DeleteObject(pens.front()));
  DeleteDC(dc);
}

TEST(HandleTable, TheValueOneIsNoHandleEvenWhereDeletedHandlesWere) {
  // Deleted handles leave marks in the table; a made-up handle must not match one. One of these
  // addresses lands where the table looks for 1 (they are never dereferenced).
  winport::gdi::HandleSet set;
  std::vector<const void *> handles;
  for (uintptr_t i = 1; i <= 31; ++i) handles.push_back(reinterpret_cast<const void *>(i * 0x100));
  for (const void *h : handles) set.insert(h);
  for (const void *h : handles) EXPECT_TRUE(set.erase(h));
  const auto *one = reinterpret_cast<const void *>(uintptr_t{1});
  EXPECT_FALSE(set.contains(one));
  EXPECT_FALSE(set.erase(one));
  EXPECT_FALSE(set.contains(handles[0]));  // gone
  EXPECT_FALSE(DeleteObject(const_cast<void *>(one)));
}

TEST(GdiObjects, BitmapsGoIntoOneMemoryDcAtATime) {
  HDC a = CreateCompatibleDC(nullptr);
  HDC b = CreateCompatibleDC(a);
  HBITMAP bmp = CreateCompatibleBitmap(a, 5, 4);
  ASSERT_NE(bmp, nullptr);
  HGDIOBJ old = SelectObject(a, bmp);
  ASSERT_NE(old, nullptr);
  EXPECT_EQ(winport::gdi::surface_of(a)->width, 5);
  EXPECT_EQ(GetPixel(a, 4, 3), RGB(0, 0, 0));  // a new bitmap is black
  EXPECT_EQ(SelectObject(b, bmp), nullptr);
  EXPECT_FALSE(DeleteObject(bmp));
  SelectObject(a, old);
  EXPECT_EQ(winport::gdi::surface_of(a)->width, 1);
  EXPECT_NE(SelectObject(b, bmp), nullptr);

  // A window DC has no bitmap to swap.
  HDC window = winport::gdi::create_surface_dc(std::make_shared<winport::Surface>(3, 3), nullptr);
  EXPECT_EQ(SelectObject(window, bmp), nullptr);
  EXPECT_TRUE(dc_from_handle(window)->window_dc);
  DeleteDC(window);
  DeleteDC(b);
  DeleteDC(a);
  EXPECT_TRUE(DeleteObject(bmp));
}

TEST(GlobalMemory, MovableBlocksLockToZeroedMemoryAndFreeOnce) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 6);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GlobalSize(h), 6u);
  auto *p = static_cast<char *>(GlobalLock(h));
  ASSERT_NE(p, nullptr);
  EXPECT_NE(static_cast<void *>(p), h);
  EXPECT_EQ(p[5], 0);
  std::strcpy(p, "hello");
  EXPECT_EQ(GlobalLock(h), p);
  EXPECT_TRUE(GlobalUnlock(h));    // still locked once
  EXPECT_FALSE(GlobalUnlock(h));   // now unlocked
  EXPECT_STREQ(static_cast<char *>(GlobalLock(h)), "hello");
  GlobalUnlock(h);
  EXPECT_EQ(GlobalFree(h), nullptr);
  EXPECT_EQ(GlobalFree(h), h);  // a second free fails
  EXPECT_EQ(GlobalLock(h), nullptr);
  EXPECT_EQ(GlobalSize(h), 0u);

  HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 4);
  EXPECT_EQ(GlobalLock(fixed), fixed);
  EXPECT_EQ(GlobalFree(fixed), nullptr);
}

TEST(GlobalMemory, BlocksMadeAfterAFreeStartZeroedUnlockedAndNew) {
  // Freed memory may be handed out again: the new block must not show the old one's contents or
  // lock count, and the old handle stays refused.
  HGLOBAL first = GlobalAlloc(GMEM_MOVEABLE, 9);
  auto *p = static_cast<char *>(GlobalLock(first));
  ASSERT_NE(p, nullptr);
  std::strcpy(p, "leftover");
  GlobalLock(first);
  EXPECT_EQ(GlobalFree(first), nullptr);  // freed while still locked twice
  HGLOBAL second = GlobalAlloc(GMEM_MOVEABLE, 6);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);
  EXPECT_EQ(GlobalSize(second), 6u);
  auto *q = static_cast<char *>(GlobalLock(second));
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(std::string(q, 6), std::string(6, '\0'));
  EXPECT_FALSE(GlobalUnlock(second));  // locked once only
  EXPECT_EQ(GlobalLock(first), nullptr);
  EXPECT_EQ(GlobalFree(second), nullptr);
  HGLOBAL empty = GlobalAlloc(GMEM_MOVEABLE, 0);
  EXPECT_EQ(GlobalLock(empty), nullptr);  // an empty movable block has no memory to lock
  EXPECT_EQ(GlobalFree(empty), nullptr);
}

namespace {

HGLOBAL block_freed_at_exit = nullptr;

// In a fresh process: an exit handler set up before the first block is made frees a block at exit.
[[noreturn]] void free_a_block_at_exit() {
  std::atexit([] { _exit(GlobalFree(block_freed_at_exit) == nullptr ? 0 : 1); });
  block_freed_at_exit = GlobalAlloc(GMEM_MOVEABLE, 8);
  std::exit(3);
}

}  // namespace

TEST(GlobalMemory, BlocksCanBeFreedByExitHandlersSetUpBeforeTheFirstBlock) {
  // "threadsafe" runs the body in a newly started copy of this program, where no block exists yet.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(free_a_block_at_exit(), ::testing::ExitedWithCode(0), "");
}

// deferred_blit.cpp — loans of a bitmap's pixels to a window (see deferred_blit.h).
//
// Owns the list of loans, one per borrowing window (a program has one or two), and one pixel
// buffer kept from an ended loan for the next. A loan keeps its window weakly, so a destroyed
// window's loan is simply dropped, and its bitmap strongly, so the lent pixels outlive
// DeleteObject.
#include "gdi/deferred_blit.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace winport::gdi::deferred_blit {
namespace {

using Pixels = decltype(Surface::pixels);

struct Loan {
  std::weak_ptr<Surface> window;
  Surface *window_at = nullptr;    // the window's address, to find its loan
  std::shared_ptr<Surface> bitmap;  // the lender; null once the window took the lent frame
  Pixels frame;                     // the frame taken from the bitmap
  int stride = 0;                   // row length of the lent pixels
  size_t offset = 0;                // where the window's top-left pixel lies in them
  Pixels spare;                     // handed to the bitmap when the window takes its frame

  const uint32_t *pixels() const { return (bitmap ? bitmap->pixels.data() : frame.data()) + offset; }
};

std::vector<Loan> &loans() {
  static std::vector<Loan> list;
  return list;
}

// A buffer of an ended loan: a program that opens its windows again (a replay does) needs no fresh
// memory, which costs a page fault per page and a clearing pass.
Pixels &kept() {
  static Pixels buffer;
  return buffer;
}

Loan *loan_of_window(const Surface &s) {
  for (Loan &loan : loans())
    if (loan.window_at == &s) return &loan;
  return nullptr;
}

bool lent_elsewhere(const Surface &bitmap, const Loan &except) {
  for (const Loan &loan : loans())
    if (&loan != &except && loan.bitmap.get() == &bitmap) return true;
  return false;
}

// The loan no longer reads the bitmap; the bitmap's flag goes with its last loan.
void release_bitmap(Loan &loan) {
  if (loan.bitmap && !lent_elsewhere(*loan.bitmap, loan)) loan.bitmap->deferred = false;
  loan.bitmap.reset();
}

void end(Loan &loan) {
  release_bitmap(loan);
  if (kept().empty()) kept() = std::move(loan.spare.empty() ? loan.frame : loan.spare);
  auto &list = loans();
  list.erase(list.begin() + (&loan - list.data()));
}

// Loans of windows that are gone.
void drop_orphans() {
  auto &list = loans();
  for (size_t i = list.size(); i-- > 0;)
    if (list[i].window.expired()) end(list[i]);
}

// The window takes the pixels it shows into its own buffer; the loan ends.
void copy_back(Loan &loan, Surface &window) {
  const uint32_t *from = loan.pixels();
  for (int y = 0; y < window.height; ++y, from += loan.stride)
    std::memcpy(window.row(y), from, static_cast<size_t>(window.width) * sizeof(uint32_t));
  window.deferred = false;
  end(loan);
}

RECT clipped(const RECT &r, const Surface &s) {
  return {std::max<LONG>(r.left, 0), std::max<LONG>(r.top, 0), std::min<LONG>(r.right, s.width),
          std::min<LONG>(r.bottom, s.height)};
}

int64_t area(const RECT &r) {
  return r.right > r.left && r.bottom > r.top ? int64_t{r.right - r.left} * (r.bottom - r.top) : 0;
}

bool contains(const RECT &outer, const RECT &inner) {
  return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
         outer.bottom >= inner.bottom;
}

// Copies the pixels of `from` outside the box c (on the surface) into `to`, of the same size.
void copy_outside(const Pixels &from, Pixels &to, const Surface &s, const RECT &c) {
  const size_t w = static_cast<size_t>(s.width);
  auto rows = [&](LONG first, LONG last) {
    if (first < last) std::memcpy(to.data() + first * w, from.data() + first * w, (last - first) * w * 4);
  };
  rows(0, c.top);
  rows(c.bottom, s.height);
  for (size_t y = static_cast<size_t>(c.top); y < static_cast<size_t>(c.bottom); ++y) {
    std::memcpy(to.data() + y * w, from.data() + y * w, static_cast<size_t>(c.left) * 4);
    std::memcpy(to.data() + y * w + c.right, from.data() + y * w + c.right, (w - c.right) * 4);
  }
}

// The window keeps the lent frame itself; the bitmap gets the spare buffer with its pixels outside
// the box about to be painted.
void take_frame(Loan &loan, const RECT &c) {
  Surface &bitmap = *loan.bitmap;
  Pixels fresh = std::move(loan.spare);
  if (fresh.size() != bitmap.pixels.size()) fresh = std::move(kept());
  if (fresh.size() != bitmap.pixels.size()) fresh = Pixels(bitmap.pixels.size());
  copy_outside(bitmap.pixels, fresh, bitmap, c);
  loan.frame = std::move(bitmap.pixels);
  bitmap.pixels = std::move(fresh);
  loan.spare = Pixels();
  release_bitmap(loan);
}

// Whether the window may take the lent frame when the bitmap is painted over in c: taking copies
// the bitmap's pixels outside c, copying back copies the window's; the cheaper way wins.
bool may_take(const Loan &loan, const Surface &window, const RECT &c) {
  const LONG x = static_cast<LONG>(loan.offset % static_cast<size_t>(loan.stride));
  const LONG y = static_cast<LONG>(loan.offset / static_cast<size_t>(loan.stride));
  const RECT lent{x, y, x + window.width, y + window.height};
  const Surface &bitmap = *loan.bitmap;
  return contains(c, lent) && int64_t{bitmap.width} * bitmap.height - area(c) < area(lent);
}

// The bitmap is about to be written: every window that borrows its pixels keeps them.
void settle_lender(Surface &bitmap, const RECT *cover) {
  auto &list = loans();
  const auto borrowers =
      std::count_if(list.begin(), list.end(), [&](const Loan &l) { return l.bitmap.get() == &bitmap; });
  const RECT c = cover ? clipped(*cover, bitmap) : RECT{0, 0, 0, 0};
  for (size_t i = 0; i < list.size();) {
    Loan &loan = list[i];
    if (loan.bitmap.get() != &bitmap) {
      ++i;
      continue;
    }
    const std::shared_ptr<Surface> window = loan.window.lock();
    if (borrowers == 1 && may_take(loan, *window, c)) {
      take_frame(loan, c);
      ++i;
    } else {
      copy_back(loan, *window);  // ends the loan: the next one moves to i
    }
  }
  bitmap.deferred = false;
}

}  // namespace

bool lend(const std::shared_ptr<Surface> &window, const std::shared_ptr<Surface> &bitmap, int x, int y) {
  if (window == bitmap || window->width <= 0 || window->height <= 0) return false;
  drop_orphans();
  Loan *loan = loan_of_window(*window);
  if (loan == nullptr) {
    loans().emplace_back();
    loan = &loans().back();
    loan->window = window;
    loan->window_at = window.get();
  } else if (loan->bitmap != bitmap) {
    release_bitmap(*loan);
    if (!loan->frame.empty()) loan->spare = std::move(loan->frame);
    loan->frame = Pixels();
  }
  loan->bitmap = bitmap;
  loan->stride = bitmap->width;
  loan->offset = static_cast<size_t>(y) * static_cast<size_t>(bitmap->width) + static_cast<size_t>(x);
  window->deferred = bitmap->deferred = true;
  window->dirty = true;
  return true;
}

View shown(const Surface &s) {
  if (s.deferred) {
    for (const Loan &loan : loans())
      if (loan.window_at == &s && !loan.window.expired()) return {loan.pixels(), loan.stride};
  }
  return {s.pixels.data(), s.width};
}

void settle_for_read(Surface &s) {
  drop_orphans();
  if (Loan *loan = loan_of_window(s)) copy_back(*loan, s);
}

void settle_for_write(Surface &s, const RECT *cover) {
  drop_orphans();
  if (Loan *loan = loan_of_window(s)) {
    // A write that paints the whole window needs nothing of what it showed.
    if (cover && contains(clipped(*cover, s), RECT{0, 0, s.width, s.height})) {
      s.deferred = false;
      end(*loan);
    } else {
      copy_back(*loan, s);
    }
    return;
  }
  settle_lender(s, cover);
}

}  // namespace winport::gdi::deferred_blit

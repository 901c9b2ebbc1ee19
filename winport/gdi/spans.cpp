// spans.cpp — writing one row of a shape made of several parts, each pixel once.
//
// A shape adds its outline and interior spans for a row in any order; write() sorts and merges
// each layer, cuts the outline out of the interior and hands the result to the one span writer.
// When pen and brush have the same colour both layers are simply merged into one.
#include <algorithm>
#include <cmath>

#include "gdi/raster.h"

namespace winport::gdi {

// The canvas is filled mostly through here. x86-64 guarantees only 16-byte vectors; where the
// processor has 32-byte ones (AVX2) the loader picks a copy compiled for them, which writes long
// runs about half as often.
#if defined(__linux__) && defined(__x86_64__)
[[gnu::target_clones("avx2", "default")]]
#endif
void fill_long(uint32_t *p, size_t n, uint32_t pixel) {
  std::fill_n(p, n, pixel);
}

u128 isqrt(u128 v) {
  if (v == 0) return 0;
  if (v < (u128{1} << 52)) {
    // Exact in doubles: the root is below 2^26 and its square below 2^52.
    uint64_t r = static_cast<uint64_t>(std::sqrt(static_cast<double>(static_cast<uint64_t>(v))));
    while (u128{r} * r > v) --r;
    while (u128{r + 1} * (r + 1) <= v) ++r;
    return r;
  }
  // A floating-point estimate, then exact correction in integers.
  u128 r = static_cast<u128>(std::sqrt(static_cast<long double>(v)));
  while (r > 0 && (r > (~u128{0}) / r || r * r > v)) --r;
  while ((r + 1) <= (~u128{0}) / (r + 1) && (r + 1) * (r + 1) <= v) ++r;
  return r;
}

namespace {

// Row storage is kept per thread, so drawing does not allocate once it has warmed up.
thread_local std::vector<RowWriter::Run> outline_runs, interior_runs;

thread_local std::vector<int> reach_at;  // per column: the furthest end of a run starting there

// Merge touching runs of a list already sorted by start, in place.
void merge_sorted(std::vector<RowWriter::Run> &runs) {
  size_t out = 0;
  for (const RowWriter::Run &r : runs) {
    if (out > 0 && r.x0 <= runs[out - 1].x1) {
      runs[out - 1].x1 = std::max(runs[out - 1].x1, r.x1);
    } else {
      runs[out++] = r;
    }
  }
  runs.resize(out);
}

// Sort by start and merge overlapping or touching runs, in place. width bounds every run's end.
void normalise(std::vector<RowWriter::Run> &runs, int width) {
  const size_t n = runs.size();
  if (n <= 16) {
    // Most rows hold a handful of runs: insertion sort.
    for (size_t i = 1; i < n; ++i) {
      RowWriter::Run r = runs[i];
      size_t j = i;
      for (; j > 0 && runs[j - 1].x0 > r.x0; --j) runs[j] = runs[j - 1];
      runs[j] = r;
    }
    merge_sorted(runs);
    return;
  }
  // Many runs (a wide pen's dots along a curve): note each start column's furthest end and sweep
  // the columns once, which costs no more than the row is wide.
  int lo = runs[0].x0, hi = runs[0].x1;
  for (const RowWriter::Run &r : runs) {
    lo = std::min(lo, r.x0);
    hi = std::max(hi, r.x1);
  }
  if (static_cast<size_t>(hi - lo) > 16 * n) {
    std::sort(runs.begin(), runs.end(), [](const RowWriter::Run &a, const RowWriter::Run &b) { return a.x0 < b.x0; });
    merge_sorted(runs);
    return;
  }
  if (reach_at.size() < static_cast<size_t>(width) + 1) reach_at.assign(static_cast<size_t>(width) + 1, 0);
  int *reach = reach_at.data();
  // Ends are above their starts, so 0 marks a column where no run starts.
  for (const RowWriter::Run &r : runs) reach[r.x0] = std::max(reach[r.x0], r.x1);
  size_t out = 0;
  int start = lo, end = reach[lo];
  reach[lo] = 0;
  for (int x = lo + 1; x < hi; ++x) {
    const int e = reach[x];
    if (e == 0) continue;
    reach[x] = 0;
    if (x > end) {
      runs[out++] = {start, end};
      start = x;
      end = e;
    } else if (e > end) {
      end = e;
    }
  }
  runs[out++] = {start, end};
  runs.resize(out);
}

}  // namespace

RowWriter::RowWriter(Surface &s, const uint32_t *outline_pixel, const uint32_t *interior_pixel)
    : surface_(s),
      width_(s.width),
      outline_pixel_(outline_pixel),
      interior_pixel_(interior_pixel),
      same_colour_(outline_pixel && interior_pixel && *outline_pixel == *interior_pixel),
      outline_(outline_runs),
      interior_(interior_runs) {
  outline_.clear();
  interior_.clear();
}

void RowWriter::write(i64 y) {
  if (interior_.empty() && outline_.size() <= 1) {
    // One outline run and nothing else, as on most rows of a wide line.
    if (!outline_.empty() && outline_pixel_) fill_span(surface_, y, outline_[0].x0, outline_[0].x1, *outline_pixel_);
    outline_.clear();
    return;
  }
  normalise(outline_, width_);
  if (!interior_.empty()) {
    normalise(interior_, width_);
    // Interior minus outline: walk both sorted lists.
    size_t k = 0;
    for (const Run &r : interior_) {
      int x = r.x0;
      while (k < outline_.size() && outline_[k].x1 <= x) ++k;
      size_t j = k;
      while (x < r.x1) {
        if (j < outline_.size() && outline_[j].x0 < r.x1) {
          if (outline_[j].x0 > x) fill_span(surface_, y, x, outline_[j].x0, *interior_pixel_);
          x = std::max(x, outline_[j].x1);
          ++j;
        } else {
          fill_span(surface_, y, x, r.x1, *interior_pixel_);
          x = r.x1;
        }
      }
    }
  }
  // Same colours: the interior runs were added to the outline list and are written with it.
  if (outline_pixel_) {
    for (const Run &r : outline_) fill_span(surface_, y, r.x0, r.x1, *outline_pixel_);
  }
  outline_.clear();
  interior_.clear();
}

}  // namespace winport::gdi

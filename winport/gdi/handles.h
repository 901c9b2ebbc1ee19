// handles.h — the set of live DC handles, for checking a handle before it is dereferenced.
//
// An open-addressing hash set of pointers: no allocation per entry, and a lookup costs a hash and
// a probe or two.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace winport::gdi {

class HandleSet {
 public:
  bool contains(const void *p) const {
    if (!p || p == tombstone() || slots_.empty()) return false;
    for (size_t i = slot_of(p);; i = (i + 1) & mask()) {
      if (slots_[i] == p) return true;
      if (slots_[i] == nullptr) return false;
    }
  }
  void insert(const void *p) {
    if ((used_ + 1) * 2 > slots_.size()) rehash(slots_.empty() ? 64 : (live_ + 1) * 4);
    size_t i = slot_of(p);
    while (slots_[i] != nullptr && slots_[i] != tombstone()) i = (i + 1) & mask();
    if (slots_[i] == nullptr) ++used_;
    slots_[i] = p;
    ++live_;
  }
  bool erase(const void *p) {
    if (!p || p == tombstone() || slots_.empty()) return false;
    for (size_t i = slot_of(p);; i = (i + 1) & mask()) {
      if (slots_[i] == p) {
        slots_[i] = tombstone();
        --live_;
        return true;
      }
      if (slots_[i] == nullptr) return false;
    }
  }

 private:
  static const void *tombstone() { return reinterpret_cast<const void *>(uintptr_t{1}); }
  size_t mask() const { return slots_.size() - 1; }
  size_t slot_of(const void *p) const {
    uint64_t x = reinterpret_cast<uintptr_t>(p);
    x ^= x >> 29;
    x *= 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(x >> 32) & mask();
  }
  void rehash(size_t want) {
    size_t size = 64;
    while (size < want) size *= 2;
    std::vector<const void *> old;
    old.swap(slots_);
    slots_.assign(size, nullptr);
    used_ = live_ = 0;
    for (const void *p : old)
      if (p != nullptr && p != tombstone()) insert(p);
  }

  std::vector<const void *> slots_;
  size_t used_ = 0;  // live entries and tombstones
  size_t live_ = 0;
};

}  // namespace winport::gdi

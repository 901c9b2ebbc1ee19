// global.cpp — KERNEL32's global memory blocks.
//
// Owns every live block. A movable block's handle is an opaque token, distinct from its memory:
// GlobalLock turns it into a pointer and counts the lock. A fixed block's handle is its memory, as
// in Win32. Blocks are always zero-filled (deterministic contents cost nothing here). Unknown
// handles are refused everywhere, and freeing a block twice fails instead of corrupting memory.
//
// Programs that copy a string into a block for every call (TEVRA does, for every text it draws)
// make and free small blocks over and over: the last small block freed is kept, memory and table
// entry both, and the next block that fits is made from it without asking the C library.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <unordered_map>

namespace {

struct Block {
  std::unique_ptr<char[]> memory;
  SIZE_T size = 0;
  SIZE_T capacity = 0;  // of memory
  bool movable = false;
  unsigned lock_count = 0;
};

// Freed blocks up to this size are kept for reuse (one at a time).
constexpr SIZE_T kSpareMaxBytes = 4096;

using BlockTable = std::unordered_map<HGLOBAL, Block>;

struct Heap {
  BlockTable blocks;
  uintptr_t next_token = 0x10;  // movable handles: small even numbers, never valid pointers
  BlockTable::node_type spare;  // the last small block freed, empty if none
};

// Never destroyed: blocks are freed during exit too, by exit handlers and static objects that may
// have been set up before the first block was made (and so would outlive a static heap).
Heap &heap() {
  static Heap *h = new Heap;
  return *h;
}

Block *find(HGLOBAL handle) {
  if (!handle) return nullptr;
  auto &blocks = heap().blocks;
  auto it = blocks.find(handle);
  return it == blocks.end() ? nullptr : &it->second;
}

// A movable block's handle is the next token; a fixed block's is its memory.
HGLOBAL new_handle(Heap &h, const Block &block) {
  if (!block.movable) return block.memory.get();
  const auto handle = reinterpret_cast<HGLOBAL>(h.next_token);
  h.next_token += 0x10;
  return handle;
}

}  // namespace

extern "C" {

HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
  // Sizes no 32-bit program could have fail, as they would in Win32.
  if (uint64_t{dwBytes} > (uint64_t{1} << 32)) return nullptr;
  Heap &h = heap();
  const bool movable = (uFlags & GMEM_MOVEABLE) != 0;
  // A fixed block needs memory to serve as its handle, even when empty.
  const SIZE_T bytes = dwBytes > 0 ? dwBytes : 1;
  if (h.spare && h.spare.mapped().capacity >= bytes) {
    BlockTable::node_type node = std::move(h.spare);
    Block &block = node.mapped();
    std::memset(block.memory.get(), 0, bytes);
    block.size = dwBytes;
    block.movable = movable;
    block.lock_count = 0;
    const HGLOBAL handle = new_handle(h, block);
    node.key() = handle;
    h.blocks.insert(std::move(node));
    return handle;
  }
  Block block;
  block.memory.reset(new (std::nothrow) char[bytes]());
  if (!block.memory) return nullptr;
  block.size = dwBytes;
  block.capacity = bytes;
  block.movable = movable;
  const HGLOBAL handle = new_handle(h, block);
  h.blocks.emplace(handle, std::move(block));
  return handle;
}

LPVOID WINAPI GlobalLock(HGLOBAL hMem) {
  Block *block = find(hMem);
  if (!block) return nullptr;
  if (!block->movable) return block->memory.get();
  // A movable block of size 0 has no memory to lock, as in Win32.
  if (block->size == 0) return nullptr;
  ++block->lock_count;
  return block->memory.get();
}

BOOL WINAPI GlobalUnlock(HGLOBAL hMem) {
  Block *block = find(hMem);
  if (!block || !block->movable || block->lock_count == 0) return FALSE;
  --block->lock_count;
  return block->lock_count > 0 ? TRUE : FALSE;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL hMem) {
  if (!hMem) return hMem;
  Heap &h = heap();
  BlockTable::node_type node = h.blocks.extract(hMem);
  if (!node) return hMem;
  if (node.mapped().capacity <= kSpareMaxBytes) h.spare = std::move(node);
  return nullptr;
}

SIZE_T WINAPI GlobalSize(HGLOBAL hMem) {
  Block *block = find(hMem);
  return block ? block->size : 0;
}

}  // extern "C"

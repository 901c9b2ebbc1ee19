// global.cpp — KERNEL32's global memory blocks.
//
// Owns every live block. A movable block's handle is an opaque token, distinct from its memory:
// GlobalLock turns it into a pointer and counts the lock. A fixed block's handle is its memory, as
// in Win32. Blocks are always zero-filled (deterministic contents cost nothing here). Unknown
// handles are refused everywhere, and freeing a block twice fails instead of corrupting memory.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <new>
#include <unordered_map>

namespace {

struct Block {
  std::unique_ptr<char[]> memory;
  SIZE_T size = 0;
  bool movable = false;
  unsigned lock_count = 0;
};

struct Heap {
  std::unordered_map<HGLOBAL, Block> blocks;
  uintptr_t next_token = 0x10;  // movable handles: small even numbers, never valid pointers
};

Heap &heap() {
  static Heap h;
  return h;
}

Block *find(HGLOBAL handle) {
  if (!handle) return nullptr;
  auto &blocks = heap().blocks;
  auto it = blocks.find(handle);
  return it == blocks.end() ? nullptr : &it->second;
}

}  // namespace

extern "C" {

HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
  // Sizes no 32-bit program could have fail, as they would in Win32.
  if (uint64_t{dwBytes} > (uint64_t{1} << 32)) return nullptr;
  Block block;
  block.movable = (uFlags & GMEM_MOVEABLE) != 0;
  block.size = dwBytes;
  // A fixed block needs memory to serve as its handle, even when empty.
  SIZE_T bytes = dwBytes > 0 ? dwBytes : 1;
  block.memory.reset(new (std::nothrow) char[bytes]());
  if (!block.memory) return nullptr;
  HGLOBAL handle;
  if (block.movable) {
    handle = reinterpret_cast<HGLOBAL>(heap().next_token);
    heap().next_token += 0x10;
  } else {
    handle = block.memory.get();
  }
  heap().blocks.emplace(handle, std::move(block));
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
  if (!find(hMem)) return hMem;
  heap().blocks.erase(hMem);
  return nullptr;
}

SIZE_T WINAPI GlobalSize(HGLOBAL hMem) {
  Block *block = find(hMem);
  return block ? block->size : 0;
}

}  // extern "C"

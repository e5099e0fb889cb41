// Global memory blocks: the clipboard's currency. A handle is the address of a block
// record; only handles in the live set are ever dereferenced.

#include <mutex>
#include <unordered_set>
#include <vector>

#include "platform/win32/KernelApi.h"

namespace {

struct GlobalBlock {
  std::vector<unsigned char> bytes;
  int locks = 0;
};

struct BlockSet {
  std::mutex mutex;
  std::unordered_set<GlobalBlock*> live;
};

BlockSet& Blocks() {
  static BlockSet blocks;
  return blocks;
}

// The block behind a handle, or null. The caller holds the set's mutex.
GlobalBlock* Find(BlockSet& set, HGLOBAL memory) {
  GlobalBlock* block = static_cast<GlobalBlock*>(memory);
  return set.live.count(block) ? block : nullptr;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, size_t bytes) {
  // Every block is zero-filled, GMEM_ZEROINIT or not.
  GlobalBlock* block = new GlobalBlock;
  block->bytes.assign(bytes, 0);
  BlockSet& set = Blocks();
  std::lock_guard<std::mutex> lock(set.mutex);
  set.live.insert(block);
  return block;
}

LPVOID GlobalLock(HGLOBAL memory) {
  BlockSet& set = Blocks();
  std::lock_guard<std::mutex> lock(set.mutex);
  GlobalBlock* block = Find(set, memory);
  if (!block) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  ++block->locks;
  // A zero-byte block still has an address to hand out.
  if (block->bytes.empty()) block->bytes.reserve(1);
  return block->bytes.data();
}

BOOL GlobalUnlock(HGLOBAL memory) {
  BlockSet& set = Blocks();
  std::lock_guard<std::mutex> lock(set.mutex);
  GlobalBlock* block = Find(set, memory);
  if (!block) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (block->locks > 0) --block->locks;
  SetLastError(ERROR_SUCCESS);
  return block->locks > 0 ? TRUE : FALSE;
}

size_t GlobalSize(HGLOBAL memory) {
  BlockSet& set = Blocks();
  std::lock_guard<std::mutex> lock(set.mutex);
  GlobalBlock* block = Find(set, memory);
  return block ? block->bytes.size() : 0;
}

HGLOBAL GlobalFree(HGLOBAL memory) {
  if (!memory) return nullptr;
  BlockSet& set = Blocks();
  std::lock_guard<std::mutex> lock(set.mutex);
  GlobalBlock* block = Find(set, memory);
  if (!block) {
    SetLastError(ERROR_INVALID_HANDLE);
    return memory;
  }
  set.live.erase(block);
  delete block;
  return nullptr;
}

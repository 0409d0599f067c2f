// Memory Manager: pointers and handles over the C heap.
//
// Each block carries a small header with its size and a tag, so GetPtrSize
// and GetHandleSize need no table (a table would keep every block reachable
// and hide leaks from the leak checker). A handle is a separately allocated
// master pointer cell: the cell never moves, the data behind it may.

#include "MacMemory.h"
#include "memory/memory_internal.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::uint32_t kPtrTag = 0x5A56504Cu;     // a live pointer block
constexpr std::uint32_t kHandleTag = 0x5A56484Eu;  // a live handle's data block
constexpr std::uint32_t kMasterTag = 0x5A564D50u;  // a live master pointer cell
constexpr std::uint32_t kDeadTag = 0xDEADB10Cu;

// Beyond this no request is made of the heap at all; it is also where the
// sanitizers' allocator stops accepting requests.
constexpr Size kLargestBlock = Size{1} << 40;

struct alignas(16) BlockHeader {
  Size size;
  std::uint32_t tag;
};
static_assert(sizeof(BlockHeader) == 16);

struct MasterCell {
  Ptr data;  // first, so a Handle is the address of the cell itself
  std::uint32_t tag;
};

thread_local OSErr tLastError = noErr;
std::atomic<int> gFailCountdown{0};
std::atomic<std::size_t> gLiveBlocks{0};

OSErr Report(OSErr err) {
  tLastError = err;
  return err;
}

bool InjectedFailure() {
  int n = gFailCountdown.load();
  while (n > 0) {
    if (gFailCountdown.compare_exchange_weak(n, n - 1)) return n == 1;
  }
  return false;
}

BlockHeader *HeaderOf(const void *data) {
  return reinterpret_cast<BlockHeader *>(const_cast<char *>(static_cast<const char *>(data)) - sizeof(BlockHeader));
}

// A data block of byteCount bytes with its header; nullptr when refused.
Ptr AllocateBlock(Size byteCount, bool clear, std::uint32_t tag) {
  if (byteCount < 0 || byteCount > kLargestBlock || InjectedFailure()) return nullptr;
  const std::size_t total = sizeof(BlockHeader) + static_cast<std::size_t>(byteCount);
  void *raw = clear ? std::calloc(1, total) : std::malloc(total);
  if (raw == nullptr) return nullptr;
  auto *header = static_cast<BlockHeader *>(raw);
  header->size = byteCount;
  header->tag = tag;
  return reinterpret_cast<Ptr>(header + 1);
}

void FreeBlock(Ptr data) {
  BlockHeader *header = HeaderOf(data);
  header->tag = kDeadTag;
  std::free(header);
}

MasterCell *CellOf(Handle h) {
  auto *cell = reinterpret_cast<MasterCell *>(h);
  return (cell != nullptr && cell->tag == kMasterTag) ? cell : nullptr;
}

Ptr NewPtrWith(Size byteCount, bool clear) {
  Ptr p = AllocateBlock(byteCount, clear, kPtrTag);
  if (p == nullptr) {
    Report(memFullErr);
    return nullptr;
  }
  ++gLiveBlocks;
  Report(noErr);
  return p;
}

Handle NewHandleWith(Size byteCount, bool clear) {
  auto *cell = static_cast<MasterCell *>(InjectedFailure() ? nullptr : std::malloc(sizeof(MasterCell)));
  Ptr data = cell != nullptr ? AllocateBlock(byteCount, clear, kHandleTag) : nullptr;
  if (data == nullptr) {
    std::free(cell);
    Report(memFullErr);
    return nullptr;
  }
  cell->data = data;
  cell->tag = kMasterTag;
  ++gLiveBlocks;
  Report(noErr);
  return &cell->data;
}

}  // namespace

namespace zv::memory {

void FailAllocationAfter(int countdown) { gFailCountdown = countdown > 0 ? countdown : 0; }

std::size_t LiveBlockCount() { return gLiveBlocks.load(); }

}  // namespace zv::memory

extern "C" {

OSErr MemError(void) { return tLastError; }

Ptr NewPtrClear(Size byteCount) { return NewPtrWith(byteCount, true); }

void DisposePtr(Ptr p) {
  if (p == nullptr) {
    Report(noErr);
    return;
  }
  if (HeaderOf(p)->tag != kPtrTag) {
    Report(memWZErr);
    return;
  }
  FreeBlock(p);
  --gLiveBlocks;
  Report(noErr);
}

Size GetPtrSize(Ptr p) {
  if (p == nullptr || HeaderOf(p)->tag != kPtrTag) {
    Report(nilHandleErr);
    return 0;
  }
  Report(noErr);
  return HeaderOf(p)->size;
}

Handle NewHandle(Size byteCount) { return NewHandleWith(byteCount, false); }
Handle NewHandleClear(Size byteCount) { return NewHandleWith(byteCount, true); }

void DisposeHandle(Handle h) {
  if (h == nullptr) {
    Report(noErr);
    return;
  }
  MasterCell *cell = CellOf(h);
  if (cell == nullptr) {
    Report(memWZErr);
    return;
  }
  FreeBlock(cell->data);
  cell->tag = kDeadTag;
  std::free(cell);
  --gLiveBlocks;
  Report(noErr);
}

Size GetHandleSize(Handle h) {
  MasterCell *cell = CellOf(h);
  if (cell == nullptr) {
    Report(nilHandleErr);
    return 0;
  }
  Report(noErr);
  return HeaderOf(cell->data)->size;
}

void BlockMoveData(const void *src, void *dst, Size byteCount) {
  if (byteCount <= 0) return;
  std::memmove(dst, src, static_cast<std::size_t>(byteCount));
}

}  // extern "C"

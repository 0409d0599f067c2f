// Memory Manager: block sizes, failures, handles that keep their master pointer.

#include "MacMemory.h"
#include "memory/memory_internal.h"

#include <climits>
#include <cstring>
#include <gtest/gtest.h>

namespace {

bool AllZero(const char *p, Size n) {
  for (Size i = 0; i < n; ++i) {
    if (p[i] != 0) return false;
  }
  return true;
}

TEST(Memory, PointersKnowTheirSizeAndStartCleared) {
  Ptr p = NewPtrClear(396);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(GetPtrSize(p), 396);
  EXPECT_TRUE(AllZero(p, 396));
  Ptr empty = NewPtr(0);
  EXPECT_NE(empty, nullptr);
  EXPECT_EQ(GetPtrSize(empty), 0);
  DisposePtr(p);
  DisposePtr(empty);
  DisposePtr(nullptr);
  EXPECT_EQ(MemError(), noErr);
  EXPECT_EQ(GetPtrSize(nullptr), 0);
  EXPECT_EQ(MemError(), nilHandleErr);
}

TEST(Memory, RefusedRequestsGiveNullAndMemFullErr) {
  const std::size_t live = zv::memory::LiveBlockCount();
  auto refused = [](const void *block) { return block == nullptr && MemError() == memFullErr; };
  for (Size size : {Size{-1}, Size{LONG_MIN}, Size{LONG_MAX}}) {
    SCOPED_TRACE(size);
    EXPECT_TRUE(refused(NewPtr(size)));
    EXPECT_TRUE(refused(NewPtrClear(size)));
    EXPECT_TRUE(refused(NewHandle(size)));
    EXPECT_TRUE(refused(NewHandleClear(size)));
  }

  // A full heap, as the test hook makes it: the second request fails, once.
  zv::memory::FailAllocationAfter(2);
  Ptr first = NewPtrClear(16);
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(NewHandleClear(16), nullptr);
  EXPECT_EQ(MemError(), memFullErr);
  Handle third = NewHandleClear(16);
  EXPECT_NE(third, nullptr);
  EXPECT_EQ(MemError(), noErr);
  DisposePtr(first);
  DisposeHandle(third);
  EXPECT_EQ(zv::memory::LiveBlockCount(), live);
}

TEST(Memory, HandlesResizeBehindAFixedMasterPointer) {
  const std::size_t live = zv::memory::LiveBlockCount();
  Handle h = NewHandleClear(8);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GetHandleSize(h), 8);
  EXPECT_TRUE(AllZero(*h, 8));
  std::memcpy(*h, "ABCDEFGH", 8);

  SetHandleSize(h, 100000);
  EXPECT_EQ(MemError(), noErr);
  EXPECT_EQ(GetHandleSize(h), 100000);
  EXPECT_EQ(std::memcmp(*h, "ABCDEFGH", 8), 0);
  std::memset(*h + 8, 1, 100000 - 8);

  SetHandleSize(h, 3);
  EXPECT_EQ(GetHandleSize(h), 3);
  EXPECT_EQ(std::memcmp(*h, "ABC", 3), 0);

  // A failed resize leaves the handle as it was.
  SetHandleSize(h, -5);
  EXPECT_EQ(MemError(), memFullErr);
  zv::memory::FailAllocationAfter(1);
  SetHandleSize(h, 64);
  EXPECT_EQ(MemError(), memFullErr);
  EXPECT_EQ(GetHandleSize(h), 3);
  EXPECT_EQ(std::memcmp(*h, "ABC", 3), 0);

  SetHandleSize(nullptr, 4);
  EXPECT_EQ(MemError(), nilHandleErr);

  DisposeHandle(h);
  EXPECT_EQ(MemError(), noErr);
  EXPECT_EQ(zv::memory::LiveBlockCount(), live);
}

TEST(Memory, BlockMoveDataCopiesOverlappingRangesAndNothingForNonPositiveCounts) {
  char bytes[] = "0123456789";
  BlockMoveData(bytes, bytes + 2, 5);
  EXPECT_STREQ(bytes, "0101234789");
  BlockMoveData(bytes + 2, bytes, 5);
  EXPECT_STREQ(bytes, "0123434789");
  BlockMoveData("xxxx", bytes, 0);
  BlockMoveData("xxxx", bytes, -4);
  EXPECT_STREQ(bytes, "0123434789");
}

}  // namespace

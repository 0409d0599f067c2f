// Memory Manager: block sizes, failures, overlapping moves;
// and the one text utility the plug-in uses.

#include "MacMemory.h"
#include "TextUtils.h"
#include "memory/memory_internal.h"

#include <algorithm>
#include <climits>
#include <gtest/gtest.h>

namespace {

bool AllZero(const char *p, Size n) { return std::all_of(p, p + n, [](char c) { return c == 0; }); }

TEST(Memory, RefusedRequestsGiveNullAndMemFullErr) {
  const std::size_t live = zv::memory::LiveBlockCount();
  auto refused = [](const void *block) { return block == nullptr && MemError() == memFullErr; };
  for (Size size : {Size{-1}, Size{LONG_MIN}, Size{LONG_MAX}}) {
    EXPECT_TRUE(refused(NewPtrClear(size))) << size;
    EXPECT_TRUE(refused(NewHandle(size)) && refused(NewHandleClear(size))) << size;
  }
  // A full heap, as the test hook makes it: the second request fails, once.
  zv::memory::FailAllocationAfter(2);
  Ptr first = NewPtrClear(16);
  EXPECT_NE(first, nullptr);
  EXPECT_TRUE(refused(NewHandleClear(16)));
  Handle third = NewHandleClear(16);
  EXPECT_NE(third, nullptr);
  EXPECT_EQ(MemError(), noErr);
  DisposePtr(first);
  DisposeHandle(third);
  DisposePtr(nullptr);  // nothing, safely
  EXPECT_EQ(zv::memory::LiveBlockCount(), live);
}

TEST(Memory, ClearedHandlesStartZeroedAndKnowTheirSize) {
  Handle h = NewHandleClear(24);
  ASSERT_NE(h, nullptr);
  EXPECT_TRUE(AllZero(*h, 24));
  EXPECT_EQ(GetHandleSize(h), 24);
  DisposeHandle(h);
}

TEST(Memory, BlockMoveDataCopiesOverlappingRangesAndNothingForNonPositiveCounts) {
  char bytes[] = "0123456789";
  BlockMoveData(bytes, bytes + 2, 5);
  EXPECT_STREQ(bytes, "0101234789");
  BlockMoveData(bytes + 2, bytes, 5);
  for (Size n : {0, -4}) BlockMoveData("xxxx", bytes, n);
  EXPECT_STREQ(bytes, "0123434789");
}

// The sign, then the digits without grouping, even where negating would overflow.
TEST(NumToString, SignThenDigitsWithoutGrouping) {
  for (long n : {-42L, 0L, 1234567L, long{INT32_MIN}, LONG_MIN, LONG_MAX}) {
    Str255 text;
    NumToString(n, text);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(text + 1), text[0]), std::to_string(n));
  }
}

}  // namespace

// The configuration record: defaults, and refused copies for a render pass.
#include "DataHandling.h"
#include "pascalFX.h"

#include <MacMemory.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

// The rest of the defaults shows in `zorvane info`; Reset in the dialog, the
// partial form, is checked by Dialog.ResetKeepsTheMediaTypeAndOKStoresTheResult.
TEST(ResetConfig, FullOnAZeroRecordGivesTheWholeFrameAsTheEndRectangle) {
  PLUGINDATAREC c;
  std::memset(&c, 0, sizeof c);
  ResetConfig(&c, true);
  const RELRECT whole = {0, 1, 0, 1};
  EXPECT_EQ(std::memcmp(&c.ENDREL, &whole, sizeof whole), 0);
}

// A configuration block as the host allocates it.
Ptr NewConfigBlock() {
  UInt32 size = 0;
  pGetConfigSize(&size);
  return NewPtrClear(size);
}

TEST(BridgeDeathTest, MismatchedOrMissingRecordsStopWithTheirMessages) {
  Ptr a = NewConfigBlock(), b = NewPtrClear(16);
  EXPECT_EXIT(pCopyConfig(a, b), testing::ExitedWithCode(1), "Non-Matching Blocks: The Size of Source and Dest do not match");
  DisposePtr(a), DisposePtr(b);
  EXPECT_EXIT(pUncopyConfig(nullptr), testing::ExitedWithCode(1),
              "Assertion Failure: Assertion failed in: Nil data in pUncopyConfig");
  EXPECT_EXIT(InitPluginData(nullptr), testing::ExitedWithCode(1), "Nil theConfig on InitPluginData");
  Ptr none = nullptr;
  EXPECT_EXIT(InitMyPlugIn(&none), testing::ExitedWithCode(1), "Unable to allocate new data structure");
}

}  // namespace

// The configuration record: defaults, the edited rectangle, and copies for a
// render pass.
#include "DataHandling.h"
#include "pascalFX.h"

#include <MacMemory.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(ResetConfig, FullOnAZeroRecordGivesTheDefaultsPartialKeepsImagesAndEndColour) {
  PLUGINDATAREC c;
  std::memset(&c, 0, sizeof c);
  ResetConfig(&c, true);
  const RELRECT whole = {0, 1, 0, 1};
  EXPECT_EQ(std::memcmp(&c.ENDREL, &whole, sizeof whole), 0);  // the rest shows in `zorvane info`

  CGImageRef original = CGImageCreateBlank(4, 4), rendered = CGImageCreateBlank(2, 2);
  c.THEORIGINALIMAGE = original;
  c.THERENDERED = rendered;
  c.FRAMEENDCOLOR = {1, 2, 3};
  c.SLIDERS[0] = 99;
  c.KEEPPROPS = true;
  ResetConfig(&c, false);
  EXPECT_EQ(c.THEORIGINALIMAGE, original);
  EXPECT_EQ(c.THERENDERED, rendered);
  EXPECT_EQ(c.FRAMEENDCOLOR.blue, 3);
  EXPECT_EQ(c.SLIDERS[0], 50);
  EXPECT_FALSE(c.KEEPPROPS);
  CGImageRelease(original), CGImageRelease(rendered);
}

// A configuration block as the host allocates it.
Ptr NewConfigBlock() {
  UInt32 size = 0;
  pGetConfigSize(&size);
  return NewPtrClear(size);
}

TEST(Bridge, CopyForAPassOwnsAnIndependentRenderedImageAndNoOriginal) {
  Ptr master = NewConfigBlock(), copy = NewConfigBlock();
  auto *m = reinterpret_cast<PLUGINDATAPTR>(master);
  ResetConfig(m, true);
  m->THEORIGINALIMAGE = CGImageCreateBlank(8, 8);
  m->THERENDERED = CGImageCreateBlank(3, 5);

  pCopyConfig(master, copy);
  auto *c = reinterpret_cast<PLUGINDATAPTR>(copy);
  EXPECT_EQ(c->THEORIGINALIMAGE, nullptr);
  ASSERT_NE(c->THERENDERED, nullptr);
  EXPECT_NE(c->THERENDERED, m->THERENDERED);
  EXPECT_EQ(CGImageGetHeight(c->THERENDERED), 5u);

  pUncopyConfig(copy);  // releases the copy's image only
  EXPECT_EQ(CGImageGetWidth(m->THERENDERED), 3u);

  CGImageRelease(m->THEORIGINALIMAGE), CGImageRelease(m->THERENDERED);
  DisposePtr(master), DisposePtr(copy);
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

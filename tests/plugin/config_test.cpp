// The configuration record: defaults, the edited rectangle, and copies for a
// render pass.
#include "DataHandling.h"
#include "pascalFX.h"

#include <MacMemory.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

void ExpectWholeFrame(const RELRECT &r) {
  EXPECT_EQ(r.LEFT, 0.0);
  EXPECT_EQ(r.RIGHT, 1.0);
  EXPECT_EQ(r.TOP, 0.0);
  EXPECT_EQ(r.BOTTOM, 1.0);
}

bool SameColor(RGBColor a, RGBColor b) { return a.red == b.red && a.green == b.green && a.blue == b.blue; }

TEST(ResetConfig, FullInitOnAZeroRecordGivesTheDefaults) {
  PLUGINDATAREC c;
  std::memset(&c, 0, sizeof c);
  ResetConfig(&c, true);
  ExpectWholeFrame(c.STARTREL);
  ExpectWholeFrame(c.ENDREL);
  const SInt16 sliders[6] = {50, 50, 50, 0, 0, 0};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(c.SLIDERS[i], sliders[i]) << i;
  EXPECT_TRUE(SameColor(c.COLORS[0], {0, 0, 0}));
  EXPECT_TRUE(SameColor(c.COLORS[1], {65535, 65535, 65535}));
  for (int i = 2; i < 6; ++i) EXPECT_TRUE(SameColor(c.COLORS[i], {0, 0, 0})) << i;
  EXPECT_TRUE(SameColor(c.FRAMESTARTCOLOR, {65535, 0, 0}));
  EXPECT_TRUE(SameColor(c.FRAMEENDCOLOR, {0, 0, 0}));
  EXPECT_EQ(c.MEDIATYPE, 1);
  EXPECT_EQ(c.METHOD, 1);
  EXPECT_FALSE(c.KEEPPROPS);
  EXPECT_EQ(c.THEORIGINALIMAGE, nullptr);
  EXPECT_EQ(c.THERENDERED, nullptr);
}

TEST(ResetConfig, PartialResetKeepsImagesAndFrameEndColor) {
  PLUGINDATAREC c;
  std::memset(&c, 0, sizeof c);
  CGImageRef original = CGImageCreateBlank(4, 4), rendered = CGImageCreateBlank(2, 2);
  c.THEORIGINALIMAGE = original;
  c.THERENDERED = rendered;
  c.FRAMEENDCOLOR = {1, 2, 3};
  c.SLIDERS[0] = 99;
  c.KEEPPROPS = true;
  ResetConfig(&c, false);
  EXPECT_EQ(c.THEORIGINALIMAGE, original);
  EXPECT_EQ(c.THERENDERED, rendered);
  EXPECT_TRUE(SameColor(c.FRAMEENDCOLOR, {1, 2, 3}));
  EXPECT_EQ(c.SLIDERS[0], 50);
  EXPECT_FALSE(c.KEEPPROPS);
  CGImageRelease(original);
  CGImageRelease(rendered);
}

TEST(CurrentRel, PutThenGetAddressesOnlyTheStartRectangle) {
  PLUGINDATAREC c;
  std::memset(&c, 0, sizeof c);
  ResetConfig(&c, true);
  gConfigWorkSpace.THECONFIG = &c;
  PutCurrentRel(RELRECT{0.1, 0.6, 0.2, 0.7});
  const RELRECT got = GetCurrentRel();
  EXPECT_EQ(got.LEFT, 0.1);
  EXPECT_EQ(got.RIGHT, 0.6);
  EXPECT_EQ(got.TOP, 0.2);
  EXPECT_EQ(got.BOTTOM, 0.7);
  ExpectWholeFrame(c.ENDREL);
  gConfigWorkSpace.THECONFIG = nullptr;
}

TEST(Bridge, MediaFormatOfNothingIsNtsc) {
  EXPECT_EQ(GetMediaFormat(nullptr), 1);
  PLUGINDATAREC c{};
  c.MEDIATYPE = 3;
  EXPECT_EQ(GetMediaFormat(reinterpret_cast<Ptr>(&c)), 3);
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
  m->SLIDERS[1] = 77;
  m->THEORIGINALIMAGE = CGImageCreateBlank(8, 8);
  m->THERENDERED = CGImageCreateBlank(3, 5);

  pCopyConfig(master, copy);
  auto *c = reinterpret_cast<PLUGINDATAPTR>(copy);
  EXPECT_EQ(c->SLIDERS[1], 77);
  EXPECT_EQ(c->THEORIGINALIMAGE, nullptr);
  ASSERT_NE(c->THERENDERED, nullptr);
  EXPECT_NE(c->THERENDERED, m->THERENDERED);
  EXPECT_EQ(CGImageGetHeight(c->THERENDERED), 5u);

  pUncopyConfig(copy);  // releases the copy's image only
  EXPECT_EQ(CGImageGetWidth(m->THERENDERED), 3u);

  CGImageRelease(m->THEORIGINALIMAGE);
  CGImageRelease(m->THERENDERED);
  DisposePtr(master);
  DisposePtr(copy);
}

TEST(Bridge, CopyWithAnEmptySideChangesNothing) {
  Ptr block = NewConfigBlock();
  auto *b = reinterpret_cast<PLUGINDATAPTR>(block);
  b->SLIDERS[0] = 12;
  pCopyConfig(nullptr, block);
  pCopyConfig(block, nullptr);
  EXPECT_EQ(b->SLIDERS[0], 12);
  DisposePtr(block);
}

TEST(BridgeDeathTest, CopyBetweenBlocksOfDifferentSizesStops) {
  Ptr a = NewConfigBlock();
  Ptr b = NewPtrClear(16);
  EXPECT_EXIT(pCopyConfig(a, b), testing::ExitedWithCode(1),
              "Non-Matching Blocks: The Size of Source and Dest do not match");
  DisposePtr(a);
  DisposePtr(b);
}

TEST(BridgeDeathTest, MissingRecordsStopWithTheirMessages) {
  EXPECT_EXIT(pUncopyConfig(nullptr), testing::ExitedWithCode(1),
              "Assertion Failure: Assertion failed in: Nil data in pUncopyConfig");
  EXPECT_EXIT(InitPluginData(nullptr), testing::ExitedWithCode(1), "Nil theConfig on InitPluginData");
  Ptr none = nullptr;
  EXPECT_EXIT(InitMyPlugIn(&none), testing::ExitedWithCode(1), "Unable to allocate new data structure");
}

}  // namespace

// Resource file images: the exact layout, the format's limits, and damaged
// files that must be refused without reading outside the bytes.

#include "resources/resource_file_format.h"

#include <gtest/gtest.h>

namespace {

using zv::rsrc::ParseResourceFile;
using zv::rsrc::Resource;
using zv::rsrc::ResourceFile;
using Bytes = std::vector<std::uint8_t>;

constexpr ResType kPref = ZV_FOURCC('P', 'r', 'e', 'f');
constexpr ResType kStr = ZV_FOURCC('S', 'T', 'R', '#');

Bytes Serialised(const ResourceFile &file) {
  Bytes bytes;
  EXPECT_TRUE(zv::rsrc::SerialiseResourceFile(file, bytes));
  return bytes;
}

// Data offset, map offset, data length, map length: big-endian 32-bit numbers.
Bytes Header(std::uint32_t dataLength, std::uint32_t mapLength) {
  Bytes h;
  for (std::uint32_t v : {256u, 256 + dataLength, dataLength, mapLength})
    for (int shift = 24; shift >= 0; shift -= 8) h.push_back(static_cast<std::uint8_t>(v >> shift));
  return h;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes &part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// A file with two types, names and an empty resource: the damage tests cut and
// poke it.
ResourceFile SampleFile() {
  const std::string strings[] = {"Red", "Green"};
  return {0x0020,
          {{kStr, 128, "Host slider labels", 0, *zv::rsrc::MakeStringList(strings)},
           {kPref, 1, "Config Settings", 0, Bytes(396, 0x11)},
           {kStr, 17000, std::nullopt, 0x20, {}},
           {kPref, -3, "", 0, {1, 2, 3}}}};
}

TEST(ResourceFileLayout, EmptyFileIsHeaderReservedAreaAndABareMap) {
  const Bytes expected = Concat({Header(0, 30), Bytes(240, 0), Header(0, 30),
                                 {0, 0, 0, 0, /*file ref*/ 0, 0, /*attributes*/ 0, 0, /*type list*/ 0, 28,
                                  /*name list*/ 0, 30, /*types - 1*/ 0xFF, 0xFF}});
  EXPECT_EQ(Serialised({}), expected);
  EXPECT_EQ(ParseResourceFile(expected), ResourceFile{});
}

TEST(ResourceFileLayout, OneStringListMatchesHandComputedBytes) {
  const std::string items[] = {"x"};
  const ResourceFile file{0, {{kStr, 128, "ab", 0, *zv::rsrc::MakeStringList(items)}}};
  const Bytes expected = Concat({Header(8, 53), Bytes(240, 0), {0, 0, 0, 4, /*STR# count, not minus one*/ 0, 1, 1, 'x'},
                                 Header(8, 53), {0, 0, 0, 0, 0, 0, 0, 0, /*type list at*/ 0, 28, /*name list at*/ 0, 50},
                                 {0, 0, 'S', 'T', 'R', '#', /*count - 1*/ 0, 0, /*references at*/ 0, 10},
                                 {/*id*/ 0, 128, /*name at*/ 0, 0, /*attributes*/ 0, /*data at*/ 0, 0, 0,
                                  /*handle*/ 0, 0, 0, 0, /*name*/ 2, 'a', 'b'}});
  EXPECT_EQ(Serialised(file), expected);
  EXPECT_EQ(ParseResourceFile(expected), file);
}

TEST(ResourceFileLayout, ReferenceListsFollowTheTypeListInItsOrder) {
  const ResourceFile file = SampleFile();
  const Bytes bytes = Serialised(file);
  const std::size_t map = 256 + (4 + 12) + 4 + (4 + 396) + (4 + 3);
  ASSERT_EQ(bytes[4] << 24 | bytes[5] << 16 | bytes[6] << 8 | bytes[7], map);
  const std::size_t types = map + 28;
  EXPECT_EQ(bytes[types + 1], 1);  // two types
  EXPECT_EQ(Bytes(bytes.begin() + types + 2, bytes.begin() + types + 6), (Bytes{'S', 'T', 'R', '#'}));
  EXPECT_EQ(bytes[types + 9], 18);  // STR#'s references right after the two type entries
  EXPECT_EQ(Bytes(bytes.begin() + types + 10, bytes.begin() + types + 14), (Bytes{'P', 'r', 'e', 'f'}));
  EXPECT_EQ(bytes[types + 17], 18 + 24);  // then Pref's
  // Resources of a type come back together, in the order given.
  const ResourceFile grouped{0x0020, {file.resources[0], file.resources[2], file.resources[1], file.resources[3]}};
  EXPECT_EQ(ParseResourceFile(bytes), grouped);
}

// Past 64 KiB of data a reference's offset needs its third byte.
TEST(ResourceFileLayout, DataOffsetsUseAllThreeBytes) {
  Bytes first(70000);
  for (std::size_t i = 0; i < first.size(); ++i) first[i] = static_cast<std::uint8_t>(i * 7);
  const ResourceFile file{0, {{kPref, 1, std::nullopt, 0, first}, {kPref, 2, std::nullopt, 0, {'l', 'a', 's', 't'}}}};
  const Bytes bytes = Serialised(file);
  const std::size_t map = bytes[4] << 24 | bytes[5] << 16 | bytes[6] << 8 | bytes[7];
  const std::size_t secondReference = map + 28 + 10 + 12;
  EXPECT_EQ(Bytes(bytes.begin() + secondReference + 5, bytes.begin() + secondReference + 8), (Bytes{0x01, 0x11, 0x74}));
  EXPECT_EQ(ParseResourceFile(bytes), file);
}

TEST(ResourceFileLayout, StringListItemsAreOneBasedAndMissingItemsAreNothing) {
  const std::string items[] = {"", "two", std::string(255, 'z')};
  const Bytes data = *zv::rsrc::MakeStringList(items);
  const Bytes cut(data.begin(), data.end() - 1);  // a count that promises more than the data holds
  const std::tuple<Bytes, int, std::optional<std::string>> cases[] = {
      {data, 1, ""}, {data, 2, "two"}, {data, 3, std::string(255, 'z')}, {data, 0, std::nullopt},
      {data, 4, std::nullopt}, {data, -1, std::nullopt}, {cut, 3, std::nullopt}, {Bytes{0}, 1, std::nullopt}};
  for (const auto &[list, index, item] : cases) EXPECT_EQ(zv::rsrc::StringListItem(list, index), item) << index;
  const std::string tooLong[] = {std::string(256, 'z')};
  EXPECT_EQ(zv::rsrc::MakeStringList(tooLong), std::nullopt);
}

TEST(ResourceFileLimits, WritingRefusesWhatTheLayoutCannotHold) {
  Bytes bytes;
  std::string why;
  auto refused = [&](const ResourceFile &file) { return !zv::rsrc::SerialiseResourceFile(file, bytes, &why); };

  EXPECT_TRUE(refused({0, {{kPref, 1, std::string(256, 'n'), 0, {}}}}));
  EXPECT_FALSE(refused({0, {{kPref, 1, std::string(255, 'n'), 0, {}}}}));
  EXPECT_TRUE(refused({0, {{kPref, 1, std::nullopt, 0, {}}, {kPref, 1, std::nullopt, 0, {}}}}));

  // Data offsets have three bytes: the last resource must start by 0xFFFFFF.
  for (std::uint32_t size : {(1u << 24) - 5, (1u << 24) - 4})
    EXPECT_EQ(refused({0, {{kPref, 1, std::nullopt, 0, Bytes(size)}, {kPref, 2, std::nullopt, 0, {}}}}),
              size == (1u << 24) - 4) << size;

  // The name list's offset in the map is a signed 2-byte number.
  auto manyResources = [](int count, std::optional<std::string> name) {
    ResourceFile file;
    for (int id = 0; id < count; ++id) file.resources.push_back({kPref, static_cast<std::int16_t>(id), name, 0, {}});
    return file;
  };
  const int fit = (0x7FFF - 28 - 10) / 12;
  EXPECT_FALSE(refused(manyResources(fit, std::nullopt)));
  EXPECT_TRUE(refused(manyResources(fit + 1, std::nullopt)));
  // So are the offsets of names in the name list.
  EXPECT_FALSE(refused(manyResources(128, std::string(255, 'n'))));
  EXPECT_TRUE(refused(manyResources(129, std::string(255, 'n'))));
  EXPECT_FALSE(why.empty());
}

void ExpectRefused(const Bytes &bytes) {
  std::string why;
  EXPECT_EQ(ParseResourceFile(bytes, &why), std::nullopt);
  EXPECT_FALSE(why.empty());
}

TEST(DamagedResourceFile, EveryTruncationIsRefused) {
  const Bytes good = Serialised(SampleFile());
  ASSERT_TRUE(ParseResourceFile(good));
  for (std::size_t length = 0; length < good.size(); ++length)
    ExpectRefused(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)));
}

TEST(DamagedResourceFile, OffsetsAndCountsPointingOutsideAreRefused) {
  const Bytes good = Serialised(SampleFile());
  const std::size_t map = good[4] << 24 | good[5] << 16 | good[6] << 8 | good[7];
  const std::size_t types = map + 28;
  const std::size_t firstReference = types + 18;
  const std::tuple<const char *, std::size_t, Bytes> pokes[] = {
      {"data offset past the end", 0, {0, 0x10, 0, 0}},
      {"data offset inside the header", 0, {0, 0, 0, 4}},
      {"map offset past the end", 4, {0x7F, 0, 0, 0}},
      {"map offset inside the data area", 4, {0, 0, 1, 2}},
      {"data length past the end", 8, {0, 1, 0, 0}},
      {"map length past the end", 12, {0, 0, 0x10, 0}},
      {"map length below its header", 12, {0, 0, 0, 20}},
      {"type list offset past the map", map + 24, {0x10, 0}},
      {"type list offset negative", map + 24, {0xFF, 0xF0}},
      {"type list inside the map header", map + 24, {0, 4}},
      {"name list offset past the map", map + 26, {0x10, 0}},
      {"type count past the map", types, {0x40, 0}},
      {"reference count past the map", types + 6, {0x10, 0}},
      {"reference list offset past the map", types + 8, {0x10, 0}},
      {"reference list over the type list", types + 8, {0, 2}},
      {"two types share a reference list", types + 16, {0, 18}},
      {"a type listed twice", types + 10, {'S', 'T', 'R', '#'}},
      {"name offset past the map", firstReference + 2, {0x10, 0}},
      {"negative name offset", firstReference + 2, {0xFF, 0x00}},
      {"resource data offset past the data area", firstReference + 5, {0x10, 0, 0}},
      {"resource data overlapping another", firstReference + 12 + 5, {0, 0, 2}},
      {"a resource listed twice", firstReference + 12, {0, 128}},
      {"resource length past the data area", 256, {0x7F, 0xFF, 0xFF, 0xFF}},
      {"name length past the map", good.size() - 1, {0xFF}},  // the last name, ""
  };
  for (const auto &[what, at, bytes] : pokes) {
    SCOPED_TRACE(what);
    Bytes bad = good;
    std::copy(bytes.begin(), bytes.end(), bad.begin() + static_cast<std::ptrdiff_t>(at));
    ASSERT_NE(bad, good);
    ExpectRefused(bad);
  }
}

}  // namespace

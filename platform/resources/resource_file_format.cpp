// Resource file images: parse and lay out.

#include "resources/resource_file_format.h"

#include <algorithm>
#include <set>
#include <utility>

namespace zv::rsrc {
namespace {

constexpr std::uint64_t kLargestDataOffset = 0xFFFFFF;  // 3 bytes in a reference
constexpr std::uint64_t kLargestMapOffset = 0x7FFF;     // signed 2 bytes
constexpr std::uint64_t kLargestFile = 0xFFFFFFFF;      // 4-byte header fields
constexpr std::size_t kTypeEntryBytes = 8;
constexpr std::size_t kReferenceBytes = 12;
constexpr std::int16_t kNoName = -1;

// Reads big-endian numbers at offsets the caller has already checked.
class BigEndianView {
 public:
  explicit BigEndianView(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  bool Holds(std::uint64_t offset, std::uint64_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }
  std::uint32_t U8(std::size_t at) const { return bytes_[at]; }
  std::uint32_t U16(std::size_t at) const { return U8(at) << 8 | U8(at + 1); }
  std::uint32_t U24(std::size_t at) const { return U8(at) << 16 | U16(at + 1); }
  std::uint32_t U32(std::size_t at) const { return U16(at) << 16 | U16(at + 2); }
  std::span<const std::uint8_t> Bytes(std::size_t at, std::size_t length) const {
    return bytes_.subspan(at, length);
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

class BigEndianWriter {
 public:
  explicit BigEndianWriter(std::vector<std::uint8_t> &bytes) : bytes_(bytes) {}
  void U8(std::uint32_t v) { bytes_.push_back(static_cast<std::uint8_t>(v)); }
  void U16(std::uint32_t v) { U8(v >> 8), U8(v); }
  void U24(std::uint32_t v) { U8(v >> 16), U16(v); }
  void U32(std::uint32_t v) { U16(v >> 16), U16(v); }
  void Bytes(std::span<const std::uint8_t> b) { bytes_.insert(bytes_.end(), b.begin(), b.end()); }
  void Bytes(const std::string &s) { bytes_.insert(bytes_.end(), s.begin(), s.end()); }

 private:
  std::vector<std::uint8_t> &bytes_;
};

struct Span {
  std::uint64_t start;
  std::uint64_t end;
  bool operator<(const Span &other) const { return start < other.start; }
};

// True when no two non-empty spans share a byte.
bool Disjoint(std::vector<Span> spans) {
  std::erase_if(spans, [](const Span &s) { return s.start == s.end; });
  std::sort(spans.begin(), spans.end());
  for (std::size_t i = 1; i < spans.size(); ++i) {
    if (spans[i].start < spans[i - 1].end) return false;
  }
  return true;
}

template <typename Result>
Result Refuse(std::string *whyNot, const char *reason) {
  if (whyNot != nullptr) *whyNot = reason;
  return Result{};
}

struct TypeGroup {
  ResType type;
  std::vector<const Resource *> members;
};

std::vector<TypeGroup> GroupByType(const std::vector<Resource> &resources) {
  std::vector<TypeGroup> groups;
  for (const Resource &resource : resources) {
    auto group = std::find_if(groups.begin(), groups.end(),
                              [&](const TypeGroup &g) { return g.type == resource.type; });
    if (group == groups.end()) group = groups.insert(groups.end(), TypeGroup{resource.type, {}});
    group->members.push_back(&resource);
  }
  return groups;
}

}  // namespace

std::optional<ResourceFile> ParseResourceFile(std::span<const std::uint8_t> bytes, std::string *whyNot) {
  using Result = std::optional<ResourceFile>;
  const BigEndianView file(bytes);
  if (!file.Holds(0, kHeaderBytes)) return Refuse<Result>(whyNot, "shorter than the header");
  const std::uint64_t dataOffset = file.U32(0);
  const std::uint64_t mapOffset = file.U32(4);
  const std::uint64_t dataLength = file.U32(8);
  const std::uint64_t mapLength = file.U32(12);
  if (!file.Holds(dataOffset, dataLength)) return Refuse<Result>(whyNot, "data area past the end");
  if (!file.Holds(mapOffset, mapLength)) return Refuse<Result>(whyNot, "map past the end");
  if (dataOffset < kHeaderBytes || mapOffset < kHeaderBytes) return Refuse<Result>(whyNot, "area inside the header");
  if (!Disjoint({{dataOffset, dataOffset + dataLength}, {mapOffset, mapOffset + mapLength}})) {
    return Refuse<Result>(whyNot, "data area and map overlap");
  }
  if (mapLength < kMapHeaderBytes) return Refuse<Result>(whyNot, "map shorter than its header");

  const BigEndianView data(file.Bytes(dataOffset, dataLength));
  const BigEndianView map(file.Bytes(mapOffset, mapLength));
  ResourceFile result;
  result.attributes = static_cast<std::uint16_t>(map.U16(22));
  const std::uint32_t typeListOffset = map.U16(24);
  const std::uint32_t nameListOffset = map.U16(26);
  if (typeListOffset > kLargestMapOffset || nameListOffset > kLargestMapOffset) {
    return Refuse<Result>(whyNot, "negative map offset");
  }
  if (typeListOffset < kMapHeaderBytes || !map.Holds(typeListOffset, 2)) {
    return Refuse<Result>(whyNot, "type list outside the map");
  }
  const std::uint32_t typeCount = (map.U16(typeListOffset) + 1) & 0xFFFF;
  const std::uint64_t typeListEnd = typeListOffset + 2 + std::uint64_t{kTypeEntryBytes} * typeCount;
  if (!map.Holds(typeListOffset, typeListEnd - typeListOffset)) {
    return Refuse<Result>(whyNot, "type list past the end of the map");
  }
  if (nameListOffset < typeListEnd || nameListOffset > mapLength) {
    return Refuse<Result>(whyNot, "name list outside the map");
  }

  std::vector<Span> mapSpans{{typeListOffset, typeListEnd}};
  std::vector<Span> dataSpans;
  std::set<ResType> types;
  std::set<std::pair<ResType, std::int16_t>> seen;
  for (std::uint32_t t = 0; t < typeCount; ++t) {
    const std::size_t entry = typeListOffset + 2 + kTypeEntryBytes * t;
    const ResType type = map.U32(entry);
    const std::uint32_t count = map.U16(entry + 4) + 1;
    const std::uint32_t referenceListOffset = map.U16(entry + 6);
    if (!types.insert(type).second) return Refuse<Result>(whyNot, "a type listed twice");
    if (referenceListOffset > kLargestMapOffset) return Refuse<Result>(whyNot, "negative reference list offset");
    const std::uint64_t listStart = std::uint64_t{typeListOffset} + referenceListOffset;
    const std::uint64_t listBytes = std::uint64_t{kReferenceBytes} * count;
    if (!map.Holds(listStart, listBytes) || listStart + listBytes > nameListOffset) {
      return Refuse<Result>(whyNot, "reference list outside the map");
    }
    mapSpans.push_back({listStart, listStart + listBytes});

    for (std::uint32_t r = 0; r < count; ++r) {
      const std::size_t reference = listStart + kReferenceBytes * r;
      Resource resource;
      resource.type = type;
      resource.id = static_cast<std::int16_t>(map.U16(reference));
      const auto nameOffset = static_cast<std::int16_t>(map.U16(reference + 2));
      resource.attributes = static_cast<std::uint8_t>(map.U8(reference + 4));
      const std::uint64_t resourceOffset = map.U24(reference + 5);
      if (!seen.insert({type, resource.id}).second) return Refuse<Result>(whyNot, "a resource listed twice");

      if (nameOffset != kNoName) {
        if (nameOffset < 0) return Refuse<Result>(whyNot, "negative name offset");
        const std::uint64_t nameAt = std::uint64_t{nameListOffset} + static_cast<std::uint64_t>(nameOffset);
        if (!map.Holds(nameAt, 1) || !map.Holds(nameAt + 1, map.U8(nameAt))) {
          return Refuse<Result>(whyNot, "name past the end of the map");
        }
        const auto name = map.Bytes(nameAt + 1, map.U8(nameAt));
        resource.name.emplace(name.begin(), name.end());
      }

      if (!data.Holds(resourceOffset, 4)) return Refuse<Result>(whyNot, "resource data past the data area");
      const std::uint64_t length = data.U32(resourceOffset);
      if (!data.Holds(resourceOffset + 4, length)) return Refuse<Result>(whyNot, "resource data past the data area");
      dataSpans.push_back({resourceOffset, resourceOffset + 4 + length});
      const auto body = data.Bytes(resourceOffset + 4, length);
      resource.data.assign(body.begin(), body.end());
      result.resources.push_back(std::move(resource));
    }
  }
  if (!Disjoint(mapSpans)) return Refuse<Result>(whyNot, "type and reference lists overlap");
  if (!Disjoint(dataSpans)) return Refuse<Result>(whyNot, "resource data overlap");
  return result;
}

bool SerialiseResourceFile(const ResourceFile &file, std::vector<std::uint8_t> &bytes, std::string *whyNot) {
  const std::vector<TypeGroup> groups = GroupByType(file.resources);
  std::set<std::pair<ResType, std::int16_t>> seen;
  for (const Resource &resource : file.resources) {
    if (!seen.insert({resource.type, resource.id}).second) return Refuse<bool>(whyNot, "a resource given twice");
    if (resource.name && resource.name->size() > 255) return Refuse<bool>(whyNot, "a name over 255 bytes");
  }
  const std::uint64_t referenceLists = std::uint64_t{kReferenceBytes} * file.resources.size();
  const std::uint64_t typeListBytes = 2 + std::uint64_t{kTypeEntryBytes} * groups.size();
  const std::uint64_t nameListOffset = kMapHeaderBytes + typeListBytes + referenceLists;
  if (nameListOffset > kLargestMapOffset) return Refuse<bool>(whyNot, "too many resources for the map");

  // Data area and name list first: the references point into both.
  std::vector<std::uint8_t> dataArea;
  std::vector<std::uint8_t> nameList;
  std::vector<std::uint32_t> dataOffsets;
  std::vector<std::int16_t> nameOffsets;
  BigEndianWriter dataOut(dataArea);
  BigEndianWriter namesOut(nameList);
  for (const TypeGroup &group : groups) {
    for (const Resource *resource : group.members) {
      if (dataArea.size() > kLargestDataOffset) return Refuse<bool>(whyNot, "data area over 16 MiB");
      if (resource->data.size() > kLargestFile - dataArea.size()) return Refuse<bool>(whyNot, "file over 4 GiB");
      dataOffsets.push_back(static_cast<std::uint32_t>(dataArea.size()));
      dataOut.U32(static_cast<std::uint32_t>(resource->data.size()));
      dataOut.Bytes(resource->data);
      if (!resource->name) {
        nameOffsets.push_back(kNoName);
        continue;
      }
      if (nameList.size() > kLargestMapOffset) return Refuse<bool>(whyNot, "name list over 32 KiB");
      nameOffsets.push_back(static_cast<std::int16_t>(nameList.size()));
      namesOut.U8(static_cast<std::uint32_t>(resource->name->size()));
      namesOut.Bytes(*resource->name);
    }
  }
  const std::uint64_t mapLength = nameListOffset + nameList.size();
  if (kDataAreaOffset + dataArea.size() + mapLength > kLargestFile) return Refuse<bool>(whyNot, "file over 4 GiB");

  bytes.clear();
  bytes.reserve(kDataAreaOffset + dataArea.size() + mapLength);
  BigEndianWriter out(bytes);
  auto writeHeader = [&] {
    out.U32(kDataAreaOffset);
    out.U32(static_cast<std::uint32_t>(kDataAreaOffset + dataArea.size()));
    out.U32(static_cast<std::uint32_t>(dataArea.size()));
    out.U32(static_cast<std::uint32_t>(mapLength));
  };
  writeHeader();
  bytes.resize(kDataAreaOffset, 0);  // reserved for the system and the application
  out.Bytes(dataArea);

  writeHeader();  // the map opens with a copy of the header
  out.U32(0);     // next map (a handle in memory)
  out.U16(0);     // file reference number (in memory)
  out.U16(file.attributes);
  out.U16(kMapHeaderBytes);
  out.U16(static_cast<std::uint32_t>(nameListOffset));
  out.U16(static_cast<std::uint32_t>(groups.size()) - 1);  // 0xFFFF when empty
  std::uint64_t referenceListOffset = typeListBytes;
  for (const TypeGroup &group : groups) {
    out.U32(group.type);
    out.U16(static_cast<std::uint32_t>(group.members.size()) - 1);
    out.U16(static_cast<std::uint32_t>(referenceListOffset));
    referenceListOffset += kReferenceBytes * group.members.size();
  }
  std::size_t index = 0;
  for (const TypeGroup &group : groups) {
    for (const Resource *resource : group.members) {
      out.U16(static_cast<std::uint16_t>(resource->id));
      out.U16(static_cast<std::uint16_t>(nameOffsets[index]));
      out.U8(resource->attributes);
      out.U24(dataOffsets[index]);
      out.U32(0);  // resource handle (in memory)
      ++index;
    }
  }
  out.Bytes(nameList);
  return true;
}

std::optional<std::vector<std::uint8_t>> MakeStringList(std::span<const std::string> items) {
  if (items.size() > 0xFFFF) return std::nullopt;
  std::vector<std::uint8_t> data;
  BigEndianWriter out(data);
  out.U16(static_cast<std::uint32_t>(items.size()));
  for (const std::string &item : items) {
    if (item.size() > 255) return std::nullopt;
    out.U8(static_cast<std::uint32_t>(item.size()));
    out.Bytes(item);
  }
  return data;
}

std::optional<std::string> StringListItem(std::span<const std::uint8_t> data, int index) {
  const BigEndianView list(data);
  if (index < 1 || !list.Holds(0, 2) || static_cast<std::uint32_t>(index) > list.U16(0)) return std::nullopt;
  std::size_t at = 2;
  for (int i = 1;; ++i) {
    if (!list.Holds(at, 1) || !list.Holds(at + 1, list.U8(at))) return std::nullopt;
    if (i == index) {
      const auto text = list.Bytes(at + 1, list.U8(at));
      return std::string(text.begin(), text.end());
    }
    at += 1 + list.U8(at);
  }
}

}  // namespace zv::rsrc

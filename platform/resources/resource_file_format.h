// The resource file's bytes: parsing a file image into resources and laying
// resources out as a file image, in the classic resource-fork layout
// (big-endian; header, data area at 256, map with type list, reference lists
// and name list). No state, no I/O: the Resource Manager, the resource
// compiler and the fuzzer share it.
#ifndef ZV_PLATFORM_RESOURCE_FILE_FORMAT_H
#define ZV_PLATFORM_RESOURCE_FILE_FORMAT_H

#include "MacTypes.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zv::rsrc {

struct Resource {
  ResType type = 0;
  std::int16_t id = 0;
  std::optional<std::string> name;  // Mac Roman bytes, at most 255
  std::uint8_t attributes = 0;
  std::vector<std::uint8_t> data;
  bool operator==(const Resource &) const = default;
};

// Resources of one type stay together, types in order of first appearance.
struct ResourceFile {
  std::uint16_t attributes = 0;
  std::vector<Resource> resources;
  bool operator==(const ResourceFile &) const = default;
};

inline constexpr std::size_t kHeaderBytes = 16;
inline constexpr std::size_t kDataAreaOffset = 256;
inline constexpr std::size_t kMapHeaderBytes = 28;

// Every offset, length and count is checked before use; a file that breaks
// any of them, or names a type or a (type, id) twice, is refused whole.
std::optional<ResourceFile> ParseResourceFile(std::span<const std::uint8_t> bytes, std::string *whyNot = nullptr);

// Refuses (false, with the reason) resources the layout cannot hold: names over
// 255 bytes, data offsets past 3 bytes, map offsets past a signed 2 bytes, a
// file past 4 GiB, a (type, id) given twice.
bool SerialiseResourceFile(const ResourceFile &file, std::vector<std::uint8_t> &bytes, std::string *whyNot = nullptr);

// 'STR#' data: a 2-byte count, then that many length-prefixed strings.
// Nothing when an item is over 255 bytes or there are over 65535 items.
std::optional<std::vector<std::uint8_t>> MakeStringList(std::span<const std::string> items);
// Item index (1-based) of 'STR#' data; nothing when missing or cut short.
std::optional<std::string> StringListItem(std::span<const std::uint8_t> data, int index);

inline constexpr ResType kStringListType = ZV_FOURCC('S', 'T', 'R', '#');

}  // namespace zv::rsrc

#endif

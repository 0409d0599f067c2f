// Fuzz target: the resource file parser. Whatever it accepts must lay out
// again and parse back to the same resources.
//
// fuzz-sources: platform/resources/resource_file_format.cpp

#include "resources/resource_file_format.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const auto parsed = zv::rsrc::ParseResourceFile({data, size});
  if (!parsed) return 0;
  for (const auto &resource : parsed->resources) {
    if (resource.type == zv::rsrc::kStringListType) {
      for (int i = 0; i <= 3; ++i) (void)zv::rsrc::StringListItem(resource.data, i);
    }
  }
  std::vector<std::uint8_t> again;
  if (!zv::rsrc::SerialiseResourceFile(*parsed, again)) return 0;  // shared names may not fit once laid out apart
  if (zv::rsrc::ParseResourceFile(again) != parsed) std::abort();
  return 0;
}

// Fuzz target: the description a part of a render pass carries in its
// metadata. Whatever is accepted must describe a sane part range and write
// out to text that reads back the same.
//
// fuzz-sources: host/cli/PartInfo.cpp

#include "../../host/cli/PartInfo.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);
  const auto part = zv::host::PartInfo::Parse(text);
  if (!part) return 0;
  if (part->First() < 0 || part->First() >= part->End() || part->End() > part->frames) std::abort();
  const auto again = zv::host::PartInfo::Parse(part->Format());
  if (!again || again->Format() != part->Format() || !again->PassDifference(*part).empty()) std::abort();
  return 0;
}

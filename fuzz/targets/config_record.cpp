// Fuzz target: the check of a stored configuration record. Whatever it
// accepts, in either byte order, must write out again to the same fields.
//
// fuzz-sources: plugin/prefsrecord.cpp

#include "prefsrecord.h"

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  for (std::endian order : {std::endian::little, std::endian::big}) {
    PLUGINDATAREC config;
    std::memset(&config, 0, sizeof config);
    if (!DecodeConfigRecord({data, size}, order, config)) continue;
    std::vector<UInt8> again(ConfigSaveSize(order));
    EncodeConfigRecord(config, order, again);
    // Every field up to the proportions flag, and the method after it, comes
    // back byte for byte; the flag itself is normalised to 0 or 1.
    if (std::memcmp(again.data(), data, 134) != 0 || std::memcmp(&again[136], data + 136, 2) != 0) std::abort();
    if (again[134] != (data[134] != 0)) std::abort();
  }
  return 0;
}

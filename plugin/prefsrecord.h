// The stored form of a configuration: the record's bytes in either byte order.
#pragma once

#include "PluginDefines.h"

#include <bit>
#include <span>

inline constexpr UInt32 kConfigSaveVersion = 3;
inline constexpr size_t kConfigSaveSizeBig = 394;    // the big-endian form
inline constexpr size_t kConfigSaveSizeLittle = 396; // the little-endian form: two closing zero bytes
inline constexpr size_t kConfigSaveSizeNative =
    std::endian::native == std::endian::little ? kConfigSaveSizeLittle : kConfigSaveSizeBig;
inline constexpr const char *kConfigMiscString = "Config save for dravik iMovie plug-in";

constexpr size_t ConfigSaveSize(std::endian order) {
  return order == std::endian::little ? kConfigSaveSizeLittle : kConfigSaveSizeBig;
}

// The record codec in either byte order. bytes must hold ConfigSaveSize(order).
void EncodeConfigRecord(const PLUGINDATAREC &theConfig, std::endian order, std::span<UInt8> bytes);
// false, with theConfig untouched, when the size, version or length is wrong.
bool DecodeConfigRecord(std::span<const UInt8> bytes, std::endian order, PLUGINDATAREC &theConfig);


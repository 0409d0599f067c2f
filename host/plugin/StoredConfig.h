// The plug-in's stored configuration as the host shows it: resource 'Pref' 1
// of tolvi-Prefs in the Preferences folder, a 396-byte little-endian record.
// The plug-in offers no way to read it, so the host decodes the record itself.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace zv::host {

struct StoredRgb {
  std::uint16_t red = 0, green = 0, blue = 0;
};

struct StoredConfig {
  std::array<double, 4> startRel{};  // left, right, top, bottom
  std::array<double, 4> endRel{};
  std::array<StoredRgb, 6> colors{};
  std::array<std::int16_t, 6> sliders{};
  StoredRgb frameStartColor, frameEndColor;
  std::int16_t mediaType = 0;
  bool keepProps = false;
  std::int16_t method = 0;
};

constexpr std::size_t kStoredConfigSize = 396;

// The record, or the reason it is refused (size, version, other byte order).
struct DecodedConfig {
  std::optional<StoredConfig> config;
  std::string problem;
};
DecodedConfig DecodeConfigRecord(std::span<const std::uint8_t> bytes);

struct StoredConfigReport {
  std::string path;                   // the preferences file
  std::optional<StoredConfig> config; // when present and accepted
  std::string problem;                // empty when absent; why it was refused otherwise
};
StoredConfigReport ReadStoredConfig();

// The configuration field by field, one "  name  value" line each.
std::string FormatStoredConfig(const StoredConfig &config);

}  // namespace zv::host

// zorvane hosts: whether ffmpeg, melt, GStreamer, Kdenlive and Shotcut find
// the filters installed under a prefix, read from this environment as each
// host reads it, and for each that does not, the line that fixes it.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace zv::host {

// Where an install under a prefix puts the filters and descriptions.
struct InstalledFilters {
  std::filesystem::path prefix;
  std::filesystem::path frei0r;       // lib/frei0r-1/zorvane.so
  std::filesystem::path mltModule;    // libmltzorvane.so in MLT's folder or lib/mlt-7
  std::filesystem::path kdenliveXml;  // share/kdenlive/effects/zorvane.xml
  std::filesystem::path shotcutDir;   // share/shotcut/qml/filters/zorvane
};

InstalledFilters FiltersUnder(const std::filesystem::path &prefix);

// The prefix this program was installed under: the folder above its bin/.
std::filesystem::path OwnPrefix();

// Prints the report; with onlyMissing, just the hosts that will not find the
// filters (nothing when all do). checkFiles: say so when a file is absent
// (off for an install into a staging folder, whose files are elsewhere).
void ReportHosts(const InstalledFilters &filters, bool onlyMissing, bool checkFiles, std::FILE *out);

}  // namespace zv::host

#include "plugin/StoredConfig.h"

#include <Folders.h>
#include <MacMemory.h>
#include <Resources.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace zv::host {

namespace {

constexpr std::uint32_t kVersion = 3;
constexpr std::uint32_t kBigEndianSize = 394;

std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(U16(b, at)) | static_cast<std::uint32_t>(U16(b, at + 2)) << 16;
}
double F64(std::span<const std::uint8_t> b, std::size_t at) {
  const std::uint64_t bits = U32(b, at) | static_cast<std::uint64_t>(U32(b, at + 4)) << 32;
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}
StoredRgb Rgb(std::span<const std::uint8_t> b, std::size_t at) { return {U16(b, at), U16(b, at + 2), U16(b, at + 4)}; }

std::uint32_t Swap32(std::uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0xFF00) | ((v << 8) & 0xFF0000) | (v << 24);
}

std::string Fmt(const char *format, auto... args) {
  char buf[256];
  std::snprintf(buf, sizeof buf, format, args...);
  return buf;
}

std::string RgbText(const StoredRgb &c) { return Fmt("(%u, %u, %u)", c.red, c.green, c.blue); }

std::string RelText(const std::array<double, 4> &r) {
  return Fmt("left %g, right %g, top %g, bottom %g", r[0], r[1], r[2], r[3]);
}

}  // namespace

DecodedConfig DecodeConfigRecord(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 8) return {std::nullopt, "record of " + std::to_string(bytes.size()) + " bytes"};
  const std::uint32_t size = U32(bytes, 0), version = U32(bytes, 4);
  if (size != kStoredConfigSize) {
    if (Swap32(size) == kBigEndianSize) return {std::nullopt, "written by a big-endian (PowerPC) build"};
    return {std::nullopt, "record size " + std::to_string(size) + ", expected " + std::to_string(kStoredConfigSize)};
  }
  if (bytes.size() < size)
    return {std::nullopt, "record of " + std::to_string(bytes.size()) + " bytes announces " + std::to_string(size)};
  if (version != kVersion) return {std::nullopt, "version " + std::to_string(version) + ", expected 3"};

  StoredConfig c;
  for (int i = 0; i < 4; ++i) {
    c.startRel[i] = F64(bytes, 8 + 8 * i);
    c.endRel[i] = F64(bytes, 40 + 8 * i);
  }
  for (int i = 0; i < 6; ++i) {
    c.colors[i] = Rgb(bytes, 72 + 6 * i);
    c.sliders[i] = static_cast<std::int16_t>(U16(bytes, 108 + 2 * i));
  }
  c.frameStartColor = Rgb(bytes, 120);
  c.frameEndColor = Rgb(bytes, 126);
  c.mediaType = static_cast<std::int16_t>(U16(bytes, 132));
  c.keepProps = bytes[134] != 0;
  c.method = static_cast<std::int16_t>(U16(bytes, 136));
  return {c, ""};
}

StoredConfigReport ReadStoredConfig() {
  StoredConfigReport report;
  short vRefNum = 0;
  long dirID = 0;
  if (FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vRefNum, &dirID) != noErr) {
    report.problem = "no Preferences folder";
    return report;
  }
  static const unsigned char kName[] = "\x0btolvi-Prefs";
  FSSpec fileSpec{};
  const OSErr made = FSMakeFSSpec(vRefNum, dirID, kName, &fileSpec);
  report.path = zv::PathOfFSSpec(fileSpec);
  if (made == fnfErr) return report;
  if (made != noErr) {
    report.problem = "cannot name the file (error " + std::to_string(made) + ")";
    return report;
  }
  const short previous = CurResFile();
  const short file = FSpOpenResFile(&fileSpec, fsRdPerm);
  if (file == -1) {
    const OSErr err = ResError();
    report.problem = err == notAFileErr   ? "not a regular file"
                     : err == mapReadErr  ? "damaged, or over 1 MiB"
                     : err == permErr     ? "permission denied"
                     : err == fnfErr      ? "a link to nothing"
                                          : "cannot be read (error " + std::to_string(err) + ")";
    UseResFile(previous);
    return report;
  }
  UseResFile(file);
  Handle h = Get1Resource(ZV_FOURCC('P', 'r', 'e', 'f'), 1);
  std::vector<std::uint8_t> bytes;
  if (h && *h) bytes.assign(reinterpret_cast<std::uint8_t *>(*h), reinterpret_cast<std::uint8_t *>(*h) + GetHandleSize(h));
  if (h) ReleaseResource(h);
  CloseResFile(file);
  UseResFile(previous);
  if (!h) return report;
  DecodedConfig decoded = DecodeConfigRecord(bytes);
  report.config = decoded.config;
  report.problem = decoded.problem;
  return report;
}

std::string FormatStoredConfig(const StoredConfig &c) {
  static const char *kMedia[] = {"NTSC", "NTSC", "PAL", "HD"};
  const char *media = c.mediaType >= 1 && c.mediaType <= 3 ? kMedia[c.mediaType] : "other, taken as NTSC";
  std::string s;
  s += "  start rectangle   " + RelText(c.startRel) + "\n";
  s += "  end rectangle     " + RelText(c.endRel) + "\n";
  s += Fmt("  lower limits      red %d%%, green %d%%, blue %d%%\n", c.sliders[0], c.sliders[1], c.sliders[2]);
  s += Fmt("  unused sliders    %d, %d, %d\n", c.sliders[3], c.sliders[4], c.sliders[5]);
  s += "  colours           ";
  for (int i = 0; i < 6; ++i) s += (i ? ", " : "") + RgbText(c.colors[i]);
  s += "\n";
  s += "  frame colour      start " + RgbText(c.frameStartColor) + ", end " + RgbText(c.frameEndColor) + "\n";
  s += Fmt("  media type        %d (%s)\n", c.mediaType, media);
  s += std::string("  keep proportions  ") + (c.keepProps ? "yes" : "no") + "\n";
  s += Fmt("  method            %d\n", c.method);
  return s;
}

}  // namespace zv::host

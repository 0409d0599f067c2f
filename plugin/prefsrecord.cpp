#include "prefsrecord.h"

#include <cstring>

namespace {

// Field offsets of the stored record.
enum : size_t {
  kOffSize = 0,
  kOffVersion = 4,
  kOffStartRel = 8,
  kOffEndRel = 40,
  kOffColors = 72,
  kOffSliders = 108,
  kOffFrameStart = 120,
  kOffFrameEnd = 126,
  kOffMediaType = 132,
  kOffKeepProps = 134,
  kOffMethod = 136,
  kOffMisc = 138
};

// Writes and reads integers of a given byte order.
class RecordBytes {
 public:
  RecordBytes(UInt8 *data, std::endian order) : data_(data), order_(order) {}

  template <typename T>
  void Put(size_t at, T value) {
    UInt8 raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    if (order_ != std::endian::native) Reverse(raw, sizeof(T));
    std::memcpy(data_ + at, raw, sizeof(T));
  }

  template <typename T>
  T Get(size_t at) const {
    UInt8 raw[sizeof(T)];
    std::memcpy(raw, data_ + at, sizeof(T));
    if (order_ != std::endian::native) Reverse(raw, sizeof(T));
    T value;
    std::memcpy(&value, raw, sizeof(T));
    return value;
  }

  void PutRel(size_t at, const RELRECT &r) {
    Put(at, r.LEFT);
    Put(at + 8, r.RIGHT);
    Put(at + 16, r.TOP);
    Put(at + 24, r.BOTTOM);
  }
  RELRECT GetRel(size_t at) const { return {Get<double>(at), Get<double>(at + 8), Get<double>(at + 16), Get<double>(at + 24)}; }

  void PutColor(size_t at, const RGBColor &c) {
    Put(at, c.red);
    Put(at + 2, c.green);
    Put(at + 4, c.blue);
  }
  RGBColor GetColor(size_t at) const { return {Get<UInt16>(at), Get<UInt16>(at + 2), Get<UInt16>(at + 4)}; }

 private:
  static void Reverse(UInt8 *p, size_t n) {
    for (size_t i = 0; i < n / 2; ++i) std::swap(p[i], p[n - 1 - i]);
  }
  UInt8 *data_;
  std::endian order_;
};

}  // namespace

void EncodeConfigRecord(const PLUGINDATAREC &theConfig, std::endian order, std::span<UInt8> bytes) {
  const size_t size = ConfigSaveSize(order);
  std::memset(bytes.data(), 0, size);
  RecordBytes rec(bytes.data(), order);
  rec.Put<UInt32>(kOffSize, static_cast<UInt32>(size));
  rec.Put<UInt32>(kOffVersion, kConfigSaveVersion);
  rec.PutRel(kOffStartRel, theConfig.STARTREL);
  rec.PutRel(kOffEndRel, theConfig.ENDREL);
  for (int n = 0; n < 6; ++n) rec.PutColor(kOffColors + 6 * n, theConfig.COLORS[n]);
  for (int n = 0; n < 6; ++n) rec.Put<SInt16>(kOffSliders + 2 * n, theConfig.SLIDERS[n]);
  rec.PutColor(kOffFrameStart, theConfig.FRAMESTARTCOLOR);
  rec.PutColor(kOffFrameEnd, theConfig.FRAMEENDCOLOR);
  rec.Put<SInt16>(kOffMediaType, theConfig.MEDIATYPE);
  bytes[kOffKeepProps] = theConfig.KEEPPROPS ? 1 : 0;
  rec.Put<SInt16>(kOffMethod, theConfig.METHOD);
  const size_t len = std::strlen(kConfigMiscString);
  bytes[kOffMisc] = static_cast<UInt8>(len);
  std::memcpy(bytes.data() + kOffMisc + 1, kConfigMiscString, len);
}

bool DecodeConfigRecord(std::span<const UInt8> bytes, std::endian order, PLUGINDATAREC &theConfig) {
  const size_t size = ConfigSaveSize(order);
  if (bytes.size() < 8) return false;
  RecordBytes rec(const_cast<UInt8 *>(bytes.data()), order);
  if (rec.Get<UInt32>(kOffSize) != size || rec.Get<UInt32>(kOffVersion) != kConfigSaveVersion) return false;
  if (bytes.size() < size) return false;
  theConfig.STARTREL = rec.GetRel(kOffStartRel);
  theConfig.ENDREL = rec.GetRel(kOffEndRel);
  for (int n = 0; n < 6; ++n) theConfig.COLORS[n] = rec.GetColor(kOffColors + 6 * n);
  for (int n = 0; n < 6; ++n) theConfig.SLIDERS[n] = rec.Get<SInt16>(kOffSliders + 2 * n);
  theConfig.FRAMESTARTCOLOR = rec.GetColor(kOffFrameStart);
  theConfig.FRAMEENDCOLOR = rec.GetColor(kOffFrameEnd);
  theConfig.MEDIATYPE = rec.Get<SInt16>(kOffMediaType);
  theConfig.KEEPPROPS = bytes[kOffKeepProps] != 0;  // any non-zero byte is true
  theConfig.METHOD = rec.Get<SInt16>(kOffMethod);
  return true;
}


#include "PartInfo.h"  // beside it, so the fuzz build finds it too

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>

namespace zv::host {

namespace {

constexpr const char kMagic[] = "zorvane-part 1";

// Values may hold any byte (file names): keep the separators and control
// bytes out of the text.
std::string Escape(const std::string &v) {
  std::string out;
  for (unsigned char c : v) {
    if (c == '%' || c == ';' || c < 0x20 || c == 0x7f) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::optional<std::string> Unescape(const std::string &v) {
  std::string out;
  for (std::size_t i = 0; i < v.size(); ++i) {
    if (v[i] != '%') {
      out += v[i];
      continue;
    }
    unsigned value = 0;
    if (i + 2 >= v.size()) return std::nullopt;
    const auto [p, ec] = std::from_chars(v.data() + i + 1, v.data() + i + 3, value, 16);
    if (ec != std::errc() || p != v.data() + i + 3) return std::nullopt;
    out += static_cast<char>(value);
    i += 2;
  }
  return out;
}

bool Number(const std::string &text, std::int64_t &value) {
  const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && p == text.data() + text.size() && !text.empty();
}

// "A<sep>B" as two numbers.
bool Pair(const std::string &text, char sep, std::int64_t &a, std::int64_t &b) {
  const auto at = text.find(sep);
  return at != std::string::npos && Number(text.substr(0, at), a) && Number(text.substr(at + 1), b);
}

}  // namespace

std::string PartInfo::Format() const {
  return std::string(kMagic) + "; part=" + std::to_string(part) + "/" + std::to_string(of) +
         "; input=" + Escape(input) + "; input-bytes=" + std::to_string(inputBytes) +
         "; input-frames=" + std::to_string(inputFrames) + "; start=" + std::to_string(start) +
         "; frames=" + std::to_string(frames) + "; fade-in=" + std::to_string(fadeIn) +
         "; fade-out=" + std::to_string(fadeOut) + "; size=" + std::to_string(width) + "x" + std::to_string(height) +
         "; rate=" + std::to_string(rateNum) + "/" + std::to_string(rateDen) + "; proxy=" + (proxy ? "1" : "0") +
         "; config=" + Escape(config) + "; encoder=" + Escape(encoder) +
         "; reorder=" + std::to_string(reorder) + (digest.empty() ? "" : "; frames-digest=" + Escape(digest));
}

std::optional<PartInfo> PartInfo::Parse(const std::string &text) {
  if (text.rfind(std::string(kMagic) + ";", 0) != 0) return std::nullopt;
  std::map<std::string, std::string> fields;
  std::size_t at = std::strlen(kMagic) + 1;
  while (at < text.size()) {
    if (text[at] == ' ') ++at;
    const std::size_t end = std::min(text.find(';', at), text.size());
    const std::string item = text.substr(at, end - at);
    const auto eq = item.find('=');
    if (eq == std::string::npos) return std::nullopt;
    const auto value = Unescape(item.substr(eq + 1));
    if (!value) return std::nullopt;
    fields[item.substr(0, eq)] = *value;
    at = end + 1;
  }
  PartInfo p;
  std::int64_t w = 0, h = 0, rn = 0, rd = 0, proxy = 0, reorder = 0;
  const auto has = [&](const char *k) { return fields.count(k) != 0; };
  for (const char *k : {"part", "input", "input-bytes", "input-frames", "start", "frames", "fade-in", "fade-out",
                        "size", "rate", "proxy", "config", "encoder", "reorder"})
    if (!has(k)) return std::nullopt;
  if (!Pair(fields["part"], '/', p.part, p.of) || !Number(fields["input-bytes"], p.inputBytes) ||
      !Number(fields["input-frames"], p.inputFrames) || !Number(fields["start"], p.start) ||
      !Number(fields["frames"], p.frames) || !Number(fields["fade-in"], p.fadeIn) ||
      !Number(fields["fade-out"], p.fadeOut) || !Pair(fields["size"], 'x', w, h) ||
      !Pair(fields["rate"], '/', rn, rd) || !Number(fields["proxy"], proxy) || !Number(fields["reorder"], reorder))
    return std::nullopt;
  // Nothing that could make the part ranges meaningless or overflow.
  constexpr std::int64_t kMax = 1LL << 31;
  if (p.of < 1 || p.part < 1 || p.part > p.of || p.frames < p.of || p.frames >= kMax || p.start < 0 ||
      p.start >= kMax || w < 1 || h < 1 || w >= kMax || h >= kMax || rn < 1 || rd < 1 || rn >= kMax || rd >= kMax ||
      reorder < 0 || reorder > 16)
    return std::nullopt;
  p.input = fields["input"];
  p.width = static_cast<int>(w);
  p.height = static_cast<int>(h);
  p.rateNum = static_cast<int>(rn);
  p.rateDen = static_cast<int>(rd);
  p.proxy = proxy != 0;
  p.config = fields["config"];
  p.encoder = fields["encoder"];
  p.reorder = static_cast<int>(reorder);
  if (has("frames-digest")) p.digest = fields["frames-digest"];
  return p;
}

std::string PartInfo::PassDifference(const PartInfo &o) const {
  // ./clip.mp4 and clip.mp4 name one file.
  const auto same = [](const std::string &a, const std::string &b) {
    return a == b || std::filesystem::path(a).lexically_normal() == std::filesystem::path(b).lexically_normal();
  };
  if (!same(input, o.input) || inputBytes != o.inputBytes || inputFrames != o.inputFrames)
    return "made from another input (" + (o.input.empty() ? std::string("the demo clip") : o.input) + ")";
  if (start != o.start || frames != o.frames) return "covers another range of the input";
  if (of != o.of) return "one of " + std::to_string(o.of) + " parts, not " + std::to_string(of);
  if (fadeIn != o.fadeIn || fadeOut != o.fadeOut) return "rendered with other fades";
  if (width != o.width || height != o.height || rateNum != o.rateNum || rateDen != o.rateDen || proxy != o.proxy)
    return "rendered at another size, rate or quality";
  if (config != o.config) return "rendered with another configuration of the effect";
  return "";
}

}  // namespace zv::host

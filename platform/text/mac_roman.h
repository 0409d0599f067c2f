// Mac Roman, the system's 8-bit text encoding, to and from UTF-8.
#ifndef ZV_PLATFORM_MAC_ROMAN_H
#define ZV_PLATFORM_MAC_ROMAN_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zv::text {

std::string MacRomanToUtf8(std::string_view macRoman);
// Nothing when the text is not well-formed UTF-8 or has a character Mac Roman lacks.
std::optional<std::string> Utf8ToMacRoman(std::string_view utf8);
// The code points of well-formed UTF-8; nothing otherwise.
std::optional<std::vector<char32_t>> DecodeUtf8(std::string_view utf8);

}  // namespace zv::text

#endif

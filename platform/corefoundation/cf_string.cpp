// Strings: kept as UTF-8; Pascal strings come in as Mac Roman.

#include "corefoundation/cf_object.h"
#include "text/mac_roman.h"

#include <cstring>
#include <map>
#include <mutex>
#include <optional>

namespace {

// Text in one of the two encodings this system uses, as UTF-8.
std::optional<std::string> Utf8From(std::string_view bytes, CFStringEncoding encoding) {
  if (encoding == kCFStringEncodingMacRoman) return zv::text::MacRomanToUtf8(bytes);
  if (encoding == kCFStringEncodingUTF8 && zv::text::DecodeUtf8(bytes)) return std::string(bytes);
  return std::nullopt;
}

CFStringRef Create(std::string_view bytes, CFStringEncoding encoding) {
  auto text = Utf8From(bytes, encoding);
  return text ? zv::cf::MakeString(std::move(*text)) : nullptr;
}

}  // namespace

namespace zv::cf {

const std::string &Utf8Of(CFStringRef string) {
  static const std::string kEmpty;
  return string != nullptr ? string->utf8 : kEmpty;
}

CFStringRef MakeString(std::string utf8) { return new __CFString(std::move(utf8)); }

}  // namespace zv::cf

extern "C" {

CFStringRef CFStringCreateWithPascalString(CFAllocatorRef, ConstStr255Param pStr, CFStringEncoding encoding) {
  if (pStr == nullptr) return nullptr;
  return Create({reinterpret_cast<const char *>(pStr + 1), pStr[0]}, encoding);
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char *cStr, CFStringEncoding encoding) {
  return cStr != nullptr ? Create(cStr, encoding) : nullptr;
}

CFStringRef __CFStringMakeConstantString(const char *cStr) {
  if (cStr == nullptr) return nullptr;
  // One object per text, as with the original's literals.
  static std::mutex mutex;
  static auto *constants = new std::map<std::string, __CFString *, std::less<>>;
  std::lock_guard lock(mutex);
  auto found = constants->find(std::string_view(cStr));
  if (found == constants->end()) {
    const std::string_view bytes(cStr);
    auto *string = new __CFString(Utf8From(bytes, kCFStringEncodingUTF8).value_or(zv::text::MacRomanToUtf8(bytes)));
    string->MakeImmortal();
    found = constants->emplace(std::string(bytes), string).first;
  }
  return found->second;
}

// In UTF-16 units, as the original counts.
Boolean CFStringGetCString(CFStringRef str, char *buffer, CFIndex bufferSize, CFStringEncoding encoding) {
  if (str == nullptr || buffer == nullptr || bufferSize <= 0) return false;
  std::optional<std::string> text;
  if (encoding == kCFStringEncodingUTF8) text = str->utf8;
  if (encoding == kCFStringEncodingMacRoman) text = zv::text::Utf8ToMacRoman(str->utf8);
  if (!text || static_cast<CFIndex>(text->size()) >= bufferSize) return false;
  std::memcpy(buffer, text->c_str(), text->size() + 1);
  return true;
}

}  // extern "C"

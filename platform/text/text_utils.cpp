// Text utilities.

#include "TextUtils.h"

#include <charconv>
#include <cstring>

extern "C" void NumToString(long theNum, Str255 theString) {
  char digits[24];
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, theNum);
  (void)error;  // a long always fits
  theString[0] = static_cast<unsigned char>(end - digits);
  std::memcpy(theString + 1, digits, static_cast<std::size_t>(end - digits));
}

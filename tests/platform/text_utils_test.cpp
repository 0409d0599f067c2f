// Text utilities.

#include "TextUtils.h"

#include <climits>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string NumberText(long n) {
  Str255 text;
  NumToString(n, text);
  return {reinterpret_cast<char *>(text + 1), text[0]};
}

TEST(NumToString, SignThenDigitsWithoutGrouping) {
  EXPECT_EQ(NumberText(-42), "-42");
  EXPECT_EQ(NumberText(0), "0");
  EXPECT_EQ(NumberText(1234567), "1234567");
  EXPECT_EQ(NumberText(INT32_MIN), "-2147483648");
  EXPECT_EQ(NumberText(LONG_MIN), std::to_string(LONG_MIN));
  EXPECT_EQ(NumberText(LONG_MAX), std::to_string(LONG_MAX));
}

}  // namespace

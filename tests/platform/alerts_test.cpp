// Standard alerts in their standard-error form, without a toolkit to show them.
// The plain line and the buttons are checked by the toolkit's alert tests and by
// the plug-in's Alerts tests; here, the texts that must still make one line.

#include "Dialogs.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace {

TEST(StandardAlert, WritesOneLineWhateverTheTexts) {
  for (const auto &[headline, text, line] : {std::tuple{CFSTR("Careful"), CFSTR(""), "Careful\n"},
                                             {CFSTR("Two\nlines"), CFSTR("and\rmore"), "Two lines: and more\n"}}) {
    DialogRef alert = nullptr;
    ASSERT_EQ(CreateStandardAlert(kAlertCautionAlert, headline, text, nullptr, &alert), noErr);
    DialogItemIndex hit = 0;
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunStandardAlert(alert, nullptr, &hit), noErr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), line);
    EXPECT_EQ(hit, 1) << line;
  }
  DialogItemIndex hit = 0;
  EXPECT_EQ(CreateStandardAlert(kAlertStopAlert, CFSTR("x"), nullptr, nullptr, nullptr), paramErr);
  EXPECT_EQ(RunStandardAlert(nullptr, nullptr, &hit), paramErr);
}

}  // namespace

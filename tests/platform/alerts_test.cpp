// Standard alerts in their standard-error form, without a toolkit to show them:
// one line each, answered with the default button.

#include "Dialogs.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace {

TEST(StandardAlert, WritesOneLineAndAnswersWithTheDefaultButton) {
  AlertStdCFStringAlertParamRec withCancel{kStdCFStringAlertVersionOne, true, false, CFSTR("ok"), CFSTR("Cancel"), nullptr,
                                           kAlertStdAlertOKButton, kAlertStdAlertCancelButton, kWindowDefaultPosition, 0};
  const std::tuple<AlertType, CFStringRef, CFStringRef, AlertStdCFStringAlertParamRec *, const char *> cases[] = {
      {kAlertCautionAlert, CFSTR("Internal Notification:"), CFSTR("Frame too small"), &withCancel,
       "Internal Notification:: Frame too small\n"},
      {kAlertCautionAlert, CFSTR("Careful"), CFSTR(""), &withCancel, "Careful\n"},
      {kAlertCautionAlert, CFSTR("Two\nlines"), CFSTR("and\rmore"), &withCancel, "Two lines: and more\n"},
      {kAlertStopAlert, CFSTR("Assertion Failure"), CFSTR("Assertion failed in: here"), nullptr,
       "Assertion Failure: Assertion failed in: here\n"}};
  for (const auto &[type, headline, text, param, line] : cases) {
    DialogRef alert = nullptr;
    ASSERT_EQ(CreateStandardAlert(type, headline, text, param, &alert), noErr);
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

// Standard alerts in their standard-error form.

#include "Dialogs.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace {

// Runs a caution alert like the plug-in's warnings and returns what stderr saw.
std::string RunAlert(CFStringRef headline, CFStringRef text, CFStringRef cancel, DialogItemIndex *hit) {
  AlertStdCFStringAlertParamRec param{kStdCFStringAlertVersionOne, true, false, CFSTR("ok"), cancel, nullptr,
                                      kAlertStdAlertOKButton, kAlertStdAlertCancelButton, kWindowDefaultPosition, 0};
  DialogRef alert = nullptr;
  EXPECT_EQ(CreateStandardAlert(kAlertCautionAlert, headline, text, &param, &alert), noErr);
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunStandardAlert(alert, nullptr, hit), noErr);
  return testing::internal::GetCapturedStderr();
}

TEST(StandardAlert, WritesOneLineAndAnswersWithTheDefaultButton) {
  DialogItemIndex hit = 0;
  EXPECT_EQ(RunAlert(CFSTR("Internal Notification:"), CFSTR("Frame too small"), nullptr, &hit),
            "Internal Notification:: Frame too small\n");
  EXPECT_EQ(hit, 1);
  hit = 0;
  EXPECT_EQ(RunAlert(CFSTR("Careful"), CFSTR(""), CFSTR("Cancel"), &hit), "Careful\n");
  EXPECT_EQ(hit, 1);
  EXPECT_EQ(RunAlert(CFSTR("Two\nlines"), CFSTR("and\rmore"), nullptr, &hit), "Two lines: and more\n");

  // A stop alert without parameters has one default button.
  DialogRef stop = nullptr;
  ASSERT_EQ(CreateStandardAlert(kAlertStopAlert, CFSTR("Assertion Failure"), CFSTR("Assertion failed in: here"),
                                nullptr, &stop),
            noErr);
  testing::internal::CaptureStderr();
  RunStandardAlert(stop, nullptr, &hit);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Assertion Failure: Assertion failed in: here\n");
  EXPECT_EQ(hit, 1);

  EXPECT_EQ(CreateStandardAlert(kAlertStopAlert, CFSTR("x"), nullptr, nullptr, nullptr), paramErr);
  EXPECT_EQ(RunStandardAlert(nullptr, nullptr, &hit), paramErr);
}

}  // namespace

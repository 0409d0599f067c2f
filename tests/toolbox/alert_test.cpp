// Standard alerts as windows: the answers that only a script can give (a
// click on a button, the end of the script, escape without a cancel button).
// Keys with both buttons and the standard error line are checked in
// tests/plugin and tests/platform.
#include "Dialogs.h"
#include "harness.h"

TEST_F(ToolkitTest, AlertButtonsAnswerWithTheirItemNumbers) {
  const std::tuple<const char *, bool, DialogItemIndex> cases[] = {
      {"click-control alrt 2\n", true, 2}, {"click-control alrt 1\n", true, 1},
      {"", true, 1},                  // the script ends: the default button
      {"key escape\n", false, 1},     // no cancel button: closing answers with the default
  };
  for (auto &[lines, withCancel, item] : cases) {
    SCOPED_TRACE(lines);
    Script(std::string("expect-window alert\nexpect-text alrt 1 \"Go on\"\n") + lines);
    AlertStdCFStringAlertParamRec param = {kStdCFStringAlertVersionOne, true, false, CFSTR("Go on"),
                                           withCancel ? CFSTR("Stop") : nullptr, nullptr, kAlertStdAlertOKButton,
                                           kAlertStdAlertCancelButton, kWindowDefaultPosition, 0};
    DialogRef alert = nullptr;
    ASSERT_EQ(CreateStandardAlert(kAlertCautionAlert, CFSTR("Headline"), CFSTR("More."), &param, &alert), noErr);
    DialogItemIndex hit = -1;
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunStandardAlert(alert, nullptr, &hit), noErr);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(hit, item);
    EXPECT_EQ(Stop(), 0) << log_;
  }
}

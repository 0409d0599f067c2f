// Standard alerts as windows: item numbers, keys, the end-of-script rule, and
// the standard error line that every alert writes.
#include "Dialogs.h"
#include "harness.h"

namespace {
DialogItemIndex RunAlert(bool withCancel) {
  AlertStdCFStringAlertParamRec param = {kStdCFStringAlertVersionOne, true, false, CFSTR("Go on"),
                                         withCancel ? CFSTR("Stop") : nullptr, nullptr, kAlertStdAlertOKButton,
                                         kAlertStdAlertCancelButton, kWindowDefaultPosition, 0};
  DialogRef alert = nullptr;
  EXPECT_EQ(CreateStandardAlert(kAlertCautionAlert, CFSTR("Headline"), CFSTR("More about it."), &param, &alert), noErr);
  DialogItemIndex hit = -1;
  EXPECT_EQ(RunStandardAlert(alert, nullptr, &hit), noErr);
  return hit;
}
}  // namespace

TEST_F(ToolkitTest, AlertButtonsAnswerWithTheirItemNumbers) {
  const std::tuple<const char *, bool, DialogItemIndex> cases[] = {
      {"click-control alrt 2\n", true, 2}, {"click-control alrt 1\n", true, 1}, {"key return\n", true, 1},
      {"key escape\n", true, 2},           {"", true, 1},  // the script ends: the default button
      {"key escape\n", false, 1},          // no cancel button: closing answers with the default
  };
  for (auto &[lines, withCancel, item] : cases) {
    SCOPED_TRACE(lines);
    Script(std::string("expect-window alert\nexpect-text alrt 10 \"Headline\"\nexpect-text alrt 11 \"More about it.\"\n") + lines);
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunAlert(withCancel), item);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Headline: More about it.\n");
    EXPECT_EQ(Stop(), 0) << log_;
  }
}

TEST_F(ToolkitTest, AlertInsideAModalLoopReturnsToIt) {
  Script("click-control Keep 1\n"
         "expect-window alert\n"
         "click-control alrt 2\n"
         "expect-window demo\n"
         "click-control butn 1\n");
  demo_ = OpenWindow("demo");
  EventTypeSpec theSpec = {kEventClassCommand, kEventCommandProcess};
  static DialogItemIndex hit;
  InstallEventHandler(GetWindowEventTarget(demo_), NewEventHandlerUPP([](EventHandlerCallRef, EventRef e, void *w) {
                        HICommand cmd;
                        GetEventParameter(e, kEventParamDirectObject, typeHICommand, nullptr, sizeof cmd, nullptr, &cmd);
                        if (cmd.commandID == ZV_FOURCC('K', 'e', 'e', 'p')) hit = RunAlert(true);
                        if (cmd.commandID == ZV_FOURCC('o', 'k', ' ', ' ')) QuitAppModalLoopForWindow(static_cast<WindowRef>(w));
                        return OSStatus(noErr);
                      }),
                      1, &theSpec, demo_, nullptr);
  ShowWindow(demo_);
  testing::internal::CaptureStderr();
  RunAppModalLoopForWindow(demo_);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(Stop(), 0) << log_;
  EXPECT_EQ(hit, 2);
}

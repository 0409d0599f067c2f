// Standard alerts. Every alert is written as one line to standard error,
// "<headline>: <explanation>", so it is seen when no screen is there. With a
// window backend running it is then shown as a modal alert window; without
// one it is answered at once with its default button.

#include "toolbox/standard_alert.h"
#include "corefoundation/cf_object.h"
#include "toolbox/toolkit.h"

#include <cstdio>
#include <memory>

namespace {

constexpr const char *kDefaultButtonText = "OK";

// A line break in a text would split the alert over lines.
std::string OnOneLine(std::string text) {
  for (char &c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

}  // namespace

namespace zv {

std::string AlertLine(const OpaqueDialogPtr &alert) {
  std::string line = OnOneLine(alert.headline);
  if (!alert.explanation.empty()) line += ": " + OnOneLine(alert.explanation);
  return line;
}

}  // namespace zv

extern "C" {

OSStatus CreateStandardAlert(AlertType alertType, CFStringRef error, CFStringRef explanation,
                             const AlertStdCFStringAlertParamRec *param, DialogRef *outAlert) {
  if (outAlert == nullptr) return paramErr;
  *outAlert = nullptr;
  auto alert = std::make_unique<OpaqueDialogPtr>();
  alert->type = alertType;
  alert->headline = zv::cf::Utf8Of(error);
  alert->explanation = zv::cf::Utf8Of(explanation);
  if (param == nullptr) {
    alert->buttons = {{kAlertStdAlertOKButton, kDefaultButtonText}};
  } else {
    alert->buttons = {{kAlertStdAlertOKButton,
                       param->defaultText != nullptr ? zv::cf::Utf8Of(param->defaultText) : kDefaultButtonText}};
    if (param->cancelText != nullptr) alert->buttons.push_back({kAlertStdAlertCancelButton, zv::cf::Utf8Of(param->cancelText)});
    if (param->otherText != nullptr) alert->buttons.push_back({kAlertStdAlertOtherButton, zv::cf::Utf8Of(param->otherText)});
    // Only a button the alert has can be its default or cancel button.
    auto has = [&](DialogItemIndex item) {
      for (const auto &button : alert->buttons) {
        if (button.item == item) return true;
      }
      return false;
    };
    if (has(param->defaultButton)) alert->defaultItem = param->defaultButton;
    if (has(param->cancelButton)) alert->cancelItem = param->cancelButton;
  }
  *outAlert = alert.release();
  return noErr;
}

OSStatus RunStandardAlert(DialogRef inAlert, ModalFilterUPP, DialogItemIndex *outItemHit) {
  if (inAlert == nullptr) return paramErr;
  const std::unique_ptr<OpaqueDialogPtr> alert(inAlert);
  const std::string line = zv::AlertLine(*alert) + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
  DialogItemIndex hit = alert->defaultItem;
  if (zv::tk::CurrentBackend()) {
    std::vector<zv::tk::AlertButton> buttons;
    for (const auto &button : alert->buttons) buttons.push_back({button.item, button.text});
    hit = zv::tk::RunAlertWindow(alert->type, alert->headline, alert->explanation, buttons, alert->defaultItem,
                                 alert->cancelItem);
  }
  if (outItemHit != nullptr) *outItemHit = hit;
  return noErr;
}

}  // extern "C"

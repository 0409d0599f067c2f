// A standard alert as the toolbox keeps it between creating and running it,
// for whatever presents it.
#ifndef ZV_PLATFORM_STANDARD_ALERT_H
#define ZV_PLATFORM_STANDARD_ALERT_H

#include "Dialogs.h"

#include <string>
#include <vector>

struct OpaqueDialogPtr {
  AlertType type = kAlertPlainAlert;
  std::string headline;     // UTF-8
  std::string explanation;  // UTF-8, may be empty
  struct Button {
    DialogItemIndex item;  // kAlertStdAlertOKButton, ...CancelButton or ...OtherButton
    std::string text;      // UTF-8
  };
  std::vector<Button> buttons;  // in item order
  DialogItemIndex defaultItem = kAlertStdAlertOKButton;
  DialogItemIndex cancelItem = 0;  // 0: none
};

namespace zv {

// The alert as the one line written to standard error, without the newline.
std::string AlertLine(const OpaqueDialogPtr &alert);

}  // namespace zv

#endif

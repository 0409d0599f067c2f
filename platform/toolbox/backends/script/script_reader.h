// The script language read apart from any window: each line becomes a command
// whose arguments are checked for form. What a line names (a window, a
// control, a value inside its range) is checked when it runs.
#pragma once

#include <string>
#include <vector>

#include "MacTypes.h"

namespace zv::tk::script {

struct Fault {
  std::string what;
};

enum class Op {
  None,  // a blank or comment line
  MouseDown, Click, MouseDrag, MouseUp, Key, Command,
  ClickControl, SetSlider, ChooseItem, Drag, DragControl,
  Snapshot, ExpectValue, ExpectText, ExpectVisible, ExpectWindow, Log
};

enum class KeyName { Return, Escape, Character };

struct Line {
  Op op = Op::None;
  OSType signature = 0;  // the control's, or the command's code
  long number = 0;       // the control's number
  long value = 0;        // set-slider's value, choose-item's item, expect-value's value
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // points; fractions of the bounds for drag-control
  UInt32 modifiers = 0;
  int steps = 8;
  KeyName key = KeyName::Character;
  char character = 0;
  bool yes = false;  // expect-visible
  std::string text;  // quoted text, snapshot file or window name
};

// Words of a line: blanks separate, # starts a comment, 'XXXX' is one word
// with its quotes, "text" one word keeping only its opening quote.
std::vector<std::string> Tokenize(const std::string &line);

// Throws Fault naming what is wrong with the line's form.
Line ReadLine(const std::string &line);

}  // namespace zv::tk::script

// Reading a window description's text into windows and their controls; the
// format is written down in nib.cpp. No windows are made here.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "toolkit.h"

namespace zv::tk {

struct ControlDesc {
  Control proto;
  std::string className;
  int line = 0;
};
struct WindowDesc {
  std::string name, title;
  short width = 0, height = 0;
  std::vector<ControlDesc> controls;
};
struct Nib {
  std::string path;
  std::vector<WindowDesc> windows;
};

struct NibFault {
  int line;
  std::string what;
};

// The whole text checked; throws NibFault at the first fault.
std::unique_ptr<Nib> ReadNib(const std::string &path, const std::string &text);

}  // namespace zv::tk

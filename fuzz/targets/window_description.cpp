// Fuzz target: the window description reader. Any text either reads or is
// refused with a line inside the text; what it reads keeps its promises.
//
// fuzz-sources: platform/toolbox/nib_reader.cpp platform/toolbox/fourcc.cpp
// fuzz-libs: pugixml

#include "toolbox/nib_reader.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);
  int lines = 1;
  for (char c : text) lines += c == '\n';
  try {
    const auto nib = zv::tk::ReadNib("fuzz.nib", text);
    for (const auto &window : nib->windows) {
      if (window.name.empty() || window.width < 1 || window.height < 1) std::abort();
      for (const auto &control : window.controls) {
        const Rect &b = control.proto.bounds;
        if (b.bottom < b.top || b.right < b.left) std::abort();
        const auto &c = control.proto;
        if (c.value < c.minimum || c.value > c.maximum) std::abort();
      }
    }
  } catch (const zv::tk::NibFault &fault) {
    if (fault.line < 0 || fault.line > lines || fault.what.empty()) std::abort();
  }
  return 0;
}

// Fuzz target: the toolkit's script reader. Any line either reads or is
// refused with a reason; what it reads is inside the language's ranges.
//
// fuzz-sources: platform/toolbox/backends/script/script_reader.cpp

#include "toolbox/backends/script/script_reader.h"

#include <cstdlib>
#include <string>

using zv::tk::script::Op;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    try {
      const auto line = zv::tk::script::ReadLine(text.substr(start, end - start));
      if (line.steps < 1 || line.steps > 1000) std::abort();
      if (line.op == Op::DragControl)
        for (double f : {line.x1, line.y1, line.x2, line.y2})
          if (!(f >= 0 && f <= 1)) std::abort();
    } catch (const zv::tk::script::Fault &fault) {
      if (fault.what.empty()) std::abort();
    }
    start = end + 1;
  }
  return 0;
}

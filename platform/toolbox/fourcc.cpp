// Four-character codes as text; alone so the readers can be built without windows.
#include "toolkit.h"

namespace zv::tk {

std::string FourCC(UInt32 code) {
  return std::string{static_cast<char>(code >> 24), static_cast<char>(code >> 16), static_cast<char>(code >> 8),
                     static_cast<char>(code)};
}

}  // namespace zv::tk

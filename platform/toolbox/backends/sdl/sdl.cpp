#include "../../toolkit.h"
namespace zv::tk {
std::unique_ptr<Backend> MakeSdlBackend(OSStatus *err) {
  *err = ioErr;
  return nullptr;
}
}  // namespace zv::tk

// The public test hook over the file layer's fault hook.
#include "PlatformTesting.h"

#include "files/file_io.h"

#include <cerrno>

namespace {
int gStepsSeen = 0;
int gFailAt = -1;
}  // namespace

int ZVFailFileReplaceAtStep(int step) {
  const int lastSteps = gStepsSeen;
  gStepsSeen = 0;
  gFailAt = step;
  zv::SetWriteFaultHook([](zv::WriteStep) {
    const int index = gStepsSeen++;
    if (index != gFailAt) return 0;
    gFailAt = -1;  // once
    return ENOSPC;
  });
  return lastSteps;
}

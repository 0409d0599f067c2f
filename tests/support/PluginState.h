// The statically linked plug-in's state, for test programs that link its units:
// a default configuration, and globals put back as a fresh load has them.
#pragma once

#include "DataHandling.h"
#include "iMovieGlue.h"

#include <MacMemory.h>

#include <cstring>

namespace zv::test {

inline PLUGINDATAREC DefaultConfig() {
  PLUGINDATAREC c;
  std::memset(&c, 0, sizeof c);
  ResetConfig(&c, true);
  return c;
}

inline void ResetPluginGlobals() {
  if (gPascalData) DisposePtr(gPascalData);
  gPascalData = nullptr;
  gPascalInited = false;
  gMostRecentStartFrame = gMostRecentFrameCount = 0;
}

}  // namespace zv::test

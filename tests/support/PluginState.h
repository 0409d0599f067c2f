// The statically linked plug-in's state, for test programs that link its units:
// a default configuration, globals put back as a fresh load has them, and a
// fixture that drives the plug-in through the recording host.
#pragma once

#include "BundleLoader.h"
#include "DataHandling.h"
#include "RecordingHost.h"
#include "TempPreferences.h"
#include "TestImages.h"
#include "iMovieGlue.h"

#include <MacMemory.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

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

// A freshly loaded plug-in on a 100-frame test clip, its bundle's strings in
// the resource chain and a temporary Preferences folder.
class PluginTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetPluginGlobals();
    host_ = std::make_unique<RecordingHost>(&iMovieMain);
    host_->SetClip(100, PaintPattern);
  }
  void TearDown() override {
    EXPECT_EQ(host_->OutstandingFrames(), 0u) << "every frame goes back to the host";
    host_.reset();
    ResetPluginGlobals();
  }
  PLUGINDATAPTR Master() { return reinterpret_cast<PLUGINDATAPTR>(gPascalData); }
  _EffectData *Pass() { return static_cast<_EffectData *>(host_->Params().clientData); }
  std::vector<UInt8> MasterBytes() {
    const auto *p = reinterpret_cast<const UInt8 *>(gPascalData);
    return {p, p + sizeof(PLUGINDATAREC)};
  }

  TempPreferences prefs_;
  BundleLoader resources_{ZORVANE_BUNDLE_PATH};
  std::unique_ptr<RecordingHost> host_;
};

}  // namespace zv::test

// The colour picker, driven by scripts.
#include <cstring>
#include <filesystem>

#include "ColorPicker.h"
#include "harness.h"

namespace {
NColorPickerInfo Info(UInt16 r, UInt16 g, UInt16 b) {
  NColorPickerInfo info{};
  info.theColor.color.rgb = CMRGBColor{r, g, b};
  info.flags = kColorPickerDialogIsMoveable | kColorPickerDialogIsModal;
  const char prompt[] = "Please choose color:";
  info.prompt[0] = sizeof prompt - 1;
  std::memcpy(info.prompt + 1, prompt, sizeof prompt - 1);
  return info;
}
}  // namespace

TEST_F(ToolkitTest, ColourPickerOkReturnsTheMovedComponentsAndKeepsTheOthersExactly) {
  Script("expect-window colorpicker\n"
         "expect-text pick 10 \"Please choose color:\"\n"
         "expect-value pick 1 18\n"
         "set-slider pick 1 255\n"
         "expect-text pick 11 \"255\"\n"
         "click-control pick 6\n");
  NColorPickerInfo info = Info(0x1234, 0x5678, 0x9ABC);
  EXPECT_EQ(NPickColor(&info), noErr);
  EXPECT_EQ(Stop(), 0) << log_;
  EXPECT_TRUE(info.newColorChosen);
  EXPECT_EQ(info.theColor.color.rgb.red, 65535);
  EXPECT_EQ(info.theColor.color.rgb.green, 0x5678);
  EXPECT_EQ(info.theColor.color.rgb.blue, 0x9ABC);
}

TEST_F(ToolkitTest, ColourPickerCancelEscapeAndEndOfScriptLeaveTheColour) {
  for (const char *ending : {"click-control pick 7\n", "key escape\n", ""}) {
    SCOPED_TRACE(ending);
    Script(std::string("set-slider pick 2 10\n") + ending);
    NColorPickerInfo info = Info(1, 2, 3);
    EXPECT_EQ(NPickColor(&info), noErr);
    EXPECT_EQ(Stop(), 0) << log_;
    EXPECT_FALSE(info.newColorChosen);
    EXPECT_EQ(info.theColor.color.rgb.green, 2);
  }
  NColorPickerInfo info = Info(1, 2, 3);  // no backend: nobody to ask
  EXPECT_EQ(NPickColor(&info), noErr);
  EXPECT_FALSE(info.newColorChosen);
}


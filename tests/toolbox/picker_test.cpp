// The colour picker, driven by scripts: OK returns the moved component and
// keeps the others to the last bit; every other ending leaves the colour.
#include <cstring>

#include "ColorPicker.h"
#include "harness.h"

TEST_F(ToolkitTest, ColourPickerOkReturnsTheMovedComponentOnly) {
  const char prompt[] = "Please choose color:";
  const std::pair<const char *, bool> endings[] = {
      {"click-control pick 6\n", true}, {"click-control pick 7\n", false}, {"key escape\n", false}, {"", false}};
  for (auto &[ending, chosen] : endings) {
    SCOPED_TRACE(ending);
    Script(std::string("expect-window colorpicker\nexpect-text pick 10 \"Please choose color:\"\n"
                       "expect-value pick 1 18\nset-slider pick 1 255\nexpect-text pick 11 \"255\"\n") + ending);
    NColorPickerInfo info{};
    info.theColor.color.rgb = CMRGBColor{0x1234, 0x5678, 0x9ABC};
    info.prompt[0] = sizeof prompt - 1;
    std::memcpy(info.prompt + 1, prompt, sizeof prompt - 1);
    EXPECT_EQ(NPickColor(&info), noErr);
    EXPECT_EQ(Stop(), 0) << log_;
    EXPECT_EQ(info.newColorChosen, chosen);
    EXPECT_EQ(info.theColor.color.rgb.red, chosen ? 65535 : 0x1234);
    EXPECT_EQ(info.theColor.color.rgb.green, 0x5678);
    EXPECT_EQ(info.theColor.color.rgb.blue, 0x9ABC);
  }
  NColorPickerInfo info{};  // no backend: nobody to ask
  EXPECT_EQ(NPickColor(&info), noErr);
  EXPECT_FALSE(info.newColorChosen);
}

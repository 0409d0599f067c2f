#include "sliderHandlers.h"

#include "callpixelfx.h"
#include "carbonmacros.h"
#include "commonprocs.h"
#include "iMovieGlue.h"

namespace {

constexpr OSType kSliderSig = ZV_FOURCC('S', 'l', 'd', 'r');
constexpr OSType kLegendSig = ZV_FOURCC('L', 'g', 'n', 'd');
constexpr OSType kCaptionSig = ZV_FOURCC('L', 'a', 'b', 'l');
constexpr OSType kClipSliderSig = ZV_FOURCC('C', 'l', 'p', 'S');
constexpr OSType kCounterSig = ZV_FOURCC('C', 'l', 'p', 'M');

void SliderAction(SInt32 n, ControlRef theControl) {
  const SInt32 v = GetControl32BitValue(theControl);
  gConfigWorkSpace.THECONFIG->SLIDERS[n - 1] = static_cast<SInt16>(v);
  SetSliderLegend(gConfigWorkSpace.THEWINDOW, n, v);
  ReRenderAndBlit();
}

void AssertSlider(ControlRef slider, SInt32 n) {
  Str255 where, number;
  CopyC2PStr("Cannot access slider ", where);
  Num2Text(n, number);
  AppendPStr(where, number);
  Assert(slider, where);
}

const ControlActionProcPtr kSliderActions[6] = {Slider1Action, Slider2Action, Slider3Action,
                                                Slider4Action, Slider5Action, Slider6Action};

}  // namespace

void SetSliderLegend(WindowRef theWindow, SInt32 n, SInt32 theValue) {
  Str255 text;
  Num2Text(theValue, text);
  AppendCStr(text, "%");
  SimpleSetControlText(theWindow, kLegendSig, n, text);
}

void SetFrameCounter(WindowRef theWindow, SInt32 theIndex) {
  Str255 text, most;
  Num2Text(theIndex, text);
  AppendCStr(text, "/");
  Num2Text(gConfigWorkSpace.MAXFRAMEINDEX, most);
  AppendPStr(text, most);
  SimpleSetControlText(theWindow, kCounterSig, 1, text);
}

void SetupSliders(WindowRef theWindow) {
  for (SInt32 n = 1; n <= 3; ++n) {
    ControlRef slider = SimpleGetControlByID(theWindow, kSliderSig, n);
    AssertSlider(slider, n);
    gConfigWorkSpace.SLIDERS[n - 1] = slider;
    SetControlAction(slider, NewControlActionUPP(kSliderActions[n - 1]));
    const SInt32 v = gConfigWorkSpace.THECONFIG->SLIDERS[n - 1];
    SetControl32BitValue(slider, v);
    SetSliderLegend(theWindow, n, v);
  }
  for (SInt32 n = 4; n <= 6; ++n) {
    ControlRef slider = SimpleGetControlByID(theWindow, kSliderSig, n);
    AssertSlider(slider, n);
    gConfigWorkSpace.SLIDERS[n - 1] = slider;
    SimpleHideControl(theWindow, kSliderSig, n);
    SimpleHideControl(theWindow, kLegendSig, n);
    SimpleHideControl(theWindow, kCaptionSig, n);
  }
  ControlRef clip = SimpleGetControlByID(theWindow, kClipSliderSig, 1);
  Assert(clip, "Cannot access clip slider");
  gConfigWorkSpace.CLIPSLIDER = clip;
  SetControlAction(clip, NewControlActionUPP(ClipSliderAction));
  // The value first, then the range: the description's range holds any position.
  SetControl32BitValue(clip, gConfigWorkSpace.CURRFRAMEINDEX);
  SetControl32BitMinimum(clip, 0);
  SetControl32BitMaximum(clip, gConfigWorkSpace.MAXFRAMEINDEX);
  SetFrameCounter(theWindow, gConfigWorkSpace.CURRFRAMEINDEX);
}

void Slider1Action(ControlRef theControl, ControlPartCode) { SliderAction(1, theControl); }
void Slider2Action(ControlRef theControl, ControlPartCode) { SliderAction(2, theControl); }
void Slider3Action(ControlRef theControl, ControlPartCode) { SliderAction(3, theControl); }
void Slider4Action(ControlRef theControl, ControlPartCode) { SliderAction(4, theControl); }
void Slider5Action(ControlRef theControl, ControlPartCode) { SliderAction(5, theControl); }
void Slider6Action(ControlRef theControl, ControlPartCode) { SliderAction(6, theControl); }

void ClipSliderAction(ControlRef theControl, ControlPartCode) {
  const SInt32 v = GetControl32BitValue(theControl);
  gConfigWorkSpace.CURRFRAMEINDEX = v;
  SetFrameCounter(gConfigWorkSpace.THEWINDOW, v);
  AccessRenderAndBlit(v);
}

void ReRenderAndBlit() {
  CallPixelEffect(gConfigWorkSpace.SOURCECLIP, gConfigWorkSpace.THEFXCLIP);
  ControlRef editor = gConfigWorkSpace.THEFRAMECTRL;
  SetControl32BitValue(editor, GetControl32BitValue(editor) != 0 ? 0 : 1);
}

void AccessRenderAndBlit(SInt32 frameIndex) {
  SInt32 frame;
  if (!__builtin_add_overflow(frameIndex, gConfigWorkSpace.MINFRAMEINDEX, &frame))
    (void)GetFrameIntoGW(gConfigWorkSpace.SOURCECLIP, gConfigWorkSpace.IMOVIEPARAMS, frame, cUseDisposeGWInSlider);
  ReRenderAndBlit();
}

// The dialog's sliders: the three effect sliders and the frame slider, with
// action procedures that write at once and refresh the preview while dragged.
#pragma once

#include "PluginDefines.h"

#include <Controls.h>

void SetupSliders(WindowRef theWindow);
void Slider1Action(ControlRef theControl, ControlPartCode thePart);
void Slider2Action(ControlRef theControl, ControlPartCode thePart);
void Slider3Action(ControlRef theControl, ControlPartCode thePart);
void Slider4Action(ControlRef theControl, ControlPartCode thePart);
void Slider5Action(ControlRef theControl, ControlPartCode thePart);
void Slider6Action(ControlRef theControl, ControlPartCode thePart);
void ClipSliderAction(ControlRef theControl, ControlPartCode thePart);

// Renders the effect on the previewed frame and has the frame editor redraw.
void ReRenderAndBlit();
// Fetches preview frame frameIndex of the clip first.
void AccessRenderAndBlit(SInt32 frameIndex);

// "75%" into the legend of effect slider n (1..6).
void SetSliderLegend(WindowRef theWindow, SInt32 n, SInt32 theValue);
// "12/99" into the frame counter.
void SetFrameCounter(WindowRef theWindow, SInt32 theIndex);

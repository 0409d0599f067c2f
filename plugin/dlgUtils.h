// Rectangle geometry for the frame editor: sizes, and resizing one rectangle
// to the proportions of another with one side kept.
#pragma once

#include "MacTypes.h"

void GetDims(Rect theRect, SInt32 &wid, SInt32 &hig);
// inNewSize keeps its width; its height follows inOriginal's proportions. An
// original without width changes nothing; one without height gives BOTTOM = TOP.
Rect KeepPropsWithFixedHorizontal(Rect inOriginal, Rect inNewSize);
// inNewSize keeps its height; its width follows inOriginal's proportions.
Rect KeepPropsWithFixedVertical(Rect inOriginal, Rect inNewSize);

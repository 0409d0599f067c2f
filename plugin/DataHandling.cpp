#include "DataHandling.h"

#include "commonprocs.h"
#include "relrects.h"

void ResetConfig(PLUGINDATAPTR theConfig, Boolean fullInit) {
  InitRelRect(theConfig->STARTREL);
  InitRelRect(theConfig->ENDREL);
  theConfig->COLORS[0] = SetRGBColor(0, 0, 0);
  theConfig->COLORS[1] = SetRGBColor(-1, -1, -1);
  for (int i = 2; i < 6; ++i) theConfig->COLORS[i] = SetRGBColor(0, 0, 0);
  for (int i = 0; i < 3; ++i) theConfig->SLIDERS[i] = 50;
  for (int i = 3; i < 6; ++i) theConfig->SLIDERS[i] = 0;
  theConfig->FRAMESTARTCOLOR = SetRGBColor(-1, 0, 0);
  theConfig->MEDIATYPE = kMediaNTSC;
  theConfig->KEEPPROPS = false;
  theConfig->METHOD = 1;
  if (fullInit) {
    theConfig->THEORIGINALIMAGE = nullptr;
    theConfig->THERENDERED = nullptr;
  }
}

RELRECT GetCurrentRel() { return gConfigWorkSpace.THECONFIG->STARTREL; }

void PutCurrentRel(RELRECT theRel) { gConfigWorkSpace.THECONFIG->STARTREL = theRel; }

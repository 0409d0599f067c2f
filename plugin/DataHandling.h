// Defaults of the configuration and access to the edited rectangle.
#pragma once

#include "PluginDefines.h"

// Writes the defaults; with fullInit also empties both image references
// (only on a record that holds none). FRAMEENDCOLOR is never touched.
void ResetConfig(PLUGINDATAPTR theConfig, Boolean fullInit);

// STARTREL of the record the open dialog edits.
RELRECT GetCurrentRel();
void PutCurrentRel(RELRECT theRel);

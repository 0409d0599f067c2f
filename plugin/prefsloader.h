// The stored configuration: resource 'Pref' 1 "Config Settings" in the file
// tolvi-Prefs of the Preferences folder, one record in the writer's byte order.
#pragma once

#include "prefsrecord.h"

Boolean Config2Save(PLUGINDATAPTR theConfig, Handle theSaveConfig);
Boolean Save2Config(PLUGINDATAPTR theConfig, Handle theSaveConfig);
Boolean SaveConfig(PLUGINDATAPTR theConfig);
Boolean ReadConfig(PLUGINDATAPTR theConfig);
void CreatePrefsFile();

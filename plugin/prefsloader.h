// The stored configuration: resource 'Pref' 1 "Config Settings" in the file
// tolvi-Prefs of the Preferences folder, one record in the writer's byte order.
#pragma once

#include "prefsrecord.h"

Boolean Config2Save(PLUGINDATAPTR theConfig, Handle theSaveConfig);
Boolean Save2Config(PLUGINDATAPTR theConfig, Handle theSaveConfig);
Boolean SaveConfig(PLUGINDATAPTR theConfig);
Boolean ReadConfig(PLUGINDATAPTR theConfig);
// Stores theConfig only when no record is stored yet; one stored meanwhile by
// another program is read into theConfig instead.
Boolean SaveConfigIfNone(PLUGINDATAPTR theConfig);

// What a read found: no record (or no file), a record it took, or a record it
// cannot read (another byte order or version, a damaged or unreadable file),
// which is kept until the user stores a new one.
enum PrefsReadResult { kPrefsNoRecord, kPrefsRecordRead, kPrefsRecordUnreadable };
PrefsReadResult ReadConfigRecord(PLUGINDATAPTR theConfig);

// SaveConfig, and when it fails a caution alert naming the file and the reason.
Boolean SaveConfigOrTell(PLUGINDATAPTR theConfig);

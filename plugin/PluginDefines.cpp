#include "PluginDefines.h"

PLUGINDATAPTR gTheConfig = nullptr;
PLUGINWORKSPACE gConfigWorkSpace = {};

#include "Globals.h"

LONG InitCount = 0;
char PluginPath[PLUGIN_PATH_SIZE] = {0};
GeResource PluginResource;
Bool PluginResourceLoaded = FALSE;
Bool PluginResourceAsked = FALSE;
Real ImportScale = 1.0f;

LONG ImportBusy = 0;
LONG ImportFlags = 0;
BaseDocument *LoaderDocument = nullptr;
BaseDocument *UserDocument = nullptr;
BaseObject *LevelTable[LEVEL_TABLE_SIZE] = {nullptr};
BaseObject *ViewObject = nullptr;
LONG PostImportActions = 0;
Bool ImportOutOfMemory = FALSE;
Bool DocumentSettingsRecorded = FALSE;

String ResourceString(LONG id) { return PluginResource.LoadString(id); }

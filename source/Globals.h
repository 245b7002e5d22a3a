// Library-wide state. Everything runs on the host's main thread, one call at
// a time, so these are plain variables.
#ifndef TESSARO_GLOBALS_H
#define TESSARO_GLOBALS_H

#include "c4d.h"
#include "c4d_symbols.h"

enum {
  ID_TESSARO_SCENELOADER = 1012349,
  ID_IMPORT_MESSAGEPLUGIN = 1012350,
  PLUGIN_INFO_FLAGS = 0x20000000,
  MIN_HOST_VERSION = 7500,
};

// ImportFlags bits.
enum {
  IMPORT_GEOMETRY = 0x01,
  IMPORT_MATERIALS = 0x02,
  IMPORT_CAMERAS = 0x04,
  IMPORT_LIGHTS = 0x08,
  IMPORT_NEW = 0x10,
  IMPORT_MERGE = 0x20,
  IMPORT_UPDATE = 0x40,
  IMPORT_KINDS = 0x0F,
};

// PostImportActions bits.
enum { POST_SET_VIEW_CAMERA = 1, POST_RESTORE_USER_DOCUMENT = 2 };

enum { LEVEL_TABLE_SIZE = 256, PLUGIN_PATH_SIZE = 1024 };

extern LONG InitCount;
extern char PluginPath[PLUGIN_PATH_SIZE];
extern GeResource PluginResource;
extern Bool PluginResourceLoaded;
extern Bool PluginResourceAsked;
extern Real ImportScale;

extern LONG ImportBusy;
extern LONG ImportFlags;
extern BaseDocument *LoaderDocument;
extern BaseDocument *UserDocument;
extern BaseObject *LevelTable[LEVEL_TABLE_SIZE];
extern BaseObject *ViewObject;
extern LONG PostImportActions;
// Set when the host could not give the memory for what the file holds (a
// mesh, an object, a material, a tag, a key); the load then answers the
// out-of-memory result instead of success.
extern Bool ImportOutOfMemory;
// Set once this load has recorded the user's document settings for undo:
// the first record before any change is the one undo needs.
extern Bool DocumentSettingsRecorded;

// Answers what the host allocated, noting when it could not.
template <class T>
T *Held(T *allocated) {
  if (!allocated) ImportOutOfMemory = TRUE;
  return allocated;
}

// A resource string; the host's empty string while no resource is loaded.
String ResourceString(LONG id);

#endif

// The IDs of the plug-in's resources: its strings, its options dialog and
// the dialog's gadgets, as the resource files beside the library number
// them. One list for the plug-in, the stand-in host's program and the
// tests, so that each names a gadget as the dialog does.
#ifndef TESSARO_RES_C4D_SYMBOLS_H
#define TESSARO_RES_C4D_SYMBOLS_H

enum {
  IDS_PLUGIN_NAME = 10001,
  IDS_REGISTER_FAILED = 10002,

  DLG_IMPORT_OPTIONS = 10003,
  GROUP_MODE = 10004,
  MODE_NEW = 10005,
  MODE_MERGE = 10006,
  MODE_UPDATE = 10007,
  LIST_OBJECTS = 10008,
  GROUP_KIND = 10009,
  KIND_GEOMETRY = 10010,
  KIND_CAMERAS = 10011,
  KIND_MATERIALS = 10012,
  KIND_LIGHTS = 10013,
  FIELD_SCALE = 10014,
};

#endif

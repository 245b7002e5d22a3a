// What each level of the stream reads: one table per level, a row per
// record type with its name and the plug-in's reader of it. The plug-in
// dispatches by these rows (RecordWalk.h); the host's inspector names and
// judges records by them, and takes nothing else of the plug-in's. A type
// that no row of its level holds is skipped whole.
//
// ROW(type, name, reader): the reader is a function of the plug-in's file
// that holds the level's table, Bool reader(RecordReader &, Level &).
#ifndef TESSARO_RECORD_TABLES_H
#define TESSARO_RECORD_TABLES_H

#include "RecordTypes.h"

// The top level, walked by the load until its end record.
#define TOP_LEVEL_RECORDS(ROW)                                     \
  ROW(RECORD_DOCUMENT, "document settings", ReadDocumentSettings) \
  ROW(RECORD_RENDER, "render settings", ReadRenderSettings)       \
  ROW(RECORD_OBJECT, "object", ReadObject)                        \
  ROW(RECORD_MATERIAL, "material", ReadMaterialRecord)

// An object's first sub-record: the kind of host object it makes.
#define OBJECT_KIND_RECORDS(ROW)                                \
  ROW(SUB_KIND_POLYGON, "polygon object kind", ReadPolygonKind) \
  ROW(SUB_KIND_SPLINE, "spline kind", ReadSplineKind)           \
  ROW(SUB_KIND_LIGHT, "light kind", ReadLightKind)              \
  ROW(SUB_KIND_CAMERA, "camera kind", ReadCameraKind)           \
  ROW(SUB_KIND_SETTINGS, "kind 5106", ReadSettingsKind)   \
  ROW(SUB_KIND_PLAIN, "kind 5122", ReadPlainKind)

// An object's sub-records after its header, up to its end record.
#define OBJECT_RECORDS(ROW)                                              \
  ROW(SUB_POINTS, "points", ReadPoints)                                  \
  ROW(SUB_TRIANGLES16, "triangles, 16-bit", ReadTriangles16)             \
  ROW(SUB_QUADRANGLES16, "quadrangles, 16-bit", ReadQuadrangles16)       \
  ROW(SUB_PAIRS16, "index pairs, 16-bit", ReadIndexPairs16)              \
  ROW(SUB_PHONG, "smoothing", ReadSmoothing)                             \
  ROW(SUB_TEXTURE, "texture tag", ReadTexture)                           \
  ROW(SUB_UV, "UV coordinates", ReadUv)                                  \
  ROW(SUB_TRIANGLES32, "triangles, 32-bit", ReadTriangles32)             \
  ROW(SUB_QUADRANGLES32, "quadrangles, 32-bit", ReadQuadrangles32)       \
  ROW(SUB_PAIRS32, "index pairs, 32-bit", ReadIndexPairs32)              \
  ROW(SUB_ANIMATION, "animation", ReadAnimation)

// An animation's records after its leading one, up to its end record.
#define ANIMATION_RECORDS(ROW) ROW(SUB_KEY_LIST, "key list", ReadKeyListRecord)

// A key list's records after its header, up to its end record.
#define KEY_LIST_RECORDS(ROW)                          \
  ROW(KEY_POSITION, "position key", ReadPositionKey)   \
  ROW(KEY_ROTATION, "rotation key", ReadRotationKey)   \
  ROW(KEY_CAMERA, "camera key", ReadCameraKey)

// A material's channels after its header, up to its end record.
#define MATERIAL_RECORDS(ROW)                                                \
  ROW(SUB_CHANNEL_COLOUR, "colour channel", ReadChannel)                     \
  ROW(SUB_CHANNEL_TRANSPARENCY, "transparency channel", ReadChannel)         \
  ROW(SUB_CHANNEL_REFLECTION, "reflection channel", ReadChannel)             \
  ROW(SUB_CHANNEL_ENVIRONMENT, "environment channel", ReadChannel)           \
  ROW(SUB_CHANNEL_ALPHA, "alpha channel", ReadChannel)                       \
  ROW(SUB_CHANNEL_SPECULAR, "specular channel", ReadChannel)                 \
  ROW(SUB_CHANNEL_SPECULAR_COLOUR, "specular colour channel", ReadChannel)

// Records that stand in one place of their list, read by the list's reader
// before the table takes over (the end of every list, an object's header,
// a material's header): NAME(type, name).
#define PLACED_RECORDS(NAME)                  \
  NAME(RECORD_END, "end")                     \
  NAME(SUB_OBJECT_HEADER, "object header")    \
  NAME(SUB_MATERIAL_HEADER, "material header")

// The name of a record type, wherever it stands (no type stands at two
// levels); null for a type that no table names.
inline const char *RecordTypeName(long type) {
#define TESSARO_PLACED_NAME(placedType, name) \
  if (type == (placedType)) return name;
#define TESSARO_ROW_NAME(rowType, name, reader) \
  if (type == (rowType)) return name;
  PLACED_RECORDS(TESSARO_PLACED_NAME)
  TOP_LEVEL_RECORDS(TESSARO_ROW_NAME)
  OBJECT_KIND_RECORDS(TESSARO_ROW_NAME)
  OBJECT_RECORDS(TESSARO_ROW_NAME)
  ANIMATION_RECORDS(TESSARO_ROW_NAME)
  KEY_LIST_RECORDS(TESSARO_ROW_NAME)
  MATERIAL_RECORDS(TESSARO_ROW_NAME)
#undef TESSARO_ROW_NAME
#undef TESSARO_PLACED_NAME
  return nullptr;
}

#endif

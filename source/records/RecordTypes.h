// The record types of the stream, named once: the top-level records, the
// sub-records of an object (its kind first, then its header, mesh data,
// texture tags and animations), of an animation and its key lists, and of
// a material. Where a type's meaning is unknown it keeps its number.
#ifndef TESSARO_RECORD_TYPES_H
#define TESSARO_RECORD_TYPES_H

enum {
  // The end of a list, or of the stream.
  RECORD_END = 0,
  SUB_END = 0,

  RECORD_DOCUMENT = 2000,
  RECORD_RENDER = 4000,
  RECORD_OBJECT = 5020,
  RECORD_MATERIAL = 5703,

  // An object record's first sub-record: the kind of object it makes.
  SUB_KIND_POLYGON = 5100,
  SUB_KIND_SPLINE = 5101,
  SUB_KIND_LIGHT = 5102,
  SUB_KIND_CAMERA = 5103,
  SUB_KIND_SETTINGS = 5107,  // makes an object of host type 5106 with the settings of its body
  SUB_KIND_PLAIN = 5124,     // makes an object of host type 5122; no body

  SUB_OBJECT_HEADER = 5021,
  SUB_POINTS = 5600,
  SUB_TRIANGLES16 = 5601,
  SUB_QUADRANGLES16 = 5602,
  SUB_PAIRS16 = 5603,
  SUB_PHONG = 5612,
  SUB_TEXTURE = 5616,
  SUB_UV = 5618,
  SUB_TRIANGLES32 = 5653,
  SUB_QUADRANGLES32 = 5654,
  SUB_PAIRS32 = 5655,
  SUB_ANIMATION = 5500,

  // An animation's key lists and their keys.
  SUB_KEY_LIST = 5501,
  KEY_POSITION = 5402,
  KEY_ROTATION = 5404,
  KEY_CAMERA = 5411,

  // A material's header, then its channels: 5900 + the channel's number.
  SUB_MATERIAL_HEADER = 5704,
  SUB_CHANNEL_FIRST = 5900,
  SUB_CHANNEL_COLOUR = 5900,
  SUB_CHANNEL_TRANSPARENCY = 5902,
  SUB_CHANNEL_REFLECTION = 5903,
  SUB_CHANNEL_ENVIRONMENT = 5904,
  SUB_CHANNEL_ALPHA = 5907,
  SUB_CHANNEL_SPECULAR = 5908,
  SUB_CHANNEL_SPECULAR_COLOUR = 5909,
};

#endif

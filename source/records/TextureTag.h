// Sub-record 5616 of an object record: a texture tag and the material it
// links, brought into the document when first used.
#ifndef TESSARO_TEXTURE_TAG_H
#define TESSARO_TEXTURE_TAG_H

#include "RecordStream.h"
#include "UpdateMode.h"

class TextureTagRecord : public RecordReader {
 public:
  Bool ReadTextureTag(BaseDocument *doc, BaseObject *op, BaseMaterial **materials, LONG count, TagCarryList *carry);

  LONG first = 0, second = 0;
  Vector position, scale, rotation;
  Real offsetX = 0, offsetY = 0, lengthX = 0, lengthY = 0;
  UCHAR tile = 0, byte2 = 0, byte3 = 0;
  LONG projection = 0;
  LONG materialIndex = 0;
  Matrix matrix;
  LONG last = 0;
};

#endif

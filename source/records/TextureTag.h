// Sub-record 5616 of an object record: a texture tag and the material it
// links, brought into the document when first used.
#ifndef TESSARO_TEXTURE_TAG_H
#define TESSARO_TEXTURE_TAG_H

#include "RecordStream.h"
#include "UpdateMode.h"

class TextureTagRecord : public RecordReader {
 public:
  using RecordReader::RecordReader;
  Bool ReadTextureTag(BaseDocument *doc, BaseObject *op, BaseMaterial **materials, LONG count, TagCarryList *carry);

  // Fields whose meaning is unknown are named by their offset in the record.
  LONG fieldAt0 = 0, fieldAt4 = 0;
  Vector position, scale, rotation;
  Real offsetX = 0, offsetY = 0, lengthX = 0, lengthY = 0;
  UCHAR tile = 0, fieldAt61 = 0, fieldAt62 = 0;
  LONG projection = 0;
  LONG materialIndex = 0;  // 1-based, into the import's material table
  Matrix matrix;
  LONG fieldAt119 = 0;
};

#endif

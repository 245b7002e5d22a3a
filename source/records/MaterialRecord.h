// Record 5703: one material; and the import's table of materials in file order.
#ifndef TESSARO_MATERIAL_RECORD_H
#define TESSARO_MATERIAL_RECORD_H

#include "RecordStream.h"

struct MaterialTable {
  BaseMaterial **entries = nullptr;
  LONG count = 0;
  LONG capacity = 0;
};

extern MaterialTable ImportMaterials;

class MaterialRecordReader : public RecordReader {
 public:
  BaseMaterial *ReadMaterial(BaseDocument *doc, LONG index);
};

// Appends a material to the table; a material that cannot be held is freed.
void AppendMaterial(BaseMaterial *mat);
// Frees every material of the table that is in no document; empties the table.
void ReleaseLooseMaterials(BaseDocument *doc);

#endif

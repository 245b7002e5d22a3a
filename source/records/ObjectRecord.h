// Record 5020: one object with its kind, header and sub-records.
#ifndef TESSARO_OBJECT_RECORD_H
#define TESSARO_OBJECT_RECORD_H

#include "RecordStream.h"
#include "UpdateMode.h"

class ObjectRecordReader : public RecordReader {
 public:
  Bool ReadObjectRecord(BaseDocument *doc, BaseMaterial **materials, LONG materialCount, TagCarryList *carry);
};

#endif

// Record 5020: one object with its kind, header and sub-records.
#ifndef TESSARO_OBJECT_RECORD_H
#define TESSARO_OBJECT_RECORD_H

#include "RecordStream.h"
#include "UpdateMode.h"


// Sub-record 5021: hierarchy level, flags, placement and name.
class ObjectHeader : public RecordReader {
 public:
  // Reads the header whose record header this cursor holds and applies it
  // to op; answers the level, or -1.
  LONG Read(BaseObject *op);

  LONG level = 0;
  LONG flags = 0;
  Matrix matrix;
  Vector position, scale, rotation;
  SWORD nameLength = 0;
  char name[TEXT_BUFFER_SIZE] = {0};
};

class ObjectRecordReader : public RecordReader {
 public:
  // record: the top-level cursor on the 5020 record; its end bounds the
  // object's sub-records, and moves past them when the record's length
  // proved too short (see ReadNextInRecord).
  Bool ReadObjectRecord(RecordReader *record, BaseDocument *doc, BaseMaterial **materials, LONG materialCount,
                        TagCarryList *carry);
};

#endif

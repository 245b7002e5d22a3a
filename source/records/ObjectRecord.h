// Record 5020: one object with its kind, header and sub-records.
#ifndef TESSARO_OBJECT_RECORD_H
#define TESSARO_OBJECT_RECORD_H

#include "RecordStream.h"
#include "UpdateMode.h"


// Sub-record 5021: hierarchy level, flags, placement and name.
class ObjectHeader : public RecordReader {
 public:
  using RecordReader::RecordReader;
  // Reads the header and applies it to op; answers the level, or -1.
  LONG Read(BaseObject *op);

  LONG level = 0;
  LONG flags = 0;
  Matrix matrix;
  Vector position, scale, rotation;
  SWORD nameLength = 0;
  char name[TEXT_BUFFER_SIZE] = {0};
};

// Reads the object record whose header the load's cursor record holds: its
// kind and header, then its sub-records with the object table
// (RecordTables.h). The record's end bounds the sub-records, and moves
// past them when the record's length proved too short (see
// ReadNextInRecord). Answers whether the object was read whole, or was
// dropped by the import's kinds.
Bool ReadObjectRecord(RecordReader *record, BaseDocument *doc, BaseMaterial **materials, LONG materialCount,
                      TagCarryList *carry);

#endif

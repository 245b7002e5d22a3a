// Sub-record 5500 of an object record: lists of position, rotation and
// camera keys that become host tracks, sequences and keys.
#ifndef TESSARO_ANIMATION_H
#define TESSARO_ANIMATION_H

#include "ObjectKinds.h"
#include "RecordStream.h"


// A key-list header: no effect, read and skipped. Fields are named by their
// offset in the record.
class KeyListHeader : public RecordReader {
 public:
  using RecordReader::RecordReader;
  Bool Read();
  BaseTime fieldAt0, fieldAt8;
  LONG fieldAt16 = 0;
  UCHAR fieldAt20 = 0;
  LONG vectorCount = 0;  // the vectors that follow, read and dropped
};

// Position and rotation keys: a time and three vectors.
class VectorKeyRecord : public RecordReader {
 public:
  using RecordReader::RecordReader;
  Bool Read();
  BaseTime time;
  Vector value, second, third;
};

// Camera keys: a time, then the camera's settings as the camera kind holds
// them.
class CameraKeyRecord : public RecordReader {
 public:
  using RecordReader::RecordReader;
  Bool Read();
  BaseTime time;
  CameraBody camera;
};

// record: the 5500 sub-record, list: the 5501 key list; each bounds the
// records nested in it, walked with the animation and key-list tables
// (RecordTables.h).
Bool ReadAnimationRecord(const RecordHeader &record, BaseDocument *doc, BaseObject *op);
Bool ReadKeyList(const RecordHeader &list, BaseDocument *doc, BaseObject *op);
// Releases what AddAnimationKey remembers of the tracks it used; called at
// the end of every load.
void ReleaseSequenceMemos();
// Makes one key on the track (level1, level2; level2 0 for one level).
Bool AddAnimationKey(BaseDocument *doc, BaseObject *op, LONG level1, LONG level2, const BaseTime &time, Real value,
                     Real second, Real third);

#endif

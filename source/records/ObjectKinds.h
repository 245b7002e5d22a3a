// The kind sub-record that starts every object record and creates its host
// object.
#ifndef TESSARO_OBJECT_KINDS_H
#define TESSARO_OBJECT_KINDS_H

#include "RecordStream.h"

enum {
  KIND_POLYGON = 5100,
  KIND_SPLINE = 5101,
  KIND_LIGHT = 5102,
  KIND_CAMERA = 5103,
  KIND_5107 = 5107,
  KIND_5124 = 5124,
  OBJECT_5106 = 5106,
  OBJECT_5122 = 5122,
};

// The spline body: a name, a point count and a spline type.
class SplineRecord : public RecordReader {
 public:
  BaseObject *BuildSpline();

  String name;
  LONG first = 0;
  UCHAR flag = 0;
  LONG splineType = 0;
  LONG pointCount = 0;
  Real last = 0;
};

// Reads the kind sub-record into cursor and answers the new object, in no
// document, or nothing.
BaseObject *ReadKindRecord(RecordReader *cursor);

#endif

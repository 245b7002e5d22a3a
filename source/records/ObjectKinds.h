// The kind sub-record that starts every object record and creates its host
// object.
#ifndef TESSARO_OBJECT_KINDS_H
#define TESSARO_OBJECT_KINDS_H

#include "RecordStream.h"

enum {
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

// The camera body: 40 bytes.
class CameraRecord : public RecordReader {
 public:
  BaseObject *BuildCamera();

  Real r1 = 0, r2 = 0;
  Vector v1;
  LONG projection = 0;
  Real r3 = 0, r4 = 0, r5 = 0, r6 = 0;
};

// The kind-5107 body: 59 bytes, for an object of host type 5106.
class Kind5107Record : public RecordReader {
 public:
  BaseObject *BuildKind5107();

  Vector a, b;
  Real r1 = 0, r2 = 0, r3 = 0, r4 = 0;
  LONG longs[4] = {0};
  UCHAR u1 = 0, u2 = 0, u3 = 0;
};

// The light body: a 125-byte head and three tables, 1440 bytes in all.
class LightRecord : public RecordReader {
 public:
  BaseObject *BuildLight();

  struct EntryA {  // also the layout of table C
    Real r1, r2;
    Vector v;
    LONG l;
  };
  struct EntryB {  // packed in the file: no padding after the three bytes
    UCHAR u[3];
    LONG l1, l2;
    Real r[5];
    Vector v;
    LONG l3;
  };

  Vector vec1, vec2;
  Real r[11] = {0};  // r1 to r11
  LONG l[6] = {0};   // l1 to l6
  UCHAR u[9] = {0};  // u1 to u9
  Real r12 = 0, r13 = 0;
  Vector vec3;
  LONG l7 = 0;
  EntryA tableA[40] = {};
  EntryB tableB[5] = {};
  EntryA tableC[5] = {};
};

// Reads the body of the kind sub-record whose header cursor holds and
// answers the new object, in no document, or nothing. The caller skips to
// the sub-record's end.
BaseObject *ReadKindRecord(RecordReader *cursor);

#endif

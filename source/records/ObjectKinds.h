// The kind sub-record that starts every object record and creates its host
// object.
#ifndef TESSARO_OBJECT_KINDS_H
#define TESSARO_OBJECT_KINDS_H

#include "RecordStream.h"

// The spline body: a name, a point count and a spline type.
class SplineRecord : public RecordReader {
 public:
  using RecordReader::RecordReader;
  BaseObject *BuildSpline();

  String name;
  LONG first = 0;
  UCHAR flag = 0;
  LONG splineType = 0;
  LONG pointCount = 0;
  Real last = 0;
};

// The camera's settings, 40 bytes: the body of the camera kind, and of a
// camera key after its time. Fields whose meaning is unknown are named by
// their offset in the body.
struct CameraBody {
  Real focus = 0;  // the camera's focus and aperture both
  Real fieldAt4 = 0;
  Vector fieldAt8;
  LONG projection = 0;
  Real fieldAt24 = 0, fieldAt28 = 0;
  Real fieldAt32 = 0;  // the camera's parameter 1010
  Real fieldAt36 = 0;
};
// Reads the body in field order; fails at the first failed read.
Bool ReadCameraBody(CameraBody *body);

class CameraRecord : public RecordReader {
 public:
  using RecordReader::RecordReader;
  BaseObject *BuildCamera();

  CameraBody body;
};

// The settings kind's body: 59 bytes, the settings of an object of host
// type 5106.
// Fields are named by their offset in the body.
class SettingsKindRecord : public RecordReader {
 public:
  using RecordReader::RecordReader;
  BaseObject *BuildKind5107();

  Vector fieldAt0, fieldAt12;
  Real fieldAt24 = 0, fieldAt28 = 0, fieldAt32 = 0, fieldAt36 = 0;
  LONG longsAt40[4] = {0};
  UCHAR fieldAt56 = 0, fieldAt57 = 0, fieldAt58 = 0;
};

// The light body: a 125-byte head and three tables, 1440 bytes in all.
// Fields are named by their offset in the body.
class LightRecord : public RecordReader {
 public:
  using RecordReader::RecordReader;
  BaseObject *BuildLight();

  // 24 bytes: the entries of the tables at 125 and 1320.
  struct Entry {
    Real fieldAt0, fieldAt4;
    Vector fieldAt8;
    LONG fieldAt20;
  };
  // 47 bytes, packed in the file: no padding after the three bytes.
  struct PackedEntry {
    UCHAR bytesAt0[3];
    LONG fieldAt3, fieldAt7;
    Real realsAt11[5];
    Vector fieldAt31;
    LONG fieldAt43;
  };

  Vector fieldAt0, fieldAt12;
  Real realsAt24[11] = {0};  // 24 to 67
  LONG longsAt68[6] = {0};   // 68 to 91
  UCHAR bytesAt92[9] = {0};  // 92 to 100; those at 96 and 98 choose the light's form
  Real fieldAt101 = 0, fieldAt105 = 0;
  Vector fieldAt109;
  LONG fieldAt121 = 0;
  Entry entriesAt125[40] = {};
  PackedEntry entriesAt1085[5] = {};
  Entry entriesAt1320[5] = {};
};

// Makes the host object of the kind sub-record whose header kind holds,
// from the reader its type has in the kind table (RecordTables.h), and
// answers it, in no document, or nothing. The caller skips to the
// sub-record's end.
BaseObject *ReadKindRecord(RecordReader &kind);

#endif

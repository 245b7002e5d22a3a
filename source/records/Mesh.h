// The mesh sub-records of an object record, and the polygon and UVW tags
// built from them when the object's sub-records end.
#ifndef TESSARO_MESH_H
#define TESSARO_MESH_H

#include "RecordStream.h"

// Polygons of every encoding, collected in file order straight into the
// polygon tag that will hold them, so the tag's data is their only copy.
// The tag stays loose (in no object) until the object's sub-records end.
struct PolygonBuffer {
  explicit PolygonBuffer(BaseObject *object) : op(object) {}
  BaseObject *op;
  VariableTag *tag = nullptr;
  CPolygon *polygons = nullptr;  // the tag's data
  LONG count = 0;
  // The largest corner index, compared unsigned (a negative one is larger
  // than any point count), so the tags are checked without a second pass.
  ULONG maxIndex = 0;
};

struct UvPair {
  Real u, v;
};
static_assert(sizeof(UvPair) == 2 * sizeof(Real), "UV pairs are read as one run of reals");

// Per-point UV coordinates; null until a UV sub-record brings some.
struct UvBuffer {
  UvPair *pairs = nullptr;
  LONG count = 0;
};

// Each mesh reader is made from its sub-record's header, whose end bounds
// every count it reads. A host allocation that fails also sets
// ImportOutOfMemory, so that the load does not answer success for a mesh it
// could not hold. Fields whose meaning is unknown are named by their offset
// in the record.
class PointsRecord : public RecordReader {
 public:
  using RecordReader::RecordReader;
  Bool Read(BaseObject *op);
  LONG count = 0, fieldAt4 = 0;
};

class PolygonsRecord : public RecordReader {
 public:
  using RecordReader::RecordReader;
  // corners: 3 or 4; wide: 32-bit indices, else unsigned 16-bit.
  Bool Read(PolygonBuffer *buffer, LONG corners, Bool wide);
  LONG count = 0, fieldAt4 = 0;
};

class IndexPairsRecord : public RecordReader {
 public:
  using RecordReader::RecordReader;
  Bool Read(Bool wide);
  LONG count = 0, fieldAt4 = 0;
};

class UvRecord : public RecordReader {
 public:
  using RecordReader::RecordReader;
  Bool Read(UvBuffer *buffer);
  LONG count = 0, fieldAt4 = 0;
  Bool fieldAt8 = FALSE, fieldAt9 = FALSE;
};

class PhongRecord : public RecordReader {
 public:
  using RecordReader::RecordReader;
  Bool Read(BaseObject *op);
  LONG fieldAt0 = 0, fieldAt4 = 0;
  Real angle = 0;
};

// Places the polygon tag (and builds the UVW tag when there are UV
// coordinates) unless error is set; sets error when the tags cannot be had
// or a polygon names a point the object does not have. The tag is the
// object's own once placed.
void BuildMeshTags(BaseObject *op, PolygonBuffer *polygons, const UvBuffer &uv, Bool *error);
// Frees what the buffers hold: a polygon tag not placed, the UV pairs.
void ReleaseMeshBuffers(PolygonBuffer *polygons, UvBuffer *uv);

#endif

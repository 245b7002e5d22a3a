#include "ObjectRecord.h"

#include "Animation.h"
#include "Globals.h"
#include "Mesh.h"
#include "ObjectKinds.h"
#include "RecordWalk.h"
#include "TextureTag.h"

namespace {

enum { HEADER_SELECTED = 0x04, HEADER_VIEW_OBJECT = 0x20, BIT_SELECTED = 2, MAX_LEVEL = 253 };

// The kind filter: whether an object of the type at the level is wanted by
// this import's flags.
Bool Wanted(LONG type, LONG level) {
  const LONG flags = ImportFlags;
  Bool geometry = (flags & IMPORT_GEOMETRY) || (type != Opolygon && type != Ospline) ||
                  ((flags & IMPORT_LIGHTS) && type == Opolygon && level == 1);
  Bool cameras = (flags & IMPORT_CAMERAS) || type != Ocamera;
  Bool lights = (flags & IMPORT_LIGHTS) || type != Olight;
  Bool kinds = !(flags & IMPORT_UPDATE) || (type != Oplain && type != Osettings);
  return geometry && cameras && lights && kinds;
}

}  // namespace

LONG ObjectHeader::Read(BaseObject *op) {
  HostFile *f = RecordFile();
  // Any other record in the header's place fails the object.
  if (type != SUB_OBJECT_HEADER) return -1;
  if (!f->ReadLong(&level) || !f->ReadLong(&flags) || !f->ReadMatrix(&matrix) || !f->ReadVector(&position) ||
      !f->ReadVector(&scale) || !f->ReadVector(&rotation) || !f->ReadWord(&nameLength))
    return -1;
  // A name that does not fit the buffer fails the header like a short read.
  if (nameLength < 0 || nameLength >= TEXT_BUFFER_SIZE) return -1;
  if (nameLength > 0 && !f->ReadBytes(name, nameLength)) return -1;
  if (!Within()) return -1;
  name[nameLength] = 0;
  const Real s = ImportScale;
  position = Vector(position.x * s, position.y * s, position.z * s);
  matrix.off = Vector(matrix.off.x * s, matrix.off.y * s, matrix.off.z * s);
  op->SetName(String(name));
  op->SetPos(position);
  op->SetRot(rotation);
  op->SetScale(scale);
  op->SetMl(matrix, TRUE);
  return level;
}

namespace {

// An object that is not read on still ends where its list does, so that
// the top-level walk goes on after it.
Bool Drop(RecordReader *record, BaseObject *op, Bool result) {
  BaseObject::Free(op);
  PassOverList(record);
  return result;
}

// What the readers of an object's sub-records share: the object and its
// document, the materials its texture tags may name, the tags an update
// carries over, and the mesh collected until the list ends.
struct ObjectLevel {
  BaseDocument *doc;
  BaseObject *op;
  BaseMaterial **materials;
  LONG materialCount;
  TagCarryList *carry;
  PolygonBuffer polygons;
  UvBuffer uv;
};

Bool ReadPoints(RecordReader &record, ObjectLevel &object) { return PointsRecord(record).Read(object.op); }
Bool ReadTriangles16(RecordReader &record, ObjectLevel &object) {
  return PolygonsRecord(record).Read(&object.polygons, 3, FALSE);
}
Bool ReadQuadrangles16(RecordReader &record, ObjectLevel &object) {
  return PolygonsRecord(record).Read(&object.polygons, 4, FALSE);
}
Bool ReadTriangles32(RecordReader &record, ObjectLevel &object) {
  return PolygonsRecord(record).Read(&object.polygons, 3, TRUE);
}
Bool ReadQuadrangles32(RecordReader &record, ObjectLevel &object) {
  return PolygonsRecord(record).Read(&object.polygons, 4, TRUE);
}
Bool ReadIndexPairs16(RecordReader &record, ObjectLevel &) { return IndexPairsRecord(record).Read(FALSE); }
Bool ReadIndexPairs32(RecordReader &record, ObjectLevel &) { return IndexPairsRecord(record).Read(TRUE); }
Bool ReadUv(RecordReader &record, ObjectLevel &object) { return UvRecord(record).Read(&object.uv); }
Bool ReadSmoothing(RecordReader &record, ObjectLevel &object) { return PhongRecord(record).Read(object.op); }
Bool ReadTexture(RecordReader &record, ObjectLevel &object) {
  return TextureTagRecord(record).ReadTextureTag(object.doc, object.op, object.materials, object.materialCount,
                                                 object.carry);
}
Bool ReadAnimation(RecordReader &record, ObjectLevel &object) {
  return ReadAnimationRecord(record, object.doc, object.op);
}

const RecordRow<ObjectLevel> kObjectRows[] = {OBJECT_RECORDS(RECORD_ROW)};

}  // namespace

Bool ReadObjectRecord(RecordReader *record, BaseDocument *doc, BaseMaterial **materials, LONG materialCount,
                      TagCarryList *carry) {
  RecordReader kind;
  if (ReadNextInRecord(record, &kind) != NEXT_RECORD) return FALSE;
  BaseObject *op = ReadKindRecord(kind);
  kind.SkipToEnd();
  if (!op) {
    if (kind.type != SUB_END) PassOverList(record);
    return FALSE;
  }

  RecordReader second;
  // Nothing to pass over that the framing can vouch for.
  if (ReadNextInRecord(record, &second) != NEXT_RECORD) {
    BaseObject::Free(op);
    return FALSE;
  }
  ObjectHeader header(second);
  const LONG level = header.Read(op);
  header.SkipToEnd();
  // The list's end record in the header's place: nothing follows to skip.
  if (header.type == SUB_END) {
    BaseObject::Free(op);
    return FALSE;
  }
  const LONG type = op->GetType();
  if (level < 0 || level > MAX_LEVEL) return Drop(record, op, FALSE);
  // An update keeps the target: the file's top level is not inserted, its
  // level-1 objects go below the target through LevelTable entry 1.
  if ((ImportFlags & IMPORT_UPDATE) && level == 0) return Drop(record, op, TRUE);
  if (!Wanted(type, level)) return Drop(record, op, TRUE);

  BaseObject *parent = LevelTable[level];
  BaseObject *pred = LevelTable[level + 1];
  // In an update every object belongs below the target, also one whose
  // parent the kind filter dropped; the predecessor recorded for its level
  // may stand under another parent, and then it goes first.
  if (!parent && (ImportFlags & IMPORT_UPDATE) && LevelTable[1]) {
    parent = LevelTable[1];
    if (pred && pred->GetUp() != parent) pred = nullptr;
  }
  if (!doc->InsertObject(op, parent, pred, FALSE)) return Drop(record, op, FALSE);
  LevelTable[level + 1] = op;
  LevelTable[level + 2] = nullptr;
  // An object that enters the user's document at its top level is a change
  // of its own to undo; objects below others go with them.
  if ((ImportFlags & (IMPORT_MERGE | IMPORT_UPDATE)) && !op->GetUp()) doc->AddUndo(TH_UNDO_NEW, op);
  if (header.flags & HEADER_SELECTED) op->SetBit(BIT_SELECTED);
  if (header.flags & HEADER_VIEW_OBJECT) ViewObject = op;

  ObjectLevel object = {doc, op, materials, materialCount, carry, PolygonBuffer(op), UvBuffer()};
  const WalkEnd end = WalkInRecord(record, kObjectRows, object);
  // A list whose framing broke leaves the object as it stands: no tags are
  // built from what it held.
  if (end == WALK_BROKEN) {
    ReleaseMeshBuffers(&object.polygons, &object.uv);
    return FALSE;
  }
  Bool error = end == WALK_FAILED;
  if (!op->GetTagData(Tpoint)) RestoreTags(op, carry);
  BuildMeshTags(op, &object.polygons, object.uv, &error);
  ReleaseMeshBuffers(&object.polygons, &object.uv);
  op->Message(MSG_UPDATE);
  return !error;
}

#include "ObjectRecord.h"

#include "Animation.h"
#include "C4DObject.h"
#include "Globals.h"
#include "ObjectKinds.h"
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
  Bool kinds = !(flags & IMPORT_UPDATE) || (type != OBJECT_5122 && type != OBJECT_5106);
  return geometry && cameras && lights && kinds;
}

}  // namespace

LONG ObjectHeader::Read(BaseObject *op) {
  HostFile *f = CurrentImportFile;
  if (!ReadHeader() || type != SUB_OBJECT_HEADER) return -1;
  if (!f->ReadLong(&level) || !f->ReadLong(&flags) || !f->ReadMatrix(&matrix) || !f->ReadVector(&position) ||
      !f->ReadVector(&scale) || !f->ReadVector(&rotation) || !f->ReadWord(&nameLength))
    return -1;
  // A name that does not fit the buffer fails the header like a short read.
  if (nameLength < 0 || nameLength >= TEXT_BUFFER_SIZE) return -1;
  if (nameLength > 0 && !f->ReadBytes(name, nameLength)) return -1;
  name[nameLength] = 0;
  const Real s = ImportScale;
  position = Vector(position.x * s, position.y * s, position.z * s);
  matrix.off = Vector(matrix.off.x * s, matrix.off.y * s, matrix.off.z * s);
  op->SetName(String(name));
  op->SetPos(position);
  op->SetRot(rotation);
  op->SetScale(scale);
  op->SetMl(matrix, TRUE);
  SkipToEnd();
  return level;
}

LONG ReadObjectHeader(BaseObject *op) {
  ObjectHeader header;
  return header.Read(op);
}

Bool ObjectRecordReader::ReadObjectRecord(BaseDocument *doc, BaseMaterial **materials, LONG materialCount,
                                          TagCarryList *carry) {
  RecordReader kind;
  BaseObject *op = ReadKindRecord(&kind);
  if (!op) return FALSE;

  ObjectHeader header;
  const LONG level = header.Read(op);
  const LONG type = op->GetType();
  if (level < 0 || level > MAX_LEVEL) {
    BaseObject::Free(op);
    return FALSE;
  }
  // An update keeps the target: the file's top level is not inserted, its
  // level-1 objects go below the target through LevelTable entry 1.
  if ((ImportFlags & IMPORT_UPDATE) && level == 0) {
    BaseObject::Free(op);
    return TRUE;
  }
  if (!Wanted(type, level)) {
    BaseObject::Free(op);
    return TRUE;
  }
  if (!doc->InsertObject(op, LevelTable[level], LevelTable[level + 1], FALSE)) {
    BaseObject::Free(op);
    return FALSE;
  }
  LevelTable[level + 1] = op;
  LevelTable[level + 2] = nullptr;
  if (level == 0 && (ImportFlags & IMPORT_MERGE)) doc->AddUndo(TH_UNDO_NEW, op);
  if (header.flags & HEADER_SELECTED) op->SetBit(BIT_SELECTED);
  if (header.flags & HEADER_VIEW_OBJECT) ViewObject = op;

  RecordReader sub;
  PointsReader points;
  PolygonsReader polygonReader;
  IndexPairsReader pairs;
  UvReader uvReader;
  PhongReader phong;
  TextureTagRecord texture;
  PolygonBuffer polygons;
  UvBuffer uv;
  Bool error = FALSE;
  for (;;) {
    if (!sub.ReadHeader()) {
      ReleaseMeshBuffers(&polygons, &uv);
      return FALSE;
    }
    Bool ok = TRUE;
    switch (sub.type) {
      case SUB_POINTS:
        ok = points.Read(op);
        break;
      case SUB_TRIANGLES16:
        ok = polygonReader.Read(&polygons, 3, FALSE);
        break;
      case SUB_QUADRANGLES16:
        ok = polygonReader.Read(&polygons, 4, FALSE);
        break;
      case SUB_TRIANGLES32:
        ok = polygonReader.Read(&polygons, 3, TRUE);
        break;
      case SUB_QUADRANGLES32:
        ok = polygonReader.Read(&polygons, 4, TRUE);
        break;
      case SUB_PAIRS16:
        ok = pairs.Read(FALSE);
        break;
      case SUB_PAIRS32:
        ok = pairs.Read(TRUE);
        break;
      case SUB_UV:
        ok = uvReader.Read(&uv);
        break;
      case SUB_PHONG:
        ok = phong.Read(op);
        break;
      case SUB_TEXTURE:
        ok = texture.ReadTextureTag(doc, op, materials, materialCount, carry);
        break;
      case SUB_ANIMATION:
        ok = ReadAnimationRecord(doc, op);
        break;
      default:
        break;
    }
    if (!ok) error = TRUE;
    sub.SkipToEnd();
    if (sub.type == SUB_END || error) break;
  }

  if (!op->GetTagData(Tpoint)) RestoreTags(op, carry);
  BuildMeshTags(op, polygons, uv, &error);
  ReleaseMeshBuffers(&polygons, &uv);
  op->Message(MSG_UPDATE);
  return !error;
}

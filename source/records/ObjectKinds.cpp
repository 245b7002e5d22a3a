#include "ObjectKinds.h"

#include "Globals.h"

BaseObject *SplineRecord::BuildSpline() {
  HostFile *f = CurrentImportFile;
  if (!ReadText(&name, TEXT_BUFFER_SIZE - 1)) return nullptr;
  if (!f->ReadLong(&first) || !f->ReadUChar(&flag) || !f->ReadLong(&splineType) || !f->ReadLong(&pointCount) ||
      !f->ReadReal(&last))
    return nullptr;
  return SplineObject::Alloc(pointCount, splineType);
}

BaseObject *ReadKindRecord(RecordReader *cursor) {
  if (!cursor->ReadHeader()) return nullptr;
  BaseObject *op = nullptr;
  switch (cursor->type) {
    case KIND_POLYGON:
      op = BaseObject::Alloc(Opolygon);
      break;
    case KIND_5124:
      op = BaseObject::Alloc(OBJECT_5122);
      break;
    case KIND_SPLINE: {
      SplineRecord spline;
      op = spline.BuildSpline();
      break;
    }
    // Lights, cameras and kind 5107 are not built yet: they take the path
    // of any other type.
    default:
      cursor->SkipToEnd();
      return nullptr;
  }
  // A failed read leaves the file where it failed; the object record fails.
  if (op) cursor->SkipToEnd();
  return op;
}

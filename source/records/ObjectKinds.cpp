#include "ObjectKinds.h"

#include "Globals.h"

BaseObject *SplineRecord::BuildSpline() {
  HostFile *f = CurrentImportFile;
  if (!ReadText(&name, TEXT_BUFFER_SIZE - 1)) return nullptr;
  if (!f->ReadLong(&first) || !f->ReadUChar(&flag) || !f->ReadLong(&splineType) || !f->ReadLong(&pointCount) ||
      !f->ReadReal(&last) || !Within())
    return nullptr;
  BaseObject *spline = SplineObject::Alloc(pointCount, splineType);
  // A negative count is refused for what it is, not for want of memory.
  return pointCount < 0 ? spline : Held(spline);
}

namespace {

void SetLong(BaseObject *op, LONG id, LONG v) { op->SetParameter(DescID(id), GeData(v), 0); }
void SetReal(BaseObject *op, LONG id, Real v) { op->SetParameter(DescID(id), GeData(v), 0); }
void SetVector(BaseObject *op, LONG id, const Vector &v) { op->SetParameter(DescID(id), GeData(v), 0); }

Bool ReadEntryA(LightRecord::EntryA *e) {
  HostFile *f = CurrentImportFile;
  return f->ReadReal(&e->r1) && f->ReadReal(&e->r2) && f->ReadVector(&e->v) && f->ReadLong(&e->l);
}
Bool ReadEntryB(LightRecord::EntryB *e) {
  HostFile *f = CurrentImportFile;
  return ReadUChars(e->u, 3) && f->ReadLong(&e->l1) && f->ReadLong(&e->l2) && ReadReals(e->r, 5) &&
         f->ReadVector(&e->v) && f->ReadLong(&e->l3);
}

}  // namespace

BaseObject *CameraRecord::BuildCamera() {
  HostFile *f = CurrentImportFile;
  if (!f->ReadReal(&r1) || !f->ReadReal(&r2) || !f->ReadVector(&v1) || !f->ReadLong(&projection) ||
      !f->ReadReal(&r3) || !f->ReadReal(&r4) || !f->ReadReal(&r5) || !f->ReadReal(&r6) || !Within())
    return nullptr;
  CameraObject *cam = Held(CameraObject::Alloc());
  if (!cam) return nullptr;
  // Focus and aperture both come from the first real.
  cam->SetFocus(r1);
  cam->SetAperture(r1);
  cam->SetProjection(projection);
  SetReal(cam, 1010, r5);
  SetLong(cam, 1009, 0);
  return cam;
}

BaseObject *Kind5107Record::BuildKind5107() {
  HostFile *f = CurrentImportFile;
  if (!f->ReadVector(&a) || !f->ReadVector(&b) || !f->ReadReal(&r1) || !f->ReadReal(&r2) || !f->ReadReal(&r3) ||
      !f->ReadReal(&r4) || !ReadLongs(longs, 4) || !f->ReadUChar(&u1) || !f->ReadUChar(&u2) || !f->ReadUChar(&u3) ||
      !Within())
    return nullptr;
  BaseObject *op = Held(BaseObject::Alloc(OBJECT_5106));
  if (!op) return nullptr;
  SetVector(op, 1000, a);
  SetVector(op, 1003, a);
  SetReal(op, 1001, r1);
  SetReal(op, 1004, r2);
  SetReal(op, 1005, r3);
  SetLong(op, 1002, u2);  // unsigned: 255 stays 255
  return op;
}

BaseObject *LightRecord::BuildLight() {
  HostFile *f = CurrentImportFile;
  // The whole body is read before anything is allocated.
  if (!f->ReadVector(&vec1) || !f->ReadVector(&vec2) || !ReadReals(r, 11) || !ReadLongs(l, 6) || !ReadUChars(u, 9) ||
      !f->ReadReal(&r12) || !f->ReadReal(&r13) || !f->ReadVector(&vec3) || !f->ReadLong(&l7))
    return nullptr;
  for (EntryA &e : tableA)
    if (!ReadEntryA(&e)) return nullptr;
  for (EntryB &e : tableB)
    if (!ReadEntryB(&e)) return nullptr;
  for (EntryA &e : tableC)
    if (!ReadEntryA(&e)) return nullptr;
  if (!Within()) return nullptr;
  BaseObject *light = Held(BaseObject::Alloc(Olight));
  if (!light) return nullptr;
  const Real r1 = r[0], r2 = r[1], r3 = r[2], r4 = r[3], r7 = r[6];
  const LONG l2 = l[1];
  const UCHAR u5 = u[4], u7 = u[6], u8 = u[7];
  SetVector(light, 90000, vec1);
  SetReal(light, 90001, r3);
  SetLong(light, 90003, l2);
  if (u7) {
    SetLong(light, 90002, 4);
  } else if (u5) {
    SetLong(light, 90002, 1);
    SetLong(light, 90018, u8);
    SetLong(light, 90010, 0);
    SetReal(light, 90011, r2);
    SetLong(light, 90014, 8);
  } else {
    SetLong(light, 90002, 0);
  }
  SetReal(light, 90025, r1);
  SetLong(light, 70002, 0);
  SetLong(light, 70022, 1);
  SetReal(light, 70019, r7);
  SetReal(light, 70027, r4);
  return light;
}

BaseObject *ReadKindRecord(RecordReader *cursor) {
  BaseObject *op = nullptr;
  switch (cursor->type) {
    case SUB_KIND_POLYGON:
      op = Held(BaseObject::Alloc(Opolygon));
      break;
    case SUB_KIND_5124:
      op = Held(BaseObject::Alloc(OBJECT_5122));
      break;
    case SUB_KIND_SPLINE: {
      SplineRecord spline;
      spline.Adopt(*cursor);
      op = spline.BuildSpline();
      break;
    }
    case SUB_KIND_CAMERA: {
      CameraRecord camera;
      camera.Adopt(*cursor);
      op = camera.BuildCamera();
      break;
    }
    case SUB_KIND_LIGHT: {
      LightRecord light;
      light.Adopt(*cursor);
      op = light.BuildLight();
      break;
    }
    case SUB_KIND_5107: {
      Kind5107Record kind5107;
      kind5107.Adopt(*cursor);
      op = kind5107.BuildKind5107();
      break;
    }
    default:
      break;
  }
  return op;
}

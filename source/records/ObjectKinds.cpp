#include "ObjectKinds.h"

#include "Globals.h"
#include "RecordWalk.h"

BaseObject *SplineRecord::BuildSpline() {
  HostFile *f = RecordFile();
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

Bool ReadEntry(LightRecord::Entry *e) {
  HostFile *f = RecordFile();
  return f->ReadReal(&e->fieldAt0) && f->ReadReal(&e->fieldAt4) && f->ReadVector(&e->fieldAt8) &&
         f->ReadLong(&e->fieldAt20);
}
Bool ReadPackedEntry(LightRecord::PackedEntry *e) {
  HostFile *f = RecordFile();
  return ReadUChars(e->bytesAt0, 3) && f->ReadLong(&e->fieldAt3) && f->ReadLong(&e->fieldAt7) &&
         ReadReals(e->realsAt11, 5) && f->ReadVector(&e->fieldAt31) && f->ReadLong(&e->fieldAt43);
}

}  // namespace

Bool ReadCameraBody(CameraBody *body) {
  HostFile *f = RecordFile();
  return f->ReadReal(&body->focus) && f->ReadReal(&body->fieldAt4) && f->ReadVector(&body->fieldAt8) &&
         f->ReadLong(&body->projection) && f->ReadReal(&body->fieldAt24) && f->ReadReal(&body->fieldAt28) &&
         f->ReadReal(&body->fieldAt32) && f->ReadReal(&body->fieldAt36);
}

BaseObject *CameraRecord::BuildCamera() {
  if (!ReadCameraBody(&body) || !Within()) return nullptr;
  CameraObject *cam = Held(CameraObject::Alloc());
  if (!cam) return nullptr;
  cam->SetFocus(body.focus);
  cam->SetAperture(body.focus);
  cam->SetProjection(body.projection);
  SetReal(cam, 1010, body.fieldAt32);
  SetLong(cam, 1009, 0);
  return cam;
}

BaseObject *SettingsKindRecord::BuildKind5107() {
  HostFile *f = RecordFile();
  if (!f->ReadVector(&fieldAt0) || !f->ReadVector(&fieldAt12) || !f->ReadReal(&fieldAt24) || !f->ReadReal(&fieldAt28) ||
      !f->ReadReal(&fieldAt32) || !f->ReadReal(&fieldAt36) || !ReadLongs(longsAt40, 4) || !f->ReadUChar(&fieldAt56) ||
      !f->ReadUChar(&fieldAt57) || !f->ReadUChar(&fieldAt58) || !Within())
    return nullptr;
  BaseObject *op = Held(BaseObject::Alloc(Osettings));
  if (!op) return nullptr;
  // The first vector goes to both vector parameters.
  SetVector(op, 1000, fieldAt0);
  SetVector(op, 1003, fieldAt0);
  SetReal(op, 1001, fieldAt24);
  SetReal(op, 1004, fieldAt28);
  SetReal(op, 1005, fieldAt32);
  SetLong(op, 1002, fieldAt57);  // unsigned: 255 stays 255
  return op;
}

BaseObject *LightRecord::BuildLight() {
  HostFile *f = RecordFile();
  // The whole body is read before anything is allocated.
  if (!f->ReadVector(&fieldAt0) || !f->ReadVector(&fieldAt12) || !ReadReals(realsAt24, 11) ||
      !ReadLongs(longsAt68, 6) || !ReadUChars(bytesAt92, 9) || !f->ReadReal(&fieldAt101) || !f->ReadReal(&fieldAt105) ||
      !f->ReadVector(&fieldAt109) || !f->ReadLong(&fieldAt121))
    return nullptr;
  for (Entry &e : entriesAt125)
    if (!ReadEntry(&e)) return nullptr;
  for (PackedEntry &e : entriesAt1085)
    if (!ReadPackedEntry(&e)) return nullptr;
  for (Entry &e : entriesAt1320)
    if (!ReadEntry(&e)) return nullptr;
  if (!Within()) return nullptr;
  BaseObject *light = Held(BaseObject::Alloc(Olight));
  if (!light) return nullptr;
  const Real at24 = realsAt24[0], at28 = realsAt24[1], at32 = realsAt24[2], at36 = realsAt24[3], at48 = realsAt24[6];
  const LONG at72 = longsAt68[1];
  const UCHAR formOne = bytesAt92[4], formFour = bytesAt92[6], at99 = bytesAt92[7];
  SetVector(light, 90000, fieldAt0);
  SetReal(light, 90001, at32);
  SetLong(light, 90003, at72);
  // The flag at 98 wins over the one at 96.
  if (formFour) {
    SetLong(light, 90002, 4);
  } else if (formOne) {
    SetLong(light, 90002, 1);
    SetLong(light, 90018, at99);
    SetLong(light, 90010, 0);
    SetReal(light, 90011, at28);
    SetLong(light, 90014, 8);
  } else {
    SetLong(light, 90002, 0);
  }
  SetReal(light, 90025, at24);
  SetLong(light, 70002, 0);
  SetLong(light, 70022, 1);
  SetReal(light, 70019, at48);
  SetReal(light, 70027, at36);
  return light;
}

namespace {

// What a kind's reader makes.
struct MadeObject {
  BaseObject *object = nullptr;
};

Bool Made(MadeObject &made, BaseObject *op) {
  made.object = op;
  return op != nullptr;
}

// The polygon object and the plain kind have no body to read.
Bool ReadPolygonKind(RecordReader &, MadeObject &made) { return Made(made, Held(BaseObject::Alloc(Opolygon))); }
Bool ReadPlainKind(RecordReader &, MadeObject &made) { return Made(made, Held(BaseObject::Alloc(Oplain))); }
Bool ReadSplineKind(RecordReader &record, MadeObject &made) { return Made(made, SplineRecord(record).BuildSpline()); }
Bool ReadCameraKind(RecordReader &record, MadeObject &made) { return Made(made, CameraRecord(record).BuildCamera()); }
Bool ReadLightKind(RecordReader &record, MadeObject &made) { return Made(made, LightRecord(record).BuildLight()); }
Bool ReadSettingsKind(RecordReader &record, MadeObject &made) {
  return Made(made, SettingsKindRecord(record).BuildKind5107());
}

const RecordRow<MadeObject> kKindRows[] = {OBJECT_KIND_RECORDS(RECORD_ROW)};

}  // namespace

BaseObject *ReadKindRecord(RecordReader &kind) {
  MadeObject made;
  ReadByType(kKindRows, kind, made);
  return made.object;
}

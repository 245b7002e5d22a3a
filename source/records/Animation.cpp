#include "Animation.h"

#include "Globals.h"

namespace {

enum { TRACK_POSITION = 903, TRACK_ROTATION = 904, TRACK_X = 1000, TRACK_Y = 1001, TRACK_Z = 1002 };
enum { ID_DOCUMENT_END = 1003 };

Bool ReadTime(BaseTime *t) {
  Real numerator = 0, denominator = 0;
  if (!CurrentImportFile->ReadTime(&numerator, &denominator)) return FALSE;
  *t = BaseTime(numerator, denominator);
  return TRUE;
}

void AddVectorKeys(BaseDocument *doc, BaseObject *op, LONG track, const VectorKeyRecord &k, Real scale) {
  AddAnimationKey(doc, op, track, TRACK_X, k.time, k.value.x * scale, k.second.x, k.third.x);
  AddAnimationKey(doc, op, track, TRACK_Y, k.time, k.value.y * scale, k.second.y, k.third.y);
  AddAnimationKey(doc, op, track, TRACK_Z, k.time, k.value.z * scale, k.second.z, k.third.z);
}

}  // namespace

Bool KeyListHeader::Read(const RecordHeader &list) {
  HostFile *f = CurrentImportFile;
  if (!ReadHeaderWithin(list) || !ReadTime(&t1) || !ReadTime(&t2) || !f->ReadLong(&l1) || !f->ReadUChar(&u1) ||
      !f->ReadLong(&count))
    return FALSE;
  // The vectors are read and dropped; a count beyond the record fails it
  // as a short read would, before anything is read.
  if (!Within() || (count > 0 && !Holds(count, 12))) return FALSE;
  Vector discarded;
  for (LONG i = 0; i < count; ++i)
    if (!f->ReadVector(&discarded)) return FALSE;
  SkipToEnd();
  return TRUE;
}

Bool VectorKeyRecord::Read() {
  HostFile *f = CurrentImportFile;
  return ReadTime(&time) && f->ReadVector(&value) && f->ReadVector(&second) && f->ReadVector(&third) && Within();
}

Bool CameraKeyRecord::Read() {
  HostFile *f = CurrentImportFile;
  return ReadTime(&time) && f->ReadReal(&r1) && f->ReadReal(&r2) && f->ReadVector(&v1) && f->ReadLong(&projection) &&
         f->ReadReal(&r3) && f->ReadReal(&r4) && f->ReadReal(&r5) && f->ReadReal(&r6) && Within();
}

Bool ReadAnimationRecord(const RecordHeader &record, BaseDocument *doc, BaseObject *op) {
  RecordReader cursor;
  // The leading record is skipped unread, whatever its type.
  if (!cursor.ReadHeaderWithin(record)) return FALSE;
  cursor.SkipToEnd();
  for (;;) {
    if (!cursor.ReadHeaderWithin(record)) return FALSE;
    if (cursor.type == SUB_KEY_LIST && !ReadKeyList(cursor, doc, op)) return FALSE;
    cursor.SkipToEnd();
    if (cursor.type == 0) return TRUE;
  }
}

Bool ReadKeyList(const RecordHeader &list, BaseDocument *doc, BaseObject *op) {
  KeyListHeader header;
  if (!header.Read(list)) return FALSE;
  for (;;) {
    RecordReader cursor;
    if (!cursor.ReadHeaderWithin(list)) return FALSE;
    switch (cursor.type) {
      case KEY_POSITION: {
        VectorKeyRecord k;
        k.Adopt(cursor);
        if (!k.Read()) return FALSE;
        AddVectorKeys(doc, op, TRACK_POSITION, k, ImportScale);
        break;
      }
      case KEY_ROTATION: {
        VectorKeyRecord k;
        k.Adopt(cursor);
        if (!k.Read()) return FALSE;
        AddVectorKeys(doc, op, TRACK_ROTATION, k, 1.0f);
        break;
      }
      case KEY_CAMERA: {
        CameraKeyRecord k;
        k.Adopt(cursor);
        if (!k.Read()) return FALSE;
        // The tracks take what the camera builder gives the camera.
        AddAnimationKey(doc, op, 500, 0, k.time, k.r1, 0, 0);
        AddAnimationKey(doc, op, 1001, 0, k.time, static_cast<Real>(k.projection), 0, 0);
        AddAnimationKey(doc, op, 1006, 0, k.time, k.r1, 0, 0);
        AddAnimationKey(doc, op, 1010, 0, k.time, k.r5, 0, 0);
        AddAnimationKey(doc, op, 1009, 0, k.time, 0.0f, 0, 0);
        break;
      }
      default:
        break;
    }
    cursor.SkipToEnd();
    if (cursor.type == 0) return TRUE;
  }
}

Bool AddAnimationKey(BaseDocument *doc, BaseObject *op, LONG level1, LONG level2, const BaseTime &time, Real value,
                     Real second, Real third) {
  const Bool twoLevels = level2 != 0;
  DescID id = twoLevels ? DescID(level1, level2) : DescID(level1);
  BaseTrack *track = FindTrack(op, id);
  if (!track) {
    track = Held(BaseTrack::Alloc(op, id));
    if (!track) return FALSE;
    if (!InsertTrack(op, track, nullptr)) {
      BaseTrack::Free(track);
      return FALSE;
    }
  }
  BaseSequence *seq = track->GetFirstSequence();
  while (seq && !(seq->GetT1() <= time && seq->GetT2() >= time)) seq = seq->GetNext();
  if (!seq) seq = track->AutoAddSequence(doc, time);
  if (!seq) return FALSE;
  BaseKey *key = Held(BaseKey::Alloc(seq->GetType()));
  if (!key) return FALSE;
  LONG count = 0;
  Real *data = key->GetData(&count);
  if (!data || count < (twoLevels ? 3 : 1)) {
    BaseKey::Free(key);
    return FALSE;
  }
  data[0] = value;
  if (twoLevels) {
    data[1] = second;
    data[2] = third;
  }
  BaseContainer settings = doc->GetData(0);
  if (time > settings.GetTime(ID_DOCUMENT_END)) {
    settings.SetTime(ID_DOCUMENT_END, time);
    doc->SetData(0, settings);
  }
  key->SetTime(time);
  if (!seq->InsertKey(key)) {
    BaseKey::Free(key);
    return FALSE;
  }
  return TRUE;
}

#include "DocumentRecords.h"

#include "Globals.h"

namespace {

enum { ID_FRAME_RATE = 1001 };

Bool Longs(LONG *out, int n) {
  for (int k = 0; k < n; ++k)
    if (!CurrentImportFile->ReadLong(&out[k])) return FALSE;
  return TRUE;
}
Bool Reals(Real *out, int n) {
  for (int k = 0; k < n; ++k)
    if (!CurrentImportFile->ReadReal(&out[k])) return FALSE;
  return TRUE;
}
Bool Bytes(UCHAR *out, int n) {
  for (int k = 0; k < n; ++k)
    if (!CurrentImportFile->ReadUChar(&out[k])) return FALSE;
  return TRUE;
}

}  // namespace

Bool DocumentSettingsRecord::ReadDocumentSettingsRecord(BaseDocument *doc) {
  HostFile *f = CurrentImportFile;
  if (!f->ReadVector(&v[0]) || !f->ReadVector(&v[1]) || !f->ReadVector(&v[2]) || !f->ReadReal(&r1) ||
      !Longs(i, 3) || !f->ReadReal(&r2) || !f->ReadVector(&v[3]) || !Longs(i + 3, 1) || !Bytes(b, 12) ||
      !f->ReadLong(&frameRate) || !f->ReadReal(&p1) || !f->ReadReal(&p2) || !Longs(i + 4, 4) || !Bytes(b + 12, 20))
    return FALSE;
  // The frame rate goes to the document as its general settings, as read.
  BaseContainer settings;
  settings.SetLong(ID_FRAME_RATE, frameRate);
  doc->SetData(0, settings);
  return TRUE;
}

Bool RenderSettingsRecord::ReadRenderSettingsRecord(BaseDocument *doc) {
  if (!Longs(i, 15) || !ReadText(&t1, TEXT_BUFFER_SIZE - 1) || !ReadText(&t2, TEXT_BUFFER_SIZE - 1) ||
      !Longs(i + 15, 7) || !Bytes(b, 2) || !Longs(i + 22, 1) || !Reals(r, 1) || !Bytes(b + 2, 9) || !Reals(r + 1, 6) ||
      !Reals(p, 4) || !Longs(i + 23, 3))
    return FALSE;
  RenderData *rd = RenderData::Alloc();
  if (!rd) return FALSE;
  if (!doc->InsertRenderData(rd, nullptr)) {
    RenderData::Free(rd);
    return FALSE;
  }
  return TRUE;
}

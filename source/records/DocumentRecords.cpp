#include "DocumentRecords.h"

#include "Globals.h"

namespace {

enum { ID_FRAME_RATE = 1001 };

}  // namespace

void RecordDocumentSettings(BaseDocument *doc) {
  if (!(ImportFlags & (IMPORT_MERGE | IMPORT_UPDATE)) || DocumentSettingsRecorded) return;
  if (doc->AddUndo(TH_UNDO_CHANGE, doc)) DocumentSettingsRecorded = TRUE;
}

Bool DocumentSettingsRecord::ReadDocumentSettingsRecord(BaseDocument *doc) {
  HostFile *f = CurrentImportFile;
  if (!f->ReadVector(&v[0]) || !f->ReadVector(&v[1]) || !f->ReadVector(&v[2]) || !f->ReadReal(&r1) ||
      !ReadLongs(i, 3) || !f->ReadReal(&r2) || !f->ReadVector(&v[3]) || !ReadLongs(i + 3, 1) || !ReadUChars(b, 12) ||
      !f->ReadLong(&frameRate) || !f->ReadReal(&p1) || !f->ReadReal(&p2) || !ReadLongs(i + 4, 4) || !ReadUChars(b + 12, 20) ||
      !Within())
    return FALSE;
  // The frame rate goes to the document as its general settings, as read.
  RecordDocumentSettings(doc);
  BaseContainer settings;
  settings.SetLong(ID_FRAME_RATE, frameRate);
  doc->SetData(0, settings);
  return TRUE;
}

Bool RenderSettingsRecord::ReadRenderSettingsRecord(BaseDocument *doc) {
  if (!ReadLongs(i, 15) || !ReadText(&t1, TEXT_BUFFER_SIZE - 1) || !ReadText(&t2, TEXT_BUFFER_SIZE - 1) ||
      !ReadLongs(i + 15, 7) || !ReadUChars(b, 2) || !ReadLongs(i + 22, 1) || !ReadReals(r, 1) || !ReadUChars(b + 2, 9) || !ReadReals(r + 1, 6) ||
      !ReadReals(p, 4) || !ReadLongs(i + 23, 3) || !Within())
    return FALSE;
  RenderData *rd = Held(RenderData::Alloc());
  if (!rd) return FALSE;
  if (!doc->InsertRenderData(rd, nullptr)) {
    RenderData::Free(rd);
    return FALSE;
  }
  if (ImportFlags & (IMPORT_MERGE | IMPORT_UPDATE)) doc->AddUndo(TH_UNDO_NEW, rd);
  return TRUE;
}

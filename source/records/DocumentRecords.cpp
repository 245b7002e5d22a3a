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
  HostFile *f = RecordFile();
  if (!f->ReadVector(&vectorsAt0[0]) || !f->ReadVector(&vectorsAt0[1]) || !f->ReadVector(&vectorsAt0[2]) ||
      !f->ReadReal(&fieldAt36) || !ReadLongs(longsAt40, 3) || !f->ReadReal(&fieldAt52) || !f->ReadVector(&fieldAt56) ||
      !ReadLongs(&fieldAt68, 1) || !ReadUChars(bytesAt72, 12) || !f->ReadLong(&frameRate) || !f->ReadReal(&fieldAt88) ||
      !f->ReadReal(&fieldAt92) || !ReadLongs(longsAt96, 4) || !ReadUChars(bytesAt112, 20) || !Within())
    return FALSE;
  // The frame rate goes to the document as its general settings, as read.
  RecordDocumentSettings(doc);
  BaseContainer settings;
  settings.SetLong(ID_FRAME_RATE, frameRate);
  doc->SetData(0, settings);
  return TRUE;
}

Bool RenderSettingsRecord::ReadRenderSettingsRecord(BaseDocument *doc) {
  if (!ReadLongs(longs, 15) || !ReadText(&firstText, TEXT_BUFFER_SIZE - 1) ||
      !ReadText(&secondText, TEXT_BUFFER_SIZE - 1) || !ReadLongs(longs + 15, 7) || !ReadUChars(bytes, 2) ||
      !ReadLongs(longs + 22, 1) || !ReadReals(reals, 1) || !ReadUChars(bytes + 2, 9) || !ReadReals(reals + 1, 6) ||
      !ReadReals(pairs, 4) || !ReadLongs(longs + 23, 3) || !Within())
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

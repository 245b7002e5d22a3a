// The two document-level records: 2000 document settings (the frame rate)
// and 4000 render settings (a new render-settings element).
#ifndef TESSARO_DOCUMENT_RECORDS_H
#define TESSARO_DOCUMENT_RECORDS_H

#include "RecordStream.h"

// Before the document's settings change: in the user's own document (merge
// and update) the change is recorded for undo, once per load.
void RecordDocumentSettings(BaseDocument *doc);

class DocumentSettingsRecord : public RecordReader {
 public:
  Bool ReadDocumentSettingsRecord(BaseDocument *doc);

  Vector v[4];
  Real r1 = 0, r2 = 0;
  LONG i[8] = {0};
  UCHAR b[32] = {0};
  LONG frameRate = 0;
  Real p1 = 0, p2 = 0;
};

class RenderSettingsRecord : public RecordReader {
 public:
  Bool ReadRenderSettingsRecord(BaseDocument *doc);

  LONG i[26] = {0};
  String t1, t2;
  UCHAR b[11] = {0};
  Real r[7] = {0};
  Real p[4] = {0};
};

#endif

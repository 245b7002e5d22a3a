// The two document-level records: 2000 document settings (the frame rate)
// and 4000 render settings (a new render-settings element).
#ifndef TESSARO_DOCUMENT_RECORDS_H
#define TESSARO_DOCUMENT_RECORDS_H

#include "RecordStream.h"

// Before the document's settings change: in the user's own document (merge
// and update) the change is recorded for undo, once per load.
void RecordDocumentSettings(BaseDocument *doc);

// 132 bytes, of which only the frame rate is used; the other fields are
// named by their offset in the record.
class DocumentSettingsRecord : public RecordReader {
 public:
  using RecordReader::RecordReader;
  Bool ReadDocumentSettingsRecord(BaseDocument *doc);

  Vector vectorsAt0[3];
  Real fieldAt36 = 0;
  LONG longsAt40[3] = {0};
  Real fieldAt52 = 0;
  Vector fieldAt56;
  LONG fieldAt68 = 0;
  UCHAR bytesAt72[12] = {0};
  LONG frameRate = 0;
  Real fieldAt88 = 0, fieldAt92 = 0;
  LONG longsAt96[4] = {0};
  UCHAR bytesAt112[20] = {0};
};

// Read whole and not used: the new render settings are the host's
// defaults. The texts make the offsets vary, so the fields are named by
// their kind and order.
class RenderSettingsRecord : public RecordReader {
 public:
  using RecordReader::RecordReader;
  Bool ReadRenderSettingsRecord(BaseDocument *doc);

  LONG longs[26] = {0};
  String firstText, secondText;
  UCHAR bytes[11] = {0};
  Real reals[7] = {0};
  Real pairs[4] = {0};
};

#endif

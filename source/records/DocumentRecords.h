// The two document-level records: 2000 document settings, 4000 render settings.
#ifndef TESSARO_DOCUMENT_RECORDS_H
#define TESSARO_DOCUMENT_RECORDS_H

#include "RecordStream.h"

class DocumentSettingsReader : public RecordReader {
 public:
  Bool Read(BaseDocument *doc);
};

class RenderSettingsReader : public RecordReader {
 public:
  Bool Read(BaseDocument *doc);
};

#endif

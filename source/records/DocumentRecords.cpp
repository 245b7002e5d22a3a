#include "DocumentRecords.h"

// Neither payload is read yet: the load's skip to the record's end passes
// over it, as over any record without a reader.
Bool DocumentSettingsReader::Read(BaseDocument *doc) {
  (void)doc;
  return FALSE;
}

Bool RenderSettingsReader::Read(BaseDocument *doc) {
  (void)doc;
  return FALSE;
}

#include "ObjectRecord.h"

// The object payload is not read yet; the load skips the record whole.
Bool ObjectRecordReader::ReadObjectRecord(BaseDocument *doc, BaseMaterial **materials, LONG materialCount,
                                          TagCarryList *carry) {
  (void)doc, (void)materials, (void)materialCount, (void)carry;
  return FALSE;
}

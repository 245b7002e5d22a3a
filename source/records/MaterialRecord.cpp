#include "MaterialRecord.h"

#include <string.h>

MaterialTable ImportMaterials;

// The material payload is not read yet; the load skips the record whole.
BaseMaterial *MaterialRecordReader::ReadMaterial(BaseDocument *doc, LONG index) {
  (void)doc, (void)index;
  return nullptr;
}

namespace {
Bool GrowTable(MaterialTable &t) {
  LONG limit = INT32_MAX / static_cast<LONG>(sizeof(BaseMaterial *));
  if (t.capacity > limit / 2) return FALSE;
  LONG capacity = t.capacity ? t.capacity * 2 : 256;
  void *grown = GeAlloc(capacity * static_cast<LONG>(sizeof(BaseMaterial *)));
  if (!grown) return FALSE;
  if (t.count) memcpy(grown, t.entries, t.count * sizeof(BaseMaterial *));
  GeFree(t.entries);
  t.entries = static_cast<BaseMaterial **>(grown);
  t.capacity = capacity;
  return TRUE;
}
}  // namespace

void AppendMaterial(BaseMaterial *mat) {
  MaterialTable &t = ImportMaterials;
  if (t.count == t.capacity && !GrowTable(t)) {
    // Not in the table, nothing would release it at the end of the load.
    if (!mat->GetDocument()) BaseMaterial::Free(mat);
    return;
  }
  t.entries[t.count++] = mat;
}

void ReleaseLooseMaterials(BaseDocument *doc) {
  (void)doc;
  MaterialTable &t = ImportMaterials;
  for (LONG i = 0; i < t.count; ++i) {
    if (!t.entries[i]->GetDocument()) BaseMaterial::Free(t.entries[i]);
  }
  GeFree(t.entries);
  t.count = 0;
  t.capacity = 0;
}

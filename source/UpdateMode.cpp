#include "UpdateMode.h"

#include "Globals.h"

BaseObject *FindUpdateTarget(BaseDocument *doc, LONG flags, const String &name, TagCarryList *list) {
  (void)list;
  if (!(flags & (IMPORT_GEOMETRY | IMPORT_CAMERAS | IMPORT_LIGHTS))) return doc->GetFirstObject();
  BaseObject *target = doc->GetFirstObject();
  while (target && !(target->GetName() == name)) target = target->GetNext();
  if (!target) return nullptr;
  doc->AddUndo(TH_UNDO_CHANGE, target);
  return target;
}

void ClearKind(BaseObject *parent, TagCarryList *list, LONG kind) {
  // Removing the chosen kind below the target arrives with the object
  // reader, which is what re-creates the removed objects.
  (void)parent, (void)list, (void)kind;
}

void ReleaseCarryList(TagCarryList *list) {
  for (LONG i = 0; i < list->count; ++i) BaseObject::Free(list->holders[i]);
  GeFree(list->holders);
  list->count = 0;
  list->capacity = 0;
}

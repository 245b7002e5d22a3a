// Update mode: the named top-level object whose children of one kind an
// import replaces, and the texture tags carried over to their namesakes.
#ifndef TESSARO_UPDATE_MODE_H
#define TESSARO_UPDATE_MODE_H

#include "c4d.h"

struct TagCarryList {
  LONG count = 0;
  LONG capacity = 0;
  BaseObject **holders = nullptr;  // holders of type Onull, owned by the list
};

BaseObject *FindUpdateTarget(BaseDocument *doc, LONG flags, const String &name, TagCarryList *list);
void ClearKind(BaseObject *parent, TagCarryList *list, LONG kind);
void ReleaseCarryList(TagCarryList *list);

#endif

// Update mode: the named top-level object whose children of one kind an
// import replaces, and the texture tags carried over to their namesakes.
#ifndef TESSARO_UPDATE_MODE_H
#define TESSARO_UPDATE_MODE_H

#include "c4d.h"

struct TagCarryList {
  LONG count = 0;
  LONG capacity = 0;
  BaseObject **holders = nullptr;  // holders of type Onull, owned by the list
  // The object last given a holder's tags: a later call for it copies
  // nothing, so no object ends with its tags twice over.
  BaseObject *restored = nullptr;
  // An index of the holders by name, so that finding the first holder of a
  // name does not walk the whole list for every new object: the holders'
  // positions sorted by name, then by position, over a copy of the names
  // (holder i's name is names[nameStart[i]] up to names[nameStart[i + 1]]).
  // A sorted index, not a hash: no choice of names can make it slow.
  // Built on first use.
  LONG *order = nullptr;
  LONG *nameStart = nullptr;
  char *names = nullptr;
  LONG indexed = 0;
};

// Finds the top-level object of the name and clears the chosen kinds below
// it; none when no kind bit 1, 4 or 8 is set or no object has the name.
BaseObject *FindUpdateTarget(BaseDocument *doc, LONG flags, const String &name, TagCarryList *list);
// Removes below parent (never parent itself) the childless objects of the
// type, and childless polygon objects without points; list (or none) keeps
// their texture tags.
void ClearKind(BaseObject *parent, TagCarryList *list, LONG kind);
// Gives a new object the texture tags and modes of a removed namesake.
Bool RestoreTags(BaseObject *op, TagCarryList *list);
void ReleaseCarryList(TagCarryList *list);

#endif

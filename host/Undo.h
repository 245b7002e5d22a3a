// Undo as a host has it: an entry of type 40 keeps a copy of the element as
// it was before the change, one of type 44 the element inserted; undoing a
// step restores the copies and removes the inserted elements, last entry
// first.
#ifndef TESSARO_HOST_UNDO_H
#define TESSARO_HOST_UNDO_H

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Model.h"

namespace tessaro {

class Host;

// A detached copy of the element and of everything it owns, made without
// recursion. The copies are no host elements: no handle reaches them.
// origins, when given, receives each copied element and its serial, and
// copies each copy, in the copy's tree order (the order ForEachInTree
// visits it).
std::unique_ptr<Element> CloneTree(const Element &root,
                                   std::vector<std::pair<const Element *, uint64_t>> *origins = nullptr,
                                   std::vector<Element *> *copies = nullptr);

// The entry AddUndo records for the element: for type 40, what undoing it
// needs of the element as it is now.
UndoEntry MakeUndoEntry(const Document &doc, int32_t type, Element &element);

// How many entries of the document's undo step (counted from the first)
// cannot be undone: their element is gone, or they keep nothing to restore
// (as entries written by earlier versions).
size_t EntriesThatCannotBeUndone(const Host &host, const Document &doc, size_t step);

// Undoes the document's last undo step and drops it. False, with why, when
// the document has no closed undo step; entries whose element no longer
// lives are passed over (they are counted in *skipped).
bool UndoLastStep(Host &host, Document &doc, std::string *why, size_t *skipped = nullptr);

}  // namespace tessaro

#endif

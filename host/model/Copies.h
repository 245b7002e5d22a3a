// Detached copies of elements, as undo keeps them, and restoring an
// element from one in place.
#ifndef TESSARO_HOST_MODEL_COPIES_H
#define TESSARO_HOST_MODEL_COPIES_H

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "Document.h"
#include "Element.h"

namespace tessaro {

class ElementRegistry;

// A detached copy of the element and of everything it owns, made without
// recursion. The copies are no registered elements: no handle reaches them.
// origins, when given, receives each copied element and its serial, and
// copies each copy, in the copy's tree order (the order ForEachInTree
// visits it).
std::unique_ptr<Element> CloneTree(const Element &root,
                                   std::vector<std::pair<const Element *, uint64_t>> *origins = nullptr,
                                   std::vector<Element *> *copies = nullptr);

// The entry AddUndo records for the element: for type 40, what undoing it
// needs of the element as it is now.
UndoEntry MakeUndoEntry(const Document &doc, int32_t type, Element &element);

// Gives e (an object or material of doc) back the state the entry's copy
// kept, in place, so that it keeps its identity (what links to it still
// does); what it owns now is replaced by registered copies of what it
// owned then, and a view that showed a copied object shows its new copy.
void RestoreFromCopy(Document &doc, Element &e, const UndoEntry &u, ElementRegistry &elements);

}  // namespace tessaro

#endif

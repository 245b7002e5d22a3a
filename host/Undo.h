// Undo as a host has it: an entry of type 40 keeps a copy of the element as
// it was before the change, one of type 44 the element inserted; undoing a
// step restores the copies and removes the inserted elements, last entry
// first. The copies and the restoring are the model's (Copies.h).
#ifndef TESSARO_HOST_UNDO_H
#define TESSARO_HOST_UNDO_H

#include <cstddef>
#include <string>

#include "Copies.h"
#include "Model.h"

namespace tessaro {

class Host;

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

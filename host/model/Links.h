// The model's own list operations: the only writers of the links
// (Element.h). Only the model's files include this; everything else places
// and takes out elements through the classes' methods, which check first.
#ifndef TESSARO_HOST_MODEL_LINKS_H
#define TESSARO_HOST_MODEL_LINKS_H

#include "Element.h"

namespace tessaro {

class Links {
 public:
  // Places e after pred (null: first) in list, owned by owner.
  static void Insert(ElementList &list, Element *owner, Element *e, Element *pred);
  // Takes e out of its list, if it stands in one.
  static void Unlink(Element *e);
  // Sets the document of e and of everything below it.
  static void SetDocument(Element *e, Document *doc);
  // Deletes the list's elements and everything below them, without
  // recursion however deep the tree is.
  static void Delete(ElementList &list);
};

}  // namespace tessaro

#endif

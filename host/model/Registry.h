// The elements that live. A pointer a plug-in hands back is an element only
// while it is registered here, and a weak link (an element and its serial)
// holds only while that element is.
#ifndef TESSARO_HOST_MODEL_REGISTRY_H
#define TESSARO_HOST_MODEL_REGISTRY_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_set>
#include <utility>

#include "Element.h"

namespace tessaro {

class ElementRegistry {
 public:
  ElementRegistry() = default;
  ElementRegistry(const ElementRegistry &) = delete;
  ElementRegistry &operator=(const ElementRegistry &) = delete;

  // A new element, registered.
  template <class T, class... A>
  T *Make(A &&...args) {
    return Adopt(std::make_unique<T>(std::forward<A>(args)...));
  }
  // Registers e and everything below it; the registry's user owns them
  // from now on (through a document, or as loose elements).
  template <class T>
  T *Adopt(std::unique_ptr<T> e) {
    Add(*e);
    return e.release();
  }
  void Add(Element &tree);
  // Unregisters tree and everything below it: no handle reaches them.
  void Forget(Element &tree);
  // Unregisters and deletes an element in no list, with all it owns.
  void Destroy(Element *tree);
  // Deletes the loose elements still registered, children with their
  // roots, and forgets every element.
  void DeleteLoose();

  bool Has(const void *p) const { return live_.count(static_cast<const Element *>(p)) != 0; }
  // e, while it lives with that serial; else null.
  const Element *Linked(const Element *e, uint64_t serial) const;
  // Registered elements in no document, documents aside.
  size_t Loose() const;

 private:
  std::unordered_set<const Element *> live_;
};

}  // namespace tessaro

#endif

#include "Registry.h"

#include <vector>

namespace tessaro {

void ElementRegistry::Add(Element &tree) {
  ForEachInTree(&tree, [&](Element *x) { live_.insert(x); });
}

void ElementRegistry::Forget(Element &tree) {
  ForEachInTree(&tree, [&](Element *x) { live_.erase(x); });
}

void ElementRegistry::Destroy(Element *tree) {
  Forget(*tree);
  delete tree;
}

void ElementRegistry::DeleteLoose() {
  std::vector<const Element *> roots;
  for (const Element *e : live_)
    if (!e->list) roots.push_back(e);
  live_.clear();
  for (const Element *e : roots) delete e;
}

const Element *ElementRegistry::Linked(const Element *e, uint64_t serial) const {
  if (!e || !live_.count(e) || e->serial != serial) return nullptr;
  return e;
}

size_t ElementRegistry::Loose() const {
  size_t n = 0;
  for (const Element *e : live_)
    if (e->kind != ElementKind::Document && !e->doc) ++n;
  return n;
}

}  // namespace tessaro

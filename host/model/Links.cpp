#include "Links.h"

#include <vector>

namespace tessaro {

ElementList::ElementList(Element *only) {
  first = only;
  last = only;
  count = 1;
}

void Links::Insert(ElementList &list, Element *owner, Element *e, Element *pred) {
  e->list = &list;
  e->owner = owner;
  e->pred = pred;
  e->next = pred ? pred->next : list.first;
  if (e->next) e->next->pred = e; else list.last = e;
  if (pred) pred->next = e; else list.first = e;
  list.count = list.count + 1;
  list.version = list.version + 1;
}

void Links::Unlink(Element *e) {
  ElementList *list = e->list;
  if (!list) return;
  if (e->pred) e->pred->next = e->next; else list->first = e->next;
  if (e->next) e->next->pred = e->pred; else list->last = e->pred;
  list->count = list->count - 1;
  list->version = list->version + 1;
  e->list = nullptr;
  e->owner = nullptr;
  e->pred = nullptr;
  e->next = nullptr;
}

void Links::SetDocument(Element *e, Document *doc) {
  ForEachInTree(e, [&](Element *x) { x->doc = doc; });
}

void Links::Delete(ElementList &list) {
  if (!list.first) return;
  std::vector<Element *> pending;
  auto take = [&](ElementList &from) {
    for (Element *c = from.first; c; c = c->next) pending.push_back(c);
    from.first = nullptr;
    from.last = nullptr;
    from.count = 0;
    from.version = 0;
  };
  take(list);
  // The lists below are emptied before their owner is deleted, so no
  // destructor recurses.
  while (!pending.empty()) {
    Element *e = pending.back();
    pending.pop_back();
    ForEachChildList(e, take);
    e->list = nullptr;
    delete e;
  }
}

}  // namespace tessaro

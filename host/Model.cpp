#include "Model.h"

#include <cstring>

namespace tessaro {

bool Value::operator==(const Value &o) const {
  if (type != o.type) return false;
  switch (type) {
    case Long: return l == o.l;
    case Real: return std::memcmp(&r, &o.r, sizeof r) == 0;
    case Vector: return std::memcmp(&v, &o.v, sizeof v) == 0;
    case Text: return s == o.s;
  }
  return false;
}

namespace {
void DeleteList(ElementList &list) {
  Element *e = list.first;
  while (e) {
    Element *next = e->next;
    e->list = nullptr;
    delete e;
    e = next;
  }
  list = ElementList{};
}
}  // namespace

Element::~Element() = default;
Object::~Object() {
  DeleteList(children);
  DeleteList(tags);
}
Document::~Document() {
  DeleteList(objects);
  DeleteList(materials);
}

bool Document::Pristine() const {
  return objects.count == 0 && materials.count == 0 && renderData == 0 && undo.empty() && fps == 30 &&
         maxTimeNum == 90 && maxTimeDen == 30;
}

void ListInsert(ElementList &list, Element *owner, Element *e, Element *pred) {
  e->list = &list;
  e->owner = owner;
  e->pred = pred;
  e->next = pred ? pred->next : list.first;
  if (e->next) e->next->pred = e; else list.last = e;
  if (pred) pred->next = e; else list.first = e;
  ++list.count;
}

void ListUnlink(Element *e) {
  ElementList *list = e->list;
  if (!list) return;
  if (e->pred) e->pred->next = e->next; else list->first = e->next;
  if (e->next) e->next->pred = e->pred; else list->last = e->pred;
  --list->count;
  e->list = nullptr;
  e->owner = nullptr;
  e->pred = e->next = nullptr;
}

void SetDocument(Element *e, Document *doc) {
  e->doc = doc;
  if (e->kind == ElementKind::Object) {
    auto *o = static_cast<Object *>(e);
    for (Element *c = o->children.first; c; c = c->next) SetDocument(c, doc);
    for (Element *t = o->tags.first; t; t = t->next) SetDocument(t, doc);
  }
}

const char *KindName(ElementKind k) {
  switch (k) {
    case ElementKind::Document: return "document";
    case ElementKind::Object: return "object";
    case ElementKind::Tag: return "tag";
    case ElementKind::Material: return "material";
  }
  return "element";
}

}  // namespace tessaro

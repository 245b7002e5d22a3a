#include "Model.h"

#include <climits>
#include <cstring>
#include <cmath>
#include <functional>
#include <iterator>

namespace tessaro {

bool Value::operator==(const Value &o) const {
  if (type != o.type) return false;
  switch (type) {
    case Long: return l == o.l;
    case Real: return std::memcmp(&r, &o.r, sizeof r) == 0;
    case Vector: return std::memcmp(&v, &o.v, sizeof v) == 0;
    case Text: return s == o.s;
    case Time: return t.numerator == o.t.numerator && t.denominator == o.t.denominator;
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

namespace {
uint64_t g_nextSerial = 1;
}

Element::Element(ElementKind k, int32_t t) : kind(k), type(t), serial(g_nextSerial++) {}
Element::~Element() = default;

size_t VariableTagEntrySize(int32_t type) {
  switch (type) {
    case 5600: return sizeof(th_vector);
    case 5604: return sizeof(th_polygon);
    case 5671: return sizeof(th_uvw);
    default: return 0;
  }
}

Tag *FindTag(const Object &o, int32_t type, int32_t nr) {
  for (Element *t = o.tags.first; t; t = t->next)
    if (t->type == type && nr-- == 0) return static_cast<Tag *>(t);
  return nullptr;
}

bool IsContainerKey(const std::string &key) {
  if (key.empty() || key.size() > 11) return false;
  size_t i = key[0] == '-' ? 1 : 0;
  if (i == key.size()) return false;
  for (; i < key.size(); ++i)
    if (key[i] < '0' || key[i] > '9') return false;
  long long v = std::stoll(key);
  return v >= INT32_MIN && v <= INT32_MAX && std::to_string(v) == key;
}

Container ContainerOf(const Element &e) {
  Container c;
  for (const auto &kv : e.params)
    if (IsContainerKey(kv.first)) c[static_cast<int32_t>(std::stol(kv.first))] = kv.second;
  return c;
}

void SetContainer(Element &e, const Container &c, bool add) {
  if (!add) {
    for (auto it = e.params.begin(); it != e.params.end();)
      it = IsContainerKey(it->first) ? e.params.erase(it) : std::next(it);
  }
  for (const auto &kv : c) e.params[std::to_string(kv.first)] = kv.second;
}
Object::~Object() {
  DeleteList(children);
  DeleteList(tags);
  DeleteList(tracks);
}
Track::~Track() { DeleteList(sequences); }
Sequence::~Sequence() { DeleteList(keys); }
Document::~Document() {
  DeleteList(objects);
  DeleteList(materials);
  DeleteList(renderData);
}

bool TimeLess(const th_time &a, const th_time &b) {
  if (a.numerator == b.numerator && a.denominator == b.denominator) return false;
  return std::floor(a.numerator * b.denominator) < std::floor(b.numerator * a.denominator);
}

Material::Material(int32_t t) : Element(ElementKind::Material, t) {
  if (t == 5703) {
    channels.resize(TH_CHANNEL_COUNT);
    // A new standard material shows its colour and specular channels.
    channels[0].state = 1;
    channels[8].state = 1;
  }
}

void CountMaterialName(Document *doc, const std::string &name, int delta) {
  if (!doc) return;
  size_t &n = doc->materialNames[name];
  n = delta > 0 ? n + 1 : (n > 0 ? n - 1 : 0);
  if (n == 0) doc->materialNames.erase(name);
}

bool Document::Pristine() const {
  return objects.count == 0 && materials.count == 0 && renderData.count == 0 && undo.empty() && fps == 30 &&
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

void ForEachChildList(Element *e, const std::function<void(ElementList &)> &f) {
  switch (e->kind) {
    case ElementKind::Object: {
      auto *o = static_cast<Object *>(e);
      f(o->children);
      f(o->tags);
      f(o->tracks);
      break;
    }
    case ElementKind::Track: f(static_cast<Track *>(e)->sequences); break;
    case ElementKind::Sequence: f(static_cast<Sequence *>(e)->keys); break;
    case ElementKind::Document: {
      auto *d = static_cast<Document *>(e);
      f(d->objects);
      f(d->materials);
      f(d->renderData);
      break;
    }
    default: break;
  }
}

void SetDocument(Element *e, Document *doc) {
  e->doc = doc;
  ForEachChildList(e, [&](ElementList &list) {
    for (Element *c = list.first; c; c = c->next) SetDocument(c, doc);
  });
}

const char *KindName(ElementKind k) {
  switch (k) {
    case ElementKind::Document: return "document";
    case ElementKind::Object: return "object";
    case ElementKind::Tag: return "tag";
    case ElementKind::Material: return "material";
    case ElementKind::Track: return "track";
    case ElementKind::Sequence: return "sequence";
    case ElementKind::Key: return "key";
    case ElementKind::RenderData: return "render settings";
  }
  return "element";
}

}  // namespace tessaro

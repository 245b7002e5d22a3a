#include "Model.h"

#include <climits>
#include <cstring>
#include <cmath>
#include <functional>
#include <iterator>
#include <vector>

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
// Deletes the list's elements and everything below them. The lists below
// are emptied before their owner is deleted, so no destructor recurses
// however deep the tree is.
void DeleteList(ElementList &list) {
  if (!list.first) return;
  std::vector<Element *> pending;
  for (Element *e = list.first; e; e = e->next) pending.push_back(e);
  list = ElementList{};
  while (!pending.empty()) {
    Element *e = pending.back();
    pending.pop_back();
    ForEachChildList(e, [&](ElementList &below) {
      for (Element *c = below.first; c; c = c->next) pending.push_back(c);
      below = ElementList{};
    });
    e->list = nullptr;
    delete e;
  }
}
}  // namespace

namespace {
uint64_t g_nextSerial = 1;
}

Element::Element(ElementKind k, int32_t t) : kind(k), type(t), serial(g_nextSerial++) {}

uint64_t NextSerial() { return g_nextSerial; }
Element::~Element() = default;

size_t VariableTagEntrySize(int32_t type) {
  switch (type) {
    case Tpoint: return sizeof(th_vector);
    case Tpolygon: return sizeof(th_polygon);
    case Tuvw: return sizeof(th_uvw);
    default: return 0;
  }
}

Tag *FindTag(const Object &o, int32_t type, int32_t nr) {
  if (nr < 0) return nullptr;
  Object::TagCursor &c = o.tagCursor;
  Element *t = o.tags.first;
  int32_t at = 0;  // the number of the next tag of the type from t on
  if (c.version == o.tags.version && c.type == type && c.nr <= nr) {
    if (c.nr == nr) return static_cast<Tag *>(c.tag);
    t = c.tag->next;
    at = c.nr + 1;
  }
  for (; t; t = t->next) {
    if (t->type != type) continue;
    if (at == nr) {
      c = Object::TagCursor{o.tags.version, type, nr, t};
      return static_cast<Tag *>(t);
    }
    ++at;
  }
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
  if (t == Mmaterial) {
    channels.resize(TH_CHANNEL_COUNT);
    // A new standard material shows its colour and specular channels.
    channels[0].state = 1;
    channels[8].state = 1;
  }
}

void MaterialNameTaken(Document *doc, Element *m) {
  if (!doc) return;
  MaterialName &n = doc->materialNames[m->name];
  // A namesake may stand before or after m: which is first is found when asked.
  n.first = n.count == 0 ? m : nullptr;
  ++n.count;
}

void MaterialNameLeft(Document *doc, Element *m, const std::string &name) {
  if (!doc) return;
  auto it = doc->materialNames.find(name);
  if (it == doc->materialNames.end()) return;
  MaterialName &n = it->second;
  if (n.first == m) n.first = nullptr;
  if (n.count > 1) {
    --n.count;
    return;
  }
  doc->materialNames.erase(it);
  // "BASE.k" is free again: BASE's search for a free suffix must see it.
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot + 1 == name.size() || name.size() - dot > 20) return;
  std::string digits = name.substr(dot + 1);
  if (digits[0] == '0' || digits.find_first_not_of("0123456789") != std::string::npos) return;
  auto base = doc->materialNames.find(name.substr(0, dot));
  if (base == doc->materialNames.end()) return;
  uint64_t k = std::stoull(digits);
  if (k < base->second.nextSuffix) base->second.nextSuffix = k;
}

Element *FirstMaterialNamed(Document *doc, const std::string &name) {
  auto it = doc->materialNames.find(name);
  if (it == doc->materialNames.end()) return nullptr;
  if (!it->second.first) {
    for (Element *e = doc->materials.first; e; e = e->next)
      if (e->name == name) {
        it->second.first = e;
        break;
      }
  }
  return it->second.first;
}

std::string UniqueMaterialName(Document *doc, const std::string &name) {
  auto it = doc->materialNames.find(name);
  if (it == doc->materialNames.end()) return name;
  for (uint64_t i = it->second.nextSuffix;; ++i) {
    std::string candidate = name + "." + std::to_string(i);
    if (!doc->materialNames.count(candidate)) {
      it->second.nextSuffix = i;
      return candidate;
    }
  }
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
  ++list.version;
}

void ListUnlink(Element *e) {
  ElementList *list = e->list;
  if (!list) return;
  if (e->pred) e->pred->next = e->next; else list->first = e->next;
  if (e->next) e->next->pred = e->pred; else list->last = e->pred;
  --list->count;
  ++list->version;
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

void ForEachInTree(Element *e, const std::function<void(Element *)> &f) {
  std::vector<Element *> pending{e};
  while (!pending.empty()) {
    Element *x = pending.back();
    pending.pop_back();
    f(x);
    // Pushed last to first, so that they come out in list order.
    std::vector<ElementList *> lists;
    ForEachChildList(x, [&](ElementList &list) { lists.push_back(&list); });
    for (auto l = lists.rbegin(); l != lists.rend(); ++l)
      for (Element *c = (*l)->last; c; c = c->pred) pending.push_back(c);
  }
}

void SetDocument(Element *e, Document *doc) {
  ForEachInTree(e, [&](Element *x) { x->doc = doc; });
}

namespace {
// Fractions of whole numbers up to 2^26 multiply exactly in a double, so
// for them the host's comparison is the exact one.
bool ExactTime(const th_time &t) {
  constexpr double kLimit = 67108864.0;
  return std::isfinite(t.numerator) && std::isfinite(t.denominator) && t.denominator > 0 &&
         t.denominator <= kLimit && std::fabs(t.numerator) <= kLimit && std::floor(t.numerator) == t.numerator &&
         std::floor(t.denominator) == t.denominator;
}

// Whether the order can place the time.
bool Orders(const TimeOrder &order, const th_time &t) {
  if (order.byProducts) return ExactTime(t);
  return t.denominator == order.den && std::isfinite(t.numerator);
}

// Indexes the sequence's keys by the order that fits all of them, if any.
void IndexKeys(Sequence &q) {
  q.keysIndexed = q.keys.version;
  q.keysIndexOk = false;
  TimeOrder order;
  const Element *first = q.keys.first;
  if (first) order.den = static_cast<const AnimationKey *>(first)->time.denominator;
  bool exact = true, sameDen = std::isfinite(order.den);
  for (const Element *e = first; e; e = e->next) {
    const th_time &t = static_cast<const AnimationKey *>(e)->time;
    exact = exact && ExactTime(t);
    sameDen = sameDen && t.denominator == order.den && std::isfinite(t.numerator);
  }
  if (!exact && !sameDen) {
    q.keysByTime.clear();
    return;
  }
  order.byProducts = exact;
  q.keysByTime = std::multimap<th_time, AnimationKey *, TimeOrder>(order);
  const th_time *previous = nullptr;
  for (Element *e = q.keys.first; e; e = e->next) {
    auto *k = static_cast<AnimationKey *>(e);
    if (previous && order(k->time, *previous)) {
      q.keysByTime.clear();
      return;
    }
    q.keysByTime.emplace_hint(q.keysByTime.end(), k->time, k);
    previous = &k->time;
  }
  q.keysIndexOk = true;
}
}  // namespace

void InsertKeyInTimeOrder(Sequence &q, AnimationKey *k) {
  if (q.keysIndexed != q.keys.version) IndexKeys(q);
  if (q.keysIndexOk && Orders(q.keysByTime.key_comp(), k->time)) {
    // The keys stand in time order: the walk from the end would stop at
    // the last key not later than k.
    auto place = q.keysByTime.upper_bound(k->time);
    Element *after = place == q.keysByTime.begin() ? nullptr : std::prev(place)->second;
    ListInsert(q.keys, &q, k, after);
    q.keysByTime.emplace_hint(place, k->time, k);
    q.keysIndexed = q.keys.version;
    return;
  }
  const bool wasIndexed = q.keysIndexOk;
  Element *after = q.keys.last;
  while (after && TimeLess(k->time, static_cast<AnimationKey *>(after)->time)) after = after->pred;
  ListInsert(q.keys, &q, k, after);
  // A key the index's order cannot place may fit the other order (a
  // fraction among keys of one denominator); at most twice per sequence.
  if (wasIndexed) {
    IndexKeys(q);
  } else {
    q.keysIndexed = q.keys.version;
  }
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

#include "Element.h"

#include <iterator>
#include <vector>

#include "Document.h"
#include "Links.h"
#include "Object.h"
#include "Tracks.h"

namespace tessaro {

namespace {
uint64_t g_nextSerial = 1;

// "1001.2" for a two-level ID.
std::string ParameterKey(const th_descid &id) {
  std::string key;
  for (int i = 0; i < id.count && i < 3; ++i) key += (i ? "." : "") + std::to_string(id.id[i]);
  return key;
}
}  // namespace

Element::Element(ElementKind k, int32_t t) : kind(k), type(t), serial(g_nextSerial++) {}

Element::~Element() = default;

uint64_t NextSerial() { return g_nextSerial; }

void Element::Rename(std::string newName) {
  Document *d = doc;
  const bool counted = kind == ElementKind::Material && list && d;
  if (counted) d->materialNames_.Left(this, name);
  name = std::move(newName);
  if (counted) d->materialNames_.Taken(this);
}

void Element::Remove() {
  if (kind == ElementKind::Document) return;
  Document *d = doc;
  if (kind == ElementKind::Material && list && d) d->materialNames_.Left(this, name);
  Links::Unlink(this);
  Links::SetDocument(this, nullptr);
}

Container Element::Data() const {
  Container c;
  for (const auto &kv : params)
    if (IsContainerKey(kv.first)) c[static_cast<int32_t>(std::stol(kv.first))] = kv.second;
  return c;
}

void Element::SetData(const Container &c, bool add) {
  if (!add) {
    for (auto it = params.begin(); it != params.end();)
      it = IsContainerKey(it->first) ? params.erase(it) : std::next(it);
  }
  for (const auto &kv : c) params[std::to_string(kv.first)] = kv.second;
}

const Value *Element::Parameter(const th_descid &id) const {
  auto it = params.find(ParameterKey(id));
  return it == params.end() ? nullptr : &it->second;
}

void Element::SetParameter(const th_descid &id, const Value &v) { params[ParameterKey(id)] = v; }

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

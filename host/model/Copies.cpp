#include "Copies.h"

#include "Links.h"
#include "Object.h"
#include "Registry.h"
#include "Tracks.h"

namespace tessaro {

namespace {

// The element's own fields, not its lists, on a new element of its kind.
Element *CopyOwn(const Element &e) {
  Element *c = nullptr;
  switch (e.kind) {
    case ElementKind::Object: {
      const auto &s = static_cast<const Object &>(e);
      auto *o = new Object(s.type);
      o->pos = s.pos, o->scale = s.scale, o->rot = s.rot, o->ml = s.ml;
      o->editorMode = s.editorMode, o->renderMode = s.renderMode;
      o->spline = s.spline, o->splineType = s.splineType, o->splinePointCount = s.splinePointCount;
      o->camera = s.camera, o->focus = s.focus, o->aperture = s.aperture, o->projection = s.projection;
      c = o;
      break;
    }
    case ElementKind::Tag: {
      const auto &s = static_cast<const Tag &>(e);
      auto *t = new Tag(s.type);
      t->payload = s.payload;
      t->entries = s.entries;
      t->pos = s.pos, t->scale = s.scale, t->rot = s.rot, t->ml = s.ml;
      t->material = s.material, t->materialSerial = s.materialSerial;
      c = t;
      break;
    }
    case ElementKind::Material: {
      const auto &s = static_cast<const Material &>(e);
      auto *m = new Material(s.type);
      m->channels = s.channels;
      m->updates = s.updates;
      c = m;
      break;
    }
    case ElementKind::Track: c = new Track(static_cast<const Track &>(e).id); break;
    case ElementKind::Sequence: {
      const auto &s = static_cast<const Sequence &>(e);
      auto *q = new Sequence(s.type);
      q->start = s.start, q->end = s.end;
      c = q;
      break;
    }
    case ElementKind::Key: {
      const auto &s = static_cast<const AnimationKey &>(e);
      auto *k = new AnimationKey(s.type);
      k->time = s.time;
      for (int i = 0; i < 3; ++i) k->data[i] = s.data[i];
      c = k;
      break;
    }
    case ElementKind::RenderData: c = new RenderData; break;
    case ElementKind::Document: return nullptr;
  }
  c->name = e.name;
  c->bits = e.bits;
  c->params = e.params;
  return c;
}

std::vector<ElementList *> ListsOf(Element *e) {
  std::vector<ElementList *> lists;
  ForEachChildList(e, [&](ElementList &l) { lists.push_back(&l); });
  return lists;
}

}  // namespace

std::unique_ptr<Element> CloneTree(const Element &root, std::vector<std::pair<const Element *, uint64_t>> *origins,
                                   std::vector<Element *> *copies) {
  std::unique_ptr<Element> top(CopyOwn(root));
  if (!top) return nullptr;
  // Copied in the order ForEachInTree visits: each element, then the
  // lists it owns, each in list order.
  std::vector<std::pair<const Element *, Element *>> pending{{&root, top.get()}};
  while (!pending.empty()) {
    auto [source, copy] = pending.back();
    pending.pop_back();
    if (origins) origins->push_back({source, source->serial});
    if (copies) copies->push_back(copy);
    const std::vector<ElementList *> from = ListsOf(const_cast<Element *>(source)), to = ListsOf(copy);
    std::vector<std::pair<const Element *, Element *>> below;
    for (size_t i = 0; i < from.size() && i < to.size(); ++i)
      for (const Element *x = from[i]->first; x; x = x->next) {
        Element *c = CopyOwn(*x);
        Links::Insert(*to[i], copy, c, to[i]->last);
        below.push_back({x, c});
      }
    for (auto b = below.rbegin(); b != below.rend(); ++b) pending.push_back(*b);
  }
  return top;
}

UndoEntry MakeUndoEntry(const Document &doc, int32_t type, Element &element) {
  UndoEntry u;
  u.type = type;
  u.kind = KindName(element.kind);
  u.name = element.name;
  u.element = &element;
  u.serial = element.serial;
  if (type != TH_UNDO_CHANGE) return u;
  if (element.kind == ElementKind::Document) {
    u.settings = true;
    u.fps = doc.fps;
    u.maxTimeNum = doc.maxTimeNum;
    u.maxTimeDen = doc.maxTimeDen;
  } else {
    u.before = CloneTree(element, &u.origins);
  }
  return u;
}

void RestoreFromCopy(Document &doc, Element &e, const UndoEntry &u, ElementRegistry &elements) {
  std::vector<Element *> fresh;
  std::unique_ptr<Element> copy = CloneTree(*u.before, nullptr, &fresh);
  e.type = copy->type;
  e.Rename(copy->name);
  e.bits = copy->bits;
  e.params = copy->params;
  if (e.kind == ElementKind::Object) {
    auto &o = static_cast<Object &>(e);
    const auto &c = static_cast<const Object &>(*copy);
    o.pos = c.pos, o.scale = c.scale, o.rot = c.rot, o.ml = c.ml;
    o.editorMode = c.editorMode, o.renderMode = c.renderMode;
    o.spline = c.spline, o.splineType = c.splineType, o.splinePointCount = c.splinePointCount;
    o.camera = c.camera, o.focus = c.focus, o.aperture = c.aperture, o.projection = c.projection;
  } else if (e.kind == ElementKind::Material) {
    auto &m = static_cast<Material &>(e);
    const auto &c = static_cast<const Material &>(*copy);
    m.channels = c.channels;
    m.updates = c.updates;
  }
  const std::vector<ElementList *> to = ListsOf(&e), from = ListsOf(copy.get());
  for (ElementList *list : to)
    while (list->first) {
      Element *x = list->first;
      Links::Unlink(x);
      elements.Destroy(x);
    }
  for (size_t i = 0; i < to.size() && i < from.size(); ++i)
    while (from[i]->first) {
      Element *x = from[i]->first;
      Links::Unlink(x);
      Links::Insert(*to[i], &e, x, to[i]->last);
      Links::SetDocument(x, &doc);
      elements.Add(*x);
    }
  // The copies come out of CloneTree in the order the entry's origins were taken.
  for (View &v : doc.views)
    for (size_t i = 1; i < u.origins.size() && i < fresh.size(); ++i)
      if (v.camera == u.origins[i].first && v.cameraSerial == u.origins[i].second) {
        v.LookThrough(fresh[i]);
        break;
      }
}

}  // namespace tessaro

#include "Object.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "Links.h"
#include "Registry.h"
#include "Tracks.h"

namespace tessaro {

void Tag::LinkMaterial(const Element *m) {
  material = m;
  materialSerial = m ? m->serial : 0;
}

bool Tag::GetUvw(int32_t i, th_uvw *out) const {
  if (type != Tuvw || i < 0 || i >= entries) return false;
  std::memcpy(out, payload.data() + sizeof(th_uvw) * static_cast<size_t>(i), sizeof(th_uvw));
  return true;
}

bool Tag::SetUvw(int32_t i, const th_uvw &in) {
  if (type != Tuvw || i < 0 || i >= entries) return false;
  std::memcpy(payload.data() + sizeof(th_uvw) * static_cast<size_t>(i), &in, sizeof(th_uvw));
  return true;
}

bool Tag::SetUvwRun(int32_t first, int32_t count, const th_uvw *in) {
  if (type != Tuvw || first < 0 || count < 0 || count > entries - first) return false;
  if (count) std::memcpy(payload.data() + sizeof(th_uvw) * static_cast<size_t>(first), in, sizeof(th_uvw) * count);
  return true;
}

bool Tag::Resize(int32_t count) {
  const size_t entry = VariableTagEntrySize(type);
  if (entry == 0 || count < 0 || entry * static_cast<uint64_t>(count) > INT32_MAX) return false;
  const size_t bytes = entry * static_cast<size_t>(count), old = payload.size(), room = payload.capacity();
  if (bytes > room) {
    // A fresh block comes zeroed.
    try {
      payload.reserve(std::min<size_t>(std::max(bytes, 2 * room), INT32_MAX / entry * entry));
    } catch (const std::bad_alloc &) {
      return false;
    }
  } else if (bytes > old) {
    // Room a shrink gave back may still hold old entries.
    std::memset(payload.data() + old, 0, bytes - old);
  }
  payload.resize(bytes);
  entries = count;
  return true;
}

size_t VariableTagEntrySize(int32_t type) {
  switch (type) {
    case Tpoint: return sizeof(th_vector);
    case Tpolygon: return sizeof(th_polygon);
    case Tuvw: return sizeof(th_uvw);
    default: return 0;
  }
}

Object::~Object() {
  Links::Delete(children);
  Links::Delete(tags);
  Links::Delete(tracks);
}

std::unique_ptr<Object> Object::Spline(int32_t splineType, int32_t pointCount) {
  auto o = std::make_unique<Object>(Ospline);
  o->spline = true;
  o->splineType = splineType;
  o->splinePointCount = pointCount;
  return o;
}

std::unique_ptr<Object> Object::Camera() {
  auto o = std::make_unique<Object>(Ocamera);
  o->camera = true;
  return o;
}

Tag *Object::FindTag(int32_t type, int32_t nr) const {
  if (nr < 0) return nullptr;
  TagCursor &c = tagCursor_;
  Element *t = tags.first;
  int32_t at = 0;  // the number of the next tag of the type from t on
  if (c.version == tags.version && c.type == type && c.nr <= nr) {
    if (c.nr == nr) return static_cast<Tag *>(c.tag);
    t = c.tag->next;
    at = c.nr + 1;
  }
  for (; t; t = t->next) {
    if (t->type != type) continue;
    if (at == nr) {
      c = TagCursor{tags.version, type, nr, t};
      return static_cast<Tag *>(t);
    }
    ++at;
  }
  return nullptr;
}

Refusal Object::InsertTag(Element &t, Element *pred) {
  if (t.kind != ElementKind::Tag || t.list) return Refusal::NotLoose;
  if (pred && !HoldsTag(pred)) return Refusal::PredecessorElsewhere;
  Links::Insert(tags, this, &t, pred);
  Links::SetDocument(&t, doc);
  return Refusal::None;
}

Tag *Object::AddTag(ElementRegistry &elements, int32_t type, Element *pred) {
  Tag *t = elements.Make<Tag>(type);
  InsertTag(*t, pred);
  return t;
}

Tag *Object::AddVariableTag(ElementRegistry &elements, int32_t type, int32_t count, Element *pred) {
  const size_t entry = VariableTagEntrySize(type);
  // Like a 32-bit host, no tag's data exceeds what a signed 32-bit size can hold.
  if (entry == 0 || count < 0 || entry * static_cast<uint64_t>(count) > INT32_MAX) return nullptr;
  for (Element *t = tags.first; t; t = t->next) {
    if (t->type == type && t != pred) {
      Links::Unlink(t);
      elements.Destroy(t);
      break;
    }
  }
  decltype(Tag::payload) payload(entry * static_cast<size_t>(count));
  Tag *t = AddTag(elements, type, pred);
  t->payload.swap(payload);
  t->entries = count;
  return t;
}

void Object::SetPhong(ElementRegistry &elements, bool on, bool angleLimit, float angle) {
  for (Element *t = tags.first; t;) {
    Element *next = t->next;
    if (t->type == Tphong) {
      Links::Unlink(t);
      elements.Destroy(t);
    }
    t = next;
  }
  if (!on) return;
  Tag *t = AddTag(elements, Tphong, nullptr);
  t->params["1001"] = Value::OfLong(angleLimit ? 1 : 0);
  t->params["1002"] = Value::OfReal(angle);
}

Refusal Object::InsertTrack(Element &t, Element *pred) {
  if (t.kind != ElementKind::Track || t.list) return Refusal::NotLoose;
  if (pred && pred->list != &tracks) return Refusal::PredecessorElsewhere;
  Links::Insert(tracks, this, &t, pred ? pred : static_cast<Element *>(tracks.last));
  Links::SetDocument(&t, doc);
  return Refusal::None;
}

Track *Object::FindTrack(const th_descid &id) const {
  for (Element *t = tracks.first; t; t = t->next)
    if (static_cast<Track *>(t)->Identifies(id)) return static_cast<Track *>(t);
  return nullptr;
}

}  // namespace tessaro

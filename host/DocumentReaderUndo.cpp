// The document file's undo steps: each entry's element (found by
// positions once the document is read), the copy a type-40 entry kept
// (read into a document of the reader's own, then detached) and the views
// that followed that copy's objects.
#include <unordered_map>

#include "DocumentReader.h"

namespace tessaro {

bool DocumentReader::UndoValue(const Json &v, const std::string &at, Document *doc) {
  if (!v.IsArray()) return Fail(at, "expected a list of undo steps");
  for (rapidjson::SizeType i = 0; i < v.Size(); ++i) {
    std::string step = at + "/" + std::to_string(i);
    if (!v[i].IsArray()) return Fail(step, "expected a list of undo entries");
    doc->undo.emplace_back();
    for (rapidjson::SizeType j = 0; j < v[i].Size(); ++j) {
      std::string e = step + "/" + std::to_string(j);
      const Json &entry = v[i][j];
      UndoEntry u;
      if (!Keys(entry, e, {"type", "kind", "name", "element", "before", "views"})) return false;
      if (!entry.HasMember("type") || !Int(entry["type"], e + "/type", &u.type)) return Fail(e, "needs a type");
      if (entry.HasMember("kind") && !String(entry["kind"], e + "/kind", &u.kind)) return false;
      if (entry.HasMember("name") && !String(entry["name"], e + "/name", &u.name)) return false;
      if (entry.HasMember("element") && !ElementReference(entry["element"], e + "/element", i, j)) return false;
      if (entry.HasMember("before") && !BeforeValue(entry["before"], e + "/before", &u, i, j)) return false;
      if (entry.HasMember("views") && !EntryViews(entry["views"], e + "/views", i, j)) return false;
      doc->undo.back().push_back(std::move(u));
    }
  }
  return true;
}

// An undo entry's element, found once the document is read.
bool DocumentReader::ElementReference(const Json &v, const std::string &at, size_t step, size_t entry) {
  if (v.IsNull()) return true;
  PendingElement p{step, entry, ElementKind::Document, {}, at};
  if (v.IsString() && std::string(v.GetString()) == "document") {
    pendingElements_.push_back(p);
    return true;
  }
  if (!v.IsObject() || v.MemberCount() != 1) return Fail(at, "expected \"document\" or one kind of element");
  const std::string key = v.MemberBegin()->name.GetString();
  const Json &where = v.MemberBegin()->value;
  if (key == "object") {
    p.kind = ElementKind::Object;
    if (!where.IsArray() || where.Empty()) return Fail(at, "expected the object's positions from the top level down");
    for (rapidjson::SizeType k = 0; k < where.Size(); ++k) {
      if (!where[k].IsInt() || where[k].GetInt() < 0) return Fail(at, "expected positions from 0");
      p.positions.push_back(where[k].GetInt());
    }
  } else if (key == "material" || key == "renderData") {
    p.kind = key == "material" ? ElementKind::Material : ElementKind::RenderData;
    if (!where.IsInt() || where.GetInt() < 0) return Fail(at, "expected a position from 0");
    p.positions.push_back(where.GetInt());
  } else {
    return Fail(at, "unknown kind of element \"" + key + "\"");
  }
  pendingElements_.push_back(p);
  return true;
}

// What a type-40 entry kept: the document's settings, or a copy of an
// object (with its tags, tracks and children) or of a material. The
// copies are read into a document of their own and taken out of it once
// their texture tags are linked to the document's materials.
bool DocumentReader::BeforeValue(const Json &v, const std::string &at, UndoEntry *u, size_t step, size_t entry) {
  if (!v.IsObject()) return Fail(at, "expected an object");
  if (v.HasMember("fps") || v.HasMember("maxTime")) {
    if (!Keys(v, at, {"fps", "maxTime"})) return false;
    if (!v.HasMember("fps") || !v.HasMember("maxTime")) return Fail(at, "the document's settings need fps and maxTime");
    u->settings = true;
    if (!Int(v["fps"], at + "/fps", &u->fps)) return false;
    const Json &t = v["maxTime"];
    if (!t.IsArray() || t.Size() != 2) return Fail(at + "/maxTime", "expected two numbers");
    return Double(t[0], at + "/maxTime/0", &u->maxTimeNum) && Double(t[1], at + "/maxTime/1", &u->maxTimeDen);
  }
  if (!Keys(v, at, {"object", "material"}) || v.MemberCount() != 1) return Fail(at, "expected one object or material");
  if (v.HasMember("object")) {
    if (!ObjectValue(v["object"], at + "/object", &copies_, nullptr, 0)) return false;
  } else if (!MaterialValue(v["material"], at + "/material", &copies_)) {
    return false;
  }
  pendingCopies_.push_back({step, entry, v.HasMember("object") ? copies_.objects.last : copies_.materials.last});
  return true;
}

// Which views showed which object of the entry's copy: [view, position
// in the copy's tree order] pairs.
bool DocumentReader::EntryViews(const Json &v, const std::string &at, size_t step, size_t entry) {
  if (!v.IsArray()) return Fail(at, "expected a list of [view, object] pairs");
  for (rapidjson::SizeType k = 0; k < v.Size(); ++k) {
    const Json &pair = v[k];
    if (!pair.IsArray() || pair.Size() != 2 || !pair[0].IsInt() || !pair[1].IsInt() || pair[0].GetInt() < 0 ||
        pair[1].GetInt() < 1 || pair[0].GetInt() >= 16)
      return Fail(at + "/" + std::to_string(k), "expected a view from 0 to 15 and a position from 1");
    pendingEntryViews_.push_back({step, entry, static_cast<size_t>(pair[0].GetInt()),
                                  static_cast<size_t>(pair[1].GetInt()), at + "/" + std::to_string(k)});
  }
  return true;
}

// Gives each undo entry its element and its copy, and the views their
// copies' objects.
bool DocumentReader::LinkUndo(Document *doc) {
  return LinkUndoElements(doc) && TakeCopies(doc) && LinkEntryViews(doc);
}

bool DocumentReader::LinkUndoElements(Document *doc) {
  std::unordered_map<const ElementList *, std::vector<Element *>> lists;
  auto at = [&](const ElementList &list, int position) -> Element * {
    auto it = lists.find(&list);
    if (it == lists.end()) {
      std::vector<Element *> all;
      for (Element *x = list.first; x; x = x->next) all.push_back(x);
      it = lists.emplace(&list, std::move(all)).first;
    }
    return static_cast<size_t>(position) < it->second.size() ? it->second[static_cast<size_t>(position)] : nullptr;
  };
  for (const PendingElement &p : pendingElements_) {
    Element *found = nullptr;
    if (p.kind == ElementKind::Document) {
      found = doc;
    } else if (p.kind == ElementKind::Object) {
      const ElementList *list = &doc->objects;
      for (int position : p.positions) {
        found = at(*list, position);
        if (!found) break;
        list = &static_cast<Object *>(found)->children;
      }
    } else {
      found = at(p.kind == ElementKind::Material ? doc->materials : doc->renderData, p.positions[0]);
    }
    if (!found) return Fail(p.at, "the document has no such element");
    UndoEntry &u = doc->undo[p.step][p.entry];
    if (u.settings != (found == doc)) return Fail(p.at, "the document's settings belong to the document alone");
    u.element = found;
    u.serial = found->serial;
  }
  return true;
}

// The copies leave the reader's document and the host's elements, as
// copies kept for undo are none.
bool DocumentReader::TakeCopies(Document *doc) {
  for (const PendingCopy &c : pendingCopies_) {
    Element *copy = c.copy;
    const UndoEntry &u = doc->undo[c.step][c.entry];
    if (u.element && u.element->kind != copy->kind)
      return Fail("/undo/" + std::to_string(c.step) + "/" + std::to_string(c.entry),
                  "what it kept is of another kind than its element");
    copy->Remove();
    elements_.Forget(*copy);
    doc->undo[c.step][c.entry].before.reset(copy);
  }
  pendingCopies_.clear();
  return true;
}

// The views' cameras as the document now has them, where they are objects
// of an entry's copy: restored, the views follow the copies.
bool DocumentReader::LinkEntryViews(Document *doc) {
  std::unordered_map<const Element *, size_t> sizes;
  for (const PendingEntryView &p : pendingEntryViews_) {
    UndoEntry &u = doc->undo[p.step][p.entry];
    if (!u.before) return Fail(p.at, "the entry keeps no copy for the view to follow");
    auto size = sizes.find(u.before.get());
    if (size == sizes.end()) {
      size_t n = 0;
      ForEachInTree(const_cast<Element *>(u.before.get()), [&](Element *) { ++n; });
      size = sizes.emplace(u.before.get(), n).first;
    }
    if (p.position >= size->second) return Fail(p.at, "the entry's copy has no element at that position");
    if (p.view >= doc->views.size() || !doc->views[p.view].camera) continue;
    if (u.origins.size() <= p.position) u.origins.resize(p.position + 1, {nullptr, 0});
    u.origins[p.position] = {doc->views[p.view].camera, doc->views[p.view].cameraSerial};
  }
  return true;
}

}  // namespace tessaro

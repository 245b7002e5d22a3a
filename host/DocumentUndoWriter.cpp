// The document file's undo list: each entry with where the reader finds
// its element again and what it restores.
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "DocumentWriting.h"
#include "Host.h"

namespace tessaro {
namespace docwrite {

namespace {

// Where the reader finds an undo entry's element again: its positions in
// the lists from the document down. Each list is counted once, when first
// asked about, so that many entries cost no more than one walk.
class Positions {
 public:
  int Of(const Element *e) {
    if (!counted_.count(e->list)) {
      counted_.insert(e->list);
      int at = 0;
      for (const Element *x = e->list->first; x; x = x->next) at_[x] = at++;
    }
    return at_.at(e);
  }

 private:
  std::unordered_set<const ElementList *> counted_;
  std::unordered_map<const Element *, int> at_;
};

void WriteUndoEntry(Writer &w, const Document &doc, const UndoEntry &u, Positions &positions,
                    MaterialRefs &materials) {
  w.StartObject();
  Key(w, "type");
  w.Int(u.type);
  Key(w, "kind");
  Str(w, u.kind);
  Key(w, "name");
  Str(w, u.name);
  Key(w, "element");
  const Element *e = Host::Get().LinkedObject(u.element, u.serial);
  if (e == &doc) {
    Str(w, "document");
  } else if (e && e->doc == &doc && e->list && e->kind == ElementKind::Object) {
    std::vector<int> path;
    for (const Element *x = e; x; x = x->owner) path.push_back(positions.Of(x));
    w.StartObject();
    Key(w, "object");
    w.StartArray();
    for (auto p = path.rbegin(); p != path.rend(); ++p) w.Int(*p);
    w.EndArray();
    w.EndObject();
  } else if (e && e->doc == &doc && e->list && (e->kind == ElementKind::Material || e->kind == ElementKind::RenderData)) {
    w.StartObject();
    Key(w, e->kind == ElementKind::Material ? "material" : "renderData");
    w.Int(positions.Of(e));
    w.EndObject();
  } else {
    w.Null();
  }
  if (u.settings) {
    Key(w, "before");
    w.StartObject();
    Key(w, "fps");
    w.Int(u.fps);
    Key(w, "maxTime");
    w.StartArray();
    Double(w, u.maxTimeNum);
    Double(w, u.maxTimeDen);
    w.EndArray();
    w.EndObject();
  } else if (u.before && (u.before->kind == ElementKind::Object || u.before->kind == ElementKind::Material)) {
    Key(w, "before");
    w.StartObject();
    if (u.before->kind == ElementKind::Object) {
      Key(w, "object");
      ElementList single(const_cast<Element *>(u.before.get()));
      WriteObjects(w, single, materials);
    } else {
      Key(w, "material");
      WriteMaterial(w, static_cast<const Material &>(*u.before));
    }
    w.EndObject();
  }
  // A view that shows one of the objects the copy stands for follows the
  // copy when it is restored, also in a later run.
  std::vector<std::pair<size_t, size_t>> views;
  for (size_t v = 0; v < doc.views.size(); ++v) {
    const Element *cam = Host::Get().LinkedObject(doc.views[v].camera, doc.views[v].cameraSerial);
    if (!cam || cam->doc != &doc) continue;
    for (size_t i = 1; i < u.origins.size(); ++i)
      if (u.origins[i].first == cam && u.origins[i].second == cam->serial) {
        views.push_back({v, i});
        break;
      }
  }
  if (!views.empty()) {
    Key(w, "views");
    w.StartArray();
    for (const auto &p : views) {
      w.StartArray();
      w.Uint64(p.first);
      w.Uint64(p.second);
      w.EndArray();
    }
    w.EndArray();
  }
  w.EndObject();
}

}  // namespace

void WriteUndoSteps(Writer &w, const Document &doc, MaterialRefs &materials) {
  Positions positions;
  for (const auto &step : doc.undo) {
    w.StartArray();
    for (const UndoEntry &e : step) WriteUndoEntry(w, doc, e, positions, materials);
    w.EndArray();
  }
}

}  // namespace docwrite
}  // namespace tessaro

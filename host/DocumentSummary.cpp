// The document's summary for people: the object tree, the materials and
// the document's settings.
#include "DocumentFile.h"

#include <algorithm>

#include "Host.h"
#include "Text.h"

namespace tessaro {

namespace {
const char *TypeName(int32_t type) {
  switch (type) {
    case Opolygon: return "polygon object";
    case Ospline: return "spline";
    case Olight: return "light";
    case Ocamera: return "camera";
    case Onull: return "null object";
    case Tpoint: return "points";
    case Tpolygon: return "polygons";
    case Tphong: return "phong";
    case Ttexture: return "texture";
    case Tuvw: return "UVW";
    default: return nullptr;
  }
}

std::string Describe(int32_t type) {
  const char *name = TypeName(type);
  return name ? std::string(name) + " (" + std::to_string(type) + ")" : "type " + std::to_string(type);
}

void SummariseObject(const Object &o, size_t depth, std::FILE *out) {
  // Indented by depth, up to a limit: a deep hierarchy keeps its lines short.
  std::string line(std::min<size_t>(depth, 31) * 2 + 2, ' ');
  line += "\"" + Printable(o.name) + "\": " + Describe(o.type);
  for (const Element *t = o.tags.first; t; t = t->next) {
    const auto &tag = static_cast<const Tag &>(*t);
    if (tag.type == Tpoint) line += ", " + std::to_string(tag.entries) + " points";
    else if (tag.type == Tpolygon) line += ", " + std::to_string(tag.entries) + " polygons";
  }
  if (o.tags.count) line += ", " + std::to_string(o.tags.count) + (o.tags.count == 1 ? " tag" : " tags");
  if (o.tracks.count) {
    size_t keys = 0;
    for (const Element *t = o.tracks.first; t; t = t->next)
      for (const Element *q = static_cast<const Track *>(t)->sequences.first; q; q = q->next)
        keys += static_cast<const Sequence *>(q)->keys.count;
    line += ", " + std::to_string(o.tracks.count) + " tracks with " + std::to_string(keys) + " keys";
  }
  std::fprintf(out, "%s\n", line.c_str());
}

// Calls f with every object of the list and below, parents first, with its
// depth; without recursion.
template <class F>
void ForEachObject(const ElementList &list, F f) {
  std::vector<std::pair<const Element *, size_t>> pending;
  for (const Element *e = list.last; e; e = e->pred) pending.push_back({e, 0});
  while (!pending.empty()) {
    auto [e, depth] = pending.back();
    pending.pop_back();
    const auto &o = static_cast<const Object &>(*e);
    f(o, depth);
    for (const Element *c = o.children.last; c; c = c->pred) pending.push_back({c, depth + 1});
  }
}
}  // namespace

void WriteSummary(const Document &doc, std::FILE *out) {
  // The document is named after its file: UTF-8 already, from the system.
  std::fprintf(out, "document \"%s\"\n", EscapeControls(doc.name).c_str());
  size_t objects = 0;
  ForEachObject(doc.objects, [&](const Object &, size_t) { ++objects; });
  std::fprintf(out, "objects: %zu\n", objects);
  ForEachObject(doc.objects, [&](const Object &o, size_t depth) { SummariseObject(o, depth, out); });
  std::fprintf(out, "materials: %zu\n", static_cast<size_t>(doc.materials.count));
  for (const Element *m = doc.materials.first; m; m = m->next)
    std::fprintf(out, "  \"%s\"\n", Printable(m->name).c_str());
  std::fprintf(out, "frame rate: %d\n", doc.fps);
  std::fprintf(out, "end time: %g s\n", doc.maxTimeDen != 0 ? doc.maxTimeNum / doc.maxTimeDen : 0.0);
  std::fprintf(out, "render settings: %zu\n", static_cast<size_t>(doc.renderData.count));
  const Element *cam = doc.views.empty() ? nullptr : Host::Get().LinkedObject(doc.views[0].camera, doc.views[0].cameraSerial);
  std::fprintf(out, "view 0 camera: %s\n", cam && cam->doc == &doc ? ("\"" + Printable(PathOf(cam)) + "\"").c_str() : "none");
}

}  // namespace tessaro

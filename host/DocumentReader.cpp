// The document file's reader: a user's document, and the undo steps and
// copies a document file keeps.
#include "DocumentFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unordered_map>
#include <vector>

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>

#include "Output.h"
#include "Path.h"
#include "Text.h"

namespace tessaro {

namespace {

class Reader {
 public:
  Reader(Host &host, std::string file) : host_(host), file_(std::move(file)) {}

  bool Fail(const std::string &where, const std::string &what) {
    if (error_.empty()) error_ = "cannot read document '" + file_ + "': " + where + ": " + what;
    return false;
  }
  const std::string &Error() const { return error_; }

  bool Keys(const rapidjson::Value &v, const std::string &at, std::initializer_list<const char *> known) {
    if (!v.IsObject()) return Fail(at, "expected an object");
    for (auto it = v.MemberBegin(); it != v.MemberEnd(); ++it) {
      bool ok = false;
      const std::string name(it->name.GetString(), it->name.GetStringLength());
      for (const char *k : known) ok = ok || name == k;
      if (!ok) return Fail(at, "unknown key \"" + name + "\"");
    }
    return true;
  }

  bool Int(const rapidjson::Value &v, const std::string &at, int32_t *out) {
    if (!v.IsInt()) return Fail(at, "expected an integer");
    *out = v.GetInt();
    return true;
  }
  bool RealValue(const rapidjson::Value &v, const std::string &at, float *out) {
    if (v.IsString()) {
      std::string s = v.GetString();
      if (s == "nan") *out = NAN;
      else if (s == "inf") *out = INFINITY;
      else if (s == "-inf") *out = -INFINITY;
      else return Fail(at, "expected a number");
      return true;
    }
    if (!v.IsNumber()) return Fail(at, "expected a number");
    *out = static_cast<float>(v.GetDouble());
    return true;
  }
  bool Double(const rapidjson::Value &v, const std::string &at, double *out) {
    float f = 0;
    if (v.IsNumber()) {
      *out = v.GetDouble();
      return true;
    }
    if (!RealValue(v, at, &f)) return false;
    *out = f;
    return true;
  }
  bool Vec(const rapidjson::Value &v, const std::string &at, th_vector *out) {
    if (!v.IsArray() || v.Size() != 3) return Fail(at, "expected three numbers");
    return RealValue(v[0], at + "/0", &out->x) && RealValue(v[1], at + "/1", &out->y) &&
           RealValue(v[2], at + "/2", &out->z);
  }
  bool TimeValue(const rapidjson::Value &v, const std::string &at, th_time *out) {
    if (!v.IsArray() || v.Size() != 2) return Fail(at, "expected a time [numerator, denominator]");
    return Double(v[0], at + "/0", &out->numerator) && Double(v[1], at + "/1", &out->denominator);
  }
  bool TrackValue(const rapidjson::Value &v, const std::string &at, Object *o) {
    if (!Keys(v, at, {"id", "sequences"})) return false;
    if (!v.HasMember("id") || !v["id"].IsArray() || v["id"].Size() < 1 || v["id"].Size() > 2)
      return Fail(at + "/id", "expected one or two parameter numbers");
    th_descid id{static_cast<int32_t>(v["id"].Size()), {0, 0, 0}};
    for (rapidjson::SizeType i = 0; i < v["id"].Size(); ++i)
      if (!Int(v["id"][i], at + "/id/" + std::to_string(i), &id.id[i])) return false;
    auto *t = new Track(id);
    host_.TrackElement(t);
    ListInsert(o->tracks, o, t, o->tracks.last);
    if (!v.HasMember("sequences")) return true;
    const rapidjson::Value &seqs = v["sequences"];
    if (!seqs.IsArray()) return Fail(at + "/sequences", "expected a list");
    for (rapidjson::SizeType i = 0; i < seqs.Size(); ++i) {
      std::string here = at + "/sequences/" + std::to_string(i);
      const rapidjson::Value &sq = seqs[i];
      if (!Keys(sq, here, {"start", "end", "keys"})) return false;
      auto *q = new Sequence(5002);
      host_.TrackElement(q);
      ListInsert(t->sequences, t, q, t->sequences.last);
      if (sq.HasMember("start") && !TimeValue(sq["start"], here + "/start", &q->start)) return false;
      if (sq.HasMember("end") && !TimeValue(sq["end"], here + "/end", &q->end)) return false;
      if (!sq.HasMember("keys")) continue;
      const rapidjson::Value &keys = sq["keys"];
      if (!keys.IsArray()) return Fail(here + "/keys", "expected a list");
      for (rapidjson::SizeType j = 0; j < keys.Size(); ++j) {
        std::string kat = here + "/keys/" + std::to_string(j);
        const rapidjson::Value &kv = keys[j];
        if (!Keys(kv, kat, {"time", "data"})) return false;
        auto *k = new tessaro::AnimationKey(5002);
        host_.TrackElement(k);
        ListInsert(q->keys, q, k, q->keys.last);
        if (kv.HasMember("time") && !TimeValue(kv["time"], kat + "/time", &k->time)) return false;
        if (kv.HasMember("data")) {
          const rapidjson::Value &data = kv["data"];
          if (!data.IsArray() || data.Size() > 3) return Fail(kat + "/data", "expected up to three numbers");
          for (rapidjson::SizeType n = 0; n < data.Size(); ++n)
            if (!RealValue(data[n], kat + "/data/" + std::to_string(n), &k->data[n])) return false;
        }
      }
    }
    return true;
  }
  bool String(const rapidjson::Value &v, const std::string &at, std::string *out) {
    if (!v.IsString()) return Fail(at, "expected a text");
    return Text(v, at, out);
  }
  // A JSON text as the host's 8-bit text.
  bool Text(const rapidjson::Value &v, const std::string &at, std::string *out) {
    std::string beyond;
    if (!FromUtf8(std::string(v.GetString(), v.GetStringLength()), out, &beyond))
      return Fail(at, "the text holds " + beyond + ", which the host's 8-bit text cannot hold");
    return true;
  }
  bool AnyValue(const rapidjson::Value &v, const std::string &at, Value *out) {
    if (v.IsInt()) {
      *out = Value::OfLong(v.GetInt());
    } else if (v.IsNumber()) {
      *out = Value::OfReal(static_cast<float>(v.GetDouble()));
    } else if (v.IsArray()) {
      th_vector x;
      if (!Vec(v, at, &x)) return false;
      *out = Value::OfVector(x);
    } else if (v.IsObject()) {
      th_time t;
      if (!Keys(v, at, {"time"}) || !v.HasMember("time") || !TimeValue(v["time"], at + "/time", &t))
        return Fail(at, "expected a time {\"time\": [n, d]}");
      *out = Value::OfTime(t);
    } else if (v.IsString()) {
      std::string s;
      float f;
      if (!Text(v, at, &s)) return false;
      if (s == "nan" || s == "inf" || s == "-inf") {
        RealValue(v, at, &f);
        *out = Value::OfReal(f);
      } else {
        *out = Value::OfText(s);
      }
    } else {
      return Fail(at, "expected an integer, a real, a vector or a text");
    }
    return true;
  }
  bool ContainerValue(const rapidjson::Value &v, const std::string &at, Container *out) {
    if (!v.IsObject()) return Fail(at, "expected an object");
    for (auto it = v.MemberBegin(); it != v.MemberEnd(); ++it) {
      std::string key(it->name.GetString(), it->name.GetStringLength());
      if (!IsContainerKey(key)) return Fail(at, "\"" + key + "\" is not a container ID");
      if (!AnyValue(it->value, at + "/" + key, &(*out)[static_cast<int32_t>(std::stol(key))])) return false;
    }
    return true;
  }
  bool Params(const rapidjson::Value &v, const std::string &at, std::map<std::string, Value> *out) {
    if (!v.IsObject()) return Fail(at, "expected an object");
    for (auto it = v.MemberBegin(); it != v.MemberEnd(); ++it) {
      std::string key(it->name.GetString(), it->name.GetStringLength());
      if (key.empty() || key.find_first_not_of("0123456789.-") != std::string::npos)
        return Fail(at, "\"" + key + "\" is not a parameter ID");
      if (!AnyValue(it->value, at + "/" + key, &(*out)[key])) return false;
    }
    return true;
  }

  bool MatrixValue(const rapidjson::Value &m, const std::string &at, th_matrix *out) {
    if (!Keys(m, at, {"off", "v1", "v2", "v3"})) return false;
    if (m.HasMember("off") && !Vec(m["off"], at + "/off", &out->off)) return false;
    if (m.HasMember("v1") && !Vec(m["v1"], at + "/v1", &out->v1)) return false;
    if (m.HasMember("v2") && !Vec(m["v2"], at + "/v2", &out->v2)) return false;
    if (m.HasMember("v3") && !Vec(m["v3"], at + "/v3", &out->v3)) return false;
    return true;
  }

  // A list of entries of a variable tag; each read by one.
  template <class T, class F>
  bool EntryList(const rapidjson::Value &v, const std::string &at, Tag *t, F one) {
    if (!v.IsArray()) return Fail(at, "expected a list");
    if (v.Size() > INT32_MAX / sizeof(T)) return Fail(at, "too many entries");
    t->entries = static_cast<int32_t>(v.Size());
    t->payload.assign(sizeof(T) * v.Size(), 0);
    T *entries = reinterpret_cast<T *>(t->payload.data());
    for (rapidjson::SizeType i = 0; i < v.Size(); ++i)
      if (!one(v[i], at + "/" + std::to_string(i), &entries[i])) return false;
    return true;
  }

  bool TagValue(const rapidjson::Value &v, const std::string &at, Object *owner) {
    if (!v.IsObject()) return Fail(at, "expected an object");
    if (!v.HasMember("type")) return Fail(at, "a tag needs a \"type\"");
    int32_t type = 0;
    if (!Int(v["type"], at + "/type", &type)) return false;
    auto *t = new Tag(type);
    host_.TrackElement(t);
    ListInsert(owner->tags, owner, t, owner->tags.last);
    switch (type) {
      case Tpoint:
        if (!Keys(v, at, {"type", "name", "bits", "points", "params"})) return false;
        if (!EntryList<th_vector>(v.HasMember("points") ? v["points"] : Empty(), at + "/points", t,
                                  [&](const rapidjson::Value &e, const std::string &a, th_vector *p) {
                                    return Vec(e, a, p);
                                  }))
          return false;
        break;
      case Tpolygon:
        if (!Keys(v, at, {"type", "name", "bits", "polygons", "params"})) return false;
        if (!EntryList<th_polygon>(v.HasMember("polygons") ? v["polygons"] : Empty(), at + "/polygons", t,
                                   [&](const rapidjson::Value &e, const std::string &a, th_polygon *p) {
                                     if (!e.IsArray() || e.Size() != 4) return Fail(a, "expected four indices");
                                     return Int(e[0], a + "/0", &p->a) && Int(e[1], a + "/1", &p->b) &&
                                            Int(e[2], a + "/2", &p->c) && Int(e[3], a + "/3", &p->d);
                                   }))
          return false;
        break;
      case Tuvw:
        if (!Keys(v, at, {"type", "name", "bits", "uvw", "params"})) return false;
        if (!EntryList<th_uvw>(v.HasMember("uvw") ? v["uvw"] : Empty(), at + "/uvw", t,
                               [&](const rapidjson::Value &e, const std::string &a, th_uvw *u) {
                                 if (!e.IsArray() || e.Size() != 4) return Fail(a, "expected four corners");
                                 return Vec(e[0], a + "/0", &u->a) && Vec(e[1], a + "/1", &u->b) &&
                                        Vec(e[2], a + "/2", &u->c) && Vec(e[3], a + "/3", &u->d);
                               }))
          return false;
        break;
      case Ttexture:
        if (!Keys(v, at, {"type", "name", "bits", "material", "pos", "scale", "rot", "matrix", "params"}))
          return false;
        if (v.HasMember("material") && !v["material"].IsNull()) {
          // The material's name, or its position when a namesake stands before it.
          const rapidjson::Value &m = v["material"];
          PendingLink link{t, "", -1, at + "/material"};
          if (m.IsInt()) {
            link.position = m.GetInt();
            if (link.position < 0) return Fail(link.at, "expected a material's name or position");
          } else if (!String(m, link.at, &link.name)) {
            return false;
          }
          pendingLinks_.push_back(link);
        }
        if (v.HasMember("pos") && !Vec(v["pos"], at + "/pos", &t->pos)) return false;
        if (v.HasMember("scale") && !Vec(v["scale"], at + "/scale", &t->scale)) return false;
        if (v.HasMember("rot") && !Vec(v["rot"], at + "/rot", &t->rot)) return false;
        if (v.HasMember("matrix") && !MatrixValue(v["matrix"], at + "/matrix", &t->ml)) return false;
        break;
      default:
        if (!Keys(v, at, {"type", "name", "bits", "params"})) return false;
        break;
    }
    if (v.HasMember("name") && !String(v["name"], at + "/name", &t->name)) return false;
    if (v.HasMember("bits") && !Int(v["bits"], at + "/bits", &t->bits)) return false;
    if (v.HasMember("params") && !Params(v["params"], at + "/params", &t->params)) return false;
    return true;
  }

  bool InCopy(const Tag *tag) const { return tag->doc == &copies_; }

  // Texture tags name their material; links are made once every material
  // of the document is known.
  bool LinkMaterials(Document *doc) {
    std::vector<const Element *> byPosition;
    for (const PendingLink &link : pendingLinks_) {
      const Element *found = nullptr;
      if (link.position >= 0) {
        if (byPosition.empty())
          for (const Element *m = doc->materials.first; m; m = m->next) byPosition.push_back(m);
        if (static_cast<size_t>(link.position) < byPosition.size()) found = byPosition[static_cast<size_t>(link.position)];
        else if (!InCopy(link.tag))
          return Fail(link.at, "the document has no material at position " + std::to_string(link.position));
      } else {
        found = FirstMaterialNamed(doc, link.name);
      }
      // A copy kept for undo may name a material removed since: it links
      // none, as a tag whose material was deleted does.
      if (!found && InCopy(link.tag)) continue;
      if (!found) return Fail(link.at, "the document has no material named \"" + link.name + "\"");
      link.tag->material = found;
      link.tag->materialSerial = found->serial;
    }
    return true;
  }

  // A view names its camera by the path of names from the top level.
  bool LinkViews(Document *doc) {
    for (const PendingView &pv : pendingViews_) {
      const ElementList *list = &doc->objects;
      const Element *found = nullptr;
      size_t start = 0;
      if (!pv.positions.empty()) {
        for (int position : pv.positions) {
          found = list->first;
          for (int k = 0; k < position && found; ++k) found = found->next;
          if (!found) return Fail(pv.at, "the document has no object at those positions");
          list = &static_cast<const Object *>(found)->children;
        }
        doc->views[pv.index].camera = found;
        doc->views[pv.index].cameraSerial = found->serial;
        continue;
      }
      for (;;) {
        size_t slash = pv.path.find('/', start);
        std::string name = pv.path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        found = nullptr;
        for (const Element *e = list->first; e && !found; e = e->next)
          if (e->name == name) found = e;
        if (!found || slash == std::string::npos) break;
        list = &static_cast<const Object *>(found)->children;
        start = slash + 1;
      }
      if (!found) return Fail(pv.at, "the document has no object \"" + pv.path + "\"");
      doc->views[pv.index].camera = found;
      doc->views[pv.index].cameraSerial = found->serial;
    }
    return true;
  }

  static const rapidjson::Value &Empty() {
    static const rapidjson::Value empty(rapidjson::kArrayType);
    return empty;
  }

  bool ObjectValue(const rapidjson::Value &v, const std::string &at, Document *doc, Object *parent, int depth) {
    if (depth > 1000) return Fail(at, "the object tree is nested too deeply");
    if (!Keys(v, at, {"type", "name", "pos", "scale", "rot", "matrix", "camera", "spline", "bits", "editorMode",
                      "renderMode", "params", "tags", "tracks", "children"}))
      return false;
    if (!v.HasMember("type")) return Fail(at, "an object needs a \"type\"");
    int32_t type = 0;
    if (!Int(v["type"], at + "/type", &type)) return false;
    auto *o = new Object(type);
    host_.TrackElement(o);
    ElementList &list = parent ? parent->children : doc->objects;
    ListInsert(list, parent, o, list.last);
    o->doc = doc;
    if (v.HasMember("name") && !String(v["name"], at + "/name", &o->name)) return false;
    if (v.HasMember("pos") && !Vec(v["pos"], at + "/pos", &o->pos)) return false;
    if (v.HasMember("scale") && !Vec(v["scale"], at + "/scale", &o->scale)) return false;
    if (v.HasMember("rot") && !Vec(v["rot"], at + "/rot", &o->rot)) return false;
    if (v.HasMember("matrix") && !MatrixValue(v["matrix"], at + "/matrix", &o->ml)) return false;
    if (v.HasMember("camera")) {
      const rapidjson::Value &c = v["camera"];
      if (!Keys(c, at + "/camera", {"focus", "aperture", "projection"})) return false;
      o->camera = true;
      if (c.HasMember("focus") && !RealValue(c["focus"], at + "/camera/focus", &o->focus)) return false;
      if (c.HasMember("aperture") && !RealValue(c["aperture"], at + "/camera/aperture", &o->aperture)) return false;
      if (c.HasMember("projection") && !Int(c["projection"], at + "/camera/projection", &o->projection))
        return false;
    }
    if (v.HasMember("spline")) {
      const rapidjson::Value &sp = v["spline"];
      if (!Keys(sp, at + "/spline", {"type", "pointCount"})) return false;
      o->spline = true;
      if (sp.HasMember("type") && !Int(sp["type"], at + "/spline/type", &o->splineType)) return false;
      if (sp.HasMember("pointCount") && !Int(sp["pointCount"], at + "/spline/pointCount", &o->splinePointCount))
        return false;
    }
    if (v.HasMember("bits") && !Int(v["bits"], at + "/bits", &o->bits)) return false;
    if (v.HasMember("editorMode") && !Int(v["editorMode"], at + "/editorMode", &o->editorMode)) return false;
    if (v.HasMember("renderMode") && !Int(v["renderMode"], at + "/renderMode", &o->renderMode)) return false;
    if (v.HasMember("params") && !Params(v["params"], at + "/params", &o->params)) return false;
    if (v.HasMember("tags")) {
      const rapidjson::Value &tags = v["tags"];
      if (!tags.IsArray()) return Fail(at + "/tags", "expected a list");
      for (rapidjson::SizeType i = 0; i < tags.Size(); ++i)
        if (!TagValue(tags[i], at + "/tags/" + std::to_string(i), o)) return false;
    }
    if (v.HasMember("tracks")) {
      const rapidjson::Value &tracks = v["tracks"];
      if (!tracks.IsArray()) return Fail(at + "/tracks", "expected a list");
      for (rapidjson::SizeType i = 0; i < tracks.Size(); ++i)
        if (!TrackValue(tracks[i], at + "/tracks/" + std::to_string(i), o)) return false;
    }
    if (v.HasMember("children")) {
      const rapidjson::Value &children = v["children"];
      if (!children.IsArray()) return Fail(at + "/children", "expected a list");
      for (rapidjson::SizeType i = 0; i < children.Size(); ++i)
        if (!ObjectValue(children[i], at + "/children/" + std::to_string(i), doc, o, depth + 1)) return false;
    }
    SetDocument(o, doc);
    return true;
  }

  bool MaterialValue(const rapidjson::Value &v, const std::string &at, Document *doc) {
    if (!Keys(v, at, {"name", "bits", "channels", "params"})) return false;
    auto *m = new Material(Mmaterial);
    host_.TrackElement(m);
    ListInsert(doc->materials, nullptr, m, doc->materials.last);
    m->doc = doc;
    if (v.HasMember("name") && !String(v["name"], at + "/name", &m->name)) return false;
    if (v.HasMember("bits") && !Int(v["bits"], at + "/bits", &m->bits)) return false;
    if (v.HasMember("channels")) {
      const rapidjson::Value &channels = v["channels"];
      std::string ch = at + "/channels";
      if (!channels.IsObject()) return Fail(ch, "expected an object");
      for (auto it = channels.MemberBegin(); it != channels.MemberEnd(); ++it) {
        std::string key(it->name.GetString(), it->name.GetStringLength());
        std::string here = ch + "/" + key;
        if (!IsContainerKey(key) || std::stol(key) < 0 || std::stol(key) >= static_cast<long>(m->channels.size()))
          return Fail(ch, "\"" + key + "\" is not a channel from 0 to 11");
        Channel &c = m->channels[static_cast<size_t>(std::stol(key))];
        if (!Keys(it->value, here, {"state", "data"})) return false;
        if (it->value.HasMember("state") && !Int(it->value["state"], here + "/state", &c.state)) return false;
        if (it->value.HasMember("data") && !ContainerValue(it->value["data"], here + "/data", &c.data)) return false;
      }
    }
    if (v.HasMember("params") && !Params(v["params"], at + "/params", &m->params)) return false;
    MaterialNameTaken(doc, m);
    return true;
  }

  bool UndoValue(const rapidjson::Value &v, const std::string &at, Document *doc) {
    if (!v.IsArray()) return Fail(at, "expected a list of undo steps");
    for (rapidjson::SizeType i = 0; i < v.Size(); ++i) {
      std::string step = at + "/" + std::to_string(i);
      if (!v[i].IsArray()) return Fail(step, "expected a list of undo entries");
      doc->undo.emplace_back();
      for (rapidjson::SizeType j = 0; j < v[i].Size(); ++j) {
        std::string e = step + "/" + std::to_string(j);
        const rapidjson::Value &entry = v[i][j];
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
  bool ElementReference(const rapidjson::Value &v, const std::string &at, size_t step, size_t entry) {
    if (v.IsNull()) return true;
    PendingElement p{step, entry, ElementKind::Document, {}, at};
    if (v.IsString() && std::string(v.GetString()) == "document") {
      pendingElements_.push_back(p);
      return true;
    }
    if (!v.IsObject() || v.MemberCount() != 1) return Fail(at, "expected \"document\" or one kind of element");
    const std::string key = v.MemberBegin()->name.GetString();
    const rapidjson::Value &where = v.MemberBegin()->value;
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
  bool BeforeValue(const rapidjson::Value &v, const std::string &at, UndoEntry *u, size_t step, size_t entry) {
    if (!v.IsObject()) return Fail(at, "expected an object");
    if (v.HasMember("fps") || v.HasMember("maxTime")) {
      if (!Keys(v, at, {"fps", "maxTime"})) return false;
      if (!v.HasMember("fps") || !v.HasMember("maxTime")) return Fail(at, "the document's settings need fps and maxTime");
      u->settings = true;
      if (!Int(v["fps"], at + "/fps", &u->fps)) return false;
      const rapidjson::Value &t = v["maxTime"];
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
  bool EntryViews(const rapidjson::Value &v, const std::string &at, size_t step, size_t entry) {
    if (!v.IsArray()) return Fail(at, "expected a list of [view, object] pairs");
    for (rapidjson::SizeType k = 0; k < v.Size(); ++k) {
      const rapidjson::Value &pair = v[k];
      if (!pair.IsArray() || pair.Size() != 2 || !pair[0].IsInt() || !pair[1].IsInt() || pair[0].GetInt() < 0 ||
          pair[1].GetInt() < 1 || pair[0].GetInt() >= 16)
        return Fail(at + "/" + std::to_string(k), "expected a view from 0 to 15 and a position from 1");
      pendingEntryViews_.push_back({step, entry, static_cast<size_t>(pair[0].GetInt()),
                                    static_cast<size_t>(pair[1].GetInt()), at + "/" + std::to_string(k)});
    }
    return true;
  }

  // Gives each undo entry its element and its copy; then the copies leave
  // the host's elements, as copies kept for undo are none.
  bool LinkUndo(Document *doc) {
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
    for (const PendingCopy &c : pendingCopies_) {
      Element *copy = c.copy;
      const UndoEntry &u = doc->undo[c.step][c.entry];
      if (u.element && u.element->kind != copy->kind)
        return Fail("/undo/" + std::to_string(c.step) + "/" + std::to_string(c.entry),
                    "what it kept is of another kind than its element");
      if (copy->kind == ElementKind::Material) MaterialNameLeft(&copies_, copy, copy->name);
      ListUnlink(copy);
      SetDocument(copy, nullptr);
      ForEachInTree(copy, [&](Element *x) { host_.UntrackElement(x); });
      doc->undo[c.step][c.entry].before.reset(copy);
    }
    pendingCopies_.clear();
    // The views' cameras as the document now has them, where they are
    // objects of an entry's copy: restored, the views follow the copies.
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

  ~Reader() {
    // Copies a failed read left behind are no host elements either.
    for (ElementList *list : {&copies_.objects, &copies_.materials})
      for (Element *x = list->first; x; x = x->next) ForEachInTree(x, [&](Element *y) { host_.UntrackElement(y); });
  }

  bool DocumentValue(const rapidjson::Value &v, Document *doc) {
    if (!Keys(v, "document", {"objects", "materials", "fps", "maxTime", "renderData", "views", "undo"})) return false;
    if (v.HasMember("objects")) {
      const rapidjson::Value &objects = v["objects"];
      if (!objects.IsArray()) return Fail("/objects", "expected a list");
      for (rapidjson::SizeType i = 0; i < objects.Size(); ++i)
        if (!ObjectValue(objects[i], "/objects/" + std::to_string(i), doc, nullptr, 0)) return false;
    }
    if (v.HasMember("materials")) {
      const rapidjson::Value &materials = v["materials"];
      if (!materials.IsArray()) return Fail("/materials", "expected a list");
      for (rapidjson::SizeType i = 0; i < materials.Size(); ++i)
        if (!MaterialValue(materials[i], "/materials/" + std::to_string(i), doc)) return false;
    }
    if (v.HasMember("fps") && !Int(v["fps"], "/fps", &doc->fps)) return false;
    if (v.HasMember("maxTime")) {
      const rapidjson::Value &t = v["maxTime"];
      if (!t.IsArray() || t.Size() != 2) return Fail("/maxTime", "expected two numbers");
      if (!Double(t[0], "/maxTime/0", &doc->maxTimeNum) || !Double(t[1], "/maxTime/1", &doc->maxTimeDen)) return false;
    }
    if (v.HasMember("renderData")) {
      int32_t count = 0;
      if (!Int(v["renderData"], "/renderData", &count)) return false;
      if (count < 0 || count > 100000) return Fail("/renderData", "expected a count from 0 to 100000");
      for (int32_t i = 0; i < count; ++i) {
        auto *rd = new RenderData;
        host_.TrackElement(rd);
        ListInsert(doc->renderData, nullptr, rd, doc->renderData.last);
        rd->doc = doc;
      }
    }
    if (v.HasMember("views")) {
      const rapidjson::Value &views = v["views"];
      if (!views.IsArray() || views.Size() > 16) return Fail("/views", "expected a list of at most 16 views");
      doc->views.assign(views.Size(), View());
      for (rapidjson::SizeType i = 0; i < views.Size(); ++i) {
        std::string at = "/views/" + std::to_string(i);
        if (!Keys(views[i], at, {"sceneCamera"})) return false;
        if (!views[i].HasMember("sceneCamera") || views[i]["sceneCamera"].IsNull()) continue;
        const rapidjson::Value &camera = views[i]["sceneCamera"];
        PendingView view{i, "", {}, at + "/sceneCamera"};
        if (camera.IsArray()) {
          // The positions of the camera and its parents, from the top level down.
          if (camera.Empty()) return Fail(view.at, "expected a path of names or a list of positions");
          for (rapidjson::SizeType k = 0; k < camera.Size(); ++k) {
            if (!camera[k].IsInt() || camera[k].GetInt() < 0)
              return Fail(view.at, "expected a path of names or a list of positions");
            view.positions.push_back(camera[k].GetInt());
          }
        } else if (!String(camera, view.at, &view.path)) {
          return false;
        }
        pendingViews_.push_back(view);
      }
    }
    if (v.HasMember("undo") && !UndoValue(v["undo"], "/undo", doc)) return false;
    return LinkMaterials(doc) && LinkViews(doc) && LinkUndo(doc);
  }

 private:
  struct PendingLink {
    Tag *tag;
    std::string name;
    int position;  // -1: by name
    std::string at;
  };
  struct PendingView {
    size_t index;
    std::string path;
    std::vector<int> positions;  // when not empty: the camera by positions
    std::string at;
  };
  struct PendingElement {
    size_t step, entry;
    ElementKind kind;
    std::vector<int> positions;
    std::string at;
  };
  struct PendingCopy {
    size_t step, entry;
    Element *copy;
  };
  struct PendingEntryView {
    size_t step, entry, view, position;
    std::string at;
  };
  Host &host_;
  std::string file_;
  std::string error_;
  std::vector<PendingLink> pendingLinks_;
  std::vector<PendingView> pendingViews_;
  std::vector<PendingElement> pendingElements_;
  std::vector<PendingCopy> pendingCopies_;
  std::vector<PendingEntryView> pendingEntryViews_;
  Document copies_;  // where the undo entries' copies are read
};

void LineColumn(const std::string &text, size_t offset, size_t *line, size_t *column) {
  *line = 1;
  *column = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++*line;
      *column = 1;
    } else {
      ++*column;
    }
  }
}

}  // namespace

bool ReadDocumentFile(Host &host, const std::string &path, Document *doc, std::string *error) {
  if (ExistsButNotRegular(path)) {
    *error = "cannot read document '" + path + "': it is not a regular file";
    return false;
  }
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in) {
    *error = "cannot read document '" + path + "': the file cannot be opened";
    return false;
  }
  std::stringstream ss;
  ss << in.rdbuf();
  std::string text = ss.str();
  rapidjson::Document json;
  json.Parse<rapidjson::kParseIterativeFlag>(text.c_str(), text.size());
  if (json.HasParseError()) {
    size_t line, column;
    LineColumn(text, json.GetErrorOffset(), &line, &column);
    *error = "cannot read document '" + path + "': line " + std::to_string(line) + ", column " +
             std::to_string(column) + ": " + rapidjson::GetParseError_En(json.GetParseError());
    return false;
  }
  Reader reader(host, path);
  if (!reader.DocumentValue(json, doc)) {
    // The message may quote the file's own keys and text.
    *error = EscapeControls(reader.Error());
    return false;
  }
  return true;
}

}  // namespace tessaro

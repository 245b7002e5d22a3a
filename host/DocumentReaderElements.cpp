// The document file's elements: objects with their tags, tracks and
// children, and materials with their channels. Each is placed through the
// model as soon as it is made, so that a failed read leaves nothing loose.
#include <climits>
#include <cstring>

#include "Base64.h"
#include "DocumentReader.h"

namespace tessaro {

bool DocumentReader::ObjectValue(const Json &v, const std::string &at, Document *doc, Object *parent, int depth) {
  if (depth > 1000) return Fail(at, "the object tree is nested too deeply");
  if (!Keys(v, at, {"type", "name", "pos", "scale", "rot", "matrix", "camera", "spline", "bits", "editorMode",
                    "renderMode", "params", "tags", "tracks", "children"}))
    return false;
  if (!v.HasMember("type")) return Fail(at, "an object needs a \"type\"");
  int32_t type = 0;
  if (!Int(v["type"], at + "/type", &type)) return false;
  Object *o = elements_.Make<Object>(type);
  doc->AppendObject(*o, parent);
  return ObjectFields(v, at, o) && ObjectLists(v, at, doc, o, depth);
}

// Everything of an object but the elements it owns.
bool DocumentReader::ObjectFields(const Json &v, const std::string &at, Object *o) {
  if (v.HasMember("name") && !String(v["name"], at + "/name", &o->name)) return false;
  if (v.HasMember("pos") && !Vec(v["pos"], at + "/pos", &o->pos)) return false;
  if (v.HasMember("scale") && !Vec(v["scale"], at + "/scale", &o->scale)) return false;
  if (v.HasMember("rot") && !Vec(v["rot"], at + "/rot", &o->rot)) return false;
  if (v.HasMember("matrix") && !MatrixValue(v["matrix"], at + "/matrix", &o->ml)) return false;
  if (v.HasMember("camera")) {
    const Json &c = v["camera"];
    if (!Keys(c, at + "/camera", {"focus", "aperture", "projection"})) return false;
    o->camera = true;
    if (c.HasMember("focus") && !RealValue(c["focus"], at + "/camera/focus", &o->focus)) return false;
    if (c.HasMember("aperture") && !RealValue(c["aperture"], at + "/camera/aperture", &o->aperture)) return false;
    if (c.HasMember("projection") && !Int(c["projection"], at + "/camera/projection", &o->projection))
      return false;
  }
  if (v.HasMember("spline")) {
    const Json &sp = v["spline"];
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
  return true;
}

// The object's tags, tracks and children.
bool DocumentReader::ObjectLists(const Json &v, const std::string &at, Document *doc, Object *o, int depth) {
  if (v.HasMember("tags")) {
    const Json &tags = v["tags"];
    if (!tags.IsArray()) return Fail(at + "/tags", "expected a list");
    for (rapidjson::SizeType i = 0; i < tags.Size(); ++i)
      if (!TagValue(tags[i], at + "/tags/" + std::to_string(i), o)) return false;
  }
  if (v.HasMember("tracks")) {
    const Json &tracks = v["tracks"];
    if (!tracks.IsArray()) return Fail(at + "/tracks", "expected a list");
    for (rapidjson::SizeType i = 0; i < tracks.Size(); ++i)
      if (!TrackValue(tracks[i], at + "/tracks/" + std::to_string(i), o)) return false;
  }
  if (v.HasMember("children")) {
    const Json &children = v["children"];
    if (!children.IsArray()) return Fail(at + "/children", "expected a list");
    for (rapidjson::SizeType i = 0; i < children.Size(); ++i)
      if (!ObjectValue(children[i], at + "/children/" + std::to_string(i), doc, o, depth + 1)) return false;
  }
  return true;
}

bool DocumentReader::TagValue(const Json &v, const std::string &at, Object *owner) {
  if (!v.IsObject()) return Fail(at, "expected an object");
  if (!v.HasMember("type")) return Fail(at, "a tag needs a \"type\"");
  int32_t type = 0;
  if (!Int(v["type"], at + "/type", &type)) return false;
  Tag *t = elements_.Make<Tag>(type);
  owner->AppendTag(*t);
  if (!TagData(v, at, t)) return false;
  if (v.HasMember("name") && !String(v["name"], at + "/name", &t->name)) return false;
  if (v.HasMember("bits") && !Int(v["bits"], at + "/bits", &t->bits)) return false;
  if (v.HasMember("params") && !Params(v["params"], at + "/params", &t->params)) return false;
  return true;
}

// A list of entries of a variable tag; each read by one.
template <class T, class F>
bool DocumentReader::EntryList(const Json &v, const std::string &at, Tag *t, F one) {
  if (v.IsString()) return Base64EntryList(v, at, sizeof(T), t);
  if (!v.IsArray()) return Fail(at, "expected a list");
  if (v.Size() > INT32_MAX / sizeof(T)) return Fail(at, "too many entries");
  t->entries = static_cast<int32_t>(v.Size());
  t->payload.assign(sizeof(T) * v.Size(), 0);
  T *entries = reinterpret_cast<T *>(t->payload.data());
  for (rapidjson::SizeType i = 0; i < v.Size(); ++i)
    if (!one(v[i], at + "/" + std::to_string(i), &entries[i])) return false;
  return true;
}

// The entries as one base64 text of their 4-byte values, little-endian.
bool DocumentReader::Base64EntryList(const Json &v, const std::string &at, size_t entryBytes, Tag *t) {
  std::string bytes;
  if (!FromBase64(v.GetString(), v.GetStringLength(), &bytes)) return Fail(at, "expected a list, or base64");
  if (bytes.size() % entryBytes) return Fail(at, "base64 of a whole number of entries");
  if (bytes.size() / entryBytes > INT32_MAX) return Fail(at, "too many entries");
  t->entries = static_cast<int32_t>(bytes.size() / entryBytes);
  t->payload.assign(bytes.size(), 0);
  for (size_t i = 0; i < bytes.size(); i += 4) {
    const auto *b = reinterpret_cast<const uint8_t *>(bytes.data() + i);
    const uint32_t word = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    std::memcpy(t->payload.data() + i, &word, 4);
  }
  return true;
}

// What the tag's type holds beyond a name, bits and parameters.
bool DocumentReader::TagData(const Json &v, const std::string &at, Tag *t) {
  switch (t->type) {
    case Tpoint:
      if (!Keys(v, at, {"type", "name", "bits", "points", "params"})) return false;
      return EntryList<th_vector>(v.HasMember("points") ? v["points"] : Empty(), at + "/points", t,
                                  [&](const Json &e, const std::string &a, th_vector *p) { return Vec(e, a, p); });
    case Tpolygon:
      if (!Keys(v, at, {"type", "name", "bits", "polygons", "params"})) return false;
      return EntryList<th_polygon>(v.HasMember("polygons") ? v["polygons"] : Empty(), at + "/polygons", t,
                                   [&](const Json &e, const std::string &a, th_polygon *p) {
                                     if (!e.IsArray() || e.Size() != 4) return Fail(a, "expected four indices");
                                     return Int(e[0], a + "/0", &p->a) && Int(e[1], a + "/1", &p->b) &&
                                            Int(e[2], a + "/2", &p->c) && Int(e[3], a + "/3", &p->d);
                                   });
    case Tuvw:
      if (!Keys(v, at, {"type", "name", "bits", "uvw", "params"})) return false;
      return EntryList<th_uvw>(v.HasMember("uvw") ? v["uvw"] : Empty(), at + "/uvw", t,
                               [&](const Json &e, const std::string &a, th_uvw *u) {
                                 if (!e.IsArray() || e.Size() != 4) return Fail(a, "expected four corners");
                                 return Vec(e[0], a + "/0", &u->a) && Vec(e[1], a + "/1", &u->b) &&
                                        Vec(e[2], a + "/2", &u->c) && Vec(e[3], a + "/3", &u->d);
                               });
    case Ttexture: return TextureTagValue(v, at, t);
    default: return Keys(v, at, {"type", "name", "bits", "params"});
  }
}

bool DocumentReader::TextureTagValue(const Json &v, const std::string &at, Tag *t) {
  if (!Keys(v, at, {"type", "name", "bits", "material", "pos", "scale", "rot", "matrix", "params"})) return false;
  if (v.HasMember("material") && !v["material"].IsNull()) {
    // The material's name, or its position when a namesake stands before it.
    const Json &m = v["material"];
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
  return true;
}

bool DocumentReader::TrackValue(const Json &v, const std::string &at, Object *o) {
  if (!Keys(v, at, {"id", "sequences"})) return false;
  if (!v.HasMember("id") || !v["id"].IsArray() || v["id"].Size() < 1 || v["id"].Size() > 2)
    return Fail(at + "/id", "expected one or two parameter numbers");
  th_descid id{static_cast<int32_t>(v["id"].Size()), {0, 0, 0}};
  for (rapidjson::SizeType i = 0; i < v["id"].Size(); ++i)
    if (!Int(v["id"][i], at + "/id/" + std::to_string(i), &id.id[i])) return false;
  Track *t = elements_.Make<Track>(id);
  o->InsertTrack(*t, nullptr);
  if (!v.HasMember("sequences")) return true;
  const Json &seqs = v["sequences"];
  if (!seqs.IsArray()) return Fail(at + "/sequences", "expected a list");
  for (rapidjson::SizeType i = 0; i < seqs.Size(); ++i)
    if (!SequenceValue(seqs[i], at + "/sequences/" + std::to_string(i), t)) return false;
  return true;
}

// A sequence and its keys, in the order the file lists them.
bool DocumentReader::SequenceValue(const Json &v, const std::string &at, Track *t) {
  if (!Keys(v, at, {"start", "end", "keys"})) return false;
  Sequence *q = elements_.Make<Sequence>(5002);
  t->AppendSequence(*q);
  if (v.HasMember("start") && !TimeValue(v["start"], at + "/start", &q->start)) return false;
  if (v.HasMember("end") && !TimeValue(v["end"], at + "/end", &q->end)) return false;
  if (!v.HasMember("keys")) return true;
  const Json &keys = v["keys"];
  if (!keys.IsArray()) return Fail(at + "/keys", "expected a list");
  for (rapidjson::SizeType j = 0; j < keys.Size(); ++j) {
    std::string kat = at + "/keys/" + std::to_string(j);
    const Json &kv = keys[j];
    if (!Keys(kv, kat, {"time", "data"})) return false;
    AnimationKey *k = elements_.Make<AnimationKey>(5002);
    q->AppendKey(*k);
    if (kv.HasMember("time") && !TimeValue(kv["time"], kat + "/time", &k->time)) return false;
    if (kv.HasMember("data")) {
      const Json &data = kv["data"];
      if (!data.IsArray() || data.Size() > 3) return Fail(kat + "/data", "expected up to three numbers");
      for (rapidjson::SizeType n = 0; n < data.Size(); ++n)
        if (!RealValue(data[n], kat + "/data/" + std::to_string(n), &k->data[n])) return false;
    }
  }
  return true;
}

bool DocumentReader::MaterialValue(const Json &v, const std::string &at, Document *doc) {
  if (!Keys(v, at, {"name", "bits", "channels", "params"})) return false;
  // The name first: a material enters the document with it, and is counted.
  std::string name;
  if (v.HasMember("name") && !String(v["name"], at + "/name", &name)) return false;
  Material *m = elements_.Make<Material>(Mmaterial);
  m->name = std::move(name);
  doc->AppendMaterial(*m);
  if (v.HasMember("bits") && !Int(v["bits"], at + "/bits", &m->bits)) return false;
  if (v.HasMember("channels") && !ChannelsValue(v["channels"], at + "/channels", m)) return false;
  if (v.HasMember("params") && !Params(v["params"], at + "/params", &m->params)) return false;
  return true;
}

bool DocumentReader::ChannelsValue(const Json &v, const std::string &at, Material *m) {
  if (!v.IsObject()) return Fail(at, "expected an object");
  for (auto it = v.MemberBegin(); it != v.MemberEnd(); ++it) {
    std::string key(it->name.GetString(), it->name.GetStringLength());
    std::string here = at + "/" + key;
    Channel *c = IsContainerKey(key) ? m->ChannelAt(static_cast<int32_t>(std::stol(key))) : nullptr;
    if (!c) return Fail(at, "\"" + key + "\" is not a channel from 0 to 11");
    if (!Keys(it->value, here, {"state", "data"})) return false;
    if (it->value.HasMember("state") && !Int(it->value["state"], here + "/state", &c->state)) return false;
    if (it->value.HasMember("data") && !ContainerValue(it->value["data"], here + "/data", &c->data)) return false;
  }
  return true;
}

}  // namespace tessaro

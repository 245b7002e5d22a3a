// The document file's writer: streamed, deterministic JSON.
#include "DocumentFile.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "Base64.h"
#include "DocumentWriting.h"
#include "Host.h"
#include "Output.h"
#include "Text.h"

namespace tessaro {

// The names from the top level down to the object, joined by "/".
std::string PathOf(const Element *e) {
  std::string path = e->name;
  for (const Element *up = e->owner; up; up = up->owner) path = up->name + "/" + path;
  return path;
}

namespace docwrite {

void Real(Writer &w, float v) {
  std::string s = FormatShortest(v);
  w.RawValue(s.c_str(), s.size(), s[0] == '"' ? rapidjson::kStringType : rapidjson::kNumberType);
}
void Double(Writer &w, double v) {
  std::string s = FormatShortest(v);
  w.RawValue(s.c_str(), s.size(), s[0] == '"' ? rapidjson::kStringType : rapidjson::kNumberType);
}
void Vec(Writer &w, const th_vector &v) {
  w.StartArray();
  Real(w, v.x);
  Real(w, v.y);
  Real(w, v.z);
  w.EndArray();
}
void Key(Writer &w, const char *k) { w.Key(k); }
// The host's 8-bit text, as UTF-8.
void Str(Writer &w, const std::string &s) {
  std::string utf8 = ToUtf8(s);
  w.String(utf8.c_str(), static_cast<rapidjson::SizeType>(utf8.size()));
}

void Time(Writer &w, const th_time &t) {
  w.StartArray();
  Double(w, t.numerator);
  Double(w, t.denominator);
  w.EndArray();
}

void WriteValue(Writer &w, const Value &v) {
  switch (v.type) {
    case Value::Long: w.Int(v.l); break;
    case Value::Real: Real(w, v.r); break;
    case Value::Vector: Vec(w, v.v); break;
    case Value::Text: Str(w, v.s); break;
    case Value::Time:
      // A time in a container is written as {"time": [n, d]}.
      w.StartObject();
      Key(w, "time");
      Time(w, v.t);
      w.EndObject();
      break;
  }
}

void WriteTrack(Writer &w, const Track &t) {
  w.StartObject();
  Key(w, "id");
  w.StartArray();
  for (int i = 0; i < t.id.count && i < 3; ++i) w.Int(t.id.id[i]);
  w.EndArray();
  Key(w, "sequences");
  w.StartArray();
  for (const Element *e = t.sequences.first; e; e = e->next) {
    const auto &q = static_cast<const Sequence &>(*e);
    w.StartObject();
    Key(w, "start");
    Time(w, q.start);
    Key(w, "end");
    Time(w, q.end);
    Key(w, "keys");
    w.StartArray();
    for (const Element *k = q.keys.first; k; k = k->next) {
      const auto &key = static_cast<const tessaro::AnimationKey &>(*k);
      w.StartObject();
      Key(w, "time");
      Time(w, key.time);
      Key(w, "data");
      w.StartArray();
      for (float f : key.data) Real(w, f);
      w.EndArray();
      w.EndObject();
    }
    w.EndArray();
    w.EndObject();
  }
  w.EndArray();
  w.EndObject();
}


// Writes how the reader finds the object again: its path of names when
// each name is the first of its kind among its siblings and holds no "/",
// else the list of its positions from the top level down.
void WriteObjectReference(Writer &w, const Element *e) {
  bool byName = true;
  std::vector<int> positions;
  for (const Element *x = e; x; x = x->owner) {
    int at = 0;
    for (const Element *s = x->pred; s; s = s->pred, ++at)
      if (s->name == x->name) byName = false;
    if (x->name.find('/') != std::string::npos) byName = false;
    positions.push_back(at);
  }
  if (byName) {
    Str(w, PathOf(e));
    return;
  }
  w.StartArray();
  for (auto p = positions.rbegin(); p != positions.rend(); ++p) w.Int(*p);
  w.EndArray();
}

// What the writer needs to know of the document's materials: the first of
// each name (what the reader links a name to) and, for a material that is
// not, its position.
class MaterialRefs {
 public:
  const Document &Doc() const { return doc_; }
  explicit MaterialRefs(const Document &doc) : doc_(doc) {
    for (const Element *m = doc.materials.first; m; m = m->next) first_.emplace(m->name, m);
  }
  void Write(Writer &w, const Element *m) {
    auto it = first_.find(m->name);
    if (it != first_.end() && it->second == m) {
      Str(w, m->name);
      return;
    }
    if (positions_.empty()) {
      int at = 0;
      for (const Element *x = doc_.materials.first; x; x = x->next) positions_[x] = at++;
    }
    w.Int(positions_.at(m));
  }

 private:
  const Document &doc_;
  std::map<std::string, const Element *> first_;
  std::unordered_map<const Element *, int> positions_;
};

void WriteContainer(Writer &w, const Container &c) {
  w.StartObject();
  for (const auto &kv : c) {
    Key(w, std::to_string(kv.first).c_str());
    WriteValue(w, kv.second);
  }
  w.EndObject();
}

void WriteParams(Writer &w, const std::map<std::string, Value> &params) {
  w.StartObject();
  for (const auto &kv : params) {
    Key(w, kv.first.c_str());
    WriteValue(w, kv.second);
  }
  w.EndObject();
}

void WriteMatrix(Writer &w, const th_matrix &m) {
  w.StartObject();
  Key(w, "off");
  Vec(w, m.off);
  Key(w, "v1");
  Vec(w, m.v1);
  Key(w, "v2");
  Vec(w, m.v2);
  Key(w, "v3");
  Vec(w, m.v3);
  w.EndObject();
}

template <class T>
const T *Entries(const Tag &t) {
  return reinterpret_cast<const T *>(t.payload.data());
}

// A tag's entries of 4-byte values (points, polygons, UVW) as base64 of
// their little-endian bytes, whatever this machine's order.
void Base64Entries(Writer &w, const Tag &t) {
  const size_t size = t.payload.size() / 4 * 4;
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; i += 4) {
    uint32_t v;
    std::memcpy(&v, t.payload.data() + i, 4);
    for (size_t k = 0; k < 4; ++k) bytes[i + k] = static_cast<char>(v >> (8 * k));
  }
  const std::string text = Base64(bytes);
  w.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
}

void WriteTag(Writer &w, const Tag &t, MaterialRefs &materials) {
  w.StartObject();
  Key(w, "type");
  w.Int(t.type);
  if (!t.name.empty()) {
    Key(w, "name");
    Str(w, t.name);
  }
  if (t.bits) {
    Key(w, "bits");
    w.Int(t.bits);
  }
  if (w.base64Arrays && (t.type == Tpoint || t.type == Tpolygon || t.type == Tuvw)) {
    Key(w, t.type == Tpoint ? "points" : t.type == Tpolygon ? "polygons" : "uvw");
    Base64Entries(w, t);
  } else switch (t.type) {
    case Tpoint:
      Key(w, "points");
      w.StartArray();
      for (int32_t i = 0; i < t.entries; ++i) Vec(w, Entries<th_vector>(t)[i]);
      w.EndArray();
      break;
    case Tpolygon:
      Key(w, "polygons");
      w.StartArray();
      for (int32_t i = 0; i < t.entries; ++i) {
        const th_polygon &p = Entries<th_polygon>(t)[i];
        w.StartArray();
        w.Int(p.a);
        w.Int(p.b);
        w.Int(p.c);
        w.Int(p.d);
        w.EndArray();
      }
      w.EndArray();
      break;
    case Tuvw:
      Key(w, "uvw");
      w.StartArray();
      for (int32_t i = 0; i < t.entries; ++i) {
        const th_uvw &u = Entries<th_uvw>(t)[i];
        w.StartArray();
        Vec(w, u.a);
        Vec(w, u.b);
        Vec(w, u.c);
        Vec(w, u.d);
        w.EndArray();
      }
      w.EndArray();
      break;
    case Ttexture: {
      Key(w, "material");
      // A copy kept for undo is in no document: its material is still one
      // of the document's.
      const Element *m = Host::Get().LinkedMaterial(t);
      if (m && m->list && m->doc == &materials.Doc())
        materials.Write(w, m);
      else
        w.Null();
      Key(w, "pos");
      Vec(w, t.pos);
      Key(w, "scale");
      Vec(w, t.scale);
      Key(w, "rot");
      Vec(w, t.rot);
      Key(w, "matrix");
      WriteMatrix(w, t.ml);
      break;
    }
    default:
      break;
  }
  Key(w, "params");
  WriteParams(w, t.params);
  w.EndObject();
}

// Everything of the object up to its list of children, which it opens.
void StartObjectValue(Writer &w, const Object &o, MaterialRefs &materials) {
  w.StartObject();
  Key(w, "type");
  w.Int(o.type);
  Key(w, "name");
  Str(w, o.name);
  Key(w, "pos");
  Vec(w, o.pos);
  Key(w, "scale");
  Vec(w, o.scale);
  Key(w, "rot");
  Vec(w, o.rot);
  Key(w, "matrix");
  WriteMatrix(w, o.ml);
  if (o.camera) {
    Key(w, "camera");
    w.StartObject();
    Key(w, "focus");
    Real(w, o.focus);
    Key(w, "aperture");
    Real(w, o.aperture);
    Key(w, "projection");
    w.Int(o.projection);
    w.EndObject();
  }
  if (o.spline) {
    Key(w, "spline");
    w.StartObject();
    Key(w, "type");
    w.Int(o.splineType);
    Key(w, "pointCount");
    w.Int(o.splinePointCount);
    w.EndObject();
  }
  Key(w, "bits");
  w.Int(o.bits);
  Key(w, "editorMode");
  w.Int(o.editorMode);
  Key(w, "renderMode");
  w.Int(o.renderMode);
  Key(w, "params");
  WriteParams(w, o.params);
  Key(w, "tags");
  w.StartArray();
  for (const Element *t = o.tags.first; t; t = t->next) WriteTag(w, static_cast<const Tag &>(*t), materials);
  w.EndArray();
  Key(w, "tracks");
  w.StartArray();
  for (const Element *t = o.tracks.first; t; t = t->next) WriteTrack(w, static_cast<const Track &>(*t));
  w.EndArray();
  Key(w, "children");
  w.StartArray();
}

// The objects of the list and everything below them, without recursion: a
// hierarchy may be as deep as a file or a document makes it.
void WriteObjects(Writer &w, const ElementList &list, MaterialRefs &materials) {
  // For each object whose children are being written, the sibling that
  // comes after it.
  std::vector<const Element *> after;
  const Element *next = list.first;
  for (;;) {
    if (next) {
      const auto &o = static_cast<const Object &>(*next);
      StartObjectValue(w, o, materials);
      after.push_back(o.next);
      next = o.children.first;
      continue;
    }
    if (after.empty()) return;
    w.EndArray();
    w.EndObject();
    next = after.back();
    after.pop_back();
  }
}

void WriteMaterial(Writer &w, const Material &m) {
  w.StartObject();
  Key(w, "name");
  Str(w, m.name);
  Key(w, "bits");
  w.Int(m.bits);
  Key(w, "channels");
  w.StartObject();
  for (size_t i = 0; i < m.channels.size(); ++i) {
    Key(w, std::to_string(i).c_str());
    w.StartObject();
    Key(w, "state");
    w.Int(m.channels[i].state);
    Key(w, "data");
    WriteContainer(w, m.channels[i].data);
    w.EndObject();
  }
  w.EndObject();
  Key(w, "params");
  WriteParams(w, m.params);
  w.EndObject();
}

}  // namespace docwrite

using namespace docwrite;

std::string FormatReal(float v) { return FormatShortest(v); }

bool WriteDocument(const Document &doc, std::FILE *out, bool base64Arrays) {
  char buffer[1 << 16];
  rapidjson::FileWriteStream file(out, buffer, sizeof buffer);
  IndentedStream stream(file);
  Writer w(stream);
  w.base64Arrays = base64Arrays;
  MaterialRefs materials(doc);
  w.SetIndent(' ', 2);
  w.SetFormatOptions(rapidjson::kFormatSingleLineArray);
  w.StartObject();
  Key(w, "objects");
  w.StartArray();
  WriteObjects(w, doc.objects, materials);
  w.EndArray();
  Key(w, "materials");
  w.StartArray();
  for (const Element *m = doc.materials.first; m; m = m->next) WriteMaterial(w, static_cast<const Material &>(*m));
  w.EndArray();
  Key(w, "fps");
  w.Int(doc.fps);
  Key(w, "maxTime");
  w.StartArray();
  Double(w, doc.maxTimeNum);
  Double(w, doc.maxTimeDen);
  w.EndArray();
  Key(w, "renderData");
  w.Int(static_cast<int>(doc.renderData.count));
  Key(w, "views");
  w.StartArray();
  for (const View &v : doc.views) {
    w.StartObject();
    Key(w, "sceneCamera");
    const Element *cam = Host::Get().LinkedObject(v.camera, v.cameraSerial);
    if (cam && cam->doc == &doc) WriteObjectReference(w, cam);
    else w.Null();
    w.EndObject();
  }
  w.EndArray();
  Key(w, "undo");
  w.StartArray();
  WriteUndoSteps(w, doc, materials);
  w.EndArray();
  w.EndObject();
  stream.Put('\n');
  stream.Flush();
  return std::ferror(out) == 0;
}

bool WriteDocumentFile(const Document &doc, const std::string &path, std::string *error, bool base64Arrays) {
  return WriteOutput(path, [&](std::FILE *out) { return WriteDocument(doc, out, base64Arrays); }, error);
}

}  // namespace tessaro

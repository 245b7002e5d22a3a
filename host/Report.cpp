#include "Report.h"

#include <cmath>
#include <cstring>

#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include "Output.h"
#include "Placement.h"
#include "Text.h"
#include "Trig.h"

namespace tessaro {

namespace {

// Each kind of warning lists this many cases, then says how many more.
const size_t kListedPerKind = 100;

std::string TypeName(int32_t type) {
  switch (type) {
    case Opolygon: return "polygon";
    case Ospline: return "spline";
    case Olight: return "light";
    case Ocamera: return "camera";
    case Onull: return "null";
    default: return "type " + std::to_string(type);
  }
}

// An object's placement in its parent: x' = M (S x) + T, where the host
// turns by heading, pitch and bank as M = Ry(-h) Rx(-p) Rz(-b).
Placement PlacementOf(const Object &o) {
  const double h = -double(o.rot.x), p = -double(o.rot.y), b = -double(o.rot.z);
  const double ch = trig::Cos(h), sh = trig::Sin(h), cp = trig::Cos(p), sp = trig::Sin(p);
  const double cb = trig::Cos(b), sb = trig::Sin(b);
  const double ry[3][3] = {{ch, 0, sh}, {0, 1, 0}, {-sh, 0, ch}};
  const double rx[3][3] = {{1, 0, 0}, {0, cp, -sp}, {0, sp, cp}};
  const double rz[3][3] = {{cb, -sb, 0}, {sb, cb, 0}, {0, 0, 1}};
  double yx[3][3] = {}, r[3][3] = {};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) yx[i][j] += ry[i][k] * rx[k][j];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) r[i][j] += yx[i][k] * rz[k][j];
  const double s[3] = {o.scale.x, o.scale.y, o.scale.z};
  const double t[3] = {o.pos.x, o.pos.y, o.pos.z};
  Placement out;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) out.m[i][j] = r[i][j] * s[j];
    out.m[i][3] = t[i];
  }
  return out;
}

// Text for JSON, which must be UTF-8: paths are the system's bytes, UTF-8
// where the system is; other bytes are taken as letters of their number.
std::string Utf8(const std::string &s) { return IsUtf8(s) ? s : ToUtf8(s); }

// What an update of the kind keeps of an object of the type at the level:
// the import's kind filter, as a user of the dialog meets it.
bool UpdateKeeps(int32_t kind, int32_t type, int32_t level) {
  const bool geometry = kind == KIND_GEOMETRY || (type != Opolygon && type != Ospline) ||
                        (kind == KIND_LIGHTS && type == Opolygon && level == 1);
  const bool cameras = kind == KIND_CAMERAS || type != Ocamera;
  const bool lights = kind == KIND_LIGHTS || type != Olight;
  return geometry && cameras && lights && type != Oplain && type != Osettings;
}

const char *KindWord(int32_t kind) {
  switch (kind) {
    case KIND_GEOMETRY: return "geometry";
    case KIND_CAMERAS: return "cameras";
    case KIND_MATERIALS: return "materials";
    case KIND_LIGHTS: return "lights";
    default: return "nothing";
  }
}

// A name from the file: the host's 8-bit text, each byte a letter.
std::string Quoted(const std::string &name) { return "'" + ToUtf8(name) + "'"; }

}  // namespace

DocumentFacts DescribeDocument(const Document &doc, uint64_t firstSerial) {
  DocumentFacts f;
  f.materials = doc.materials.count;
  f.fps = doc.fps;
  f.endTime = doc.maxTimeDen != 0 ? doc.maxTimeNum / doc.maxTimeDen : 0;
  for (int i = 0; i < 3; ++i) f.lo[i] = INFINITY, f.hi[i] = -INFINITY;
  // Without recursion, a level at a time: the stack holds, for each level
  // down to the object at hand, the next object of that level and where
  // its parent stands, so it grows with the depth, not with the objects.
  struct Level {
    const Element *next;
    Placement parent;
  };
  std::vector<Level> levels{{doc.objects.first, Placement()}};
  while (!levels.empty()) {
    if (!levels.back().next) {
      levels.pop_back();
      continue;
    }
    const auto &o = static_cast<const Object &>(*levels.back().next);
    levels.back().next = o.next;
    const Placement parent = levels.back().parent;
    ++f.objects;
    ++f.objectsByType[TypeName(o.type)];
    if (o.serial >= firstSerial) ++f.importedObjects;
    const Placement world = parent.Then(PlacementOf(o));
    for (const Element *t = o.tags.first; t; t = t->next) {
      const auto &tag = static_cast<const Tag &>(*t);
      if (tag.type == Tpolygon) f.polygons += static_cast<uint64_t>(std::max(tag.entries, 0));
      if (tag.type == Ttexture) ++f.textureTags;
      if (tag.type != Tpoint) continue;
      f.points += static_cast<uint64_t>(std::max(tag.entries, 0));
      const size_t n = std::min(static_cast<size_t>(std::max(tag.entries, 0)), tag.payload.size() / 12);
      for (size_t k = 0; k < n; ++k) {
        float p[3];
        std::memcpy(p, tag.payload.data() + 12 * k, sizeof p);
        if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) continue;
        for (int i = 0; i < 3; ++i) {
          const double v = world.Row(i, p[0], p[1], p[2]);
          if (!std::isfinite(v)) continue;
          f.lo[i] = std::min(f.lo[i], v);
          f.hi[i] = std::max(f.hi[i], v);
        }
      }
    }
    f.tracks += o.tracks.count;
    for (const Element *t = o.tracks.first; t; t = t->next)
      for (const Element *q = static_cast<const Track *>(t)->sequences.first; q; q = q->next)
        f.keys += static_cast<const Sequence *>(q)->keys.count;
    if (o.children.first) levels.push_back({o.children.first, world});
  }
  f.hasBounds = f.lo[0] <= f.hi[0] && f.lo[1] <= f.hi[1] && f.lo[2] <= f.hi[2];
  if (!f.hasBounds)
    for (int i = 0; i < 3; ++i) f.lo[i] = f.hi[i] = 0;
  return f;
}

LeftOutFinder::LeftOutFinder(const std::vector<ConfirmedAnswer> &answers) {
  for (const ConfirmedAnswer &a : answers) {
    if (a.chosen == MODE_UPDATE) update_ = true;
    if (a.chosen >= KIND_GEOMETRY && a.chosen <= KIND_LIGHTS) kind_ = a.chosen;
  }
}

// Each kind of warning lists its first cases, then says how many more.
void LeftOutFinder::Add(const char *kind, const std::string &text) {
  size_t &n = listed_[kind];
  if (n++ < kListedPerKind) warnings_.push_back({kind, text});
}

void LeftOutFinder::Object(const FileFacts::ObjectRecord &o) {
  std::string why;
  if (!o.objectType)
    why = "its kind record names no kind of object the import makes, or is too short to read";
  else if (!o.headerRead)
    why = "its header is missing, too short, or names a level beyond 253";
  else if (update_ && o.level == 0)
    why = "it is the file's top level, which the update's target stands for";
  else if (update_ && !UpdateKeeps(kind_, o.objectType, o.level))
    why = "an update of " + std::string(KindWord(kind_)) + " leaves out objects of type " + TypeName(o.objectType);
  // A texture tag names only materials before its object.
  if (named_.size() < o.materialsBefore) {
    named_.resize(o.materialsBefore);
    namedByKept_.resize(o.materialsBefore);
  }
  for (int32_t m : o.materials) {
    if (m < 1 || static_cast<uint64_t>(m) > o.materialsBefore) continue;
    named_[static_cast<size_t>(m - 1)] = true;
    if (why.empty()) namedByKept_[static_cast<size_t>(m - 1)] = true;
  }
  if (why.empty()) {
    ++kept_;
    return;
  }
  Add("object-left-out", "the object record at byte " + std::to_string(o.at) +
                             (o.headerRead ? " (" + Quoted(o.name) + ")" : std::string()) + ": " + why);
}

std::vector<ReportWarning> LeftOutFinder::Finish(const FileFacts &file, const DocumentFacts &doc,
                                                 const Host::RemovedDuringLoad &removed) {
  // What the host saw the import take out of the document again: its own
  // objects (an update ends by removing polygon objects left with neither
  // points nor children), and the user's that an update replaced.
  for (const Host::Removed &o : removed.ownFirst)
    Add("object-removed", Quoted(o.name) + " (" + TypeName(o.type) + ") was imported, then removed again by the "
                                                                       "import before it ended" +
                              (o.type == Opolygon ? ": a polygon object left with neither points nor children" : ""));
  for (const Host::Removed &o : removed.usersFirst)
    Add("user-object-removed", "the user's " + Quoted(o.name) + " (" + TypeName(o.type) + ") was removed by the import");
  listed_["object-removed"] = removed.own;
  listed_["user-object-removed"] = removed.users;
  const size_t materials = file.materials.size();
  named_.resize(materials);
  namedByKept_.resize(materials);
  // A materials update writes every material record over the document's;
  // otherwise a material enters with the first texture tag that names it.
  if (!(update_ && kind_ == KIND_MATERIALS)) {
    for (size_t i = 0; i < materials; ++i) {
      if (namedByKept_[i]) continue;
      const FileFacts::MaterialRecord &m = file.materials[i];
      Add("material-unused", "the material record at byte " + std::to_string(m.at) + " (" + Quoted(m.name) + "): " +
                                 (named_[i] ? "only texture tags of objects left out name it"
                                            : "no texture tag names it, and the import takes only materials that "
                                              "objects use"));
    }
  }
  // Where the framing is broken, the walk meets records that the import,
  // which mends what it can, does not: they are not listed.
  if (file.problems == 0) {
    auto skipped = [&](int32_t type, const FileFacts::Skipped &s) {
      Add("skipped-records", std::to_string(s.count) + (s.count == 1 ? " record" : " records") +
                                 (type == -1 ? " of further types" : " of type " + std::to_string(type)) +
                                 " (the first at byte " + std::to_string(s.firstAt) +
                                 ") where the import reads no such record: skipped");
    };
    // The types one by one, then the rest together.
    for (const auto &kv : file.skipped)
      if (kv.first != -1) skipped(kv.first, kv.second);
    auto rest = file.skipped.find(-1);
    if (rest != file.skipped.end()) skipped(-1, rest->second);
  }
  if (doc.importedObjects + removed.own < kept_)
    Add("objects-missing", "the file's object records hold " + std::to_string(kept_) +
                               " objects for this import, but it made " +
                               std::to_string(doc.importedObjects + removed.own) +
                               ": the other records could not be read (tessaro inspect shows their framing)");
  if (file.problems > 0)
    Add("framing", "the file has " + std::to_string(file.problems) +
                       (file.problems == 1 ? " framing problem" : " framing problems") +
                       " (tessaro inspect names them); the records skipped are not listed, as the broken "
                       "framing shows records the import does not meet");
  for (const auto &kv : listed_)
    if (kv.second > kListedPerKind)
      warnings_.push_back({kv.first, "and " + std::to_string(kv.second - kListedPerKind) + " more of this kind"});
  return std::move(warnings_);
}

namespace {

using Writer = rapidjson::PrettyWriter<rapidjson::StringBuffer>;

void Key(Writer &w, const char *k) { w.Key(k); }
void Text(Writer &w, const std::string &s) {
  const std::string utf8 = Utf8(s);
  w.String(utf8.c_str(), static_cast<rapidjson::SizeType>(utf8.size()));
}
void Number(Writer &w, double v) {
  if (std::isfinite(v)) w.Double(v);
  else w.Null();
}

void WriteDocumentFacts(Writer &w, const DocumentFacts &d) {
  w.StartObject();
  Key(w, "objects");
  w.Uint64(d.objects);
  Key(w, "objectsByType");
  w.StartObject();
  for (const auto &kv : d.objectsByType) {
    Key(w, kv.first.c_str());
    w.Uint64(kv.second);
  }
  w.EndObject();
  Key(w, "importedObjects");
  w.Uint64(d.importedObjects);
  Key(w, "polygons");
  w.Uint64(d.polygons);
  Key(w, "points");
  w.Uint64(d.points);
  Key(w, "materials");
  w.Uint64(d.materials);
  Key(w, "textureTags");
  w.Uint64(d.textureTags);
  Key(w, "tracks");
  w.Uint64(d.tracks);
  Key(w, "keys");
  w.Uint64(d.keys);
  Key(w, "boundingBox");
  if (!d.hasBounds) {
    w.Null();
  } else {
    w.StartObject();
    for (const char *corner : {"min", "max"}) {
      Key(w, corner);
      w.StartArray();
      for (int i = 0; i < 3; ++i) Number(w, corner[1] == 'i' ? d.lo[i] : d.hi[i]);
      w.EndArray();
    }
    w.EndObject();
  }
  Key(w, "fps");
  w.Int(d.fps);
  Key(w, "endTime");
  Number(w, d.endTime);
  w.EndObject();
}

void WriteEntry(Writer &w, const ReportEntry &e) {
  w.StartObject();
  Key(w, "file");
  Text(w, e.file);
  Key(w, "output");
  if (e.output.empty()) w.Null();
  else Text(w, e.output);
  Key(w, "status");
  w.Int(e.status);
  Key(w, "outcome");
  Text(w, e.outcome);
  if (!e.error.empty()) {
    Key(w, "error");
    Text(w, e.error);
  }
  Key(w, "answers");
  w.StartObject();
  for (const ConfirmedAnswer &a : e.answers) {
    Key(w, Utf8(a.label).c_str());
    if (a.number) Number(w, a.numberValue);
    else Text(w, a.value);
  }
  w.EndObject();
  Key(w, "storedByEarlierRun");
  w.StartArray();
  for (const ConfirmedAnswer &a : e.answers)
    if (a.stored) Text(w, a.label);
  w.EndArray();
  Key(w, "load");
  if (!e.loaded) {
    w.Null();
  } else {
    w.StartObject();
    Key(w, "code");
    w.Int(e.code);
    Key(w, "meaning");
    Text(w, e.meaning);
    w.EndObject();
  }
  Key(w, "document");
  if (!e.document) w.Null();
  else WriteDocumentFacts(w, *e.document);
  Key(w, "records");
  if (!e.records) {
    w.Null();
  } else {
    w.StartObject();
    Key(w, "total");
    w.Uint64(e.records->total);
    Key(w, "objects");
    w.Uint64(e.records->objects);
    Key(w, "materials");
    w.Uint64(e.records->materials);
    Key(w, "framingProblems");
    w.Int(e.records->problems);
    w.EndObject();
  }
  Key(w, "warnings");
  w.StartArray();
  for (const ReportWarning &x : e.warnings) {
    w.StartObject();
    Key(w, "kind");
    Text(w, x.kind);
    Key(w, "text");
    Text(w, x.text);
    w.EndObject();
  }
  w.EndArray();
  w.EndObject();
}

}  // namespace

bool WriteReport(const std::vector<ReportEntry> &entries, const std::string &path, std::string *error) {
  rapidjson::StringBuffer buffer;
  Writer w(buffer);
  w.SetIndent(' ', 2);
  size_t imported = 0, truncated = 0, cancelled = 0, failed = 0;
  w.StartObject();
  Key(w, "tessaro");
  Text(w, TESSARO_VERSION);
  Key(w, "files");
  w.StartArray();
  for (const ReportEntry &e : entries) {
    WriteEntry(w, e);
    if (e.outcome == "imported") ++imported;
    else if (e.outcome == "truncated") ++truncated;
    else if (e.outcome == "cancelled") ++cancelled;
    else ++failed;
  }
  w.EndArray();
  Key(w, "totals");
  w.StartObject();
  Key(w, "files");
  w.Uint64(entries.size());
  Key(w, "imported");
  w.Uint64(imported);
  Key(w, "truncated");
  w.Uint64(truncated);
  Key(w, "cancelled");
  w.Uint64(cancelled);
  Key(w, "failed");
  w.Uint64(failed);
  w.EndObject();
  w.EndObject();
  const std::string bytes = std::string(buffer.GetString(), buffer.GetSize()) + "\n";
  if (path == "-") {
    std::string reason;
    if (WriteStream(stdout, [&](std::FILE *f) { return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size(); },
                    &reason))
      return true;
    *error = "cannot write the report to standard output: " + reason;
    return false;
  }
  return WriteOutputBytes(path, bytes, error);
}

}  // namespace tessaro

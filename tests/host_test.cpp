// The stand-in host on its own: the document file, the file object and
// the stored plug-in data.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <rapidjson/document.h>

#include "DocumentFile.h"
#include "Handles.h"
#include "Tables.h"
#include "support.h"

namespace {

using tessaro::Host;

class HostModelTest : public ::testing::Test {
 protected:
  void SetUp() override { host_ = std::make_unique<Host>(dir_.File("prefs.json")); }
  tessaro::Object *Add(tessaro::Document *doc, tessaro::Object *parent, int32_t type, const std::string &name) {
    auto *o = host_->Elements().Make<tessaro::Object>(type);
    o->name = name;
    doc->AppendObject(*o, parent);
    return o;
  }
  std::string Write(const tessaro::Document &doc, const std::string &name, bool base64Arrays = false) {
    std::string why;
    EXPECT_TRUE(tessaro::WriteDocumentFile(doc, dir_.File(name), &why, base64Arrays)) << why;
    return testsupport::ReadText(dir_.File(name));
  }
  std::string ReadError(const std::string &text) {
    testsupport::WriteText(dir_.File("bad.json"), text);
    tessaro::Document *doc = host_->NewDocument("bad");
    std::string why;
    EXPECT_FALSE(tessaro::ReadDocumentFile(*host_, dir_.File("bad.json"), doc, &why));
    host_->KillDocument(doc);
    return why;
  }

  testsupport::TempDir dir_;
  std::unique_ptr<Host> host_;
};

TEST_F(HostModelTest, RealsReadBackExactlyAndLookLikeReals) {
  const float values[] = {1.0f, 0.1f, -0.0f, 1e30f, 16777216.0f, 3.4028235e38f, 1.4e-45f, 0.333333343f};
  for (float v : values) {
    std::string s = tessaro::FormatReal(v);
    EXPECT_NE(s.find_first_of(".e"), std::string::npos) << s;
    EXPECT_EQ(std::strtof(s.c_str(), nullptr), v) << s;
  }
  EXPECT_EQ(tessaro::FormatReal(1.0f), "1.0");
  EXPECT_EQ(tessaro::FormatReal(0.1f), "0.1");
  EXPECT_EQ(tessaro::FormatReal(NAN), "\"nan\"");
}

TEST_F(HostModelTest, DocumentsReadBackToTheSameBytes) {
  tessaro::Document *doc = host_->ActiveDocument();
  tessaro::Object *root = Add(doc, nullptr, 5140, "Root \"quoted\"");
  root->pos = {1.5f, -2.0f, 0.1f};
  root->ml.off = {3, 4, 5};
  root->bits = 8;
  root->editorMode = 1;
  root->params["1000"] = tessaro::Value::OfLong(3);
  root->params["1001"] = tessaro::Value::OfReal(3.0f);
  root->params["1002.1"] = tessaro::Value::OfVector({1, 2, 3});
  root->params["1003"] = tessaro::Value::OfReal(NAN);
  tessaro::Object *child = Add(doc, root, 5100, "Child");
  auto *mat = host_->Elements().Make<tessaro::Material>(5703);
  mat->name = "Red";
  mat->bits = 8;
  mat->channels[2].state = 1;
  mat->channels[0].data[1000] = tessaro::Value::OfVector({1, 0, 0});
  mat->channels[0].data[1002] = tessaro::Value::OfText("red.png");
  mat->params["1016"] = tessaro::Value::OfReal(0.5f);
  doc->AppendMaterial(*mat);
  auto tag = [&](int32_t type, size_t entrySize, int32_t entries) {
    auto *t = host_->Elements().Make<tessaro::Tag>(type);
    t->entries = entries;
    t->payload.resize(entrySize * entries);
    for (size_t i = 0; i < t->payload.size(); i += 4) {
      int32_t v = int32_t(i / 4);
      float f = float(i) / 8;
      std::memcpy(&t->payload[i], type == 5604 ? static_cast<void *>(&v) : static_cast<void *>(&f), 4);
    }
    child->AppendTag(*t);
    return t;
  };
  tessaro::Tag *texture = tag(5616, 0, 0);
  texture->name = "Texture";
  texture->bits = 8;
  texture->params["10"] = tessaro::Value::OfText("Red");
  texture->LinkMaterial(mat);
  texture->pos = {1, 2, 3};
  texture->ml.v2 = {0, 0.5f, 0};
  tag(5616, 0, 0);  // links no material
  tag(5600, 12, 3);
  tag(5604, 16, 2);
  tag(5671, 48, 2);
  tag(5612, 0, 0)->params["1002"] = tessaro::Value::OfReal(0.5f);
  tessaro::Object *spline = Add(doc, nullptr, 5101, "Spline");
  spline->spline = true;
  spline->splineType = 2;
  spline->splinePointCount = 7;
  tessaro::Object *camera = Add(doc, child, 5103, "Camera");
  camera->camera = true;
  camera->focus = 35;
  camera->projection = 2;
  auto *track = host_->Elements().Make<tessaro::Track>(th_descid{2, {903, 1000, 0}});
  camera->InsertTrack(*track, nullptr);
  auto *seq = host_->Elements().Make<tessaro::Sequence>(5002);
  seq->end = {90, 30};
  track->AppendSequence(*seq);
  auto *key = host_->Elements().Make<tessaro::AnimationKey>(5002);
  key->time = {15, 30};
  key->data[0] = 2.5f;
  seq->InsertKey(*key);
  doc->views[0].LookThrough(camera);
  doc->fps = 25;
  doc->maxTimeNum = 120;
  doc->maxTimeDen = 25;
  for (int i = 0; i < 2; ++i) doc->InsertRenderData(*host_->Elements().Make<tessaro::RenderData>(), nullptr);
  doc->undo = {{{40, "object", "Root"}, {44, "object", "Child"}}};

  std::string first = Write(*doc, "first.json");
  tessaro::Document *back = host_->NewDocument("back");
  std::string why;
  ASSERT_TRUE(tessaro::ReadDocumentFile(*host_, dir_.File("first.json"), back, &why)) << why;
  EXPECT_EQ(Write(*back, "second.json"), first);
  EXPECT_EQ(back->objects.first->params.at("1000").type, tessaro::Value::Long);
  EXPECT_EQ(back->objects.first->params.at("1001").type, tessaro::Value::Real);
  EXPECT_TRUE(std::isnan(back->objects.first->params.at("1003").r));
  const auto *backChild = static_cast<const tessaro::Object *>(
      static_cast<tessaro::Object *>(back->objects.first)->children.first);
  const auto *backTexture = static_cast<const tessaro::Tag *>(backChild->tags.first);
  EXPECT_EQ(backTexture->material, back->materials.first) << "the link is made by name";
  EXPECT_NE(first.find("\"material\": null"), std::string::npos);
  const auto *backMaterial = static_cast<const tessaro::Material *>(back->materials.first);
  EXPECT_EQ(backMaterial->channels[0].data.at(1002).s, "red.png");
  EXPECT_EQ(backMaterial->channels[2].state, 1);
  EXPECT_EQ(back->MaterialsNamed("Red"), 1u) << "read materials take part in the name check";
  EXPECT_NE(first.find("\"sceneCamera\": \"Root \\\"quoted\\\"/Child/Camera\""), std::string::npos) << first;
  EXPECT_NE(first.find("\"id\": [903, 1000]"), std::string::npos);
  EXPECT_EQ(back->renderData.count, 2u);

  // Tag arrays as base64 read back to the same document, NaN and all.
  auto *points = static_cast<tessaro::Tag *>(backChild->tags.first->next->next);
  points->payload[2] = 0xC0, points->payload[3] = 0x7F;  // the first point's x: NaN
  std::string plain = Write(*back, "plain.json");
  std::string packed = Write(*back, "packed.json", true);
  EXPECT_NE(packed.find("\"polygons\": \"AAAAAAEAAAACAAAAAwAAAAQAAAAFAAAABgAAAAcAAAA=\""), std::string::npos) << packed;
  tessaro::Document *unpacked = host_->NewDocument("unpacked");
  ASSERT_TRUE(tessaro::ReadDocumentFile(*host_, dir_.File("packed.json"), unpacked, &why)) << why;
  EXPECT_EQ(Write(*unpacked, "unpacked.json"), plain);
  EXPECT_EQ(host_->LooseElements(), 0u);
}

TEST_F(HostModelTest, EveryByteAndEveryReferenceReadsBack) {
  tessaro::Document *doc = host_->ActiveDocument();
  // Every byte value in names and texts, namesakes, and a "/" in a name.
  std::string bytes;
  for (int b = 1; b < 256; ++b) bytes += static_cast<char>(b);
  auto material = [&](const std::string &name) {
    auto *m = host_->Elements().Make<tessaro::Material>(5703);
    m->name = name;
    doc->AppendMaterial(*m);
    return m;
  };
  material("Oak");
  tessaro::Material *second = material("Oak");
  tessaro::Material *odd = material(bytes);
  odd->channels[0].data[1002] = tessaro::Value::OfText(bytes);
  tessaro::Object *root = Add(doc, nullptr, 5140, bytes);
  Add(doc, root, 5100, "Cam");
  tessaro::Object *camera = Add(doc, root, 5103, "Cam");
  tessaro::Object *slashed = Add(doc, nullptr, 5103, "Front/Left");
  auto texture = [&](tessaro::Object *o, tessaro::Material *m) {
    auto *t = host_->Elements().Make<tessaro::Tag>(5616);
    o->AppendTag(*t);
    t->LinkMaterial(m);
  };
  texture(camera, second);
  texture(camera, odd);
  doc->views.resize(2);
  doc->views[0].LookThrough(camera);
  doc->views[1].LookThrough(slashed);
  doc->undo = {{{40, "object", bytes}}};

  std::string first = Write(*doc, "first.json");
  rapidjson::Document strict;
  strict.Parse<rapidjson::kParseValidateEncodingFlag>(first.c_str(), first.size());
  EXPECT_FALSE(strict.HasParseError()) << "the document is UTF-8 that a strict reader takes";
  EXPECT_NE(first.find("\xc3\xbc"), std::string::npos) << "the byte 0xFC is the letter U+00FC";
  tessaro::Document *back = host_->NewDocument("back");
  std::string why;
  ASSERT_TRUE(tessaro::ReadDocumentFile(*host_, dir_.File("first.json"), back, &why)) << why;
  EXPECT_EQ(Write(*back, "second.json"), first);
  const auto *backRoot = static_cast<const tessaro::Object *>(back->objects.first);
  EXPECT_EQ(backRoot->name, bytes);
  const tessaro::Element *backCamera = backRoot->children.last;
  EXPECT_EQ(back->views[0].camera, backCamera) << "the second of two namesakes";
  EXPECT_EQ(back->views[1].camera, back->objects.last) << "a name holding a slash";
  const auto *link = static_cast<const tessaro::Tag *>(static_cast<const tessaro::Object *>(backCamera)->tags.first);
  EXPECT_EQ(link->material, back->materials.first->next) << "the second material of the name";
  EXPECT_EQ(static_cast<const tessaro::Tag *>(link->next)->material, back->materials.last);
  EXPECT_EQ(static_cast<const tessaro::Material *>(back->materials.last)->channels[0].data.at(1002).s, bytes);
  EXPECT_EQ(back->undo[0][0].name, bytes);

  // Text beyond what a byte holds is refused by name; other JSON readers'
  // UTF-8 of 8-bit letters is taken.
  EXPECT_NE(ReadError("{\"objects\": [{\"type\": 5100, \"name\": \"\u65e5\"}]}").find("U+65E5"), std::string::npos);
  testsupport::WriteText(dir_.File("letters.json"), "{\"objects\": [{\"type\": 5100, \"name\": \"W\u00fcrfel\"}]}");
  tessaro::Document *letters = host_->NewDocument("letters");
  ASSERT_TRUE(tessaro::ReadDocumentFile(*host_, dir_.File("letters.json"), letters, &why)) << why;
  EXPECT_EQ(letters->objects.first->name, "W\xfcrfel");
}

TEST_F(HostModelTest, DeepHierarchiesWriteAndSummariseWithoutRecursion) {
  // Far deeper than a stack holds frames of a recursive walk.
  tessaro::Document *doc = host_->ActiveDocument();
  tessaro::Object *parent = nullptr;
  const int depth = 200000;
  for (int i = 0; i < depth; ++i) parent = Add(doc, parent, 5140, "L");
  std::string text = Write(*doc, "deep.json");
  EXPECT_LT(text.size(), static_cast<size_t>(depth) * 400) << "the size grows with the objects, not their depth";
  std::FILE *out = std::fopen(dir_.File("summary.txt").c_str(), "w");
  ASSERT_NE(out, nullptr);
  tessaro::WriteSummary(*doc, out);
  std::fclose(out);
  EXPECT_NE(testsupport::ReadText(dir_.File("summary.txt")).find("objects: 200000"), std::string::npos);
  host_->KillDocument(doc);  // and taken down without recursion
}

// Read back, every field the document file carries holds the value it was
// given. Compared with the values themselves, not with a second write: a
// writer and a reader that put a field in another's place would agree on
// bytes and still be wrong.
class DocumentValuesTest : public HostModelTest {
 protected:
  // Each call a value no other field has, so a field read into another's
  // place shows; none is a default (0, 1, 36, ...).
  float Next() { return next_ += 1.25f; }
  th_vector NextVec() {
    const float x = Next(), y = Next();
    return {x, y, Next()};
  }
  th_matrix NextMatrix() {
    const th_vector off = NextVec(), v1 = NextVec(), v2 = NextVec();
    return {off, v1, v2, NextVec()};
  }
  th_time NextTime() {
    const double n = Next();
    return {n, double(Next())};
  }
  int32_t NextInt() { return ++int_ * 7; }
  // One parameter of every value type, with one-level and two-level IDs.
  std::map<std::string, tessaro::Value> NextParams() {
    std::map<std::string, tessaro::Value> p;
    p["1000"] = tessaro::Value::OfLong(NextInt());
    p["1001"] = tessaro::Value::OfReal(Next());
    p["1002"] = tessaro::Value::OfVector(NextVec());
    p["1003"] = tessaro::Value::OfText("text " + std::to_string(NextInt()));
    p["1004"] = tessaro::Value::OfTime(NextTime());
    p["1005.2"] = tessaro::Value::OfReal(Next());
    return p;
  }

  tessaro::Tag *AddTag(tessaro::Object *o, int32_t type, int32_t entries) {
    auto *t = host_->Elements().Make<tessaro::Tag>(type);
    t->name = "tag " + std::to_string(NextInt());
    t->bits = NextInt();
    t->params = NextParams();
    t->entries = entries;
    t->payload.resize(tessaro::VariableTagEntrySize(type) * size_t(entries));
    for (size_t i = 0; i < t->payload.size(); i += 4) {
      if (type == 5604) {
        const int32_t v = NextInt();
        std::memcpy(&t->payload[i], &v, 4);
      } else {
        const float f = Next();
        std::memcpy(&t->payload[i], &f, 4);
      }
    }
    o->AppendTag(*t);
    return t;
  }
  tessaro::Object *AddFull(tessaro::Document *doc, tessaro::Object *parent, int32_t type, const std::string &name) {
    tessaro::Object *o = Add(doc, parent, type, name);
    o->pos = NextVec();
    o->scale = NextVec();
    o->rot = NextVec();
    o->ml = NextMatrix();
    o->bits = NextInt();
    o->editorMode = NextInt();
    o->renderMode = NextInt();
    o->params = NextParams();
    return o;
  }
  tessaro::Material *AddMaterial(tessaro::Document *doc, const std::string &name) {
    auto *m = host_->Elements().Make<tessaro::Material>(5703);
    m->name = name;
    m->bits = NextInt();
    for (size_t c = 0; c < m->channels.size(); ++c) {
      // The opposite of a new material's states, and a value of its own in
      // every channel.
      m->channels[c].state = c % 2 == 0 ? 0 : 1;
      m->channels[c].data[int32_t(1000 + c)] = tessaro::Value::OfReal(Next());
    }
    m->channels[3].data[2000] = tessaro::Value::OfLong(NextInt());
    m->channels[3].data[2001] = tessaro::Value::OfVector(NextVec());
    m->channels[3].data[2002] = tessaro::Value::OfText("file " + std::to_string(NextInt()) + ".png");
    m->channels[3].data[2003] = tessaro::Value::OfTime(NextTime());
    m->params = NextParams();
    doc->AppendMaterial(*m);
    return m;
  }
  void AddTrack(tessaro::Object *o, th_descid id, int sequences) {
    auto *track = host_->Elements().Make<tessaro::Track>(id);
    o->InsertTrack(*track, nullptr);
    for (int s = 0; s < sequences; ++s) {
      auto *seq = host_->Elements().Make<tessaro::Sequence>(5002);
      seq->start = NextTime();
      seq->end = NextTime();
      track->AppendSequence(*seq);
      for (int k = 0; k < 2; ++k) {
        auto *key = host_->Elements().Make<tessaro::AnimationKey>(5002);
        key->time = NextTime();
        for (float &d : key->data) d = Next();
        // As read from a file: in the order given, whatever the times.
        seq->AppendKey(*key);
      }
    }
  }

  // ---- comparing what was set with what was read -------------------------------

  static void ExpectTime(const th_time &set, const th_time &back, const std::string &at) {
    EXPECT_EQ(back.numerator, set.numerator) << at;
    EXPECT_EQ(back.denominator, set.denominator) << at;
  }
  static void ExpectMatrix(const th_matrix &set, const th_matrix &back, const std::string &at) {
    EXPECT_EQ(back.off, set.off) << at << "/off";
    EXPECT_EQ(back.v1, set.v1) << at << "/v1";
    EXPECT_EQ(back.v2, set.v2) << at << "/v2";
    EXPECT_EQ(back.v3, set.v3) << at << "/v3";
  }
  static void ExpectValue(const tessaro::Value &set, const tessaro::Value &back, const std::string &at) {
    ASSERT_EQ(back.type, set.type) << at;
    switch (set.type) {
      case tessaro::Value::Long: EXPECT_EQ(back.l, set.l) << at; break;
      case tessaro::Value::Real: EXPECT_EQ(back.r, set.r) << at; break;
      case tessaro::Value::Vector: EXPECT_EQ(back.v, set.v) << at; break;
      case tessaro::Value::Text: EXPECT_EQ(back.s, set.s) << at; break;
      case tessaro::Value::Time: ExpectTime(set.t, back.t, at); break;
    }
  }
  static std::string KeyText(int32_t key) { return std::to_string(key); }
  static std::string KeyText(const std::string &key) { return key; }
  template <class Map>
  static void ExpectValues(const Map &set, const Map &back, const std::string &at) {
    EXPECT_EQ(back.size(), set.size()) << at;
    for (const auto &kv : set) {
      const auto it = back.find(kv.first);
      if (it == back.end()) {
        ADD_FAILURE() << at << "/" << kv.first << " was not read back";
        continue;
      }
      ExpectValue(kv.second, it->second, at + "/" + KeyText(kv.first));
    }
  }
  static std::vector<const tessaro::Element *> Elements(const tessaro::ElementList &list) {
    std::vector<const tessaro::Element *> out;
    for (const tessaro::Element *e = list.first; e; e = e->next) out.push_back(e);
    return out;
  }
  static size_t IndexIn(const tessaro::ElementList &list, const tessaro::Element *e) {
    size_t i = 0;
    for (const tessaro::Element *x = list.first; x; x = x->next, ++i)
      if (x == e) return i;
    return SIZE_MAX;
  }
  // The element at the same place of the other document: the same indices
  // from the top level down.
  static const tessaro::Element *SamePlace(const tessaro::Document &from, const tessaro::Element *e,
                                           const tessaro::Document &in) {
    std::vector<size_t> path;
    for (const tessaro::Element *x = e; x; x = x->owner)
      path.insert(path.begin(), IndexIn(x->owner ? static_cast<const tessaro::Object *>(x->owner)->children
                                                 : from.objects, x));
    const tessaro::ElementList *list = &in.objects;
    const tessaro::Element *found = nullptr;
    for (size_t i : path) {
      std::vector<const tessaro::Element *> here = Elements(*list);
      if (i >= here.size()) return nullptr;
      found = here[i];
      list = &static_cast<const tessaro::Object *>(found)->children;
    }
    return found;
  }

  void ExpectTag(const tessaro::Tag &set, const tessaro::Tag &back, const std::string &at) {
    EXPECT_EQ(back.type, set.type) << at;
    EXPECT_EQ(back.name, set.name) << at << "/name";
    EXPECT_EQ(back.bits, set.bits) << at << "/bits";
    EXPECT_EQ(back.entries, set.entries) << at << "/entries";
    EXPECT_EQ(back.payload.size(), set.payload.size()) << at;
    if (set.type == 5600) {
      EXPECT_EQ(testsupport::TagData<th_vector>(&back), testsupport::TagData<th_vector>(&set)) << at << "/points";
    }
    if (set.type == 5604) {
      EXPECT_EQ(testsupport::TagData<th_polygon>(&back), testsupport::TagData<th_polygon>(&set)) << at << "/polygons";
    }
    if (set.type == 5671) {
      std::vector<th_uvw> s = testsupport::TagData<th_uvw>(&set), b = testsupport::TagData<th_uvw>(&back);
      ASSERT_EQ(b.size(), s.size()) << at << "/uvw";
      for (size_t i = 0; i < s.size(); ++i) {
        const std::string here = at + "/uvw/" + std::to_string(i);
        EXPECT_EQ(b[i].a, s[i].a) << here;
        EXPECT_EQ(b[i].b, s[i].b) << here;
        EXPECT_EQ(b[i].c, s[i].c) << here;
        EXPECT_EQ(b[i].d, s[i].d) << here;
      }
    }
    if (set.type == 5616) {
      EXPECT_EQ(back.pos, set.pos) << at << "/pos";
      EXPECT_EQ(back.scale, set.scale) << at << "/scale";
      EXPECT_EQ(back.rot, set.rot) << at << "/rot";
      ExpectMatrix(set.ml, back.ml, at + "/matrix");
      // Linked to the material at the same place of the document read.
      const tessaro::Element *material = set.material ? Elements(back_->materials).at(IndexIn(doc_->materials, set.material)) : nullptr;
      EXPECT_EQ(back.material, material) << at << "/material";
      if (material) {
        EXPECT_EQ(back.materialSerial, material->serial) << at << "/material";
      }
    }
    ExpectValues(set.params, back.params, at + "/params");
  }

  void ExpectObject(const tessaro::Object &set, const tessaro::Object &back, const std::string &at) {
    EXPECT_EQ(back.type, set.type) << at << "/type";
    EXPECT_EQ(back.name, set.name) << at << "/name";
    EXPECT_EQ(back.pos, set.pos) << at << "/pos";
    EXPECT_EQ(back.scale, set.scale) << at << "/scale";
    EXPECT_EQ(back.rot, set.rot) << at << "/rot";
    ExpectMatrix(set.ml, back.ml, at + "/matrix");
    EXPECT_EQ(back.camera, set.camera) << at << "/camera";
    EXPECT_EQ(back.focus, set.focus) << at << "/camera/focus";
    EXPECT_EQ(back.aperture, set.aperture) << at << "/camera/aperture";
    EXPECT_EQ(back.projection, set.projection) << at << "/camera/projection";
    EXPECT_EQ(back.spline, set.spline) << at << "/spline";
    EXPECT_EQ(back.splineType, set.splineType) << at << "/spline/type";
    EXPECT_EQ(back.splinePointCount, set.splinePointCount) << at << "/spline/pointCount";
    EXPECT_EQ(back.bits, set.bits) << at << "/bits";
    EXPECT_EQ(back.editorMode, set.editorMode) << at << "/editorMode";
    EXPECT_EQ(back.renderMode, set.renderMode) << at << "/renderMode";
    ExpectValues(set.params, back.params, at + "/params");

    std::vector<const tessaro::Element *> setTags = Elements(set.tags), backTags = Elements(back.tags);
    ASSERT_EQ(backTags.size(), setTags.size()) << at << "/tags";
    for (size_t i = 0; i < setTags.size(); ++i)
      ExpectTag(static_cast<const tessaro::Tag &>(*setTags[i]), static_cast<const tessaro::Tag &>(*backTags[i]),
                at + "/tags/" + std::to_string(i));

    std::vector<const tessaro::Element *> setTracks = Elements(set.tracks), backTracks = Elements(back.tracks);
    ASSERT_EQ(backTracks.size(), setTracks.size()) << at << "/tracks";
    for (size_t i = 0; i < setTracks.size(); ++i) {
      const auto &s = static_cast<const tessaro::Track &>(*setTracks[i]);
      const auto &b = static_cast<const tessaro::Track &>(*backTracks[i]);
      const std::string here = at + "/tracks/" + std::to_string(i);
      ASSERT_EQ(b.id.count, s.id.count) << here << "/id";
      for (int32_t l = 0; l < s.id.count; ++l) EXPECT_EQ(b.id.id[l], s.id.id[l]) << here << "/id/" << l;
      std::vector<const tessaro::Element *> setSeqs = Elements(s.sequences), backSeqs = Elements(b.sequences);
      ASSERT_EQ(backSeqs.size(), setSeqs.size()) << here << "/sequences";
      for (size_t q = 0; q < setSeqs.size(); ++q) {
        const auto &sq = static_cast<const tessaro::Sequence &>(*setSeqs[q]);
        const auto &bq = static_cast<const tessaro::Sequence &>(*backSeqs[q]);
        const std::string seq = here + "/sequences/" + std::to_string(q);
        ExpectTime(sq.start, bq.start, seq + "/start");
        ExpectTime(sq.end, bq.end, seq + "/end");
        std::vector<const tessaro::Element *> setKeys = Elements(sq.keys), backKeys = Elements(bq.keys);
        ASSERT_EQ(backKeys.size(), setKeys.size()) << seq << "/keys";
        for (size_t k = 0; k < setKeys.size(); ++k) {
          const auto &sk = static_cast<const tessaro::AnimationKey &>(*setKeys[k]);
          const auto &bk = static_cast<const tessaro::AnimationKey &>(*backKeys[k]);
          const std::string key = seq + "/keys/" + std::to_string(k);
          ExpectTime(sk.time, bk.time, key + "/time");
          for (int d = 0; d < 3; ++d) EXPECT_EQ(bk.data[d], sk.data[d]) << key << "/data/" << d;
        }
      }
    }

    std::vector<const tessaro::Element *> setChildren = Elements(set.children), backChildren = Elements(back.children);
    ASSERT_EQ(backChildren.size(), setChildren.size()) << at << "/children";
    for (size_t i = 0; i < setChildren.size(); ++i)
      ExpectObject(static_cast<const tessaro::Object &>(*setChildren[i]),
                   static_cast<const tessaro::Object &>(*backChildren[i]), at + "/children/" + std::to_string(i));
  }

  // ---- the file's own keys ------------------------------------------------------

  // A write-then-read that gets every value back still passes a writer and
  // a reader that swap the same two fields: each value must also stand in
  // the file under its own key. The values are distinct, so a key followed
  // by the value is found only where it belongs.
  static std::string Written(float v) { return tessaro::FormatReal(v); }
  static std::string Written(const th_vector &v) {
    return "[" + Written(v.x) + ", " + Written(v.y) + ", " + Written(v.z) + "]";
  }
  static std::string Written(const th_time &t) {
    return "[" + Written(float(t.numerator)) + ", " + Written(float(t.denominator)) + "]";
  }
  void ExpectKey(const std::string &key, const std::string &value, const std::string &at) {
    EXPECT_NE(text_.find("\"" + key + "\": " + value), std::string::npos)
        << at << ": the file has no \"" << key << "\": " << value;
  }
  void ExpectMatrixKeys(const th_matrix &m, const std::string &at) {
    ExpectKey("off", Written(m.off), at);
    ExpectKey("v1", Written(m.v1), at);
    ExpectKey("v2", Written(m.v2), at);
    ExpectKey("v3", Written(m.v3), at);
  }
  void ExpectObjectKeys(const tessaro::Object &o, const std::string &at) {
    ExpectKey("pos", Written(o.pos), at);
    ExpectKey("scale", Written(o.scale), at);
    ExpectKey("rot", Written(o.rot), at);
    ExpectMatrixKeys(o.ml, at + "/matrix");
    if (o.camera) {
      ExpectKey("focus", Written(o.focus), at);
      ExpectKey("aperture", Written(o.aperture), at);
      ExpectKey("projection", std::to_string(o.projection), at);
    }
    if (o.spline) {
      ExpectKey("type", std::to_string(o.splineType), at + "/spline");
      ExpectKey("pointCount", std::to_string(o.splinePointCount), at + "/spline");
    }
    ExpectKey("bits", std::to_string(o.bits), at);
    ExpectKey("editorMode", std::to_string(o.editorMode), at);
    ExpectKey("renderMode", std::to_string(o.renderMode), at);
    for (const tessaro::Element *e = o.tags.first; e; e = e->next) {
      const auto &t = static_cast<const tessaro::Tag &>(*e);
      ExpectKey("bits", std::to_string(t.bits), at + "/tags");
      if (t.type != 5616) continue;
      ExpectKey("pos", Written(t.pos), at + "/tags");
      ExpectKey("scale", Written(t.scale), at + "/tags");
      ExpectKey("rot", Written(t.rot), at + "/tags");
      ExpectMatrixKeys(t.ml, at + "/tags/matrix");
    }
    for (const tessaro::Element *t = o.tracks.first; t; t = t->next)
      for (const tessaro::Element *q = static_cast<const tessaro::Track *>(t)->sequences.first; q; q = q->next) {
        const auto &seq = static_cast<const tessaro::Sequence &>(*q);
        ExpectKey("start", Written(seq.start), at + "/tracks");
        ExpectKey("end", Written(seq.end), at + "/tracks");
        for (const tessaro::Element *k = seq.keys.first; k; k = k->next) {
          const auto &key = static_cast<const tessaro::AnimationKey &>(*k);
          ExpectKey("time", Written(key.time), at + "/tracks");
          ExpectKey("data", Written(th_vector{key.data[0], key.data[1], key.data[2]}), at + "/tracks");
        }
      }
    for (const tessaro::Element *c = o.children.first; c; c = c->next)
      ExpectObjectKeys(static_cast<const tessaro::Object &>(*c), at + "/children");
  }

  float next_ = 0.5f;
  int32_t int_ = 2;
  std::string text_;
  tessaro::Document *doc_ = nullptr;
  tessaro::Document *back_ = nullptr;
};

TEST_F(DocumentValuesTest, EveryFieldReadsBackAsItWasSet) {
  doc_ = host_->ActiveDocument();
  tessaro::Material *first = AddMaterial(doc_, "First");
  tessaro::Material *second = AddMaterial(doc_, "Second");
  (void)first;

  tessaro::Object *parent = AddFull(doc_, nullptr, 5140, "Parent");
  AddTrack(parent, th_descid{1, {1110, 0, 0}}, 1);
  AddTrack(parent, th_descid{2, {903, 1001, 0}}, 2);
  tessaro::Object *mesh = AddFull(doc_, parent, 5100, "Mesh");
  AddTag(mesh, 5600, 3);
  AddTag(mesh, 5604, 2);
  AddTag(mesh, 5671, 2);
  tessaro::Tag *texture = AddTag(mesh, 5616, 0);
  texture->pos = NextVec();
  texture->scale = NextVec();
  texture->rot = NextVec();
  texture->ml = NextMatrix();
  texture->material = second;  // not the first: a link read as "the first material" shows
  texture->materialSerial = second->serial;
  AddTag(mesh, 5616, 0);  // links no material
  tessaro::Tag *phong = AddTag(mesh, 5612, 0);
  phong->params["1001"] = tessaro::Value::OfLong(1);
  phong->params["1002"] = tessaro::Value::OfReal(Next());
  tessaro::Object *camera = AddFull(doc_, parent, 5103, "Camera");
  camera->camera = true;
  camera->focus = Next();
  camera->aperture = Next();
  camera->projection = NextInt();
  AddTrack(camera, th_descid{1, {1006, 0, 0}}, 1);
  tessaro::Object *spline = AddFull(doc_, nullptr, 5101, "Spline");
  spline->spline = true;
  spline->splineType = NextInt();
  spline->splinePointCount = NextInt();

  doc_->fps = 24;
  doc_->maxTimeNum = Next();
  doc_->maxTimeDen = 24;
  for (int i = 0; i < 3; ++i) doc_->InsertRenderData(*host_->Elements().Make<tessaro::RenderData>(), nullptr);
  // Two views: one through an object below another, one through none.
  doc_->views.assign(2, tessaro::View());
  doc_->views[0].LookThrough(camera);
  doc_->undo = {{{40, "object", "Parent"}, {44, "material", "Second"}}, {{44, "tag", "Mesh"}}};

  std::string why;
  ASSERT_TRUE(tessaro::WriteDocumentFile(*doc_, dir_.File("values.json"), &why)) << why;
  back_ = host_->NewDocument("back");
  ASSERT_TRUE(tessaro::ReadDocumentFile(*host_, dir_.File("values.json"), back_, &why)) << why;

  std::vector<const tessaro::Element *> setObjects = Elements(doc_->objects), backObjects = Elements(back_->objects);
  ASSERT_EQ(backObjects.size(), setObjects.size());
  for (size_t i = 0; i < setObjects.size(); ++i)
    ExpectObject(static_cast<const tessaro::Object &>(*setObjects[i]),
                 static_cast<const tessaro::Object &>(*backObjects[i]), "/objects/" + std::to_string(i));

  std::vector<const tessaro::Element *> setMaterials = Elements(doc_->materials), backMaterials = Elements(back_->materials);
  ASSERT_EQ(backMaterials.size(), setMaterials.size());
  for (size_t i = 0; i < setMaterials.size(); ++i) {
    const auto &s = static_cast<const tessaro::Material &>(*setMaterials[i]);
    const auto &b = static_cast<const tessaro::Material &>(*backMaterials[i]);
    const std::string at = "/materials/" + std::to_string(i);
    EXPECT_EQ(b.name, s.name) << at << "/name";
    EXPECT_EQ(b.bits, s.bits) << at << "/bits";
    ASSERT_EQ(b.channels.size(), s.channels.size()) << at << "/channels";
    for (size_t c = 0; c < s.channels.size(); ++c) {
      EXPECT_EQ(b.channels[c].state, s.channels[c].state) << at << "/channels/" << c << "/state";
      ExpectValues(s.channels[c].data, b.channels[c].data, at + "/channels/" + std::to_string(c) + "/data");
    }
    ExpectValues(s.params, b.params, at + "/params");
  }

  EXPECT_EQ(back_->fps, doc_->fps);
  EXPECT_EQ(back_->maxTimeNum, doc_->maxTimeNum);
  EXPECT_EQ(back_->maxTimeDen, doc_->maxTimeDen);
  EXPECT_EQ(back_->renderData.count, doc_->renderData.count);
  ASSERT_EQ(back_->views.size(), doc_->views.size());
  EXPECT_EQ(back_->views[0].camera, SamePlace(*doc_, camera, *back_)) << "the camera below the parent";
  ASSERT_NE(back_->views[0].camera, nullptr);
  EXPECT_EQ(back_->views[0].cameraSerial, back_->views[0].camera->serial);
  EXPECT_EQ(back_->views[1].camera, nullptr);
  ASSERT_EQ(back_->undo.size(), doc_->undo.size());
  for (size_t s = 0; s < doc_->undo.size(); ++s) {
    ASSERT_EQ(back_->undo[s].size(), doc_->undo[s].size()) << "undo step " << s;
    for (size_t e = 0; e < doc_->undo[s].size(); ++e) {
      EXPECT_EQ(back_->undo[s][e].type, doc_->undo[s][e].type) << "undo " << s << "/" << e;
      EXPECT_EQ(back_->undo[s][e].kind, doc_->undo[s][e].kind) << "undo " << s << "/" << e;
      EXPECT_EQ(back_->undo[s][e].name, doc_->undo[s][e].name) << "undo " << s << "/" << e;
    }
  }
  EXPECT_EQ(host_->LooseElements(), 0u);

  text_ = testsupport::ReadText(dir_.File("values.json"));
  for (const tessaro::Element *o = doc_->objects.first; o; o = o->next)
    ExpectObjectKeys(static_cast<const tessaro::Object &>(*o), "/objects");
  ExpectKey("fps", std::to_string(doc_->fps), "document");
  ExpectKey("maxTime", Written(th_time{doc_->maxTimeNum, doc_->maxTimeDen}), "document");
  ExpectKey("renderData", std::to_string(doc_->renderData.count), "document");
}

TEST_F(HostModelTest, BadDocumentsNameTheFileAndThePlace) {
  std::string syntax = ReadError("{\n  \"objects\": [\n    {\"type\": 5100,,}\n  ]\n}");
  EXPECT_NE(syntax.find("bad.json"), std::string::npos) << syntax;
  EXPECT_NE(syntax.find("line 3, column 19"), std::string::npos) << syntax;
  std::string value = ReadError("{\"objects\": [{\"type\": 5100, \"pos\": [0, \"x\", 0]}]}");
  EXPECT_NE(value.find("/objects/0/pos/1: expected a number"), std::string::npos) << value;
  std::string key = ReadError("{\"objets\": []}");
  EXPECT_NE(key.find("unknown key \"objets\""), std::string::npos) << key;
  std::string type = ReadError("{\"objects\": [{\"name\": \"x\"}]}");
  EXPECT_NE(type.find("needs a \"type\""), std::string::npos) << type;
  EXPECT_NE(ReadError("[]").find("expected an object"), std::string::npos);
  std::string link = ReadError("{\"objects\": [{\"type\": 5100, \"tags\": [{\"type\": 5616, \"material\": \"Blue\"}]}]}");
  EXPECT_NE(link.find("/objects/0/tags/0/material: the document has no material named \"Blue\""), std::string::npos)
      << link;
  std::string packed = ReadError("{\"objects\": [{\"type\": 5100, \"tags\": [{\"type\": 5600, \"points\": \"AAAA\"}]}]}");
  EXPECT_NE(packed.find("/objects/0/tags/0/points: base64 of a whole number of entries"), std::string::npos) << packed;
  std::string notBase64 = ReadError("{\"objects\": [{\"type\": 5100, \"tags\": [{\"type\": 5604, \"polygons\": \"AA=A\"}]}]}");
  EXPECT_NE(notBase64.find("/objects/0/tags/0/polygons: expected a list, or base64"), std::string::npos) << notBase64;
  std::string corners = ReadError("{\"objects\": [{\"type\": 5100, \"tags\": [{\"type\": 5604, \"polygons\": [[0, 1, 2]]}]}]}");
  EXPECT_NE(corners.find("/objects/0/tags/0/polygons/0: expected four indices"), std::string::npos) << corners;
  EXPECT_EQ(host_->LooseElements(), 0u) << "a half-read document is closed with all it holds";
}

class FileObjectTest : public HostModelTest {
 protected:
  th_file *Open(const std::vector<uint8_t> &bytes, int32_t order = TH_BYTEORDER_MOTOROLA) {
    std::string path = dir_.File("data.bin");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), bytes.size());
    th_file *f = t().Alloc();
    EXPECT_TRUE(t().Open(f, path.c_str(), TH_FILEOPEN_READ, 2, order, 0, 0));
    return f;
  }
  const th_file_table &t() { return *tessaro::FileTable(); }
};

TEST_F(FileObjectTest, ReadsHonourTheByteOrderChosenAtOpen) {
  std::vector<uint8_t> bytes = {0x12, 0x34, 0x56, 0x78, 0x3F, 0x80, 0x00, 0x00, 0xFF, 0xFE, 0x01};
  th_file *f = Open(bytes);
  int32_t l;
  float r;
  int16_t w;
  th_bool b;
  ASSERT_TRUE(t().ReadLong(f, &l));
  EXPECT_EQ(l, 0x12345678);
  ASSERT_TRUE(t().ReadReal(f, &r));
  EXPECT_EQ(r, 1.0f);
  ASSERT_TRUE(t().ReadWord(f, &w));
  EXPECT_EQ(w, -2);
  ASSERT_TRUE(t().ReadBool(f, &b));
  EXPECT_EQ(b, 1);
  t().Free(&f);
  EXPECT_EQ(f, nullptr);

  f = Open(bytes, TH_BYTEORDER_INTEL);
  ASSERT_TRUE(t().ReadLong(f, &l));
  EXPECT_EQ(l, 0x78563412);
  t().Free(&f);
}

TEST_F(FileObjectTest, FailedReadsConsumeNothing) {
  th_file *f = Open({1, 2, 3, 4, 5, 6});
  th_vector v;
  int32_t l;
  EXPECT_FALSE(t().ReadVector(f, &v)) << "a composite fails when one part is missing";
  EXPECT_EQ(t().GetPosition(f), 0);
  ASSERT_TRUE(t().ReadLong(f, &l));
  EXPECT_FALSE(t().ReadLong(f, &l));
  EXPECT_EQ(t().GetPosition(f), 4);
  host_->FailNth(tessaro::Op::FileRead, 1);
  int16_t w;
  EXPECT_FALSE(t().ReadWord(f, &w));
  EXPECT_TRUE(t().ReadWord(f, &w));
  EXPECT_EQ(w, 0x0506);
  t().Free(&f);
}

TEST_F(FileObjectTest, SeekPastTheEndFailsAndLeavesNothingToRead) {
  th_file *f = Open({1, 2, 3, 4, 5, 6, 7, 8});
  EXPECT_TRUE(t().Seek(f, 8));
  EXPECT_FALSE(t().Seek(f, 9));
  EXPECT_EQ(t().GetPosition(f), 9);
  uint8_t c;
  EXPECT_FALSE(t().ReadUChar(f, &c));
  EXPECT_FALSE(t().Seek(f, -1));
  EXPECT_TRUE(t().Seek(f, 7));
  ASSERT_TRUE(t().ReadUChar(f, &c));
  EXPECT_EQ(c, 8);
  EXPECT_TRUE(t().Close(f));
  EXPECT_FALSE(t().ReadUChar(f, &c)) << "a closed file reads nothing";
  t().Free(&f);
}

TEST_F(FileObjectTest, ReadsAcrossTheBufferMatchTheFile) {
  std::vector<uint8_t> bytes(700000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
  th_file *f = Open(bytes);
  std::vector<uint8_t> back(bytes.size());
  size_t at = 0;
  for (int32_t n : {3, 262141, 5, 100000, 337851}) {
    ASSERT_TRUE(t().ReadBytes(f, back.data() + at, n));
    at += n;
  }
  EXPECT_EQ(at, bytes.size());
  EXPECT_EQ(back, bytes);
  ASSERT_TRUE(t().Seek(f, 262143));
  int32_t l;
  ASSERT_TRUE(t().ReadLong(f, &l));
  uint32_t expect = (uint32_t(bytes[262143]) << 24) | (bytes[262144] << 16) | (bytes[262145] << 8) | bytes[262146];
  EXPECT_EQ(static_cast<uint32_t>(l), expect);
  // After a jump only a page is read; a run going on past it keeps the part
  // of a value left at the page's end and reads on from there.
  ASSERT_TRUE(t().Seek(f, 500001));
  std::vector<th_vector> vectors(15000);
  ASSERT_EQ(t().ReadVectors(f, vectors.data(), 15000), 15000);
  for (size_t k = 0; k < 3 * 15000; ++k) {
    const uint8_t *b = &bytes[500001 + 4 * k];
    uint32_t word, want = (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
    std::memcpy(&word, reinterpret_cast<const uint8_t *>(vectors.data()) + 4 * k, 4);
    ASSERT_EQ(word, want) << "word " << k;
  }
  t().Free(&f);
}

// Runs must give what the single reads give, across buffer refills that
// leave part of a value behind, and stop at the last whole value.
TEST_F(FileObjectTest, RunsReadWhatSingleReadsRead) {
  std::vector<uint8_t> bytes(600001);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 13 + (i >> 9));
  for (int32_t order : {TH_BYTEORDER_MOTOROLA, TH_BYTEORDER_INTEL}) {
    th_file *one = Open(bytes, order);
    th_file *run = Open(bytes, order);
    ASSERT_TRUE(t().Seek(one, 1) && t().Seek(run, 1));
    std::vector<th_vector> vectors(30000);
    ASSERT_EQ(t().ReadVectors(run, vectors.data(), 30000), 30000);
    for (const th_vector &v : vectors) {
      th_vector w;
      ASSERT_TRUE(t().ReadVector(one, &w));
      ASSERT_EQ(std::memcmp(&v, &w, sizeof w), 0);
    }
    std::vector<uint16_t> words(1001);
    ASSERT_EQ(t().ReadUWords(run, words.data(), 1001), 1001);
    for (uint16_t v : words) {
      uint16_t w;
      ASSERT_TRUE(t().ReadUWord(one, &w));
      ASSERT_EQ(v, w);
    }
    // 600001 - 362003 bytes are left: 59499 whole longs and two bytes.
    std::vector<int32_t> longs(70000, -1);
    EXPECT_EQ(t().ReadLongs(run, longs.data(), 70000), 59499);
    EXPECT_EQ(t().GetPosition(run), 599999) << "exactly the whole values are consumed";
    EXPECT_EQ(longs[59499], -1);
    for (int32_t k = 0; k < 59499; ++k) {
      int32_t w;
      ASSERT_TRUE(t().ReadLong(one, &w));
      ASSERT_EQ(longs[k], w);
    }
    float r;
    EXPECT_EQ(t().ReadReals(run, &r, 1), 0);
    uint16_t last;
    EXPECT_EQ(t().ReadUWords(run, &last, 1), 1);
    t().Free(&one);
    t().Free(&run);
  }
  th_file *f = Open({0, 0, 0, 1, 0, 0, 0, 2});
  int32_t l[2] = {0, 0};
  EXPECT_EQ(t().ReadLongs(f, l, -1), 0);
  EXPECT_EQ(t().ReadLongs(f, nullptr, 2), 0);
  host_->FailNth(tessaro::Op::FileRead, 1);
  EXPECT_EQ(t().ReadLongs(f, l, 2), 0) << "a failed run reads nothing";
  EXPECT_EQ(t().GetPosition(f), 0);
  EXPECT_EQ(t().ReadLongs(f, l, 2), 2);
  EXPECT_EQ(l[1], 2);
  t().Free(&f);
}

TEST_F(HostModelTest, StoredDataSurvivesARestartAndDamageIsIgnored) {
  host_->pluginData[1012349] = {0, 0, 0x20, 0x40};
  std::string why;
  ASSERT_TRUE(host_->SavePrefs(&why)) << why;
  host_->pluginData.clear();
  ASSERT_TRUE(host_->LoadPrefs(&why));
  EXPECT_EQ(host_->pluginData[1012349], (std::vector<uint8_t>{0, 0, 0x20, 0x40}));

  for (const char *damaged : {"{\"1012349\": \"0g\"}", "{\"x\": \"00\"}", "not json", "[1]"}) {
    testsupport::WriteText(dir_.File("prefs.json"), damaged);
    EXPECT_FALSE(host_->LoadPrefs(&why)) << damaged;
    EXPECT_NE(why.find("damaged"), std::string::npos);
    EXPECT_TRUE(host_->pluginData.empty());
  }
}

}  // namespace

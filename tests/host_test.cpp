// The stand-in host on its own: the document file, the file object and
// the stored plug-in data.
#include <cmath>
#include <cstdlib>
#include <cstring>

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
    auto *o = new tessaro::Object(type);
    o->name = name;
    host_->TrackElement(o);
    tessaro::ElementList &list = parent ? parent->children : doc->objects;
    tessaro::ListInsert(list, parent, o, list.last);
    tessaro::SetDocument(o, doc);
    return o;
  }
  std::string Write(const tessaro::Document &doc, const std::string &name) {
    std::string why;
    EXPECT_TRUE(tessaro::WriteDocumentFile(doc, dir_.File(name), &why)) << why;
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
  auto *mat = new tessaro::Material(5703);
  host_->TrackElement(mat);
  mat->name = "Red";
  mat->bits = 8;
  mat->channels[2].state = 1;
  mat->channels[0].data[1000] = tessaro::Value::OfVector({1, 0, 0});
  mat->channels[0].data[1002] = tessaro::Value::OfText("red.png");
  mat->params["1016"] = tessaro::Value::OfReal(0.5f);
  tessaro::ListInsert(doc->materials, nullptr, mat, nullptr);
  tessaro::SetDocument(mat, doc);
  auto tag = [&](int32_t type, size_t entrySize, int32_t entries) {
    auto *t = new tessaro::Tag(type);
    host_->TrackElement(t);
    t->entries = entries;
    t->payload.resize(entrySize * entries);
    for (size_t i = 0; i < t->payload.size(); i += 4) {
      int32_t v = int32_t(i / 4);
      float f = float(i) / 8;
      std::memcpy(&t->payload[i], type == 5604 ? static_cast<void *>(&v) : static_cast<void *>(&f), 4);
    }
    tessaro::ListInsert(child->tags, child, t, child->tags.last);
    tessaro::SetDocument(t, doc);
    return t;
  };
  tessaro::Tag *texture = tag(5616, 0, 0);
  texture->name = "Texture";
  texture->bits = 8;
  texture->params["10"] = tessaro::Value::OfText("Red");
  texture->material = mat;
  texture->materialSerial = mat->serial;
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
  auto *track = new tessaro::Track(th_descid{2, {903, 1000, 0}});
  host_->TrackElement(track);
  tessaro::ListInsert(camera->tracks, camera, track, nullptr);
  auto *seq = new tessaro::Sequence(5002);
  host_->TrackElement(seq);
  seq->end = {90, 30};
  tessaro::ListInsert(track->sequences, track, seq, nullptr);
  auto *key = new tessaro::AnimationKey(5002);
  host_->TrackElement(key);
  key->time = {15, 30};
  key->data[0] = 2.5f;
  tessaro::ListInsert(seq->keys, seq, key, nullptr);
  tessaro::SetDocument(camera, doc);
  doc->views[0].camera = camera;
  doc->views[0].cameraSerial = camera->serial;
  doc->fps = 25;
  doc->maxTimeNum = 120;
  doc->maxTimeDen = 25;
  for (int i = 0; i < 2; ++i) {
    auto *rd = new tessaro::RenderData;
    host_->TrackElement(rd);
    tessaro::ListInsert(doc->renderData, nullptr, rd, nullptr);
    tessaro::SetDocument(rd, doc);
  }
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
  EXPECT_EQ(back->materialNames.count("Red"), 1u) << "read materials take part in the name check";
  EXPECT_NE(first.find("\"sceneCamera\": \"Root \\\"quoted\\\"/Child/Camera\""), std::string::npos) << first;
  EXPECT_NE(first.find("\"id\": [903, 1000]"), std::string::npos);
  EXPECT_EQ(back->renderData.count, 2u);
  EXPECT_EQ(host_->LooseElements(), 0u);
}

TEST_F(HostModelTest, EveryByteAndEveryReferenceReadsBack) {
  tessaro::Document *doc = host_->ActiveDocument();
  // Every byte value in names and texts, namesakes, and a "/" in a name.
  std::string bytes;
  for (int b = 1; b < 256; ++b) bytes += static_cast<char>(b);
  auto material = [&](const std::string &name) {
    auto *m = new tessaro::Material(5703);
    host_->TrackElement(m);
    m->name = name;
    tessaro::ListInsert(doc->materials, nullptr, m, doc->materials.last);
    tessaro::SetDocument(m, doc);
    tessaro::MaterialNameTaken(doc, m);
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
    auto *t = new tessaro::Tag(5616);
    host_->TrackElement(t);
    tessaro::ListInsert(o->tags, o, t, o->tags.last);
    tessaro::SetDocument(t, doc);
    t->material = m;
    t->materialSerial = m->serial;
  };
  texture(camera, second);
  texture(camera, odd);
  doc->views.resize(2);
  doc->views[0].camera = camera;
  doc->views[0].cameraSerial = camera->serial;
  doc->views[1].camera = slashed;
  doc->views[1].cameraSerial = slashed->serial;
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

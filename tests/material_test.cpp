// Materials, their channels and texture tags, through the real plug-in.
#include <cmath>

#include "c4d_symbols.h"
#include "ft50_scene.h"
#include "support.h"

namespace {

using ft50::Named;
using tessaro::Op;
using testsupport::Find;
using testsupport::HostTest;
using testsupport::Names;
using testsupport::TagOf;


// A polygon object with a point (so clean-ups keep it) and texture records.
void Textured(Ft50Writer &w, const std::string &name, std::vector<ft50::Texture> textures, int32_t kind = 5100,
              int level = 0) {
  ft50::Object(w, kind, Named(name, level), [&](Ft50Writer &b) {
    ft50::Points(b, {{0, 0, 0}});
    for (const ft50::Texture &t : textures) ft50::TextureTag(b, t);
  });
}

const tessaro::Tag *Texture(const tessaro::Object *o, int n = 0) {
  for (const tessaro::Element *t = o->tags.first; t; t = t->next)
    if (t->type == 5616 && n-- == 0) return static_cast<const tessaro::Tag *>(t);
  return nullptr;
}

std::string LinkedName(const tessaro::Object *o, int n = 0) {
  const tessaro::Tag *t = Texture(o, n);
  const tessaro::Element *m = t ? tessaro::Host::Get().LinkedMaterial(*t) : nullptr;
  return m ? m->name : "(none)";
}

const tessaro::Material *Mat(tessaro::Document *doc, const std::string &name) {
  for (const tessaro::Element *m = doc->materials.first; m; m = m->next)
    if (m->name == name) return static_cast<const tessaro::Material *>(m);
  return nullptr;
}

class MaterialTest : public HostTest {};

TEST_F(MaterialTest, UsedMaterialsEnterInFileOrder) {
  Ft50Writer f;
  ft50::Material(f, "M1");
  ft50::Material(f, "M2");
  ft50::Material(f, "M3");
  ft50::Material(f, "Unused");
  Textured(f, "X", {ft50::Uses(3)});
  Textured(f, "Y", {ft50::Uses(1)});
  f.Terminator();
  ASSERT_EQ(Import(f).code, 0);
  EXPECT_EQ(Names(Doc()->materials), (std::vector<std::string>{"M1", "M3"}));
  for (const tessaro::Element *m = Doc()->materials.first; m; m = m->next) EXPECT_EQ(m->bits & 8, 8);

  Ft50Writer g;
  for (const char *name : {"M1", "M2", "M3"}) ft50::Material(g, name);
  Textured(g, "X", {ft50::Uses(3)});
  Textured(g, "Y", {ft50::Uses(1)});
  Textured(g, "Z", {ft50::Uses(2), ft50::Uses(2)});
  g.Terminator();
  ASSERT_EQ(Import(g, testsupport::Mode(MODE_NEW)).code, 0);
  EXPECT_EQ(Names(Doc()->materials), (std::vector<std::string>{"M1", "M2", "M3"}));
  tessaro::Object *z = Find(Doc(), "Z");
  EXPECT_EQ(LinkedName(z, 0), "M2");
  EXPECT_EQ(LinkedName(z, 1), "M2") << "two records share one material, inserted once";
  EXPECT_TRUE(Doc()->undo.empty()) << "no undo in a new document";
}

TEST_F(MaterialTest, MergeRecordsInsertedMaterialsAndDropsUnusedOnes) {
  AddUserMaterial("M1");
  AddUserObject("Existing");
  Ft50Writer f;
  ft50::Material(f, "M1");
  ft50::Material(f, "Unused");
  Textured(f, "X", {ft50::Uses(1)});
  f.Terminator();
  ASSERT_EQ(Import(f, testsupport::Mode(MODE_MERGE)).code, 0);
  tessaro::Document *doc = Doc();
  EXPECT_EQ(Names(doc->materials), (std::vector<std::string>{"M1.1", "M1"})) << "the host keeps names unique";
  EXPECT_EQ(LinkedName(Find(doc, "X")), "M1.1");
  ASSERT_EQ(doc->undo.size(), 1u);
  std::vector<int32_t> types;
  for (const auto &e : doc->undo[0]) types.push_back(e.type);
  EXPECT_EQ(types, (std::vector<int32_t>{44, 44})) << "the object, then its material";
}

TEST_F(MaterialTest, TextureRecordFields) {
  Ft50Writer f;
  ft50::Material(f, "M");
  ft50::Texture t = ft50::Uses(1);
  t.pos = {1, 2, 3};
  t.scale = {4, 5, 6};
  t.rot = {0.1f, 0.2f, 0.3f};
  t.offsetX = 0.5f;
  t.offsetY = 0.25f;
  t.lengthX = 2;
  t.lengthY = 3;
  t.tile = 200;
  t.projection = 3;
  t.matrix = {{{5, 5, 5}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  ft50::Texture second = ft50::Uses(1);
  second.projection = 9;
  Textured(f, "Poly", {t, second});
  Textured(f, "Type5122", {t}, 5124);
  f.Terminator();
  tessaro::DialogAnswers a;
  a.scale = 2;
  ASSERT_EQ(Import(f, a).code, 0);
  tessaro::Object *poly = Find(Doc(), "Poly");
  const tessaro::Tag *last = Texture(poly, 0);
  EXPECT_EQ(last->params.at("1004").l, 9) << "the last record's tag stands first";
  const tessaro::Tag *tag = Texture(poly, 1);
  EXPECT_EQ(tag->pos, (th_vector{1, 2, 3})) << "the tag's position is not scaled";
  EXPECT_EQ(tag->scale, (th_vector{4, 5, 6}));
  EXPECT_EQ(tag->rot, (th_vector{0.1f, 0.2f, 0.3f}));
  EXPECT_EQ(tag->ml.off, (th_vector{5, 5, 5}));
  EXPECT_EQ(tag->ml.v1, (th_vector{2, 0, 0}));
  EXPECT_EQ(tag->ml.v2, (th_vector{0, 2, 0}));
  EXPECT_EQ(tag->ml.v3, (th_vector{0, 0, 2}));
  EXPECT_EQ(tag->params.at("1000").r, 0.5f);
  EXPECT_EQ(tag->params.at("1001").r, -0.25f);
  EXPECT_EQ(tag->params.at("1002").r, 2.0f);
  EXPECT_EQ(tag->params.at("1003").r, 3.0f);
  EXPECT_EQ(tag->params.at("1004").l, 3);
  EXPECT_EQ(tag->params.at("1007").l, 200) << "the tile byte is unsigned";
  EXPECT_EQ(Texture(Find(Doc(), "Type5122"))->params.at("1001").r, 0.25f) << "not negated on type 5122";
}

TEST_F(MaterialTest, ReferencesOutsideTheTableFailTheObject) {
  Ft50Writer f;
  // The object comes before the material it names.
  ft50::Object(f, 5100, Named("Early"), [](Ft50Writer &b) {
    ft50::Quad(b);
    ft50::TextureTag(b, ft50::Uses(1));
  });
  ft50::Material(f, "Late");
  Textured(f, "Zero", {ft50::Uses(0)});
  Textured(f, "Negative", {ft50::Uses(-1)});
  Textured(f, "Beyond", {ft50::Uses(2)});
  f.Terminator();
  ASSERT_EQ(Import(f).code, 0);
  tessaro::Object *early = Find(Doc(), "Early");
  ASSERT_NE(early, nullptr);
  EXPECT_EQ(TagOf(early, 5604), nullptr) << "a failed texture record stops the object";
  for (const char *name : {"Zero", "Negative", "Beyond"}) EXPECT_EQ(TagOf(Find(Doc(), name), 5616), nullptr);
  EXPECT_TRUE(Doc()->materials.count == 0);
  EXPECT_EQ(host_->Calls(Op::TagAlloc), 0u) << "no tag is made for a bad reference";
}

TEST_F(MaterialTest, FailedMaterialsKeepTheirPlaces) {
  Ft50Writer f;
  f.Begin(5703).Begin(5999).End().Terminator().End();  // not a header first
  // A name longer than the buffer; a texture name longer than the buffer.
  ft50::Material(f, std::string(260, 'n'));
  ft50::Material(f, "LongTexture", [](Ft50Writer &w) { ft50::Channel(w, 0, {1, 1, 1}, 1, std::string(260, 't')); });
  ft50::Material(f, "Good");
  // The tags name materials by their record's place: the fourth is Good;
  // the second failed, and its tag is made but links nothing.
  Textured(f, "X", {ft50::Uses(4)});
  Textured(f, "Y", {ft50::Uses(2)});
  f.Terminator();
  ASSERT_EQ(Import(f).code, 0);
  EXPECT_EQ(Names(Doc()->materials), (std::vector<std::string>{"Good"}));
  EXPECT_EQ(LinkedName(Find(Doc(), "X")), "Good");
  EXPECT_EQ(LinkedName(Find(Doc(), "Y")), "(none)");
  EXPECT_NE(Texture(Find(Doc(), "Y")), nullptr);
  EXPECT_EQ(host_->Calls(Op::MaterialAlloc), 4u);
}

TEST_F(MaterialTest, HeaderNameSwitchesAndExtraBlock) {
  Ft50Writer f;
  f.Begin(5703).Begin(5704).Text(std::string("Cut\0here", 8));
  std::array<uint8_t, 12> switches = {0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1};
  f.Bytes(switches.data(), 12).U8(1).I32(5).Zeros(5).Zeros(3).End().Terminator().End();
  f.Begin(5703).Begin(5704).Text("").Bytes(switches.data(), 12).U8(1).I32(0).End().Terminator().End();
  Textured(f, "X", {ft50::Uses(1), ft50::Uses(2)});
  f.Terminator();
  ASSERT_EQ(Import(f).code, 0);
  EXPECT_EQ(Names(Doc()->materials), (std::vector<std::string>{"Cut", ""})) << "a zero byte ends the name";
  const tessaro::Material *cut = Mat(Doc(), "Cut");
  for (int c = 0; c < 12; ++c) EXPECT_EQ(cut->channels[c].state, switches[c]) << c;
  EXPECT_TRUE(cut->channels[0].data.empty()) << "no channel records, no channel data";
  EXPECT_TRUE(cut->params.empty());
  EXPECT_EQ(cut->updates, 2) << "once when read, once when it enters the document";
}

TEST_F(MaterialTest, ChannelsAndTheirExtensions) {
  Ft50Writer f;
  ft50::Material(f, "Full", [](Ft50Writer &w) {
    ft50::Channel(w, 0, {1, 0.5f, 0.25f}, 0.75f, "wood.png");
    ft50::Channel(w, 5, {9, 9, 9}, 9, "skipped");
    ft50::Channel(w, 6, {9, 9, 9}, 9, "skipped");
    ft50::Channel(w, 2, {0, 0, 0}, 1, "", [](Ft50Writer &e) { e.U8(255).F32(0.5f); });
    ft50::Channel(w, 4, {0, 0, 0}, 1, std::string(259, 'e'), [](Ft50Writer &e) { e.F32(0.1f).F32(0.2f); });
    ft50::Channel(w, 7, {0, 0, 0}, 1, "", [](Ft50Writer &e) { e.Vec(0.3f, 0.4f, 0.5f); });
    ft50::Channel(w, 8, {0, 0, 0}, 1, "", [](Ft50Writer &e) { e.F32(0.125f).F32(0.6f).I32(42); });
    ft50::Channel(w, 9, {0, 1, 0}, 1, "");
    ft50::Channel(w, 3, {0, 0, 1}, 1, "");
    ft50::Channel(w, 0, {0, 0, 0}, 0.5f, "second.png");  // applied again, overwriting
  });
  ft50::Material(f, "Negative", [](Ft50Writer &w) {
    ft50::Channel(w, 8, {0, 0, 0}, 1, "", [](Ft50Writer &e) { e.F32(-1).F32(0).I32(0); });
  });
  Textured(f, "X", {ft50::Uses(1), ft50::Uses(2)});
  f.Terminator();
  ASSERT_EQ(Import(f).code, 0);
  const tessaro::Material *m = Mat(Doc(), "Full");
  ASSERT_NE(m, nullptr);
  const tessaro::Container &colour = m->channels[0].data;
  EXPECT_EQ(colour.at(1000).v, (th_vector{0, 0, 0}));
  EXPECT_EQ(colour.at(1001).r, 0.5f);
  EXPECT_EQ(colour.at(1002).s, "second.png");
  EXPECT_EQ(colour.at(1007).r, 0.5f);
  EXPECT_EQ(colour.at(1006).l, 1);
  EXPECT_TRUE(m->channels[5].data.empty());
  EXPECT_TRUE(m->channels[6].data.empty());
  EXPECT_EQ(m->channels[4].data.at(1002).s, std::string(259, 'e'));
  EXPECT_EQ(m->channels[9].data.at(1000).v, (th_vector{0, 1, 0}));
  EXPECT_EQ(m->channels[3].data.at(1000).v, (th_vector{0, 0, 1}));
  EXPECT_EQ(m->params.at("1003").l, 255);
  EXPECT_EQ(m->params.at("1005").r, 0.5f);
  EXPECT_EQ(m->params.at("1004").l, 1);
  EXPECT_EQ(m->params.at("1006").r, 0.1f);
  EXPECT_EQ(m->params.at("1007").r, 0.2f);
  EXPECT_EQ(m->params.at("1011").v, (th_vector{0.3f, 0.4f, 0.5f}));
  EXPECT_EQ(m->params.at("1012").l, 0);
  EXPECT_EQ(m->params.at("1016").r, 0.5f) << "0.125 to the power of a third";
  EXPECT_EQ(m->params.at("1017").r, 0.6f);
  EXPECT_EQ(m->params.at("1018").l, 42);
  EXPECT_TRUE(std::isnan(Mat(Doc(), "Negative")->params.at("1016").r));
}

TEST_F(MaterialTest, ShortChannelFailsTheMaterial) {
  Ft50Writer f;
  ft50::Material(f, "Kept");
  Textured(f, "X", {ft50::Uses(1)});
  // The colour record stops after its texture name, and the file soon after.
  f.Begin(5703).Begin(5704).Text("Short").Zeros(13).End();
  f.Begin(5900).Vec(1, 1, 1).F32(1).Text("t.png").End().Terminator().End();
  f.Terminator();
  ASSERT_EQ(Import(f).code, 0);
  EXPECT_EQ(Names(Doc()->materials), (std::vector<std::string>{"Kept"}));
}

TEST_F(MaterialTest, TableGrowsPastTwoHundredFiftySix) {
  Ft50Writer f;
  for (int i = 1; i <= 257; ++i) ft50::Material(f, "M" + std::to_string(i));
  Textured(f, "X", {ft50::Uses(257), ft50::Uses(1), ft50::Uses(256)});
  f.Terminator();
  ASSERT_EQ(Import(f).code, 0);
  EXPECT_EQ(Names(Doc()->materials), (std::vector<std::string>{"M1", "M256", "M257"}));
  EXPECT_EQ(LinkedName(Find(Doc(), "X"), 2), "M257");
}

TEST_F(MaterialTest, MaterialsUpdateOverwritesByPosition) {
  for (const char *name : {"A", "B", "C", "D", "E"}) AddUserMaterial(name);
  AddUserObject("Scene");
  tessaro::Document *user = Doc();
  tessaro::Element *third = user->materials.first->next->next;
  Ft50Writer f;
  f.Begin(5703).Begin(5999).End().Terminator().End();  // index 0 fails: A stays
  f.Begin(5703).Begin(5999).End().Terminator().End();  // index 1 fails: B stays
  ft50::Material(f, "NewC", [](Ft50Writer &w) { ft50::Channel(w, 0, {1, 0, 0}, 1, "red.png"); });
  Textured(f, "Dropped", {ft50::Uses(1)}, 5100, 1);
  f.Terminator();
  ASSERT_EQ(Import(f, testsupport::Update("Scene", KIND_MATERIALS)).code, 0);
  EXPECT_EQ(Names(user->materials), (std::vector<std::string>{"A", "B", "NewC", "D", "E"}));
  EXPECT_EQ(user->materials.first->next->next, third) << "overwritten in place";
  EXPECT_EQ(static_cast<tessaro::Material *>(third)->channels[0].data.at(1002).s, "red.png");
  // The failed records still chose their material, recording it for undo.
  ASSERT_EQ(user->undo.size(), 1u);
  std::vector<std::string> recorded;
  for (const auto &e : user->undo[0]) {
    EXPECT_EQ(e.type, 40);
    recorded.push_back(e.name);
  }
  EXPECT_EQ(recorded, (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(Find(user, "Dropped"), nullptr) << "a materials update imports no objects";

  // Beyond the document's materials the file's are appended after the last.
  Ft50Writer g;
  for (const char *name : {"P0", "P1", "P2", "P3", "P4", "P5", "P6"}) ft50::Material(g, name);
  g.Terminator();
  ASSERT_EQ(Import(g, testsupport::Update("Scene", KIND_MATERIALS)).code, 0);
  EXPECT_EQ(Names(user->materials), (std::vector<std::string>{"P0", "P1", "P2", "P3", "P4", "P5", "P6"}));
  std::vector<int32_t> types;
  for (const auto &e : user->undo.back()) types.push_back(e.type);
  EXPECT_EQ(types, (std::vector<int32_t>{40, 40, 40, 40, 40, 44, 44}));
}

TEST_F(MaterialTest, MaterialsUpdateOfAnEmptyListInsertsFirst) {
  AddUserObject("Scene");
  Ft50Writer f;
  ft50::Material(f, "First");
  ft50::Material(f, "Second");
  f.Terminator();
  ASSERT_EQ(Import(f, testsupport::Update("Scene", KIND_MATERIALS)).code, 0);
  EXPECT_EQ(Names(Doc()->materials), (std::vector<std::string>{"First", "Second"}));
}

TEST_F(MaterialTest, UpdateLinksByNameAndPrefersCarriedTags) {
  tessaro::Material *oak = AddUserMaterial("Oak");
  tessaro::Object *target = AddUserObject("Target");
  tessaro::Object *old = AddUserObject("Carried", 5100, target);
  AddUserTexture(old, oak, 1);
  AddUserTexture(old, oak, 2);
  Ft50Writer f;
  ft50::Material(f, "Oak");
  ft50::Material(f, "Pine");
  Textured(f, "Root", {});
  Textured(f, "Carried", {ft50::Uses(2), ft50::Uses(2)}, 5100, 1);
  Textured(f, "ByName", {ft50::Uses(1)}, 5100, 1);
  Textured(f, "FromFile", {ft50::Uses(2)}, 5100, 1);
  f.Terminator();
  ASSERT_EQ(Import(f, testsupport::Update("Target", KIND_GEOMETRY)).code, 0);
  tessaro::Document *doc = Doc();
  tessaro::Object *carried = Find(target->children, "Carried");
  EXPECT_EQ(testsupport::TagTypes(carried), (std::vector<int32_t>{5616, 5616, 5600}))
      << "the carried tags, once, and none of the file's";
  EXPECT_EQ(LinkedName(carried, 0), "Oak");
  EXPECT_EQ(LinkedName(Find(target->children, "ByName")), "Oak");
  EXPECT_EQ(Texture(Find(target->children, "ByName"))->material, oak) << "the document's own material";
  EXPECT_EQ(LinkedName(Find(target->children, "FromFile")), "Pine");
  EXPECT_EQ(Names(doc->materials), (std::vector<std::string>{"Pine", "Oak"})) << "a new one goes first";
}

TEST_F(MaterialTest, HostFaultsLeakNoMaterial) {
  auto file = [] {
    Ft50Writer f;
    ft50::Material(f, "M1");
    ft50::Material(f, "M2");
    Textured(f, "X", {ft50::Uses(1)});
    f.Terminator();
    return f;
  };
  struct Case {
    Op op;
    uint64_t nth;
    std::vector<std::string> materials;
    int32_t code;  // allocations the host cannot make are reported
  };
  // The first material (its place stays, empty: the tag links nothing); the
  // table's first array (the first material is released, the second gets
  // the array); the texture tag; the insertion into the document (the tag
  // links a material that is released at the end, so it links none).
  const Case cases[] = {{Op::MaterialAlloc, 1, {}, -7},
                        {Op::GeAlloc, 1, {"M2"}, -7},
                        {Op::TagAlloc, 1, {}, -7},
                        {Op::InsertMaterial, 1, {}, 0}};
  for (const Case &c : cases) {
    SCOPED_TRACE(tessaro::OpName(c.op));
    host_->FailNth(c.op, c.nth);
    ASSERT_EQ(Import(file(), testsupport::Mode(MODE_NEW)).code, c.code);
    EXPECT_EQ(Names(Doc()->materials), c.materials);
    if (c.op == Op::InsertMaterial) {
      EXPECT_EQ(host_->LinkedMaterial(*Texture(Find(Doc(), "X"))), nullptr);
    }
  }
  // An object the document refuses is freed, and the next one is read.
  Ft50Writer two;
  Textured(two, "Refused", {});
  Textured(two, "Next", {});
  two.Terminator();
  host_->FailNth(Op::InsertObject, 1);
  ASSERT_EQ(Import(two, testsupport::Mode(MODE_NEW)).code, 0);
  EXPECT_EQ(Names(Doc()->objects), (std::vector<std::string>{"Next"}));
}

}  // namespace

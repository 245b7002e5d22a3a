// Object records, their kinds, update mode and meshes, through the real
// plug-in.
#include "c4d_symbols.h"
#include "ft50_scene.h"
#include "support.h"

namespace {

using ft50::Header;
using ft50::Named;
using tessaro::Op;
using testsupport::Find;
using testsupport::HostTest;
using testsupport::Names;
using testsupport::TagData;
using testsupport::TagOf;


// A polygon object with one point, so that clean-ups keep it.
void Solid(Ft50Writer &w, const Header &h) {
  ft50::Object(w, 5100, h, [](Ft50Writer &b) { ft50::Points(b, {{0, 0, 0}}); });
}
void Group(Ft50Writer &w, const Header &h) { ft50::Object(w, 5100, h); }

class SceneTest : public HostTest {
 protected:
  tessaro::Document *Imported() { return host_->ActiveDocument(); }
};

TEST_F(SceneTest, LevelsRebuildTheHierarchy) {
  Ft50Writer f;
  Solid(f, Named("A", 0));
  Solid(f, Named("B", 1));
  Solid(f, Named("C", 2));
  Solid(f, Named("D", 1));
  Solid(f, Named("E", 0));
  // Deeper than the previous object by two: no parent at that level.
  Solid(f, Named("F", 2));
  f.Terminator();
  ASSERT_EQ(Import(f).code, 0);
  tessaro::Document *doc = Imported();
  EXPECT_EQ(Names(doc->objects), (std::vector<std::string>{"F", "A", "E"}));
  tessaro::Object *a = Find(doc, "A");
  EXPECT_EQ(Names(a->children), (std::vector<std::string>{"B", "D"}));
  EXPECT_EQ(Names(Find(doc, "B")->children), (std::vector<std::string>{"C"}));
  EXPECT_TRUE(doc->undo.empty()) << "a new document records no undo";
}

TEST_F(SceneTest, DroppedObjectsHandTheirChildrenToTheLastKeptSibling) {
  AddUserObject("Target");
  Ft50Writer f;
  Solid(f, Named("Root", 0));
  Solid(f, Named("Kept", 1));
  ft50::Object(f, 5124, Named("Dropped", 1));  // type 5122: never in an update
  Solid(f, Named("Orphan", 2));
  f.Terminator();
  ASSERT_EQ(Import(f, testsupport::Update("Target", KIND_GEOMETRY)).code, 0);
  tessaro::Object *target = Find(Imported(), "Target");
  EXPECT_EQ(Names(target->children), (std::vector<std::string>{"Kept"}));
  EXPECT_EQ(Names(Find(Imported(), "Kept")->children), (std::vector<std::string>{"Orphan"}));
}

TEST_F(SceneTest, MergePutsImportedObjectsFirstWithUndoEntries) {
  AddUserObject("Existing");
  tessaro::Document *user = host_->ActiveDocument();
  Ft50Writer f;
  Solid(f, Named("A", 0));
  Solid(f, Named("B", 1));
  Solid(f, Named("E", 0));
  f.Terminator();
  ASSERT_EQ(Import(f, testsupport::Mode(MODE_MERGE)).code, 0);
  EXPECT_EQ(host_->ActiveDocument(), user);
  EXPECT_EQ(Names(user->objects), (std::vector<std::string>{"A", "E", "Existing"}));
  ASSERT_EQ(user->undo.size(), 1u);
  ASSERT_EQ(user->undo[0].size(), 2u) << "only top-level objects are registered";
  EXPECT_EQ(user->undo[0][0].type, 44);
  EXPECT_EQ(user->undo[0][0].name, "A");
  EXPECT_EQ(user->undo[0][1].name, "E");
}

TEST_F(SceneTest, UpdateAttachesLevelOneBelowTheTarget) {
  tessaro::Object *target = AddUserObject("Target");
  tessaro::Object *keep = AddUserObject("UserLight", 5102, target);
  AddUserObject("Other");
  Ft50Writer f;
  Solid(f, Named("FileRoot", 0));
  Solid(f, Named("M1", 1));
  Solid(f, Named("M2", 1));
  Solid(f, Named("M3", 2));
  f.Terminator();
  ASSERT_EQ(Import(f, testsupport::Update("Target", KIND_GEOMETRY)).code, 0);
  tessaro::Document *doc = Imported();
  EXPECT_EQ(Names(doc->objects), (std::vector<std::string>{"Target", "Other"})) << "the file's top level is not inserted";
  EXPECT_EQ(Names(target->children), (std::vector<std::string>{"M1", "M2", "UserLight"}));
  EXPECT_EQ(keep->owner, target);
  EXPECT_EQ(Names(Find(doc, "M2")->children), (std::vector<std::string>{"M3"}));
  ASSERT_EQ(doc->undo.size(), 1u);
  EXPECT_EQ(doc->undo[0].size(), 1u) << "one change entry for the target, none for inserted children";
}

TEST_F(SceneTest, KindFilterInUpdateMode) {
  tessaro::Object *target = AddUserObject("Target");
  Ft50Writer f;
  Solid(f, Named("Root", 0));
  Solid(f, Named("Level1", 1));
  Solid(f, Named("Level2", 2));
  ft50::Object(f, 5101, Named("Spline", 1), nullptr, ft50::SplineBody(0, 4));
  f.Terminator();
  // Lights only: a polygon object at level 1 stays, one at level 2 does not.
  ASSERT_EQ(Import(f, testsupport::Update("Target", KIND_LIGHTS)).code, 0);
  EXPECT_EQ(Names(target->children), (std::vector<std::string>{"Level1"}));
  EXPECT_TRUE(Find(target->children, "Level1")->children.count == 0);

  // Materials alone: no target, nothing cleared, every object dropped.
  tessaro::Object *second = AddUserObject("Second");
  AddUserObject("Child", 5100, second);
  size_t undo = host_->ActiveDocument()->undo.size();
  ASSERT_EQ(Import(f, testsupport::Update("Second", KIND_MATERIALS)).code, 0);
  EXPECT_EQ(Names(second->children), (std::vector<std::string>{"Child"}));
  EXPECT_EQ(Names(host_->ActiveDocument()->objects), (std::vector<std::string>{"Target", "Second"}));
  EXPECT_EQ(host_->ActiveDocument()->undo.size(), undo);
}

TEST_F(SceneTest, UpdateClearsTheKindAndCarriesTexturesToNamesakes) {
  tessaro::Material *m1 = AddUserMaterial("M1");
  tessaro::Material *m2 = AddUserMaterial("M2");
  tessaro::Material *m3 = AddUserMaterial("M3");
  tessaro::Object *target = AddUserObject("Target");
  tessaro::Object *sphere = AddUserObject("Sphere", 5100, target);
  AddUserTexture(sphere, m1, 1);
  AddUserTexture(sphere, m2, 2);
  AddUserTexture(sphere, m3, 3);
  sphere->editorMode = 1;
  sphere->renderMode = 0;
  tessaro::Object *light = AddUserObject("Light", 5102, target);
  tessaro::Object *solid = AddUserObject("Solid", 5100, target);
  AddUserPoints(solid, 3);

  Ft50Writer f;
  Solid(f, Named("Root", 0));
  ft50::Object(f, 5100, Named("Sphere", 1), [](Ft50Writer &b) { ft50::Phong(b, 0.5f); });
  Solid(f, Named("Inner", 2));
  Solid(f, Named("Solid", 1));  // has points: gets nothing back
  f.Terminator();
  ASSERT_EQ(Import(f, testsupport::Update("Target", KIND_GEOMETRY)).code, 0);

  EXPECT_EQ(Names(target->children), (std::vector<std::string>{"Sphere", "Solid", "Light"}));
  EXPECT_EQ(target->children.last, light) << "a light survives a geometry update";
  tessaro::Object *fresh = Find(target->children, "Sphere");
  ASSERT_NE(fresh, sphere);
  EXPECT_EQ(testsupport::TagTypes(fresh), (std::vector<int32_t>{5616, 5616, 5616, 5612}))
      << "carried tags stand in order in front of the object's own";
  std::vector<const tessaro::Material *> linked;
  for (const tessaro::Element *t = fresh->tags.first; t->type == 5616; t = t->next) {
    const auto *tag = static_cast<const tessaro::Tag *>(t);
    linked.push_back(static_cast<const tessaro::Material *>(tag->material));
    EXPECT_EQ(tag->params.at("1000").r, tag->pos.x) << "container and placement are copied";
    EXPECT_EQ(tag->ml.off.y, tag->pos.x) << "and the matrix";
  }
  EXPECT_EQ(linked, (std::vector<const tessaro::Material *>{m1, m2, m3}));
  EXPECT_EQ(fresh->editorMode, 1);
  EXPECT_EQ(fresh->renderMode, 0);
  EXPECT_EQ(TagOf(Find(target->children, "Solid"), 5616), nullptr);
}

TEST_F(SceneTest, CarriedTagsComeFromTheFirstNamesakeWhateverTheNames) {
  // Names that differ only in length, case, an 8-bit letter or after a long
  // shared beginning (as long as a file's names can be), the empty name, and two removed objects of one name.
  const std::string longName(254, 'a');
  const std::vector<std::string> names = {"Cube", "Cub", "Cubee", "cube", "W\xfcrfel", longName + "a", longName + "b",
                                          "", "Twin", "Twin"};
  tessaro::Object *target = AddUserObject("Target");
  std::vector<tessaro::Material *> materials;
  for (size_t i = 0; i < names.size(); ++i) {
    materials.push_back(AddUserMaterial("M" + std::to_string(i)));
    AddUserTexture(AddUserObject(names[i], 5100, target), materials.back(), static_cast<float>(i));
  }
  Ft50Writer f;
  Solid(f, Named("Root", 0));
  // Each with a child, so that the final clean-up keeps it.
  for (size_t i = names.size(); i-- > 0;) {
    ft50::Object(f, 5100, Named(names[i], 1));
    Solid(f, Named("Child", 2));
  }
  ft50::Object(f, 5100, Named("Nobody", 1));
  f.Terminator();
  ASSERT_EQ(Import(f, testsupport::Update("Target", KIND_GEOMETRY)).code, 0);
  ASSERT_EQ(target->children.count, names.size());
  size_t i = names.size();
  for (const tessaro::Element *o = target->children.first; o; o = o->next) {
    --i;
    SCOPED_TRACE("object " + std::to_string(i));
    const auto *obj = static_cast<const tessaro::Object *>(o);
    ASSERT_EQ(obj->name, names[i]);
    const tessaro::Tag *tag = TagOf(obj, 5616);
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(tag->material, materials[names[i] == "Twin" ? 8 : i]) << "the first of two namesakes gives its tags";
    EXPECT_EQ(obj->tags.count, 1u);
  }
}

TEST_F(SceneTest, NamesChosenToCollideDoNotSlowTheCarriedTags) {
  // Names that all fall into one bucket of a 32-bit FNV-1a hash under the
  // mask a table of n names would use: looking each up must not compare it
  // with all the others.
  const size_t n = 1500;
  auto fnv = [](const std::string &name) {
    uint32_t h = 2166136261u ^ static_cast<uint32_t>(name.size());
    for (unsigned char c : name) h = (h ^ c) * 16777619u;
    return h;
  };
  const uint32_t mask = 4095, bucket = fnv("Cube") & mask;
  std::vector<std::string> names;
  for (uint32_t i = 0; names.size() < n; ++i) {
    std::string name = "n" + std::to_string(i);
    if ((fnv(name) & mask) == bucket) names.push_back(name);
  }
  tessaro::Object *target = AddUserObject("Target");
  for (const std::string &name : names) AddUserObject(name, 5100, target);
  Ft50Writer f;
  Solid(f, Named("Root", 0));
  for (size_t i = names.size(); i-- > 0;) ft50::Object(f, 5100, Named(names[i], 1));
  f.Terminator();
  host_->ResetCalls();
  ASSERT_EQ(Import(f, testsupport::Update("Target", KIND_GEOMETRY)).code, 0);
  const uint64_t compared = host_->Calls(Op::StringEqual) + host_->Calls(Op::GetName);
  EXPECT_LT(compared, 20u * n) << "each name was compared with its namesakes' bucket";
}

TEST_F(SceneTest, FinalCleanUpRemovesEmptyPolygonLeavesBelowTheTarget) {
  tessaro::Object *target = AddUserObject("Target", 5100);  // never removed, whatever its type
  Ft50Writer f;
  Solid(f, Named("Root", 0));
  Group(f, Named("EmptyFromFile", 1));
  Group(f, Named("Holder", 1));
  Solid(f, Named("Content", 2));
  f.Terminator();
  ASSERT_EQ(Import(f, testsupport::Update("Target", KIND_GEOMETRY)).code, 0);
  EXPECT_EQ(Names(target->children), (std::vector<std::string>{"Holder"}));
  EXPECT_EQ(Find(Imported(), "Target"), target);

  // Without a matching target the file goes to the top level, uncleaned.
  ASSERT_EQ(Import(f, testsupport::Update("Target", KIND_GEOMETRY)).code, 0) << "still finds Target";
  // The row named Target is chosen; renaming that object while the dialog
  // is open leaves the search nothing to find.
  target->name = "Renamed";
  AddUserObject("Target");
  tessaro::DialogAnswers nowhere = testsupport::Update("Target", KIND_GEOMETRY);
  nowhere.onOpen = [&] { Find(host_->ActiveDocument(), "Target")->name = "Gone"; };
  ASSERT_EQ(Import(f, nowhere).code, 0);
  EXPECT_EQ(Names(host_->ActiveDocument()->objects),
            (std::vector<std::string>{"EmptyFromFile", "Holder", "Renamed", "Gone"}));
}

TEST_F(SceneTest, HeaderPlacementFlagsAndScale) {
  Ft50Writer f;
  Header h = Named("Cube");
  h.flags = 0x04 | 0x20;
  h.pos = {100, 200, 300};
  h.scale = {2, 3, 4};
  h.rot = {0.5f, 0.25f, 0.125f};
  h.matrix = {{{100, 300, 500}, {2, 0, 0}, {0, 2, 0}, {0, 0, 2}}};
  ft50::Object(f, 5100, h, [](Ft50Writer &b) {
    ft50::Points(b, {{100, 0, -100}, {0, 50, 0}, {0, 0, 1}});
    ft50::Polygons(b, 5601, {{0, 1, 2}});
    ft50::Uv(b, {{0.5f, 0.5f}, {1, 0}, {0, 1}});
    ft50::Phong(b, 0.75f);
  });
  f.Terminator();
  tessaro::DialogAnswers a;
  a.scale = 0.01f;
  ASSERT_EQ(Import(f, a).code, 0);
  tessaro::Object *o = Find(Imported(), "Cube");
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->pos, (th_vector{1, 2, 3}));
  EXPECT_EQ(o->scale, (th_vector{2, 3, 4}));
  EXPECT_EQ(o->rot, (th_vector{0.5f, 0.25f, 0.125f}));
  EXPECT_EQ(o->ml.off, (th_vector{1, 3, 5}));
  EXPECT_EQ(o->ml.v1, (th_vector{2, 0, 0})) << "axes are not scaled";
  EXPECT_EQ(o->bits & 2, 2) << "selected";
  auto points = TagData<th_vector>(TagOf(o, 5600));
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[0], (th_vector{1, 0, -1}));
  EXPECT_EQ(points[1], (th_vector{0, 0.5f, 0}));
  auto uvw = TagData<th_uvw>(TagOf(o, 5671));
  ASSERT_EQ(uvw.size(), 1u);
  EXPECT_EQ(uvw[0].a, (th_vector{0.5f, 0.5f, 0})) << "UVs are not scaled";
  const tessaro::Tag *phong = TagOf(o, 5612);
  ASSERT_NE(phong, nullptr);
  EXPECT_EQ(phong->params.at("1001").l, 1);
  EXPECT_EQ(phong->params.at("1002").r, 0.75f) << "the angle is not scaled";
}

TEST_F(SceneTest, FourPolygonEncodingsCollectInFileOrder) {
  Ft50Writer f;
  std::vector<ft50::V3> points(65536, ft50::V3{0, 0, 0});
  ft50::Object(f, 5100, Named("Mesh"), [&](Ft50Writer &b) {
    ft50::Points(b, points);
    ft50::Polygons(b, 5601, {{0, 1, 2}, {2, 3, 0}});
    ft50::Polygons(b, 5654, {{4, 5, 6, 7}});
    ft50::Polygons(b, 5602, {{65535, 1, 2, 3}});
    ft50::Polygons(b, 5601, {});
    ft50::Polygons(b, 5653, {{9, 8, 65535}});
    ft50::Polygons(b, 5603, {{1, 2}});
    ft50::Polygons(b, 5655, {{1, 2}});
  });
  f.Terminator();
  ASSERT_EQ(Import(f).code, 0);
  tessaro::Object *o = Find(Imported(), "Mesh");
  auto polygons = TagData<th_polygon>(TagOf(o, 5604));
  EXPECT_EQ(polygons, (std::vector<th_polygon>{
                          {0, 1, 2, 2}, {2, 3, 0, 0}, {4, 5, 6, 7}, {65535, 1, 2, 3}, {9, 8, 65535, 65535}}));
  EXPECT_EQ(TagOf(o, 5671), nullptr) << "no UVs, no UVW tag";
}

TEST_F(SceneTest, UvCoordinatesBecomeCornerCoordinates) {
  Ft50Writer f;
  ft50::Object(f, 5100, Named("Tri"), [](Ft50Writer &b) {
    ft50::Points(b, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
    ft50::Uv(b, {{9, 9}});
    ft50::Uv(b, {{0, 0}, {1, 0}, {1, 1}});  // replaces the first
    ft50::Uv(b, {});                         // leaves it
    ft50::Polygons(b, 5601, {{0, 1, 2}});
    ft50::Polygons(b, 5602, {{0, 1, 2, 3}});  // point 3 has no UV pair
  });
  ft50::Object(f, 5100, Named("NoPolygons"), [](Ft50Writer &b) {
    ft50::Points(b, {{0, 0, 0}});
    ft50::Uv(b, {{1, 1}});
  });
  f.Terminator();
  ASSERT_EQ(Import(f).code, 0);
  auto uvw = TagData<th_uvw>(TagOf(Find(Imported(), "Tri"), 5671));
  ASSERT_EQ(uvw.size(), 2u);
  EXPECT_EQ(uvw[0].a, (th_vector{0, 0, 0}));
  EXPECT_EQ(uvw[0].b, (th_vector{1, 0, 0}));
  EXPECT_EQ(uvw[0].c, (th_vector{1, 1, 0}));
  EXPECT_EQ(uvw[0].d, (th_vector{1, 1, 0}));
  EXPECT_EQ(uvw[1].d, (th_vector{0, 0, 0}));
  tessaro::Object *bare = Find(Imported(), "NoPolygons");
  EXPECT_NE(TagOf(bare, 5600), nullptr);
  EXPECT_EQ(TagOf(bare, 5604), nullptr);
  EXPECT_EQ(TagOf(bare, 5671), nullptr);
}

// A large mesh in many small runs: the polygon tag grows run by run and the
// UVW entries go to the host a chunk at a time; every entry past a chunk's
// seam still maps its corners' UVs.
TEST_F(SceneTest, UvwEntriesAreSetInRuns) {
  const int32_t kPolygons = 2500;
  std::vector<ft50::V3> points(kPolygons + 2, ft50::V3{0, 0, 0});
  std::vector<std::array<float, 2>> uv;
  for (int32_t i = 0; i < kPolygons + 2; ++i) uv.push_back({static_cast<float>(i), -static_cast<float>(i)});
  Ft50Writer f;
  ft50::Object(f, 5100, Named("Strip"), [&](Ft50Writer &b) {
    ft50::Points(b, points);
    ft50::Uv(b, uv);
    for (int32_t run = 0; run < kPolygons; run += 25) {
      std::vector<std::vector<int64_t>> polygons;
      for (int32_t i = run; i < run + 25; ++i) polygons.push_back({i, i + 1, i + 2});
      ft50::Polygons(b, 5653, polygons);
    }
  });
  f.Terminator();
  host_->ResetCalls();
  ASSERT_EQ(Import(f).code, 0);
  tessaro::Object *o = Find(Imported(), "Strip");
  auto polygons = TagData<th_polygon>(TagOf(o, 5604));
  auto uvw = TagData<th_uvw>(TagOf(o, 5671));
  ASSERT_EQ(polygons.size(), static_cast<size_t>(kPolygons));
  ASSERT_EQ(uvw.size(), static_cast<size_t>(kPolygons));
  for (int32_t i = 0; i < kPolygons; ++i) {
    const float u = static_cast<float>(i);
    ASSERT_EQ(polygons[i], (th_polygon{i, i + 1, i + 2, i + 2})) << i;
    ASSERT_EQ(uvw[i].a, (th_vector{u, -u, 0})) << i;
    ASSERT_EQ(uvw[i].b, (th_vector{u + 1, -u - 1, 0})) << i;
    ASSERT_EQ(uvw[i].d, (th_vector{u + 2, -u - 2, 0})) << i;
  }
  EXPECT_EQ(host_->Calls(Op::MakeVariableTag), 3u);
  EXPECT_EQ(host_->Calls(Op::TagResize), 99u) << "one growth per later run";
  EXPECT_EQ(host_->Calls(Op::UVWSetRun), 3u) << "1024 entries a call";
  EXPECT_EQ(host_->Calls(Op::UVWSet) + host_->Calls(Op::UVWGet), 0u);
}

TEST_F(SceneTest, KindsCreateTheirObjects) {
  Ft50Writer f;
  // A polygon kind with a body: the body is skipped unread.
  ft50::Object(f, 5100, Named("Poly"), nullptr, [](Ft50Writer &b) { b.Zeros(40); });
  ft50::Object(f, 5124, Named("Type5122"));
  ft50::Object(f, 5101, Named("Spline"), nullptr, [](Ft50Writer &b) {
    ft50::SplineBody(3, 12, "ignored")(b);
    b.Zeros(7);  // longer than its fields
  });
  ft50::Object(f, 5101, Named("Unnamed"), nullptr, ft50::SplineBody(1, 0));
  // Unknown kinds are skipped, as is a header where the kind should be.
  for (uint32_t kind : {5104u, 5110u, 0x010013B0u}) ft50::Object(f, kind, Named("Skipped"));
  f.Begin(5020);
  ft50::ObjectHeader(f, Named("NoKind"));
  f.Terminator().End();
  Solid(f, Named("After"));
  f.Terminator();
  ASSERT_EQ(Import(f).code, 0);
  tessaro::Document *doc = Imported();
  EXPECT_EQ(Names(doc->objects), (std::vector<std::string>{"Poly", "Type5122", "Spline", "Unnamed", "After"}));
  EXPECT_EQ(Find(doc, "Poly")->type, 5100);
  EXPECT_EQ(Find(doc, "Poly")->tags.count, 0u);
  EXPECT_EQ(Find(doc, "Type5122")->type, 5122);
  tessaro::Object *spline = Find(doc, "Spline");
  EXPECT_EQ(spline->type, 5101);
  EXPECT_TRUE(spline->spline);
  EXPECT_EQ(spline->splineType, 3);
  EXPECT_EQ(spline->splinePointCount, 12);
  EXPECT_EQ(Find(doc, "Unnamed")->splineType, 1);
}

TEST_F(SceneTest, BrokenObjectsFailAloneAndNeverLeak) {
  Ft50Writer f;
  Header deep = Named("TooDeep", 254);
  Solid(f, deep);
  Header negative = Named("Negative", -1);
  Solid(f, negative);
  // A name longer than the name buffer fails the header.
  Solid(f, Named(std::string(260, 'n')));
  // A point count the file cannot hold is refused before any allocation,
  // and ends the object: its later sub-records are skipped.
  ft50::Object(f, 5100, Named("HugeCount"), [](Ft50Writer &b) {
    b.Begin(5600).I32(1 << 30).I32(0).End();
    ft50::Phong(b, 1);
  });
  // A polygon that names a point the object lacks: no polygon tag.
  ft50::Object(f, 5100, Named("BadIndex"), [](Ft50Writer &b) {
    ft50::Points(b, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    ft50::Polygons(b, 5653, {{0, 1, 3}});
  });
  ft50::Object(f, 5100, Named("NegativeIndex"), [](Ft50Writer &b) {
    ft50::Points(b, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    ft50::Polygons(b, 5653, {{0, 1, -1}});
  });
  Solid(f, Named("Fine"));
  f.Terminator();
  host_->ResetCalls();
  ASSERT_EQ(Import(f).code, 0);
  tessaro::Document *doc = Imported();
  EXPECT_EQ(Names(doc->objects), (std::vector<std::string>{"HugeCount", "BadIndex", "NegativeIndex", "Fine"}));
  EXPECT_EQ(TagOf(Find(doc, "HugeCount"), 5600), nullptr);
  EXPECT_EQ(TagOf(Find(doc, "HugeCount"), 5612), nullptr);
  // Two point tags, the polygon tags of the two bad meshes (made as their
  // polygons are read, freed when their indices fail), and the one of Fine.
  EXPECT_EQ(host_->Calls(Op::MakeVariableTag), 5u);
  EXPECT_EQ(TagOf(Find(doc, "BadIndex"), 5604), nullptr);
  EXPECT_EQ(TagOf(Find(doc, "NegativeIndex"), 5604), nullptr);
  EXPECT_EQ(host_->Calls(Op::ObjectAlloc), 7u);
  EXPECT_EQ(host_->Calls(Op::ElementFree), 5u) << "the three objects with bad headers, the two polygon tags";
}

TEST_F(SceneTest, SplineBodyMustBeWhole) {
  // The file ends right after the point count: the trailing real is missing.
  Ft50Writer f;
  f.Begin(5020).Begin(5101).Text("").I32(0).U8(0).I32(0).I32(4).End().End();
  EXPECT_EQ(Import(f).code, -3);
  EXPECT_EQ(Imported()->objects.count, 0u);
  EXPECT_EQ(host_->Calls(Op::SplineAlloc), 0u);
}

TEST_F(SceneTest, ObjectAtTheEndOfTheFileKeepsWhatItRead) {
  Ft50Writer f;
  f.Begin(5020).Begin(5100).End();
  ft50::ObjectHeader(f, Named("Cut"));
  ft50::Points(f, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
  ft50::Polygons(f, 5601, {{0, 1, 2}});
  f.End();  // no terminator, no end of stream
  EXPECT_EQ(Import(f).code, -3);
  tessaro::Object *o = Find(Imported(), "Cut");
  ASSERT_NE(o, nullptr) << "what was read is kept";
  EXPECT_NE(TagOf(o, 5600), nullptr);
  EXPECT_EQ(TagOf(o, 5604), nullptr) << "no tag building without the terminator";
}

TEST_F(SceneTest, HostFaultsFailOnlyTheirObject) {
  auto file = [] {
    Ft50Writer f;
    // The quad's polygons in two runs, so that the tag grows once.
    ft50::Object(f, 5100, Named("Mesh"), [](Ft50Writer &b) {
      ft50::Points(b, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
      ft50::Polygons(b, 5601, {{0, 1, 2}});
      ft50::Polygons(b, 5601, {{2, 3, 0}});
      ft50::Uv(b, {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    });
    Solid(f, Named("Next"));
    f.Terminator();
    return f;
  };
  struct Case {
    Op op;
    uint64_t nth;
    bool meshExists;
    std::vector<int32_t> meshTags;
    int32_t code;
  };
  // The object; its point tag; the polygon tag (the second variable tag,
  // made with the first run of polygons); its growth for the second run; the
  // UV buffer (the one block); the UVW tag (the third variable tag: the mesh
  // stays whole without it) and its entries. What the host cannot hold is
  // answered with the out-of-memory result, never success.
  const Case cases[] = {{Op::ObjectAlloc, 1, false, {}, -7},       {Op::MakeVariableTag, 1, true, {}, -7},
                        {Op::MakeVariableTag, 2, true, {5600}, -7}, {Op::TagResize, 1, true, {5600}, -7},
                        {Op::GeAlloc, 1, true, {5600}, -7},         {Op::MakeVariableTag, 3, true, {5604, 5600}, -7},
                        {Op::UVWSetRun, 1, true, {5604, 5600}, -7}, {Op::GeAlloc, 2, true, {5671, 5604, 5600}, 0}};
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(tessaro::OpName(c.op)) + " " + std::to_string(c.nth));
    host_->FailNth(c.op, c.nth);
    // The document in front now has objects: ask for a new one each time.
    ASSERT_EQ(Import(file(), testsupport::Mode(MODE_NEW)).code, c.code);
    tessaro::Object *mesh = Find(Imported(), "Mesh");
    ASSERT_EQ(mesh != nullptr, c.meshExists);
    if (mesh) {
      EXPECT_EQ(testsupport::TagTypes(mesh), c.meshTags);
    }

    EXPECT_NE(Find(Imported(), "Next"), nullptr);
  }
}

}  // namespace

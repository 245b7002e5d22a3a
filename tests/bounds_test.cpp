// Files whose counts and lengths disagree with their framing: every read
// stays inside its record, and a wrong length costs at most its own record.
// Also the edges a planted fault once slipped past: runs that end exactly
// at the end of the file, the deepest level, the kind filter in an update.
#include <cstring>

#include "c4d_symbols.h"
#include "Handles.h"
#include "ft50_scene.h"
#include "support.h"
#include "user_document.h"

namespace {

using ft50::Named;
using testsupport::Find;
using testsupport::Names;
using testsupport::TagData;
using testsupport::TagOf;
using testsupport::TagTypes;


class BoundsTest : public testsupport::HostTest {
 protected:
  // Patches the 4-byte length of the record whose header starts at offset.
  static Ft50Writer Patched(const Ft50Writer &w, size_t header, int32_t length) {
    std::vector<uint8_t> bytes = w.Data();
    for (int i = 0; i < 4; ++i) bytes[header + 4 + i] = static_cast<uint8_t>(uint32_t(length) >> (24 - 8 * i));
    return Raw(bytes);
  }
  static Ft50Writer Raw(const std::vector<uint8_t> &bytes) {
    Ft50Writer out;
    out.Bytes(bytes.data() + 16, bytes.size() - 16);
    return out;
  }
  static int32_t LengthAt(const Ft50Writer &w, size_t header) {
    const uint8_t *p = w.Data().data() + header + 4;
    return int32_t(uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]));
  }
  // A mesh object: a triangle on three points, with UVs and smoothing.
  static void Mesh(Ft50Writer &w, const std::string &name, int32_t level = 0) {
    ft50::Object(w, 5100, Named(name, level), [](Ft50Writer &b) {
      ft50::Points(b, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
      ft50::Polygons(b, 5601, {{0, 1, 2}});
      ft50::Uv(b, {{0, 0}, {1, 0}, {0, 1}});
      ft50::Phong(b, 0.5f);
    });
  }
};

size_t PolygonCount(const tessaro::Object *o) {
  const tessaro::Tag *t = TagOf(o, 5604);
  return t ? size_t(t->entries) : 0;
}

TEST_F(BoundsTest, CountsBeyondTheirSubRecordFailItThoughTheFileHoldsMore) {
  // Each record's count reaches into what follows it: 1000 triangles in a
  // record that holds one, then many records of the same kind, each read
  // again from its own start. The file holds enough for every count.
  Ft50Writer f;
  ft50::Object(f, 5100, Named("Greedy"), [](Ft50Writer &b) {
    ft50::Points(b, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    for (int i = 0; i < 200; ++i) b.Begin(5601).I32(1000).I32(0).U16(0).U16(1).U16(2).End();
  });
  ft50::Object(f, 5100, Named("Points"), [](Ft50Writer &b) {
    b.Begin(5600).I32(3).I32(0).Vec(1, 2, 3).End();  // three points, one present
    ft50::Points(b, {{0, 0, 0}, {1, 0, 0}});
  });
  ft50::Object(f, 5100, Named("Uv"), [](Ft50Writer &b) {
    ft50::Points(b, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    ft50::Polygons(b, 5601, {{0, 1, 2}});
    b.Begin(5618).I32(100).I32(0).Bool(true).Bool(false).Pair(0, 0).End();
    b.Zeros(1000);  // room enough in the object for the count, not in the record
  });
  ft50::Object(f, 5100, Named("Pairs"), [](Ft50Writer &b) {
    ft50::Points(b, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    b.Begin(5655).I32(50).I32(0).I32(0).I32(1).End();
    ft50::Polygons(b, 5601, {{0, 1, 2}});
  });
  Mesh(f, "After");
  f.Terminator();
  ASSERT_EQ(Import(f, testsupport::Mode(MODE_NEW)).code, 0);
  tessaro::Document *doc = Doc();
  EXPECT_EQ(PolygonCount(Find(doc, "Greedy")), 0u) << "the first record fails the object";
  EXPECT_EQ(TagOf(Find(doc, "Points"), 5600), nullptr) << "checked before the tag is made";
  EXPECT_EQ(TagOf(Find(doc, "Uv"), 5604), nullptr);
  EXPECT_EQ(TagOf(Find(doc, "Pairs"), 5604), nullptr);
  EXPECT_EQ(PolygonCount(Find(doc, "After")), 1u) << "the next object is read whole";
  EXPECT_NE(TagOf(Find(doc, "After"), 5671), nullptr);
}

TEST_F(BoundsTest, RunsEndingAtTheEndOfTheirRecordOrOfTheFileKeepWhatTheyRead) {
  // Every run of a well-formed file fills its record exactly.
  Ft50Writer f;
  Mesh(f, "Exact");
  f.Terminator();
  ASSERT_EQ(Import(f, testsupport::Mode(MODE_NEW)).code, 0);
  EXPECT_EQ(PolygonCount(Find(Doc(), "Exact")), 1u);
  EXPECT_NE(TagOf(Find(Doc(), "Exact"), 5671), nullptr);

  // A file cut right after the last point: its records claim no more than
  // the file holds, and the points read stay.
  Ft50Writer cut;
  cut.Begin(5020).Begin(5100).End();
  ft50::ObjectHeader(cut, Named("Cut"));
  cut.Begin(5600).I32(2).I32(0).Vec(1, 2, 3).Vec(4, 5, 6).End().End();
  tessaro::DialogAnswers a = testsupport::Mode(MODE_NEW);
  a.scale = 2;
  EXPECT_EQ(Import(cut, a).code, -3);
  auto points = TagData<th_vector>(TagOf(Find(Doc(), "Cut"), 5600));
  EXPECT_EQ(points, (std::vector<th_vector>{{2, 4, 6}, {8, 10, 12}}));
}

TEST_F(BoundsTest, ObjectRecordTooShortEndsWhereItsListEnds) {
  Ft50Writer whole;
  Mesh(whole, "Short");
  ft50::Material(whole, "M");
  Mesh(whole, "Next");
  whole.Terminator();
  const int32_t right = LengthAt(whole, 16);
  // No length at all, half of it, and all but the end record's last bytes:
  // the object is read whole, and so is everything after it.
  for (int32_t length : {0, right / 2, right - 4}) {
    SCOPED_TRACE(length);
    ASSERT_EQ(Import(Patched(whole, 16, length), testsupport::Mode(MODE_NEW)).code, 0);
    EXPECT_EQ(Names(Doc()->objects), (std::vector<std::string>{"Short", "Next"}));
    EXPECT_EQ(PolygonCount(Find(Doc(), "Short")), 1u);
    EXPECT_EQ(PolygonCount(Find(Doc(), "Next")), 1u);
  }
  // The same when the object is dropped by the kind filter: an update of
  // the cameras drops meshes, and their lists still end where they end.
  testsupport::MakeUserDocument(*host_);
  Ft50Writer update;
  ft50::Object(update, 5100, Named("Root"));
  const size_t mesh = update.Size();
  Mesh(update, "Dropped", 1);
  ft50::Object(update, 5103, Named("Cam", 1), nullptr, ft50::CameraBody(35, 0, 0, 0));
  update.Terminator();
  ASSERT_EQ(Import(Patched(update, mesh, 0), testsupport::Update("Target", KIND_CAMERAS)).code, 0);
  EXPECT_EQ(Names(Find(Doc(), "Target")->children), (std::vector<std::string>{"Cam", "Light", "Group"}))
      << "the user's mesh without points goes with the clean-up";
}

TEST_F(BoundsTest, AWrongLengthCostsAtMostItsOwnRecord) {
  // The first record, an object or a material, with or without the end
  // record of its list, has a length too short or too long by each amount;
  // it is read whole when its list says where it ends, and whatever
  // follows is read as if nothing were wrong.
  for (bool object : {true, false}) {
    for (bool terminated : {true, false}) {
      Ft50Writer w;
      if (object) {
        w.Begin(5020).Empty(5100);
        ft50::ObjectHeader(w, Named("A"));
        ft50::Points(w, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
        ft50::Polygons(w, 5601, {{0, 1, 2}});
      } else {
        w.Begin(5703).Begin(5704).Text("One").Zeros(12).U8(0).End();
      }
      if (terminated) w.Terminator();
      w.End();
      const int32_t right = LengthAt(w, 16);
      if (object) ft50::Material(w, "One");
      ft50::Material(w, "Two");
      ft50::Object(w, 5100, Named("B"), [](Ft50Writer &b) {
        ft50::Points(b, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
        ft50::Polygons(b, 5601, {{0, 1, 2}});
        ft50::TextureTag(b, ft50::Uses(2));
      });
      Mesh(w, "C");
      w.Terminator();
      for (int32_t delta : {-right, -right / 2, -4, 1, 8, 100, 5000}) {
        SCOPED_TRACE(std::string(object ? "object" : "material") + (terminated ? ", terminated" : ", open") +
                     ", length off by " + std::to_string(delta));
        ASSERT_EQ(Import(Patched(w, 16, right + delta), testsupport::Mode(MODE_NEW)).code, 0);
        EXPECT_EQ(Names(Doc()->objects), object ? (std::vector<std::string>{"A", "B", "C"})
                                                : (std::vector<std::string>{"B", "C"}));
        if (object) {
          EXPECT_EQ(PolygonCount(Find(Doc(), "A")), 1u);
        }
        EXPECT_EQ(PolygonCount(Find(Doc(), "B")), 1u);
        EXPECT_EQ(Names(Doc()->materials), (std::vector<std::string>{"Two"})) << "B's tag links the second";
        EXPECT_EQ(PolygonCount(Find(Doc(), "C")), 1u);
      }
    }
  }
}

TEST_F(BoundsTest, RecordsShorterThanTheirFieldsBuildNothingFromTheirNeighbours) {
  // Each record below is cut short inside its own fields while the file goes
  // on: what follows must not be read as the rest of it.
  Ft50Writer f;
  ft50::DocumentSettings(f, 50, 100);  // the frame rate is at byte 100
  f.Begin(5703).Begin(5704).Text("Cut").Zeros(12).U8(0).End();
  f.Begin(5900).Vec(1, 1, 1).End();  // a channel of its colour only
  f.Terminator().End();
  ft50::Material(f, "Whole");
  ft50::Object(f, 5103, Named("EmptyCamera"));  // a camera kind without its body
  ft50::Object(f, 5100, Named("Keys"), [](Ft50Writer &b) {
    ft50::Animation(b, [](Ft50Writer &a) {
      ft50::KeyList(a, [](Ft50Writer &k) {
        ft50::VectorKey(k, 5402, 1, 1, {1, 2, 3}, {0, 0, 0}, {0, 0, 0});
        for (int i = 0; i < 50; ++i) k.Empty(5402);  // keys of no bytes
      });
    });
  });
  ft50::Object(f, 5100, Named("ShortTag"), [](Ft50Writer &b) {
    ft50::Points(b, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    b.Begin(5616).I32(0).I32(0).End();  // a texture tag of two integers
    ft50::TextureTag(b, ft50::Uses(2));
  });
  f.Begin(5020).Empty(5100).Begin(5021).I32(0).End().Terminator().End();  // a header of its level only
  Mesh(f, "Last");
  f.Terminator();
  tessaro::Document *user = testsupport::MakeUserDocument(*host_);
  user->fps = 24;
  ASSERT_EQ(Import(f, testsupport::Mode(MODE_MERGE)).code, 0);
  EXPECT_EQ(user->fps, 24) << "no frame rate from the next record's bytes";
  EXPECT_EQ(Find(user, "EmptyCamera"), nullptr);
  tessaro::Object *keys = Find(user, "Keys");
  ASSERT_NE(keys, nullptr);
  size_t made = 0;
  for (const tessaro::Element *t = keys->tracks.first; t; t = t->next)
    for (const tessaro::Element *q = static_cast<const tessaro::Track *>(t)->sequences.first; q; q = q->next)
      made += static_cast<const tessaro::Sequence *>(q)->keys.count;
  EXPECT_EQ(made, 3u) << "one key on each of x, y and z; an empty key record fails its list";
  tessaro::Object *tagged = Find(user, "ShortTag");
  ASSERT_NE(tagged, nullptr);
  EXPECT_TRUE(testsupport::TagTypes(tagged) == (std::vector<int32_t>{5600})) << "the cut tag fails the object";
  EXPECT_EQ(Names(user->objects), (std::vector<std::string>{"Keys", "ShortTag", "Last", "Target", "Other"}));
  EXPECT_EQ(PolygonCount(Find(user, "Last")), 1u);
  EXPECT_EQ(Names(user->materials), (std::vector<std::string>{"Oak", "Pine"})) << "Cut failed, Whole unused";
}

TEST_F(BoundsTest, LengthsThatLandOnHeaderShapedDataOrWholeRecords) {
  // B's triangles hold one whose corners read as an object header of a
  // length that fits the file. A length that lands there, or on a record
  // boundary further on, must not take the records after it along.
  auto build = [](Ft50Writer &w, size_t *a, size_t *b, size_t *fake, size_t *triangles, size_t *c) {
    *a = w.Size();
    Mesh(w, "A");
    *b = w.Size();
    w.Begin(5020).Empty(5100);
    ft50::ObjectHeader(w, Named("B"));
    ft50::Points(w, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    *triangles = w.Size();
    w.Begin(5653).I32(3).I32(0).I32(0).I32(1).I32(2);
    *fake = w.Size();
    w.I32(5020).I32(40).I32(5).I32(0).I32(1).I32(2).End();
    w.Terminator().End();
    *c = w.Size();
    Mesh(w, "C");
    Mesh(w, "D");
    ft50::DocumentSettings(w, 25);
    Mesh(w, "E");
    w.Terminator();
  };
  Ft50Writer w;
  size_t a, b, fake, triangles, c;
  build(w, &a, &b, &fake, &triangles, &c);
  struct Case {
    const char *what;
    size_t header;
    int32_t length;
    std::vector<std::string> objects;
  };
  const Case cases[] = {
      {"B's triangles end on the header-shaped one", triangles, int32_t(fake - triangles - 8), {"A", "B", "C", "D", "E"}},
      {"A ends on the header-shaped triangle", a, int32_t(fake - a - 8), {"A", "B", "C", "D", "E"}},
      {"A takes in B whole", a, int32_t(c - a - 8), {"A", "B", "C", "D", "E"}},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(k.what);
    ASSERT_EQ(Import(Patched(w, k.header, k.length), testsupport::Mode(MODE_NEW)).code, 0);
    EXPECT_EQ(Names(Doc()->objects), k.objects);
    for (const char *name : {"A", "C", "D", "E"}) EXPECT_EQ(PolygonCount(Find(Doc(), name)), 1u) << name;
    EXPECT_EQ(Doc()->fps, 25);
  }
  // Settings records have no list to say where they end: what follows
  // their fields does, when it is a top-level record.
  Ft50Writer s;
  ft50::DocumentSettings(s, 25);
  ft50::RenderSettings(s);
  Mesh(s, "After");
  s.Terminator();
  const size_t render = 16 + 8 + 132;
  Ft50Writer longer = Patched(Patched(s, 16, 132 + 8), render, LengthAt(s, render) + 30);
  ASSERT_EQ(Import(longer, testsupport::Mode(MODE_NEW)).code, 0);
  EXPECT_EQ(Doc()->fps, 25);
  EXPECT_EQ(Doc()->renderData.count, 1u);
  EXPECT_EQ(PolygonCount(Find(Doc(), "After")), 1u);
}

TEST_F(BoundsTest, AnEmptyPointRecordFailsItsObjectOnly) {
  // The host has no data address for an empty tag: the record fails, and
  // that is no want of memory.
  Ft50Writer f;
  ft50::Object(f, 5100, Named("Empty"), [](Ft50Writer &b) { ft50::Points(b, {}); });
  Mesh(f, "Next");
  f.Terminator();
  ASSERT_EQ(Import(f, testsupport::Mode(MODE_NEW)).code, 0);
  EXPECT_EQ(Names(Doc()->objects), (std::vector<std::string>{"Empty", "Next"}));
  EXPECT_EQ(PolygonCount(Find(Doc(), "Next")), 1u);
}

TEST_F(BoundsTest, SubRecordTooLongCostsOnlyItsObject) {
  Ft50Writer f;
  ft50::Object(f, 5100, Named("Broken"), [](Ft50Writer &b) {
    ft50::Points(b, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    b.RawHeader(5601, 5000).I32(1).I32(0).U16(0).U16(1).U16(2);  // claims far more than its object
  });
  Mesh(f, "Next");
  ft50::Material(f, "M");
  f.Terminator();
  ASSERT_EQ(Import(f, testsupport::Mode(MODE_NEW)).code, 0);
  EXPECT_EQ(Names(Doc()->objects), (std::vector<std::string>{"Broken", "Next"}));
  EXPECT_EQ(PolygonCount(Find(Doc(), "Broken")), 0u);
  EXPECT_EQ(PolygonCount(Find(Doc(), "Next")), 1u);

  // A key list that runs past its animation record fails the animation;
  // the object's next records are its own again.
  Ft50Writer keys;
  ft50::Object(keys, 5100, Named("Animated"), [](Ft50Writer &b) {
    b.Begin(5500).Begin(5599).End().RawHeader(5501, 400).End();
    ft50::Points(b, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    ft50::Polygons(b, 5601, {{0, 1, 2}});
  });
  Mesh(keys, "AfterKeys");
  keys.Terminator();
  ASSERT_EQ(Import(keys, testsupport::Mode(MODE_NEW)).code, 0);
  EXPECT_EQ(TagOf(Find(Doc(), "Animated"), 5600), nullptr) << "the failed animation ends the object";
  EXPECT_EQ(PolygonCount(Find(Doc(), "AfterKeys")), 1u);
}

TEST_F(BoundsTest, ObjectWithoutItsEndRecordEndsWithItsRecord) {
  Ft50Writer f;
  f.Begin(5020).Begin(5100).End();
  ft50::ObjectHeader(f, Named("Open"));
  ft50::Points(f, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
  ft50::Polygons(f, 5601, {{0, 1, 2}});
  f.End();  // no end record in the list
  Mesh(f, "Next");
  f.Terminator();
  ASSERT_EQ(Import(f, testsupport::Mode(MODE_NEW)).code, 0);
  EXPECT_EQ(PolygonCount(Find(Doc(), "Open")), 1u) << "the next top-level record ends the list";
  EXPECT_EQ(PolygonCount(Find(Doc(), "Next")), 1u);
}

TEST_F(BoundsTest, NegativeIndexPairCountsReadNothingAndSucceed) {
  Ft50Writer f;
  ft50::Object(f, 5100, Named("Pairs"), [](Ft50Writer &b) {
    ft50::Points(b, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    b.Begin(5603).I32(-1).I32(0).End();
    b.Begin(5655).I32(-5).I32(0).End();
    ft50::Polygons(b, 5601, {{0, 1, 2}});
    ft50::Uv(b, {{0, 0}, {1, 0}, {0, 1}});
  });
  f.Terminator();
  ASSERT_EQ(Import(f, testsupport::Mode(MODE_NEW)).code, 0);
  EXPECT_EQ(TagTypes(Find(Doc(), "Pairs")), (std::vector<int32_t>{5671, 5604, 5600}));
}

TEST_F(BoundsTest, DeepestLevelIsPlacedAndTheNextIsNot) {
  Ft50Writer f;
  for (int32_t level = 0; level <= 255; ++level) ft50::Object(f, 5100, Named("L" + std::to_string(level), level));
  f.Terminator();
  ASSERT_EQ(Import(f, testsupport::Mode(MODE_NEW)).code, 0);
  const tessaro::Element *deepest = nullptr;
  int depth = 0;
  for (const tessaro::Element *e = Doc()->objects.first; e; e = static_cast<const tessaro::Object *>(e)->children.first) {
    deepest = e;
    ++depth;
  }
  EXPECT_EQ(depth, 254) << "levels 0 to 253";
  EXPECT_EQ(deepest->name, "L253");
}

TEST_F(BoundsTest, UpdatesKeepEverythingBelowTheTarget) {
  // A light update drops the group at level 1; its light, at level 2, has
  // no placed parent and goes below the target, not to the document's top.
  // Objects of host type 5106 (kind 5107) are never inserted in an update.
  tessaro::Document *user = testsupport::MakeUserDocument(*host_);
  user->fps = 30;
  Ft50Writer f;
  ft50::DocumentSettings(f, 12);
  ft50::Object(f, 5100, Named("Root"));
  ft50::Object(f, 5101, Named("Group", 1), nullptr, ft50::SplineBody(0, 0));
  ft50::Object(f, 5102, Named("Lamp", 2), nullptr, ft50::LightBody(ft50::Light()));
  ft50::Object(f, 5107, Named("Kind", 1), nullptr, ft50::Kind5107Body({1, 2, 3}, {4, 5, 6}, 7));
  f.Terminator();
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_EQ(Import(f, testsupport::Update("Target", KIND_LIGHTS)).code, 0);
    tessaro::Document *doc = Doc();
    EXPECT_EQ(Names(doc->objects), (std::vector<std::string>{"Target", "Other"})) << "nothing at the top";
    EXPECT_EQ(Names(Find(doc, "Target")->children), (std::vector<std::string>{"Lamp", "Cam", "Group"}));
    EXPECT_EQ(doc->fps, 30) << "only a cameras update reads the frame rate";
  }
  for (int32_t kind : {KIND_GEOMETRY, KIND_MATERIALS}) {
    ASSERT_EQ(Import(f, testsupport::Update("Target", kind)).code, 0);
    EXPECT_EQ(Doc()->fps, 30);
  }
  ASSERT_EQ(Import(f, testsupport::Update("Target", KIND_CAMERAS)).code, 0);
  EXPECT_EQ(Doc()->fps, 12);
}

TEST_F(BoundsTest, MergeRecordsEveryObjectPlacedAtTheTop) {
  // C, two levels below A, finds no parent: it lands at the top and is an
  // insertion to undo of its own.
  testsupport::MakeUserDocument(*host_);
  Ft50Writer f;
  ft50::Object(f, 5100, Named("A"));
  ft50::Object(f, 5100, Named("C", 2));
  f.Terminator();
  ASSERT_EQ(Import(f, testsupport::Mode(MODE_MERGE)).code, 0);
  ASSERT_EQ(Doc()->undo.size(), 1u);
  std::vector<std::string> undone;
  for (const tessaro::UndoEntry &e : Doc()->undo[0]) {
    EXPECT_EQ(e.type, 44);
    undone.push_back(e.name);
  }
  std::vector<std::string> top = Names(Doc()->objects);
  EXPECT_EQ(undone, (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(top, (std::vector<std::string>{"C", "A", "Target", "Other"}));
}

TEST_F(BoundsTest, ALoadNeverActsOnAHandOverNoCoreMessageConsumed) {
  // A merge whose core message never came leaves its hand-over armed; the
  // next import into a new document must not be closed for it.
  testsupport::MakeUserDocument(*host_);
  Ft50Writer f;
  Mesh(f, "Fresh");
  f.Terminator();
  const std::string path = dir_.File("merge.ft50");
  f.Save(path);
  const tessaro::SceneLoader &loader = host_->Loaders().at(0);
  host_->dialogAnswers = testsupport::Mode(MODE_MERGE);
  tessaro::Document *merged = host_->NewDocument("loader");
  th_string error;
  ASSERT_EQ(loader.cls->Load(loader.node, path.c_str(), reinterpret_cast<th_element *>(merged), 0, &error, nullptr), 0);
  host_->dialogAnswers = {};

  ASSERT_EQ(Import(f, testsupport::Mode(MODE_NEW)).code, 0);
  tessaro::Document *doc = Doc();
  ASSERT_NE(doc, nullptr);
  EXPECT_NE(Find(doc, "Fresh"), nullptr) << "the new document stays in front";
  EXPECT_EQ(host_->Calls(tessaro::Op::KillDocument), 0u);
}

}  // namespace

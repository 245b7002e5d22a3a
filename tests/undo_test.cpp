// Undo gives the user's document back: a merge into the room and an update
// of each of its top-level objects with each kind, undone in memory and
// through the document file, leave the room as it was in everything but its
// undo list.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "document_text.h"
#include "c4d_symbols.h"
#include "DocumentFile.h"
#include "Undo.h"
#include "ft50_scene.h"
#include "support.h"

namespace {

namespace fs = std::filesystem;

// Where two documents first differ, by line; empty when they do not.
std::string FirstDifference(const std::string &a, const std::string &b) {
  size_t line = 1, start = 0;
  for (size_t i = 0; i < a.size() || i < b.size(); ++i) {
    if (i >= a.size() || i >= b.size() || a[i] != b[i]) {
      auto lineOf = [&](const std::string &s) { return s.substr(start, s.find('\n', start) - start); };
      return "line " + std::to_string(line) + ": \"" + lineOf(a) + "\" against \"" + lineOf(b) + "\"";
    }
    if (a[i] == '\n') ++line, start = i + 1;
  }
  return "";
}

class UndoTest : public testsupport::HostTest {
 protected:
  // A fresh copy of the user's document, in front.
  tessaro::Document *Room() {
    tessaro::Document *doc = host_->NewDocument("room.json");
    std::string why;
    EXPECT_TRUE(tessaro::ReadDocumentFile(*host_, TESSARO_SOURCE_DIR "/examples/room.json", doc, &why)) << why;
    host_->SetActiveDocument(doc);
    return doc;
  }

  // Imports the file with the answers into the room and undoes the import
  // in memory and, from its document file, in another run's document.
  void ImportAndUndo(const std::string &file, const tessaro::DialogAnswers &answers, const std::string &what) {
    SCOPED_TRACE(file + ": " + what);
    tessaro::Document *room = Room();
    const std::string before = testsupport::DocumentContent(*room);
    const size_t steps = room->undo.size();
    ImportPath(file, answers);
    ASSERT_EQ(host_->ActiveDocument(), room) << "the user's document is in front again";
    if (room->undo.size() == steps) {
      EXPECT_EQ(FirstDifference(testsupport::DocumentContent(*room), before), "") << "nothing recorded, nothing changed";
    } else {
      ASSERT_EQ(room->undo.size(), steps + 1) << "one undo step";
      std::string why;
      ASSERT_TRUE(tessaro::WriteDocumentFile(*room, dir_.File("after.json"), &why)) << why;
      tessaro::Document *again = host_->NewDocument("after.json");
      ASSERT_TRUE(tessaro::ReadDocumentFile(*host_, dir_.File("after.json"), again, &why)) << why;
      for (tessaro::Document *doc : {room, again}) {
        size_t skipped = 0;
        ASSERT_TRUE(tessaro::UndoLastStep(*host_, *doc, &why, &skipped)) << why;
        EXPECT_EQ(skipped, 0u);
        EXPECT_EQ(FirstDifference(testsupport::DocumentContent(*doc), before), "")
            << (doc == room ? "undone in memory" : "undone from the document file");
      }
      host_->KillDocument(again);
    }
    EXPECT_TRUE(host_->misuse.empty());
    // Only the room and the host's own document stay.
    while (host_->Documents().size() > 1) host_->KillDocument(host_->Documents().front().get());
  }

  void EveryMode(const std::string &file) {
    ImportAndUndo(file, testsupport::Mode(MODE_MERGE), "merge");
    const char *kinds[] = {"geometry", "cameras", "materials", "lights"};
    for (const char *object : {"Table", "Floor"})
      for (int32_t kind = KIND_GEOMETRY; kind <= KIND_LIGHTS; ++kind)
        ImportAndUndo(file, testsupport::Update(object, kind),
                      std::string("update of ") + object + ", " + kinds[kind - KIND_GEOMETRY]);
  }
};

// The examples, every file that once broke the importer, and (in the undo
// check) every FT50 file the tests write.
TEST_F(UndoTest, MergesAndUpdatesAreUndoneExactly) {
  std::vector<std::string> files;
  for (const char *dir : {TESSARO_SOURCE_DIR "/examples", TESSARO_SOURCE_DIR "/tests/regressions"})
    for (const auto &e : fs::directory_iterator(dir))
      if (e.path().extension() == ".ft50") files.push_back(e.path().string());
  if (const char *corpus = std::getenv("TESSARO_UNDO_CORPUS"))
    for (const auto &e : fs::directory_iterator(corpus))
      if (e.path().extension() == ".ft50") files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  for (const std::string &f : files) EveryMode(f);
}

// The entries merge and update add where they change the user's document,
// each undone: the frame rate before a settings record changes it ...
TEST_F(UndoTest, TheFrameRateIsRecordedBeforeItChanges) {
  Ft50Writer f;
  ft50::DocumentSettings(f, 12);
  f.Terminator();
  f.Save(dir_.File("settings.ft50"));
  tessaro::Document *room = Room();
  ImportPath(dir_.File("settings.ft50"), testsupport::Mode(MODE_MERGE));
  ASSERT_EQ(room->undo.size(), 1u);
  ASSERT_EQ(room->undo[0].size(), 1u);
  EXPECT_EQ(room->undo[0][0].type, 40);
  EXPECT_EQ(room->undo[0][0].kind, "document");
  EXPECT_EQ(room->undo[0][0].fps, 30) << "the frame rate as it was";
  EXPECT_EQ(room->fps, 12);
  std::string why;
  ASSERT_TRUE(tessaro::UndoLastStep(*host_, *room, &why)) << why;
  EXPECT_EQ(room->fps, 30);
}

// ... render settings after they are added ...
TEST_F(UndoTest, RenderSettingsAreRecordedAfterTheyAreAdded) {
  Ft50Writer f;
  ft50::RenderSettings(f);
  f.Terminator();
  f.Save(dir_.File("render.ft50"));
  tessaro::Document *room = Room();
  ImportPath(dir_.File("render.ft50"), testsupport::Update("Table", KIND_CAMERAS));
  ASSERT_EQ(room->undo.size(), 1u);
  ASSERT_EQ(room->renderData.count, 1u);
  const tessaro::UndoEntry &last = room->undo[0].back();
  EXPECT_EQ(last.type, 44);
  EXPECT_EQ(last.kind, "render settings");
  std::string why;
  ASSERT_TRUE(tessaro::UndoLastStep(*host_, *room, &why)) << why;
  EXPECT_EQ(room->renderData.count, 0u);
}

// ... and the end time before keys past it move it: recorded once, before
// the first such key.
TEST_F(UndoTest, TheEndTimeIsRecordedOnceBeforeKeysMoveIt) {
  Ft50Writer keys;
  ft50::Object(keys, 5100, ft50::Named("Moving"), [](Ft50Writer &b) {
    ft50::Points(b, {{0, 0, 0}});
    ft50::Animation(b, [](Ft50Writer &a) {
      ft50::KeyList(a, [](Ft50Writer &k) {
        ft50::VectorKey(k, 5402, 120, 30, {1, 1, 1}, {}, {});
        ft50::VectorKey(k, 5402, 150, 30, {2, 2, 2}, {}, {});
      });
    });
  });
  keys.Terminator();
  keys.Save(dir_.File("keys.ft50"));
  tessaro::Document *room = Room();
  ImportPath(dir_.File("keys.ft50"), testsupport::Mode(MODE_MERGE));
  ASSERT_EQ(room->undo.size(), 1u);
  size_t settings = 0;
  for (const tessaro::UndoEntry &u : room->undo[0]) settings += u.kind == "document";
  EXPECT_EQ(settings, 1u);
  EXPECT_EQ(room->maxTimeNum, 150);
  std::string why;
  ASSERT_TRUE(tessaro::UndoLastStep(*host_, *room, &why)) << why;
  EXPECT_EQ(room->maxTimeNum, 90);
  EXPECT_EQ(room->maxTimeDen, 30);
}

// Undone from its document file in a later run, an update gives back what
// it replaced: a view keeps showing the camera below the target, and a kept
// object whose material the user has since removed comes back linking none.
TEST_F(UndoTest, ViewsFollowRestoredObjectsAndKeptCopiesOutliveTheirMaterials) {
  testsupport::WriteText(dir_.File("user.json"), R"({"objects": [{"type": 5140, "name": "Rig", "children": [
      {"type": 5103, "name": "VC"},
      {"type": 5100, "name": "Mesh", "tags": [{"type": 5616, "material": "M"}]}]}],
    "materials": [{"name": "M"}], "views": [{"sceneCamera": "Rig/VC"}]})");
  tessaro::Document *user = host_->NewDocument("user.json");
  std::string why;
  ASSERT_TRUE(tessaro::ReadDocumentFile(*host_, dir_.File("user.json"), user, &why)) << why;
  host_->SetActiveDocument(user);
  ImportPath(TESSARO_SOURCE_DIR "/examples/empty.ft50", testsupport::Update("Rig", KIND_GEOMETRY));
  ASSERT_EQ(user->undo.size(), 1u);
  EXPECT_EQ(testsupport::Find(user, "Mesh"), nullptr) << "the update replaced the geometry";
  ASSERT_TRUE(tessaro::WriteDocumentFile(*user, dir_.File("after.json"), &why)) << why;
  // The user removes the material by hand before undoing in a later run.
  std::string text = testsupport::ReadText(dir_.File("after.json"));
  const size_t at = text.find("\"materials\": [");
  const size_t end = text.find("\n  \"fps\"");
  ASSERT_NE(at, std::string::npos);
  text = text.substr(0, at) + "\"materials\": [],\n" + text.substr(end + 1);
  testsupport::WriteText(dir_.File("edited.json"), text);
  for (const char *file : {"after.json", "edited.json"}) {
    SCOPED_TRACE(file);
    tessaro::Document *again = host_->NewDocument(file);
    ASSERT_TRUE(tessaro::ReadDocumentFile(*host_, dir_.File(file), again, &why)) << why;
    ASSERT_TRUE(tessaro::UndoLastStep(*host_, *again, &why)) << why;
    const tessaro::Element *cam = host_->LinkedObject(again->views[0].camera, again->views[0].cameraSerial);
    ASSERT_NE(cam, nullptr) << "the view still shows the camera";
    EXPECT_EQ(cam->name, "VC");
    EXPECT_EQ(cam->doc, again);
    const tessaro::Object *mesh = testsupport::Find(again, "Mesh");
    ASSERT_NE(mesh, nullptr);
    const tessaro::Tag *tag = testsupport::TagOf(mesh, 5616);
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(host_->LinkedMaterial(*tag) != nullptr, std::string(file) == "after.json");
  }
}

// A document file's undo entries that name no element of the document, or
// keep what does not fit their element, are refused with where they stand.
TEST_F(UndoTest, UndoEntriesThatDoNotFitTheirDocumentAreRefused) {
  const std::string head = R"({"objects": [{"type": 5140, "name": "A"}], "materials": [{"name": "M"}], "undo": [[)";
  const std::pair<const char *, const char *> cases[] = {
      {R"({"type": 44, "element": {"object": [5]}})", "/undo/0/0/element: the document has no such element"},
      {R"({"type": 44, "element": {"object": [0, 0]}})", "the document has no such element"},
      {R"({"type": 44, "element": {"bogus": 1}})", "unknown kind of element"},
      {R"({"type": 44, "element": {"material": -1}})", "expected a position from 0"},
      {R"({"type": 40, "element": {"material": 0}, "before": {"object": {"type": 5140}}})",
       "what it kept is of another kind than its element"},
      {R"({"type": 40, "element": {"object": [0]}, "before": {"fps": 12, "maxTime": [1, 1]}})",
       "the document's settings belong to the document alone"},
      {R"({"type": 40, "element": "document", "before": {"fps": 12}})", "the document's settings need fps and maxTime"},
      {R"({"type": 40, "element": {"object": [0]}, "before": {"object": {"type": 5140}}, "views": [[0, 0]]})",
       "expected a view from 0 to 15 and a position from 1"},
      {R"({"type": 40, "element": {"object": [0]}, "before": {"object": {"type": 5140}}, "views": [[0, 2000000000]]})",
       "the entry's copy has no element at that position"},
      {R"({"type": 44, "element": {"object": [0]}, "views": [[0, 1]]})", "the entry keeps no copy for the view to follow"},
      {R"({"type": 40, "element": "document", "before": {"object": {"type": 5140}, "material": {}}})",
       "expected one object or material"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.first);
    testsupport::WriteText(dir_.File("bad.json"), head + c.first + "]]}");
    tessaro::Document *doc = host_->NewDocument("bad.json");
    std::string why;
    EXPECT_FALSE(tessaro::ReadDocumentFile(*host_, dir_.File("bad.json"), doc, &why));
    EXPECT_NE(why.find(c.second), std::string::npos) << why;
    host_->KillDocument(doc);
    EXPECT_EQ(host_->LooseElements(), 0u) << "the copies read are no host elements";
  }
}

}  // namespace

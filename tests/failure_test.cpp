// Failure rows not covered where their Part's other behaviour is tested:
// host faults and crafted files, each with the documented outcome.
#include "c4d_symbols.h"
#include "ft50_scene.h"
#include "support.h"

namespace {

using ft50::Named;
using tessaro::Op;
using testsupport::Find;
using testsupport::HostTest;
using testsupport::Names;


class FailureTest : public HostTest {};

// A target with a polygon child without points and a mesh the update clears.
tessaro::Object *UserScene(tessaro::Host &host) {
  tessaro::Object *target = testsupport::AddObject(host, "Target");
  testsupport::AddObject(host, "OldGroup", 5100, target);
  return target;
}

TEST_F(FailureTest, OpenFailureInUpdateModeKeepsTheClearingInsideTheUndoStep) {
  tessaro::Object *target = UserScene(*host_);
  host_->FailNth(Op::FileOpen, 1);
  Ft50Writer f;
  f.Terminator();
  EXPECT_EQ(Import(f, testsupport::Update("Target", KIND_GEOMETRY)).code, -1);
  EXPECT_EQ(target->children.count, 0u) << "the target was cleared before the file was opened";
  ASSERT_EQ(Doc()->undo.size(), 1u);
  EXPECT_EQ(Doc()->undo[0][0].type, 40);
  EXPECT_EQ(host_->Calls(Op::EndUndo), 1u);
}

TEST_F(FailureTest, FailedLoadsLeaveNoPostImportActionsAndNoCleanUp) {
  tessaro::Object *target = UserScene(*host_);
  tessaro::Document *user = Doc();
  // An update whose stream ends early: the empty group from the file stays
  // (no final clean-up), and the flagged camera reaches no view.
  Ft50Writer f;
  ft50::Object(f, 5100, Named("Root"));
  ft50::Object(f, 5100, Named("EmptyFromFile", 1));
  ft50::Header cam = Named("Cam", 1);
  cam.flags = 0x20;
  ft50::Object(f, 5103, cam, nullptr, ft50::CameraBody(1, 1, 0, 0));
  tessaro::DialogAnswers cameras = testsupport::Update("Target", KIND_CAMERAS);
  EXPECT_EQ(Import(f, cameras).code, -3);
  EXPECT_NE(Find(target->children, "Cam"), nullptr);
  EXPECT_EQ(Doc(), user);
  EXPECT_EQ(user->views[0].camera, nullptr);
  tessaro::DialogAnswers geometry = testsupport::Update("Target", KIND_GEOMETRY);
  EXPECT_EQ(Import(f, geometry).code, -3);
  EXPECT_NE(Find(target->children, "EmptyFromFile"), nullptr);
}

TEST_F(FailureTest, NoViewMeansNoCameraStep) {
  testsupport::AddObject(*host_, "Existing");
  Doc()->views.clear();
  Ft50Writer f;
  ft50::Header cam = Named("Cam");
  cam.flags = 0x20;
  ft50::Object(f, 5103, cam, nullptr, ft50::CameraBody(1, 1, 0, 0));
  f.Terminator();
  EXPECT_EQ(Import(f, testsupport::Mode(MODE_MERGE)).code, 0);
  EXPECT_NE(Find(Doc(), "Cam"), nullptr);
  EXPECT_EQ(host_->Calls(Op::SetSceneCamera), 0u);
}

TEST_F(FailureTest, EmptySelectionInUpdateModeFindsNoTarget) {
  tessaro::Object *target = UserScene(*host_);
  Ft50Writer f;
  ft50::Object(f, 5100, Named("Root"));
  ft50::Object(f, 5100, Named("Child", 1), [](Ft50Writer &b) { ft50::Points(b, {{0, 0, 0}}); });
  f.Terminator();
  tessaro::DialogAnswers a = testsupport::Mode(MODE_UPDATE);
  a.deselect = true;
  EXPECT_EQ(Import(f, a).code, 0);
  EXPECT_EQ(target->children.count, 1u) << "nothing is cleared";
  EXPECT_EQ(Names(Doc()->objects), (std::vector<std::string>{"Child", "Target"})) << "the file goes to the top";
  ASSERT_EQ(Doc()->undo.size(), 1u) << "one undo step";
  ASSERT_EQ(Doc()->undo[0].size(), 1u) << "no target to change: only the insertion at the top to undo";
  EXPECT_EQ(Doc()->undo[0][0].type, 44);
  EXPECT_EQ(Doc()->undo[0][0].name, "Child");
}

TEST_F(FailureTest, TextureTagsThatCannotBeMadeEndTheCopy) {
  tessaro::Object *target = testsupport::AddObject(*host_, "Target");
  tessaro::Object *old = testsupport::AddObject(*host_, "Group", 5100, target);
  for (int i = 0; i < 3; ++i) AddUserTexture(old, nullptr, float(i));
  Ft50Writer f;
  ft50::Object(f, 5100, Named("Root"));
  ft50::Object(f, 5100, Named("Group", 1));
  ft50::Object(f, 5100, Named("Inner", 2), [](Ft50Writer &b) { ft50::Points(b, {{0, 0, 0}}); });
  f.Terminator();
  // Three copies into the holder; the second copy onto the new object fails.
  host_->FailNth(Op::MakeTag, 5);
  EXPECT_EQ(Import(f, testsupport::Update("Target", KIND_GEOMETRY)).code, 0);
  tessaro::Object *group = Find(target->children, "Group");
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->tags.count, 1u) << "the tags copied so far stay";
}

TEST_F(FailureTest, ObjectHeaderMissingOrShortDestroysTheObject) {
  Ft50Writer f;
  // The kind, then points where the header should be.
  f.Begin(5020).Begin(5100).End();
  ft50::Points(f, {{0, 0, 0}});
  f.Terminator().End();
  // A header that stops inside its matrix, at the end of its object record
  // (the reader goes on into the next bytes: the terminator and beyond).
  ft50::Object(f, 5100, Named("Fine"));
  f.Terminator();
  EXPECT_EQ(Import(f).code, 0);
  EXPECT_EQ(Names(Doc()->objects), (std::vector<std::string>{"Fine"}));
  EXPECT_EQ(host_->Calls(Op::ElementFree), 1u);
}

TEST_F(FailureTest, RefusedParametersAndMissingChannels) {
  Ft50Writer f;
  ft50::Object(f, 5103, Named("Cam"), nullptr, ft50::CameraBody(35, 0, 1, 0.5f));
  ft50::Material(f, "NoChannel", [](Ft50Writer &w) { ft50::Channel(w, 0, {1, 1, 1}, 1, ""); });
  ft50::Material(f, "Kept");
  ft50::Object(f, 5100, Named("User"), [](Ft50Writer &b) {
    ft50::TextureTag(b, ft50::Uses(2));
  });
  f.Terminator();
  host_->FailNth(Op::SetParameter, 1);  // the camera's 1010
  host_->FailNth(Op::GetChannel, 1);    // the first material's colour channel
  EXPECT_EQ(Import(f).code, 0);
  tessaro::Object *cam = Find(Doc(), "Cam");
  ASSERT_NE(cam, nullptr) << "a refused parameter does not fail the object";
  EXPECT_EQ(cam->params.count("1010"), 0u);
  EXPECT_EQ(cam->params.count("1009"), 1u);
  EXPECT_EQ(cam->focus, 35);
  EXPECT_EQ(Names(Doc()->materials), (std::vector<std::string>{"Kept"})) << "no channel fails the material";
}

TEST_F(FailureTest, ShortTextureAndPointRecordsAtTheEndOfTheFile) {
  Ft50Writer f;
  ft50::Material(f, "M");
  f.Begin(5020).Begin(5100).End();
  ft50::ObjectHeader(f, Named("Cut"));
  f.Begin(5616).I32(0).I32(0).Vec(0, 0, 0);  // stops inside the scale
  f.End().End();
  EXPECT_EQ(Import(f).code, -3);
  tessaro::Object *cut = Find(Doc(), "Cut");
  ASSERT_NE(cut, nullptr);
  EXPECT_EQ(cut->tags.count, 0u);
  EXPECT_EQ(host_->Calls(Op::TagAlloc), 0u);

  // A count the rest of the file cannot hold makes no tag at all.
  Ft50Writer g;
  g.Begin(5020).Begin(5100).End();
  ft50::ObjectHeader(g, Named("Points"));
  g.Begin(5600).I32(3).I32(0).Vec(1, 1, 1);  // one point of three
  g.End().End();
  EXPECT_EQ(Import(g, testsupport::Mode(MODE_NEW)).code, -3);
  EXPECT_EQ(testsupport::TagOf(Find(Doc(), "Points"), 5600), nullptr);

  // A read that fails inside the points leaves the tag with what was read.
  // The points come in runs of 1024; the second run fails.
  std::vector<ft50::V3> many;
  for (int i = 0; i < 1500; ++i) many.push_back({float(i), 1, 2});
  Ft50Writer h;
  ft50::Object(h, 5100, Named("P"), [&](Ft50Writer &b) {
    ft50::Points(b, many);
    ft50::Polygons(b, 5601, {{0, 1, 2}});
  });
  h.Terminator();
  // Reads: 2 + 2 (record and kind headers), 2 + 8 (object header: its
  // header, level, flags, matrix, three vectors, name length, name), 2 + 2
  // (points header, count and second integer), then the first run; the
  // second run is the 20th read.
  host_->ResetCalls();
  host_->FailNth(Op::FileRead, 20);
  tessaro::DialogAnswers doubled = testsupport::Mode(MODE_NEW);
  doubled.scale = 2.0f;
  EXPECT_EQ(Import(h, doubled).code, 0);
  tessaro::Object *p = Find(Doc(), "P");
  const tessaro::Tag *points = testsupport::TagOf(p, 5600);
  ASSERT_NE(points, nullptr);
  auto read = testsupport::TagData<th_vector>(points);
  ASSERT_EQ(read.size(), 1500u);
  EXPECT_EQ(read[0], (th_vector{0, 2, 4})) << "read and scaled";
  EXPECT_EQ(read[1023], (th_vector{2046, 2, 4}));
  EXPECT_EQ(read[1024], (th_vector{0, 0, 0})) << "not read";
  EXPECT_EQ(testsupport::TagOf(p, 5604), nullptr) << "the failed sub-record ends the object";
}

}  // namespace

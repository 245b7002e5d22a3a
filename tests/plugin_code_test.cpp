// The plug-in's code linked into the test and run against the host's
// tables directly: the options dialog and the record cursor.
#include <algorithm>
#include <cstring>

#include "Globals.h"
#include "ImportOptionsDialog.h"
#include "Tables.h"
#include "MessagePlugin.h"
#include "UpdateMode.h"
#include "records/RecordStream.h"
#include "support.h"

namespace {

class PluginCodeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = std::make_unique<tessaro::Host>();
    t_host = tessaro::HostInterface();
    ASSERT_TRUE(PluginResource.Init(TESSARO_SOURCE_DIR "/res"));
    ImportScale = 1.0f;
  }
  void TearDown() override {
    PluginResource.Free();
    if (CurrentImportFile) HostFile::Free(CurrentImportFile);
    EXPECT_EQ(host_->LiveBlocks(), 0u) << host_->LeakReport();
    EXPECT_EQ(host_->LiveHandles(), 0u) << host_->LeakReport();
    EXPECT_TRUE(host_->misuse.empty());
    host_.reset();
  }

  tessaro::Object *AddObject(const std::string &name, int32_t type = 5100, tessaro::Object *parent = nullptr) {
    return testsupport::AddObject(*host_, name, type, parent);
  }
  void AddTexture(tessaro::Object *o, float offset) {
    testsupport::AddTag(*host_, o, 5616)->params["1000"] = tessaro::Value::OfReal(offset);
  }
  void AddPoints(tessaro::Object *o) {
    tessaro::Tag *t = testsupport::AddTag(*host_, o, 5600);
    t->entries = 1;
    t->payload.assign(sizeof(th_vector), 0);
  }
  static BaseObject *Api(tessaro::Object *o) { return reinterpret_cast<BaseObject *>(o); }
  static std::string NameOf(BaseObject *op) {
    char buffer[256];
    op->GetName().GetCString(buffer, sizeof buffer);
    return buffer;
  }

  // Runs the dialog on the active document; answers its flags and the
  // chosen name.
  LONG Run(const tessaro::DialogAnswers &answers, std::string *chosen = nullptr) {
    host_->dialogAnswers = answers;
    ImportOptionsDialog dialog;
    LONG flags = dialog.Run(reinterpret_cast<BaseDocument *>(host_->ActiveDocument()));
    if (chosen) {
      char buffer[256];
      dialog.ChosenName().GetCString(buffer, sizeof buffer);
      *chosen = buffer;
    }
    return flags;
  }

  void OpenStream(const Ft50Writer &w) {
    std::string path = dir_.File("stream.ft50");
    w.Save(path);
    CurrentImportFile = HostFile::Alloc();
    ASSERT_TRUE(CurrentImportFile->Open(Filename(path.c_str()), FILEOPEN_READ, 2, BYTEORDER_MOTOROLA, 0, 0));
    ASSERT_TRUE(CurrentImportFile->Seek(16));
  }

  std::unique_ptr<tessaro::Host> host_;
  testsupport::TempDir dir_;
};

tessaro::DialogAnswers Answers(std::optional<int32_t> mode, std::optional<int32_t> kind = {},
                               std::optional<int32_t> row = {}) {
  tessaro::DialogAnswers a;
  a.mode = mode;
  a.kind = kind;
  a.row = row;
  return a;
}

TEST_F(PluginCodeTest, EmptyDocumentOffersOnlyNewAndMerge) {
  EXPECT_EQ(Run({}), 0x1F);
  // A disabled choice cannot be pressed: asked for, it refuses the answers
  // and cancels the dialog.
  Run(Answers(MODE_UPDATE));
  EXPECT_TRUE(host_->dialogAnswerRefused && host_->lastDialogCancelled) << "the update choice is disabled";
  host_->dialogAnswerRefused = false;
  Run(Answers({}, KIND_LIGHTS));
  EXPECT_TRUE(host_->dialogAnswerRefused && host_->lastDialogCancelled) << "the kind group is disabled";
  host_->dialogAnswerRefused = false;
  EXPECT_EQ(Run(Answers(MODE_MERGE)), 0x2F);
  EXPECT_FALSE(host_->dialogAnswerRefused);
  EXPECT_FALSE(host_->warnings.empty());
}

TEST_F(PluginCodeTest, DocumentWithObjectsOpensAtUpdateOfTheFirst) {
  AddObject("Alpha");
  AddObject("Beta");
  AddObject("Gamma");
  std::string chosen;
  EXPECT_EQ(Run({}, &chosen), 0x41);
  EXPECT_EQ(chosen, "Alpha");
  EXPECT_EQ(Run(Answers(MODE_UPDATE, KIND_LIGHTS, 2), &chosen), 0x48);
  EXPECT_EQ(chosen, "Gamma");
  EXPECT_EQ(Run(Answers({}, KIND_CAMERAS), &chosen), 0x44);
  EXPECT_EQ(Run(Answers({}, KIND_MATERIALS), &chosen), 0x42);
  // Merge disables the kind group: a kind asked for after it is refused.
  Run(Answers(MODE_MERGE, KIND_LIGHTS));
  EXPECT_TRUE(host_->dialogAnswerRefused && host_->lastDialogCancelled);
  host_->dialogAnswerRefused = false;
  EXPECT_EQ(Run(Answers(MODE_NEW)), 0x1F);
}

TEST_F(PluginCodeTest, NamesakesAreRowsOfTheirOwn) {
  AddObject("Twin");
  AddObject("Twin");
  tessaro::DialogAnswers a = Answers({}, {}, 1);
  std::string chosen;
  EXPECT_EQ(Run(a, &chosen), 0x41);
  EXPECT_EQ(chosen, "Twin");
  a.row = 2;
  EXPECT_EQ(Run(a), 0x0F) << "a row that is not there cannot be picked";
  EXPECT_TRUE(host_->dialogAnswerRefused);
}

TEST_F(PluginCodeTest, ScaleChangesOnlyWhenConfirmed) {
  tessaro::DialogAnswers a;
  a.scale = 2.5f;
  a.cancel = true;
  EXPECT_EQ(Run(a), 0x0F);
  EXPECT_EQ(ImportScale, 1.0f);
  a.cancel = false;
  EXPECT_EQ(Run(a), 0x1F);
  EXPECT_EQ(ImportScale, 2.5f);
  // The next dialog opens with the stored value.
  EXPECT_EQ(Run({}), 0x1F);
  EXPECT_EQ(ImportScale, 2.5f);
  a.scale = 1e30f;
  Run(a);
  EXPECT_EQ(ImportScale, 9.0e18f) << "the field clamps to its limit";
}

TEST_F(PluginCodeTest, MissingDialogResourceCancels) {
  PluginResource.Free();
  testsupport::fs::create_directories(dir_.File("res/strings_us"));
  testsupport::WriteText(dir_.File("res/strings_us/c4d_strings.str"), "STRINGTABLE { 10001 \"x\"; }");
  ASSERT_TRUE(PluginResource.Init(dir_.File("res").c_str()));
  tessaro::DialogAnswers a;
  a.scale = 3.0f;
  EXPECT_EQ(Run(a), 0x0F);
  EXPECT_EQ(ImportScale, 1.0f);
}

TEST_F(PluginCodeTest, CameraUpdateRemovesCamerasThenTheEmptiedGroup) {
  tessaro::Object *target = AddObject("Target", 5140);
  tessaro::Object *group = AddObject("Group", 5100, target);
  tessaro::Object *cam1 = AddObject("Cam1", 5103, group);
  AddTexture(cam1, 1);
  AddObject("Cam2", 5103, group);
  tessaro::Object *solid = AddObject("Solid", 5100, target);
  AddPoints(solid);
  // A camera with a child that stays is kept.
  tessaro::Object *parentCam = AddObject("ParentCam", 5103, target);
  AddObject("Light", 5102, parentCam);
  AddObject("Target", 5140);  // a namesake later in the list is never the target

  TagCarryList carry;
  String name("Target");
  BaseDocument *doc = reinterpret_cast<BaseDocument *>(host_->ActiveDocument());
  doc->StartUndo();
  BaseObject *found = FindUpdateTarget(doc, 0x44, name, &carry);
  doc->EndUndo();
  EXPECT_EQ(found, Api(target));
  ASSERT_EQ(carry.count, 3);
  EXPECT_EQ(NameOf(carry.holders[0]), "Cam1");
  EXPECT_EQ(NameOf(carry.holders[1]), "Cam2");
  EXPECT_EQ(NameOf(carry.holders[2]), "Group");
  EXPECT_NE(carry.holders[0]->GetTag(Ttexture, 0), nullptr) << "the holder carries the camera's texture tag";
  EXPECT_EQ(host_->Calls(tessaro::Op::AddUndo), 1u);
  EXPECT_EQ(target->children.count, 2u);
  EXPECT_EQ(target->children.first, solid);
  EXPECT_EQ(target->children.last, parentCam);

  // Restoring copies once per object, however often it is asked.
  tessaro::Object *fresh = AddObject("Cam1", 5103);
  EXPECT_TRUE(RestoreTags(Api(fresh), &carry));
  EXPECT_TRUE(RestoreTags(Api(fresh), &carry));
  EXPECT_EQ(fresh->tags.count, 1u);
  tessaro::Object *other = AddObject("Nobody", 5103);
  EXPECT_FALSE(RestoreTags(Api(other), &carry));
  ReleaseCarryList(&carry);
  EXPECT_EQ(carry.count, 0);
  EXPECT_EQ(host_->LooseElements(), 0u) << "the holders are freed with the list";
}

TEST_F(PluginCodeTest, CarryListSurvivesFailedAllocations) {
  tessaro::Object *target = AddObject("Target", 5140);
  auto fill = [&] {
    for (int i = 0; i < 20; ++i) AddTexture(AddObject("Child" + std::to_string(i), 5100, target), float(i));
  };
  auto names = [](const TagCarryList &c) {
    std::vector<std::string> out;
    for (LONG i = 0; i < c.count; ++i) out.push_back(NameOf(c.holders[i]));
    return out;
  };
  // The first array is refused: the first removed object's tags are lost,
  // the next one gets the array.
  fill();
  TagCarryList carry;
  host_->FailNth(tessaro::Op::GeAlloc, 1);
  ClearKind(Api(target), &carry, 0);
  EXPECT_EQ(target->children.count, 0u) << "the objects are removed all the same";
  ASSERT_EQ(carry.count, 19);
  EXPECT_EQ(NameOf(carry.holders[0]), "Child1");
  ReleaseCarryList(&carry);

  // The doubled array is refused at the 17th; the 18th doubles it.
  fill();
  host_->FailNth(tessaro::Op::GeAlloc, 2);
  ClearKind(Api(target), &carry, 0);
  EXPECT_EQ(carry.count, 19);
  EXPECT_EQ(carry.capacity, 32);
  std::vector<std::string> kept = names(carry);
  EXPECT_EQ(std::count(kept.begin(), kept.end(), "Child16"), 0);
  EXPECT_EQ(kept.back(), "Child19");

  // A holder that cannot be made loses its object's tags only.
  ReleaseCarryList(&carry);
  fill();
  host_->FailNth(tessaro::Op::ObjectAlloc, 3);
  ClearKind(Api(target), &carry, 0);
  EXPECT_EQ(carry.count, 19);
  EXPECT_EQ(NameOf(carry.holders[2]), "Child3");
  ReleaseCarryList(&carry);
}

TEST_F(PluginCodeTest, ManyNamesakesFindTheFirstRemoved) {
  tessaro::Object *target = AddObject("Target", 5140);
  // Forty removed objects under twenty names: each name twice, the first
  // with one texture tag, the second with two.
  for (int round = 0; round < 2; ++round)
    for (int i = 0; i < 20; ++i) {
      tessaro::Object *o = AddObject("N" + std::to_string(i), 5100, target);
      for (int t = 0; t <= round; ++t) AddTexture(o, float(i));
    }
  TagCarryList carry;
  ClearKind(Api(target), &carry, 0);
  ASSERT_EQ(carry.count, 40);
  for (int i = 19; i >= 0; --i) {
    tessaro::Object *fresh = AddObject("N" + std::to_string(i), 5140);
    ASSERT_TRUE(RestoreTags(Api(fresh), &carry));
    EXPECT_EQ(fresh->tags.count, 1u) << "the first removed of the name gives its tags";
  }
  EXPECT_FALSE(RestoreTags(Api(AddObject("N20", 5140)), &carry));
  EXPECT_FALSE(RestoreTags(Api(AddObject("", 5140)), &carry));
  ReleaseCarryList(&carry);
}

TEST_F(PluginCodeTest, OnlyMessage604ConsumesThePostImportActions) {
  ImportMessagePlugin plugin;
  BaseContainer none;
  PostImportActions = 3;
  LoaderDocument = nullptr;
  UserDocument = nullptr;
  EXPECT_TRUE(plugin.CoreMessage(603, none));
  EXPECT_TRUE(plugin.CoreMessage(605, none));
  EXPECT_EQ(PostImportActions, 3);
  // The active document is not the loader's: nothing is closed, and without
  // a view object no camera is set; the flag is still cleared.
  EXPECT_TRUE(plugin.CoreMessage(604, none));
  EXPECT_EQ(PostImportActions, 0);
  EXPECT_EQ(host_->Calls(tessaro::Op::KillDocument), 0u);
  EXPECT_EQ(host_->Calls(tessaro::Op::SetSceneCamera), 0u);
  EXPECT_TRUE(plugin.CoreMessage(604, none)) << "between imports it does nothing";
  EXPECT_EQ(host_->Calls(tessaro::Op::GetActiveDocument), 2u) << "once for each step, none after";
}

TEST_F(PluginCodeTest, SkipToEndCorrectsShortAndLongReads) {
  Ft50Writer w;
  w.Begin(77).Zeros(20).End().Begin(78).Zeros(20).End().Terminator().Zeros(4);
  OpenStream(w);
  RecordReader cursor;
  ASSERT_TRUE(cursor.ReadHeader());
  EXPECT_EQ(cursor.type, 77);
  EXPECT_EQ(cursor.length, 20);
  EXPECT_EQ(cursor.end, 16 + 8 + 20);
  char bytes[30];
  ASSERT_TRUE(CurrentImportFile->ReadBytes(bytes, 10));
  cursor.SkipToEnd();
  EXPECT_EQ(CurrentImportFile->GetPosition(), 44);
  ASSERT_TRUE(cursor.ReadHeader());
  EXPECT_EQ(cursor.type, 78);
  ASSERT_TRUE(CurrentImportFile->ReadBytes(bytes, 30));
  cursor.SkipToEnd();
  EXPECT_EQ(CurrentImportFile->GetPosition(), 72) << "a reader that read past the payload is put back";
  ASSERT_TRUE(cursor.ReadHeader());
  EXPECT_EQ(cursor.type, 0);
  EXPECT_FALSE(cursor.ReadHeader());
  EXPECT_EQ(cursor.type, 0) << "a failed header read leaves the cursor as it was";
}

TEST_F(PluginCodeTest, TypeWordSplitsIntoTypeAndVersion) {
  Ft50Writer w;
  w.RawHeader(0x01000FA0, 0).RawHeader(0xFFFFFFFF, 0);
  OpenStream(w);
  RecordReader cursor;
  ASSERT_TRUE(cursor.ReadHeader());
  EXPECT_EQ(cursor.type, 4000);
  EXPECT_EQ(cursor.version, 1);
  ASSERT_TRUE(cursor.ReadHeader());
  EXPECT_EQ(cursor.type, 0xFFFFFF) << "the type is unsigned";
  EXPECT_EQ(cursor.version, 0xFF);
}

TEST_F(PluginCodeTest, TextsAreBoundedByTheReader) {
  Ft50Writer w;
  w.Text("Cube").Text(std::string(259, 'x')).Text(std::string(260, 'y')).I16(-1);
  OpenStream(w);
  String s;
  char buffer[300];
  ASSERT_TRUE(ReadText(&s, 259));
  s.GetCString(buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "Cube");
  ASSERT_TRUE(ReadText(&s, 259));
  EXPECT_EQ(s.GetCString(buffer, sizeof buffer), 259);
  EXPECT_FALSE(ReadText(&s, 259)) << "longer than the text buffer";
  EXPECT_EQ(CurrentImportFile->GetPosition(), 16 + 6 + 261 + 2) << "the characters of a refused text are not read";
  CurrentImportFile->Seek(16 + 6 + 261 + 2 + 260);
  EXPECT_FALSE(ReadText(&s, 259)) << "negative length";
}

}  // namespace

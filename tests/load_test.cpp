// The load driver and the record stream, through the real plug-in.
#include "c4d_symbols.h"
#include "support.h"

namespace {

using tessaro::Op;
using testsupport::HostTest;


Ft50Writer EmptyFile() { return Ft50Writer().Terminator(); }

class LoadTest : public HostTest {};

TEST_F(LoadTest, IdentifyReadsTheMagicBytesOnly) {
  auto write = [&](const std::string &name, const std::string &bytes) {
    testsupport::WriteText(dir_.File(name), bytes);
    return dir_.File(name);
  };
  std::string recognised = write("any.ft50", std::string("FT50") + std::string(4, '\xff') + "anything at all");
  tessaro::ImportResult r = ImportPath(recognised);
  EXPECT_TRUE(r.recognised);
  EXPECT_EQ(r.code, -3) << "what follows the magic is not a valid stream";

  for (const std::string &bytes : {std::string("ft50") + std::string(20, '\0'), std::string("FT5\0", 4) + "0000",
                                   std::string("FT5"), std::string()}) {
    tessaro::ImportResult other = ImportPath(write("other.bin", bytes));
    EXPECT_FALSE(other.recognised) << bytes.size() << " bytes";
    EXPECT_FALSE(other.loaded);
  }
}

TEST_F(LoadTest, EmptyStreamImportsNothingInEachMode) {
  tessaro::ImportResult r = Import(EmptyFile());
  EXPECT_EQ(r.code, 0);
  EXPECT_FALSE(r.cancelled);
  EXPECT_EQ(host_->Calls(Op::FileOpen), 1u);
  EXPECT_EQ(host_->Calls(Op::FileClose), 1u);
  EXPECT_EQ(host_->Calls(Op::StartUndo), 0u) << "a new document needs no undo step";

  tessaro::Document *user = host_->ActiveDocument();
  AddUserObject("Cube");
  size_t documents = host_->Documents().size();
  r = Import(EmptyFile(), testsupport::Mode(MODE_MERGE));
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(host_->Calls(Op::StartUndo), 1u);
  EXPECT_EQ(host_->Calls(Op::EndUndo), 1u);
  // The message plug-in closed the loader's document and gave the user's
  // document back.
  EXPECT_EQ(host_->ActiveDocument(), user);
  EXPECT_EQ(host_->Documents().size(), documents);
  EXPECT_EQ(host_->Calls(Op::KillDocument), 1u);
}

TEST_F(LoadTest, CancelledDialogOpensNothing) {
  AddUserObject("Cube");
  tessaro::DialogAnswers cancel;
  cancel.cancel = true;
  tessaro::ImportResult r = Import(EmptyFile(), cancel);
  EXPECT_EQ(r.code, 0);
  EXPECT_TRUE(r.cancelled);
  EXPECT_EQ(host_->Calls(Op::FileAlloc), 0u);
  EXPECT_EQ(host_->Calls(Op::FileOpen), 0u);
  EXPECT_EQ(host_->Calls(Op::StartUndo), 0u);
  EXPECT_TRUE(host_->ActiveDocument()->undo.empty());
}

TEST_F(LoadTest, UpdateRecordsTheTargetForUndo) {
  AddUserObject("First");
  AddUserObject("Second");
  tessaro::DialogAnswers a = testsupport::Mode(MODE_UPDATE);
  a.row = 1;
  tessaro::Document *user = host_->ActiveDocument();
  EXPECT_EQ(Import(EmptyFile(), a).code, 0);
  ASSERT_EQ(user->undo.size(), 1u);
  ASSERT_EQ(user->undo[0].size(), 1u);
  EXPECT_EQ(user->undo[0][0].type, 40);
  EXPECT_EQ(user->undo[0][0].name, "Second");
  EXPECT_EQ(host_->ActiveDocument(), user);
}

TEST_F(LoadTest, StreamWithoutEndRecordIsTruncated) {
  Ft50Writer f;
  f.Begin(4242).Zeros(20).End().Empty(4242);
  EXPECT_EQ(Import(f).code, -3);
  // The walk read both records before the third header failed.
  EXPECT_EQ(host_->Calls(Op::FileRead), 2u * 2 + 1);

  Ft50Writer cut;
  cut.Empty(4000).I32(0);  // half a header
  EXPECT_EQ(Import(cut).code, -3);

  EXPECT_EQ(Import(Ft50Writer()).code, -3) << "nothing after the file header";
  std::string shortFile = dir_.File("short.ft50");
  testsupport::WriteText(shortFile, "FT50");
  EXPECT_EQ(ImportPath(shortFile).code, -3);
}

TEST_F(LoadTest, EndRecordEndsTheWalkWhateverFollows) {
  Ft50Writer f;
  f.Begin(0).Zeros(12).End();
  f.RawHeader(0xFFFFFFFF, -1);  // never read
  host_->ResetCalls();
  EXPECT_EQ(Import(f).code, 0);
  EXPECT_EQ(host_->Calls(Op::FileRead), 2u);
  EXPECT_EQ(host_->Calls(Op::FileSeek), 2u) << "the seek past the header and the skip of 12 payload bytes";
}

TEST_F(LoadTest, VersionByteDoesNotChangeTheType) {
  Ft50Writer f(0xAB);  // the 12 free header bytes may hold anything
  f.Begin(4000, 1).Zeros(4).End().Begin(0, 0xFF).End();
  EXPECT_EQ(Import(f).code, 0) << "type 0 with version 255 still ends the stream";
}

TEST_F(LoadTest, SkippingCostsOnePositionQueryAndASeekOnlyWhenNeeded) {
  Ft50Writer f;
  for (int i = 0; i < 50; ++i) f.Empty(4242);
  for (int i = 0; i < 10; ++i) f.Begin(4242).Zeros(8).End();
  f.Terminator();
  EXPECT_EQ(Import(f).code, 0);
  const uint64_t records = 61;
  EXPECT_EQ(host_->Calls(Op::FileRead), 2 * records);
  EXPECT_EQ(host_->Calls(Op::FileGetPosition), 2 * records);
  EXPECT_EQ(host_->Calls(Op::FileSeek), 1u + 10u);
}

TEST_F(LoadTest, LengthsThatCannotBeSkippedEndTheWalk) {
  // A negative length would move the walk backwards, to this same header.
  Ft50Writer negative;
  negative.RawHeader(4242, -8).Terminator();
  EXPECT_EQ(Import(negative).code, -3);

  // An end beyond the largest file position.
  Ft50Writer huge;
  huge.RawHeader(4242, INT32_MAX).Terminator();
  EXPECT_EQ(Import(huge).code, -3);

  // A length past the end of the file: the skip fails, then the next header.
  Ft50Writer past;
  past.RawHeader(4242, 1000).Terminator();
  EXPECT_EQ(Import(past).code, -3);
}

TEST_F(LoadTest, FileFaultsGiveTheirResultCodes) {
  AddUserObject("Cube");
  struct Case {
    Op op;
    uint64_t nth;
    int32_t code;
  };
  // No file object; open fails; close fails; the first header read fails;
  // the close fails after a truncated stream (-2 replaces -3).
  const Case cases[] = {{Op::FileAlloc, 1, -7}, {Op::FileOpen, 1, -1}, {Op::FileClose, 1, -2},
                        {Op::FileRead, 1, -3}};
  for (const Case &c : cases) {
    SCOPED_TRACE(tessaro::OpName(c.op));
    tessaro::Document *user = host_->ActiveDocument();
    uint64_t starts = host_->Calls(Op::StartUndo), ends = host_->Calls(Op::EndUndo);
    host_->FailNth(c.op, c.nth);
    tessaro::ImportResult r = Import(EmptyFile(), testsupport::Mode(MODE_MERGE));
    EXPECT_EQ(r.code, c.code);
    EXPECT_EQ(host_->Calls(Op::StartUndo) - starts, 1u);
    EXPECT_EQ(host_->Calls(Op::EndUndo) - ends, 1u) << "the undo step is closed on every path";
    EXPECT_EQ(host_->ActiveDocument(), user) << "a failed merge leaves the user's document in front";
  }
  host_->FailNth(Op::FileClose, 1);
  Ft50Writer truncated;
  truncated.Empty(4242);
  EXPECT_EQ(Import(truncated).code, -2);
}

TEST_F(LoadTest, FailedOpenIsNotClosed) {
  host_->FailNth(Op::FileOpen, 1);
  EXPECT_EQ(Import(EmptyFile()).code, -1);
  EXPECT_EQ(host_->Calls(Op::FileClose), 0u);
  EXPECT_EQ(host_->Calls(Op::FileFree), 1u);
}

TEST_F(LoadTest, SecondLoadDuringTheDialogIsRefused) {
  std::string path = dir_.File("inner.ft50");
  EmptyFile().Save(path);
  tessaro::DialogAnswers outer;
  tessaro::ImportResult inner;
  outer.onOpen = [&] { inner = host_->Import(path, {}); };
  tessaro::ImportResult r = Import(EmptyFile(), outer);
  EXPECT_TRUE(inner.loaded);
  EXPECT_EQ(inner.code, -1);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(host_->Calls(Op::DialogOpen), 1u) << "the refused load shows no dialog";
  EXPECT_EQ(host_->Calls(Op::FileOpen), 1u);
}

TEST_F(LoadTest, EveryLoadStartsFresh) {
  // The busy flag and the carry list are released on every path, so loads
  // after failures behave like the first.
  host_->FailNth(Op::FileAlloc, 1);
  EXPECT_EQ(Import(EmptyFile()).code, -7);
  tessaro::DialogAnswers cancel;
  cancel.cancel = true;
  EXPECT_EQ(Import(EmptyFile(), cancel).code, 0);
  EXPECT_EQ(Import(EmptyFile(), testsupport::Mode(MODE_NEW)).code, 0);
}

}  // namespace

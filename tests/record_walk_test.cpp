// The record walker's rules, shape by shape, on streams of the project's
// own writer: where each list stops, what a failed reader or an unreadable
// header does to the rest, and where the file is left.
#include <set>
#include <utility>
#include <vector>

#include "Tables.h"
#include "records/RecordWalk.h"
#include "support.h"

namespace {

// What the readers of a test saw: each record's type, version and where
// its payload starts.
struct Seen {
  struct Visit {
    LONG type;
    UCHAR version;
    LONG at;
  };
  std::vector<Visit> visits;
  std::vector<LONG> Types() const {
    std::vector<LONG> out;
    for (const Visit &v : visits) out.push_back(v.type);
    return out;
  }
};

Bool Note(RecordReader &record, Seen &seen) {
  seen.visits.push_back({record.type, record.version, RecordFile()->GetPosition()});
  return TRUE;
}
// Reads four bytes of its payload, then gives up.
Bool FailAfterFour(RecordReader &record, Seen &seen) {
  Note(record, seen);
  LONG ignored = 0;
  RecordFile()->ReadLong(&ignored);
  return FALSE;
}

class RecordWalkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = std::make_unique<tessaro::Host>();
    t_host = tessaro::HostInterface();
  }
  void TearDown() override {
    ReleaseFramingMemo();
    if (CurrentImportFile) HostFile::Free(CurrentImportFile);
    CurrentImportFile = nullptr;
    EXPECT_EQ(host_->LiveBlocks(), 0u) << host_->LeakReport();
    EXPECT_EQ(host_->LiveHandles(), 0u) << host_->LeakReport();
    host_.reset();
  }

  // Opens the stream at its first record, as the load does.
  void Open(const Ft50Writer &w) {
    ReleaseFramingMemo();
    if (CurrentImportFile) HostFile::Free(CurrentImportFile);
    const std::string path = dir_.File("walk" + std::to_string(files_++) + ".ft50");
    w.Save(path);
    CurrentImportFile = HostFile::Alloc();
    ASSERT_TRUE(CurrentImportFile->Open(Filename(path.c_str()), FILEOPEN_READ, 2, BYTEORDER_MOTOROLA, 0, 0));
    ASSERT_TRUE(CurrentImportFile->Seek(16));
  }
  static LONG Position() { return RecordFile()->GetPosition(); }

  std::unique_ptr<tessaro::Host> host_;
  testsupport::TempDir dir_;
  int files_ = 0;
};

const RecordRow<Seen> kRows[] = {{77, FailAfterFour}, {88, Note}};

TEST_F(RecordWalkTest, TopLevelGoesOnAfterFailedReadersAndStopsAfterTheEndRecord) {
  Ft50Writer w;
  w.Begin(77).Zeros(10).End();  // its reader reads 4 of the 10 bytes and fails
  w.Begin(99).Zeros(10).End();  // no row: skipped whole
  w.Begin(88, 5).Zeros(3).End();
  w.Begin(0).Zeros(12).End();
  const LONG after = static_cast<LONG>(w.Size());
  w.RawHeader(0xFFFFFFFF, -1);  // never read
  Open(w);
  Seen seen;
  EXPECT_EQ(WalkTopLevel(kRows, seen), WALK_ENDED);
  EXPECT_EQ(seen.Types(), (std::vector<LONG>{77, 88}));
  EXPECT_EQ(seen.visits[1].at, 16 + 18 + 18 + 8) << "the failed reader's record and the unknown one were skipped whole";
  EXPECT_EQ(seen.visits[1].version, 5) << "the version byte is kept, and changes nothing";
  EXPECT_EQ(Position(), after) << "the end record's payload is skipped, nothing after it read";

  // A stream cut after a whole record, or a header that cannot be taken.
  Ft50Writer cut;
  cut.Begin(88).End();
  Open(cut);
  seen = Seen();
  EXPECT_EQ(WalkTopLevel(kRows, seen), WALK_BROKEN);
  EXPECT_EQ(seen.Types(), (std::vector<LONG>{88}));
  Ft50Writer negative;
  negative.Begin(88).End().RawHeader(88, -8).Terminator();
  Open(negative);
  seen = Seen();
  EXPECT_EQ(WalkTopLevel(kRows, seen), WALK_BROKEN) << "a negative length is no header";
  EXPECT_EQ(seen.Types(), (std::vector<LONG>{88}));
}

TEST_F(RecordWalkTest, WithinAParentAFailedReaderOrARecordReachingPastItStopsTheList) {
  // The end record ends the list, before the parent's end.
  Ft50Writer w;
  w.Begin(5500).Begin(88).Zeros(4).End().Begin(99).End().Begin(0).Zeros(4).End();
  const LONG listEnd = static_cast<LONG>(w.Size());
  w.Zeros(8).End().Terminator();
  Open(w);
  RecordReader parent;
  ASSERT_TRUE(parent.ReadHeader());
  Seen seen;
  EXPECT_EQ(WalkWithin(parent, kRows, seen), WALK_ENDED);
  EXPECT_EQ(seen.Types(), (std::vector<LONG>{88}));
  EXPECT_EQ(Position(), listEnd);

  // A failed reader: the list ends where the reader stopped, unskipped.
  Ft50Writer failing;
  failing.Begin(5500).Begin(77).Zeros(12).End().Begin(88).End().Terminator().End().Terminator();
  Open(failing);
  ASSERT_TRUE(parent.ReadHeader());
  seen = Seen();
  EXPECT_EQ(WalkWithin(parent, kRows, seen), WALK_FAILED);
  EXPECT_EQ(seen.Types(), (std::vector<LONG>{77}));
  EXPECT_EQ(Position(), seen.visits[0].at + 4);

  // A record that would end beyond its parent is not read at all.
  Ft50Writer reaching;
  reaching.Begin(5500).RawHeader(88, 40).Zeros(8).End().Zeros(40).Terminator();
  Open(reaching);
  ASSERT_TRUE(parent.ReadHeader());
  seen = Seen();
  EXPECT_EQ(WalkWithin(parent, kRows, seen), WALK_BROKEN);
  EXPECT_TRUE(seen.visits.empty());
}

TEST_F(RecordWalkTest, InARecordAFailedReaderPassesOverTheRestToTheListsEnd) {
  Ft50Writer w;
  w.Begin(RECORD_OBJECT).Begin(77).Zeros(8).End().Begin(88).End().Terminator().End();
  const LONG objectEnd = static_cast<LONG>(w.Size());
  w.Begin(RECORD_RENDER).Zeros(4).End().Terminator();
  Open(w);
  RecordReader record;
  ASSERT_TRUE(record.ReadHeader());
  Seen seen;
  EXPECT_EQ(WalkInRecord(&record, kRows, seen), WALK_FAILED);
  EXPECT_EQ(seen.Types(), (std::vector<LONG>{77})) << "the records after a failed one are not read";
  EXPECT_EQ(Position(), objectEnd) << "but walked over to the list's end record";
}

TEST_F(RecordWalkTest, InARecordTheNextTopLevelRecordEndsAListOrBreaksIt) {
  // A list without its end record, where the next top-level record starts at
  // the record's end: it ends there, as if terminated.
  Ft50Writer w;
  w.Begin(RECORD_OBJECT).Begin(88).End().Begin(88).Zeros(4).End().End();
  const LONG objectEnd = static_cast<LONG>(w.Size());
  w.Begin(RECORD_RENDER).Zeros(4).End().Terminator();
  Open(w);
  RecordReader record;
  ASSERT_TRUE(record.ReadHeader());
  Seen seen;
  EXPECT_EQ(WalkInRecord(&record, kRows, seen), WALK_ENDED);
  EXPECT_EQ(seen.Types(), (std::vector<LONG>{88, 88}));
  EXPECT_EQ(Position(), objectEnd);

  // A sub-record reaching past its record, where a top-level record
  // starts: the sub-record's length is wrong, the list is broken.
  Ft50Writer broken;
  broken.Begin(RECORD_OBJECT).Begin(88).End().RawHeader(88, 100).I32(1).End();
  broken.Begin(RECORD_RENDER).Zeros(4).End().Terminator();
  Open(broken);
  ASSERT_TRUE(record.ReadHeader());
  seen = Seen();
  EXPECT_EQ(WalkInRecord(&record, kRows, seen), WALK_BROKEN);
  EXPECT_EQ(seen.Types(), (std::vector<LONG>{88}));

  // A failed reader still answers failure when the list then breaks.
  Ft50Writer both;
  both.Begin(RECORD_OBJECT).Begin(77).Zeros(4).End().RawHeader(88, 100).I32(1).End();
  both.Begin(RECORD_RENDER).Zeros(4).End().Terminator();
  Open(both);
  ASSERT_TRUE(record.ReadHeader());
  seen = Seen();
  EXPECT_EQ(WalkInRecord(&record, kRows, seen), WALK_FAILED);
}

TEST_F(RecordWalkTest, NoRecordTypeStandsInTwoTablesAndEachIsNamed) {
  // The inspector names a record by its type alone, wherever it stands.
  std::vector<std::pair<long, const char *>> rows;
#define COLLECT_ROW(type, name, reader) rows.push_back({type, name});
#define COLLECT_PLACED(type, name) rows.push_back({type, name});
  PLACED_RECORDS(COLLECT_PLACED)
  TOP_LEVEL_RECORDS(COLLECT_ROW)
  OBJECT_KIND_RECORDS(COLLECT_ROW)
  OBJECT_RECORDS(COLLECT_ROW)
  ANIMATION_RECORDS(COLLECT_ROW)
  KEY_LIST_RECORDS(COLLECT_ROW)
  MATERIAL_RECORDS(COLLECT_ROW)
#undef COLLECT_ROW
#undef COLLECT_PLACED
  std::set<long> types;
  for (const auto &row : rows) {
    EXPECT_TRUE(types.insert(row.first).second) << row.first << " stands in two places";
    EXPECT_STREQ(RecordTypeName(row.first), row.second);
  }
  EXPECT_EQ(RecordTypeName(5901), nullptr);
}

}  // namespace

// Record framing: every record starts with an 8-byte header (type word and
// signed length); a reader reads what it understands, then skips to the end.
#ifndef TESSARO_RECORD_STREAM_H
#define TESSARO_RECORD_STREAM_H

#include "c4d.h"

#include "RecordTypes.h"

enum { TEXT_BUFFER_SIZE = 260 };

// The one open file of the import in progress: the load sets it before the
// first header and clears it after the last. Every cursor and every reader
// reads from it, through RecordFile(), so that a reader's reliance on it
// shows where it reads.
extern HostFile *CurrentImportFile;
inline HostFile *RecordFile() { return CurrentImportFile; }

struct RecordHeader {
  LONG type = 0;      // bits 0 to 23 of the type word
  UCHAR version = 0;  // bits 24 to 31; accepted whatever it holds
  LONG length = 0;    // payload bytes after the header
  LONG end = 0;       // absolute position of the first byte after the payload
};

// The cursor over one level of records. Every record type has a reader
// class that extends it with the record's fields, zeroed on construction,
// and is made from the header the walker read (RecordWalk.h), so that its
// Within and Holds bound what it reads.
class RecordReader : public RecordHeader {
 public:
  RecordReader() = default;
  explicit RecordReader(const RecordHeader &header) : RecordHeader(header) {}
  // Reads the next header at the current position of CurrentImportFile.
  // Refuses a negative length, or one that would end beyond the largest
  // file position: such a record has no end to skip to, and the walk must
  // never move backwards.
  Bool ReadHeader();
  // Reads the next header of a list nested in parent. A record that would
  // end beyond its parent's end is refused like an unreadable header: what
  // it holds belongs to no one the walk can trust, and reading it would let
  // the parent's skip move back over bytes already read.
  Bool ReadHeaderWithin(const RecordHeader &parent);
  // Puts the file at the end of the current record, whatever was consumed.
  void SkipToEnd();
  // True while the reads have stayed inside this record. A reader checks it
  // after its fields and before it builds anything from them: fields that
  // ran into the next record hold that record's bytes, not this one's.
  Bool Within() const;
  // True when count entries of size bytes each still fit between the file
  // position and the end of this record (and of the file). Counts are
  // checked with this before anything is allocated or read, so that no
  // record makes the import read beyond it or hold more than it carries.
  Bool Holds(LONG count, LONG size) const;
};

// The lists nested in a top-level record (an object's sub-records, a
// material's) are walked with ReadNextInRecord, which keeps every
// sub-record inside its record and settles where a record's length and
// its list's framing disagree. A top-level record starts with a top-level
// type (no list holds one) or is the stream's end record, last in the file.
// - At the record's end a top-level record starts: the list ends there
//   (NEXT_NONE), as if terminated.
// - A sub-record runs past the record's end while a top-level record starts
//   at that end: the sub-record's length is wrong; the list is broken
//   (NEXT_BROKEN) and the walk above goes on at the record's end.
// - Otherwise the record's length is too short: the list's framing is
//   followed, header by header, to its end record, or to the next top-level
//   record for a list without one, and the record's end moves there; a
//   framing that breaks first breaks the list.
// - The list's end record comes before the record's end and a top-level
//   record follows it: the record's length is too long, and its end moves
//   back to the list's (EndsBefore).
// - Inside the list, a header of a top-level type ends a list without its
//   end record, unless a top-level record starts at the record's end.
// Each file position is followed at most once per load, so no input makes
// this cost more than linear time.
enum NextRecord { NEXT_RECORD, NEXT_NONE, NEXT_BROKEN };
NextRecord ReadNextInRecord(RecordReader *record, RecordReader *sub);
// A record whose reading ended at after, before the record's end, when a
// top-level record starts there: the record's length is too long, and its
// end moves back to after.
void EndsBefore(RecordReader *record, LONG after);
// Frees what ReadNextInRecord remembers of the file; the load calls it once
// its walk is done.
void ReleaseFramingMemo();

// Runs of fields of one primitive; each stops at the first failed read.
Bool ReadLongs(LONG *out, LONG n);
Bool ReadReals(Real *out, LONG n);
Bool ReadUChars(UCHAR *out, LONG n);

// A text field: a short length, then that many 8-bit characters. Lengths
// outside 0..maxLength fail without reading the characters; the value goes
// through the fixed text buffer.
Bool ReadText(String *out, LONG maxLength);

#endif

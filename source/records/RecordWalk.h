// The walk of a list of records, written once: read the next header, hand
// the record to its reader, skip to the record's end, stop after a record
// of type 0. Lists differ only in how their next header is read and in what
// a reader's failure does, and both go with where the list stands:
//
// - the top level (WalkTopLevel): headers are read as they come; a header
//   that cannot be read ends the walk (WALK_BROKEN: the stream is cut); a
//   failed reader does not stop it.
// - inside an animation or a key list (WalkWithin): a record that would end
//   beyond its parent is refused like an unreadable header; a failed reader
//   ends the list at once, where the reader stopped, without the skip.
// - inside an object or a material (WalkInRecord): headers come through
//   ReadNextInRecord, which keeps the list inside its record and may move
//   the record's end where the list's framing says; a list that ends where
//   the next top-level record starts ends as if terminated. After a failed
//   reader the rest of the list is walked to its end unread, so that the
//   record still ends where its list does.
//
// The walker reads each header into its cursor and hands the cursor to the
// reader of the record's type; the reader reads what it understands and
// answers TRUE or FALSE; whatever it consumed, the walker then skips to the
// record's end. A leading record that a list's reader expects in one place
// (an object's kind and header, a material's header, an animation's leading
// record, a key list's header) is read by that reader before the walk.
#ifndef TESSARO_RECORD_WALK_H
#define TESSARO_RECORD_WALK_H

#include <stddef.h>

#include "RecordStream.h"
#include "RecordTables.h"

enum WalkEnd {
  WALK_ENDED,   // after the list's end record, or where its record ends
  WALK_BROKEN,  // a header could not be read, or the framing broke
  WALK_FAILED,  // a reader failed (whatever came after it)
};

// What a reader's failure does to the rest of its list.
enum OnReaderFailure {
  FAILURE_GOES_ON,      // the next record is read as if nothing happened
  FAILURE_STOPS,        // the list ends at once, without the skip
  FAILURE_PASSES_OVER,  // the rest of the list is walked unread
};

// The one loop. next(cursor) reads the next header into cursor and answers
// NEXT_RECORD, NEXT_NONE (the list ends there, as if terminated) or
// NEXT_BROKEN; read(cursor) reads the record and answers whether it could.
template <class Next, class Read>
WalkEnd WalkRecords(RecordReader &cursor, Next next, Read read, OnReaderFailure onFailure) {
  Bool failed = FALSE;
  for (;;) {
    const NextRecord step = next(cursor);
    if (step != NEXT_RECORD) return failed ? WALK_FAILED : step == NEXT_NONE ? WALK_ENDED : WALK_BROKEN;
    if (!failed && !read(cursor)) {
      if (onFailure == FAILURE_STOPS) return WALK_FAILED;
      failed = onFailure == FAILURE_PASSES_OVER;
    }
    cursor.SkipToEnd();
    if (cursor.type == RECORD_END) return failed ? WALK_FAILED : WALK_ENDED;
  }
}

// One row of a level's table: a record type and its reader. Level is what
// the readers of the level share (the document, the object read, ...).
template <class Level>
struct RecordRow {
  LONG type;
  Bool (*read)(RecordReader &record, Level &level);
};

// Expands a row of RecordTables.h into a RecordRow.
#define RECORD_ROW(type, name, reader) {type, reader},

// Hands the record to the reader of its type; a type without one is
// skipped whole, which is no failure.
template <class Level, size_t N>
Bool ReadByType(const RecordRow<Level> (&rows)[N], RecordReader &record, Level &level) {
  for (const RecordRow<Level> &row : rows)
    if (row.type == record.type) return row.read(record, level);
  return TRUE;
}

template <class Level, size_t N>
WalkEnd WalkTopLevel(const RecordRow<Level> (&rows)[N], Level &level) {
  RecordReader cursor;
  return WalkRecords(
      cursor, [](RecordReader &c) { return c.ReadHeader() ? NEXT_RECORD : NEXT_BROKEN; },
      [&](RecordReader &r) { return ReadByType(rows, r, level); }, FAILURE_GOES_ON);
}

template <class Level, size_t N>
WalkEnd WalkWithin(const RecordHeader &parent, const RecordRow<Level> (&rows)[N], Level &level) {
  RecordReader cursor;
  return WalkRecords(
      cursor, [&](RecordReader &c) { return c.ReadHeaderWithin(parent) ? NEXT_RECORD : NEXT_BROKEN; },
      [&](RecordReader &r) { return ReadByType(rows, r, level); }, FAILURE_STOPS);
}

template <class Level, size_t N>
WalkEnd WalkInRecord(RecordReader *record, const RecordRow<Level> (&rows)[N], Level &level) {
  RecordReader cursor;
  return WalkRecords(
      cursor, [=](RecordReader &c) { return ReadNextInRecord(record, &c); },
      [&](RecordReader &r) { return ReadByType(rows, r, level); }, FAILURE_PASSES_OVER);
}

// Walks the rest of a list nested in record unread, to its end record: a
// record whose reader gave up early still ends where its list does.
void PassOverList(RecordReader *record);

#endif

#include "RecordStream.h"

#include <string.h>

#include "Globals.h"

// Defined with the cursor that reads it, so the framing links on its own
// (the host's record inspector uses it).
HostFile *CurrentImportFile = nullptr;

Bool RecordReader::ReadHeader() {
  LONG word = 0, len = 0;
  if (!CurrentImportFile->ReadLong(&word)) return FALSE;
  if (!CurrentImportFile->ReadLong(&len)) return FALSE;
  if (len < 0) return FALSE;
  int64_t last = static_cast<int64_t>(CurrentImportFile->GetPosition()) + len;
  if (last > INT32_MAX) return FALSE;
  type = static_cast<LONG>(static_cast<ULONG>(word) & 0x00FFFFFFu);
  version = static_cast<UCHAR>(static_cast<ULONG>(word) >> 24);
  length = len;
  end = static_cast<LONG>(last);
  return TRUE;
}

Bool RecordReader::ReadHeaderWithin(const RecordHeader &parent) {
  RecordHeader before = *this;
  if (!ReadHeader()) return FALSE;
  if (end <= parent.end) return TRUE;
  static_cast<RecordHeader &>(*this) = before;
  return FALSE;
}

void RecordReader::SkipToEnd() {
  if (CurrentImportFile->GetPosition() != end) CurrentImportFile->Seek(end);
}

namespace {

enum { TOP_DOCUMENT = 2000, TOP_RENDER = 4000, TOP_OBJECT = 5020, TOP_MATERIAL = 5703 };

// One bit per file position from which a list's framing was followed.
UCHAR *Followed = nullptr;
LONG FollowedLength = 0;

// Whether the header at position starts a top-level record: one of the
// record types of the top level, ending inside the file, or the stream's
// empty end record at the end of the file. The file is left where it was.
Bool TopLevelRecordAt(LONG position) {
  HostFile *f = CurrentImportFile;
  const LONG back = f->GetPosition();
  const LONG length = f->GetLength();
  Bool top = FALSE;
  RecordReader next;
  if (f->Seek(position) && next.ReadHeader()) {
    switch (next.type) {
      case TOP_DOCUMENT:
      case TOP_RENDER:
      case TOP_OBJECT:
      case TOP_MATERIAL:
        top = next.end <= length;
        break;
      case 0:
        // Only the stream's own end: zero bytes inside a record look like
        // an empty end record too.
        top = next.length == 0 && next.end == length;
        break;
      default:
        break;
    }
  }
  f->Seek(back);
  return top;
}

// Marks position as followed; answers whether it had been before.
Bool FollowedBefore(LONG position) {
  const LONG length = CurrentImportFile->GetLength();
  if (!Followed || FollowedLength != length) {
    GeFree(Followed);
    FollowedLength = 0;
    Followed = static_cast<UCHAR *>(GeAlloc(length / 8 + 1));
    // Without the memory to remember, nothing is followed at all.
    if (!Followed) return TRUE;
    memset(Followed, 0, static_cast<size_t>(length / 8 + 1));
    FollowedLength = length;
  }
  UCHAR &byte = Followed[position / 8];
  const UCHAR bit = static_cast<UCHAR>(1u << (position % 8));
  if (byte & bit) return TRUE;
  byte |= bit;
  return FALSE;
}

// Follows the framing from sub (whose header was just read) to the list's
// end record; on reaching it inside the file, moves the record's end there.
// The file is left at sub's payload.
Bool ExtendToListEnd(RecordReader *record, const RecordReader &sub) {
  HostFile *f = CurrentImportFile;
  const LONG back = f->GetPosition();
  const LONG length = f->GetLength();
  RecordReader at = sub;
  Bool found = FALSE;
  for (;;) {
    if (at.end > length) break;
    if (at.type == 0) {
      found = TRUE;
      break;
    }
    if (FollowedBefore(at.end) || !f->Seek(at.end) || !at.ReadHeader()) break;
  }
  f->Seek(back);
  if (found) record->end = at.end;
  return found;
}

}  // namespace

NextRecord ReadNextInRecord(RecordReader *record, RecordReader *sub) {
  const LONG at = CurrentImportFile->GetPosition();
  if (at == record->end && TopLevelRecordAt(at)) return NEXT_NONE;
  if (!sub->ReadHeader()) return NEXT_BROKEN;
  if (sub->end <= record->end) return NEXT_RECORD;
  if (at < record->end && TopLevelRecordAt(record->end)) return NEXT_BROKEN;
  return ExtendToListEnd(record, *sub) ? NEXT_RECORD : NEXT_BROKEN;
}

void PassOverList(RecordReader *record) {
  for (;;) {
    RecordReader sub;
    if (ReadNextInRecord(record, &sub) != NEXT_RECORD) return;
    sub.SkipToEnd();
    if (sub.type == 0) return;
  }
}

void ReleaseFramingMemo() {
  GeFree(Followed);
  FollowedLength = 0;
}

Bool ReadText(String *out, LONG maxLength) {
  char buffer[TEXT_BUFFER_SIZE];
  SWORD n = 0;
  if (!CurrentImportFile->ReadWord(&n)) return FALSE;
  if (n < 0 || n > maxLength || n >= TEXT_BUFFER_SIZE) return FALSE;
  if (n > 0 && !CurrentImportFile->ReadBytes(buffer, n)) return FALSE;
  buffer[n] = 0;
  out->SetCString(buffer);
  return TRUE;
}

Bool RecordReader::Holds(LONG count, LONG size) const {
  if (count < 0 || size < 0) return FALSE;
  int64_t limit = CurrentImportFile->GetLength();
  if (end < limit) limit = end;
  int64_t rest = limit - CurrentImportFile->GetPosition();
  return static_cast<int64_t>(count) * size <= rest;
}

Bool ReadLongs(LONG *out, LONG n) { return CurrentImportFile->ReadLongs(out, n) == n; }

Bool ReadReals(Real *out, LONG n) { return CurrentImportFile->ReadReals(out, n) == n; }

Bool ReadUChars(UCHAR *out, LONG n) {
  for (LONG k = 0; k < n; ++k)
    if (!CurrentImportFile->ReadUChar(&out[k])) return FALSE;
  return TRUE;
}

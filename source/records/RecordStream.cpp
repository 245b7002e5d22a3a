#include "RecordStream.h"

#include <string.h>

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

Bool RecordReader::Within() const { return CurrentImportFile->GetPosition() <= end; }

void RecordReader::SkipToEnd() {
  if (CurrentImportFile->GetPosition() != end) CurrentImportFile->Seek(end);
}

namespace {


// One bit per file position from which a list's framing was followed.
UCHAR *Followed = nullptr;
LONG FollowedLength = 0;
// The last position asked whether a top-level record starts there, and the
// answer: a list asks it again for every header-shaped record it holds,
// and a look far ahead costs the file a buffer there and back.
LONG AskedAt = -1;
Bool AskedAnswer = FALSE;

// Whether the header just read into h starts a top-level record: one of the
// record types of the top level, ending inside the file, or the stream's
// empty end record at the end of the file (zero bytes inside a record look
// like an empty end record too). No list of sub-records holds these types.
Bool StartsTopLevel(const RecordReader &h, LONG length) {
  switch (h.type) {
    case RECORD_DOCUMENT:
    case RECORD_RENDER:
    case RECORD_OBJECT:
    case RECORD_MATERIAL:
      return h.end <= length;
    case 0:
      return h.length == 0 && h.end == length;
    default:
      return FALSE;
  }
}

LONG HeaderAt(const RecordReader &h) { return h.end - h.length - 8; }

// Whether a top-level record starts at position. The file is left where it
// was.
Bool TopLevelRecordAt(LONG position) {
  if (position == AskedAt) return AskedAnswer;
  HostFile *f = CurrentImportFile;
  const LONG back = f->GetPosition();
  RecordReader next;
  const Bool top = f->Seek(position) && next.ReadHeader() && StartsTopLevel(next, f->GetLength());
  f->Seek(back);
  AskedAt = position;
  AskedAnswer = top;
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

// Follows the framing from sub (whose header was just read) to where the
// list ends: after its end record, or, for a list without one, where the
// next top-level record starts. Answers that position, or -1 when the
// framing breaks first. The file is left at sub's payload.
LONG FollowToListEnd(const RecordReader &sub) {
  HostFile *f = CurrentImportFile;
  const LONG back = f->GetPosition();
  const LONG length = f->GetLength();
  RecordReader at = sub;
  LONG end = -1;
  for (;;) {
    if (StartsTopLevel(at, length)) {
      end = HeaderAt(at);
      break;
    }
    if (at.end > length) break;
    if (at.type == 0) {
      end = at.end;
      break;
    }
    if (FollowedBefore(at.end) || !f->Seek(at.end) || !at.ReadHeader()) break;
  }
  f->Seek(back);
  return end;
}

}  // namespace

NextRecord ReadNextInRecord(RecordReader *record, RecordReader *sub) {
  const LONG at = CurrentImportFile->GetPosition();
  if (at == record->end && TopLevelRecordAt(at)) return NEXT_NONE;
  if (!sub->ReadHeader()) return NEXT_BROKEN;
  if (sub->type != 0 && StartsTopLevel(*sub, CurrentImportFile->GetLength()) && !TopLevelRecordAt(record->end)) {
    // No list holds a top-level record: this list had no end record, and
    // the record ends where the next top-level record starts. (Where one
    // starts at the record's end, the record's length is trusted, and this
    // is data that only looks like a header.)
    record->end = at;
    return NEXT_NONE;
  }
  if (sub->end > record->end) {
    // The sub-record's length is wrong when a top-level record starts where
    // the record ends; else the record's own length is, and the list's
    // framing says where the record really ends.
    if (at < record->end && TopLevelRecordAt(record->end)) return NEXT_BROKEN;
    const LONG end = FollowToListEnd(*sub);
    if (end < 0) return NEXT_BROKEN;
    record->end = end;
    if (end == at) return NEXT_NONE;
  } else if (sub->type == 0) {
    EndsBefore(record, sub->end);
  }
  return NEXT_RECORD;
}

void EndsBefore(RecordReader *record, LONG after) {
  // A top-level record right after what was read: the record's length is
  // too long (were the length right, the records it covers would be lost).
  if (after < record->end && TopLevelRecordAt(after)) record->end = after;
}

void ReleaseFramingMemo() {
  GeFree(Followed);
  FollowedLength = 0;
  AskedAt = -1;
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

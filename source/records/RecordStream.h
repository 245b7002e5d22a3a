// Record framing: every record starts with an 8-byte header (type word and
// signed length); a reader reads what it understands, then skips to the end.
#ifndef TESSARO_RECORD_STREAM_H
#define TESSARO_RECORD_STREAM_H

#include "c4d.h"

enum { TEXT_BUFFER_SIZE = 260 };

struct RecordHeader {
  LONG type = 0;      // bits 0 to 23 of the type word
  UCHAR version = 0;  // bits 24 to 31; accepted whatever it holds
  LONG length = 0;    // payload bytes after the header
  LONG end = 0;       // absolute position of the first byte after the payload
};

class RecordReader : public RecordHeader {
 public:
  // Reads the next header at the current position of CurrentImportFile.
  // Refuses a negative length, or one that would end beyond the largest
  // file position: such a record has no end to skip to, and the walk must
  // never move backwards.
  Bool ReadHeader();
  // Puts the file at the end of the current record, whatever was consumed.
  void SkipToEnd();
};

// True when count entries of size bytes each could still follow in the
// file: a count the rest of the file cannot hold is not worth allocating for.
Bool FitsInFile(LONG count, LONG size);

// Runs of fields of one primitive; each stops at the first failed read.
Bool ReadLongs(LONG *out, LONG n);
Bool ReadReals(Real *out, LONG n);
Bool ReadUChars(UCHAR *out, LONG n);

// A text field: a short length, then that many 8-bit characters. Lengths
// outside 0..maxLength fail without reading the characters; the value goes
// through the fixed text buffer.
Bool ReadText(String *out, LONG maxLength);

#endif

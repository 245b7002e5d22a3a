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

void RecordReader::SkipToEnd() {
  if (CurrentImportFile->GetPosition() != end) CurrentImportFile->Seek(end);
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

Bool FitsInFile(LONG count, LONG size) {
  if (count < 0 || size < 0) return FALSE;
  int64_t rest = static_cast<int64_t>(CurrentImportFile->GetLength()) - CurrentImportFile->GetPosition();
  return static_cast<int64_t>(count) * size <= rest;
}

Bool ReadLongs(LONG *out, LONG n) { return CurrentImportFile->ReadLongs(out, n) == n; }

Bool ReadReals(Real *out, LONG n) { return CurrentImportFile->ReadReals(out, n) == n; }

Bool ReadUChars(UCHAR *out, LONG n) {
  for (LONG k = 0; k < n; ++k)
    if (!CurrentImportFile->ReadUChar(&out[k])) return FALSE;
  return TRUE;
}

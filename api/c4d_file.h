// The host's file object. The byte order is chosen once, at Open; every read
// honours it, answers whether it succeeded, and consumes nothing on failure.
#ifndef TESSARO_C4D_FILE_H
#define TESSARO_C4D_FILE_H

#include "c4d_types.h"

enum { FILEOPEN_READ = TH_FILEOPEN_READ };
enum { BYTEORDER_MOTOROLA = TH_BYTEORDER_MOTOROLA, BYTEORDER_INTEL = TH_BYTEORDER_INTEL };

class Filename {
 public:
  explicit Filename(const char *path) noexcept : path_(path) {}
  const char *GetPath() const noexcept { return path_; }

 private:
  const char *path_;
};

class HostFile {
 public:
  HostFile() = delete;
  ~HostFile() = delete;

  static HostFile *Alloc() noexcept { return reinterpret_cast<HostFile *>(t_host->file->Alloc()); }
  static void Free(HostFile *&f) noexcept {
    th_file *h = reinterpret_cast<th_file *>(f);
    t_host->file->Free(&h);
    f = nullptr;
  }

  Bool Open(const Filename &name, LONG mode, LONG error_dialog, LONG order, LONG type, LONG creator) noexcept {
    return t_host->file->Open(H(), name.GetPath(), mode, error_dialog, order, type, creator);
  }
  Bool Close() noexcept { return t_host->file->Close(H()); }
  Bool Seek(LONG pos) noexcept { return t_host->file->Seek(H(), pos); }
  LONG GetPosition() noexcept { return t_host->file->GetPosition(H()); }
  LONG GetLength() noexcept { return t_host->file->GetLength(H()); }

  Bool ReadBytes(void *data, LONG len) noexcept { return t_host->file->ReadBytes(H(), data, len); }
  Bool ReadChar(CHAR *v) noexcept { return t_host->file->ReadChar(H(), v); }
  Bool ReadUChar(UCHAR *v) noexcept { return t_host->file->ReadUChar(H(), v); }
  Bool ReadWord(SWORD *v) noexcept { return t_host->file->ReadWord(H(), v); }
  Bool ReadUWord(UWORD *v) noexcept { return t_host->file->ReadUWord(H(), v); }
  Bool ReadLong(LONG *v) noexcept { return t_host->file->ReadLong(H(), v); }
  Bool ReadReal(Real *v) noexcept { return t_host->file->ReadReal(H(), v); }
  Bool ReadLReal(LReal *v) noexcept { return t_host->file->ReadLReal(H(), v); }
  Bool ReadBool(Bool *v) noexcept { return t_host->file->ReadBool(H(), v); }
  Bool ReadVector(Vector *v) noexcept { return t_host->file->ReadVector(H(), CVec(*v)); }
  Bool ReadMatrix(Matrix *m) noexcept { return t_host->file->ReadMatrix(H(), reinterpret_cast<th_matrix *>(m)); }
  Bool ReadTime(Real *numerator, Real *denominator) noexcept {
    return t_host->file->ReadTime(H(), numerator, denominator);
  }
  // Runs of n values in one call; each answers how many whole values it
  // read (n unless the file ends or the read fails first).
  LONG ReadUWords(UWORD *v, LONG n) noexcept { return t_host->file->ReadUWords(H(), v, n); }
  LONG ReadLongs(LONG *v, LONG n) noexcept { return t_host->file->ReadLongs(H(), v, n); }
  LONG ReadReals(Real *v, LONG n) noexcept { return t_host->file->ReadReals(H(), v, n); }
  LONG ReadVectors(Vector *v, LONG n) noexcept { return t_host->file->ReadVectors(H(), CVec(*v), n); }

 private:
  th_file *H() noexcept { return reinterpret_cast<th_file *>(this); }
};

#endif

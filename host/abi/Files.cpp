// The file table: the host's file object, read through its buffer
// (FileBuffer.cpp).
#include <cstring>

#include "Edge.h"
#include "Handles.h"
#include "Host.h"
#include "Path.h"
#include "Tables.h"

namespace {

// File positions and lengths are signed 32-bit values on the interface.
constexpr int64_t kLargestPosition = INT32_MAX;

bool HostIsLittleEndian() {
  const uint16_t probe = 1;
  uint8_t first;
  std::memcpy(&first, &probe, 1);
  return first == 1;
}

void Reverse(uint8_t *p, size_t n) {
  for (size_t i = 0; i < n / 2; ++i) {
    uint8_t t = p[i];
    p[i] = p[n - 1 - i];
    p[n - 1 - i] = t;
  }
}

tessaro::Host &H() { return tessaro::Host::Get(); }

th_file *FileAlloc() {
  try {
    if (H().Fault(tessaro::Op::FileAlloc)) return nullptr;
    return H().Track(new th_file);
  } catch (...) {
    return nullptr;
  }
}

bool Live(th_file *f, const char *op) {
  if (f && H().Tracked(f)) return true;
  H().Misuse(std::string(op) + ": not a live file object");
  return false;
}

th_bool FileClose(th_file *f) {
  bool fail = H().Fault(tessaro::Op::FileClose);
  if (!Live(f, "Close") || !f->fp) return 0;
  int rc = std::fclose(f->fp);
  f->fp = nullptr;
  f->buffer.reset();
  return rc == 0 && !fail;
}

void FileFree(th_file **f) {
  H().Fault(tessaro::Op::FileFree);
  if (!f || !*f) return;
  if (Live(*f, "Free")) {
    if ((*f)->fp) std::fclose((*f)->fp);
    H().Untrack(*f);
    delete *f;
  }
  *f = nullptr;
}

th_bool FileOpen(th_file *f, const char *name, int32_t mode, int32_t error_dialog, int32_t order, int32_t type,
                 int32_t creator) {
  (void)error_dialog, (void)type, (void)creator;
  if (H().Fault(tessaro::Op::FileOpen)) return 0;
  if (!Live(f, "Open") || !name || f->fp || mode != TH_FILEOPEN_READ) return 0;
  if (order != TH_BYTEORDER_MOTOROLA && order != TH_BYTEORDER_INTEL) return 0;
  // The name is UTF-8, as every name the host hands out.
  std::FILE *fp = tessaro::OpenFile(name, "rb");
  if (!fp) return 0;
  // The file object buffers for itself: a second buffer would only split
  // its reads in two.
  std::setvbuf(fp, nullptr, _IONBF, 0);
  if (th_file::Seek(fp, 0, SEEK_END) != 0) {
    std::fclose(fp);
    return 0;
  }
#if defined(_WIN32)
  int64_t size = _ftelli64(fp);
#else
  int64_t size = ftello(fp);
#endif
  if (size < 0 || th_file::Seek(fp, 0, SEEK_SET) != 0) {
    std::fclose(fp);
    return 0;
  }
  try {
    f->buffer.reset(new uint8_t[th_file::kBufferSize]);
  } catch (...) {
    std::fclose(fp);
    return 0;
  }
  f->fp = fp;
  f->name = name;
  // Beyond the largest position nothing is addressable on the interface.
  f->size = size < kLargestPosition ? size : kLargestPosition;
  f->pos = 0;
  f->bufferStart = 0;
  f->bufferLength = 0;
  f->swap = (order == TH_BYTEORDER_MOTOROLA) == HostIsLittleEndian();
  return 1;
}

th_bool FileSeek(th_file *f, int32_t pos) {
  H().Fault(tessaro::Op::FileSeek);
  if (!f || !f->fp || pos < 0) return 0;
  // A seek past the end is refused but still moves there, so that the next
  // read fails instead of reading what lies before the target.
  f->pos = pos;
  return pos <= f->size;
}

int32_t FileGetPosition(th_file *f) {
  H().Fault(tessaro::Op::FileGetPosition);
  if (!f || !f->fp) return 0;
  return static_cast<int32_t>(f->pos < kLargestPosition ? f->pos : kLargestPosition);
}

int32_t FileGetLength(th_file *f) {
  H().Fault(tessaro::Op::FileGetLength);
  return f && f->fp ? static_cast<int32_t>(f->size) : 0;
}

// One read primitive: n bytes in file order, swapped to this machine's order
// for a value of `width` bytes each.
template <class T>
th_bool ReadValues(th_file *f, T *out, size_t count) {
  if (H().Fault(tessaro::Op::FileRead) || !f || !f->fp || !out) return 0;
  uint8_t raw[sizeof(T) * 12];
  static_assert(sizeof(T) <= 8, "one value is at most 8 bytes");
  if (!f->Take(raw, static_cast<int64_t>(sizeof(T) * count))) return 0;
  for (size_t i = 0; i < count; ++i) {
    if (f->swap) Reverse(raw + i * sizeof(T), sizeof(T));
    std::memcpy(out + i, raw + i * sizeof(T), sizeof(T));
  }
  return 1;
}

th_bool ReadBytes(th_file *f, void *data, int32_t len) {
  if (H().Fault(tessaro::Op::FileRead) || !f || !f->fp || len < 0 || (!data && len)) return 0;
  return f->Take(data, len);
}
th_bool ReadChar(th_file *f, int8_t *v) { return ReadValues(f, v, 1); }
th_bool ReadUChar(th_file *f, uint8_t *v) { return ReadValues(f, v, 1); }
th_bool ReadWord(th_file *f, int16_t *v) { return ReadValues(f, v, 1); }
th_bool ReadUWord(th_file *f, uint16_t *v) { return ReadValues(f, v, 1); }
th_bool ReadLong(th_file *f, int32_t *v) { return ReadValues(f, v, 1); }
th_bool ReadReal(th_file *f, float *v) { return ReadValues(f, v, 1); }
th_bool ReadLReal(th_file *f, double *v) { return ReadValues(f, v, 1); }
th_bool ReadBool(th_file *f, th_bool *v) {
  uint8_t b = 0;
  if (!v || !ReadValues(f, &b, 1)) return 0;
  *v = b != 0;
  return 1;
}
th_bool ReadVector(th_file *f, th_vector *v) {
  float xyz[3];
  if (!v || !ReadValues(f, xyz, 3)) return 0;
  *v = th_vector{xyz[0], xyz[1], xyz[2]};
  return 1;
}
th_bool ReadMatrix(th_file *f, th_matrix *m) {
  float a[12];
  if (!m || !ReadValues(f, a, 12)) return 0;
  *m = th_matrix{{a[0], a[1], a[2]}, {a[3], a[4], a[5]}, {a[6], a[7], a[8]}, {a[9], a[10], a[11]}};
  return 1;
}
th_bool ReadTime(th_file *f, float *numerator, float *denominator) {
  float a[2];
  if (!numerator || !denominator || !ReadValues(f, a, 2)) return 0;
  *numerator = a[0];
  *denominator = a[1];
  return 1;
}

// A run costs one call, one fault check and a swapping copy out of the
// buffer, however long it is.
int32_t ReadRun(th_file *f, void *out, int32_t n, int64_t unitBytes, int valueBytes) {
  if (H().Fault(tessaro::Op::FileRead) || !f || !f->fp || !out || n <= 0) return 0;
  return static_cast<int32_t>(f->TakeRun(out, n, unitBytes, valueBytes));
}
int32_t ReadUWords(th_file *f, uint16_t *out, int32_t n) { return ReadRun(f, out, n, 2, 2); }
int32_t ReadLongs(th_file *f, int32_t *out, int32_t n) { return ReadRun(f, out, n, 4, 4); }
int32_t ReadReals(th_file *f, float *out, int32_t n) { return ReadRun(f, out, n, 4, 4); }
int32_t ReadVectors(th_file *f, th_vector *out, int32_t n) {
  static_assert(sizeof(th_vector) == 12, "a vector is three packed floats");
  return ReadRun(f, out, n, 12, 4);
}

const th_file_table kFile = {
    sizeof(th_file_table), TESSARO_EDGE(FileAlloc), TESSARO_EDGE(FileFree), TESSARO_EDGE(FileOpen),
    TESSARO_EDGE(FileClose), TESSARO_EDGE(FileSeek), TESSARO_EDGE(FileGetPosition), TESSARO_EDGE(FileGetLength),
    TESSARO_EDGE(ReadBytes), TESSARO_EDGE(ReadChar), TESSARO_EDGE(ReadUChar), TESSARO_EDGE(ReadWord),
    TESSARO_EDGE(ReadUWord), TESSARO_EDGE(ReadLong), TESSARO_EDGE(ReadReal), TESSARO_EDGE(ReadLReal),
    TESSARO_EDGE(ReadBool), TESSARO_EDGE(ReadVector), TESSARO_EDGE(ReadMatrix), TESSARO_EDGE(ReadTime),
    TESSARO_EDGE(ReadUWords), TESSARO_EDGE(ReadLongs), TESSARO_EDGE(ReadReals), TESSARO_EDGE(ReadVectors)};

}  // namespace

const th_file_table *tessaro::FileTable() { return &kFile; }

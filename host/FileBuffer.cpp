// The host's file object's buffer: reads and runs of values are copied
// (and swapped) straight out of it.
#include <cstring>

#include "Handles.h"

namespace {

void CopySwapped(uint8_t *dst, const uint8_t *src, size_t bytes, int valueBytes) {
  if (valueBytes == 4) {
    for (size_t i = 0; i + 4 <= bytes; i += 4) {
      uint32_t v;
      std::memcpy(&v, src + i, 4);
      v = __builtin_bswap32(v);
      std::memcpy(dst + i, &v, 4);
    }
  } else {
    for (size_t i = 0; i + 2 <= bytes; i += 2) {
      uint16_t v;
      std::memcpy(&v, src + i, 2);
      v = __builtin_bswap16(v);
      std::memcpy(dst + i, &v, 2);
    }
  }
}

}  // namespace

int th_file::Seek(std::FILE *fp, int64_t pos, int origin) {
#if defined(_WIN32)
  return _fseeki64(fp, pos, origin);
#else
  return fseeko(fp, pos, origin);
#endif
}

bool th_file::Fill() {
  // Reading on from within the buffer keeps the bytes not yet taken (a
  // run of values rarely ends on the buffer's end) and reads a whole buffer
  // on; the stream already stands at the buffer's end, so no seek, which
  // costs a system call. After a jump (a reader looking at a header
  // elsewhere and coming back) a page will do, so that such a look costs
  // what it reads, not a buffer each way.
  const int64_t end = bufferStart + bufferLength;
  const bool onward = bufferLength > 0 && pos >= bufferStart && pos <= end;
  size_t kept = 0, got = 0;
  if (onward) {
    kept = static_cast<size_t>(end - pos);
    if (kept) std::memmove(buffer.get(), buffer.get() + (pos - bufferStart), kept);
    got = std::fread(buffer.get() + kept, 1, kBufferSize - kept, fp);
  } else if (Seek(fp, pos, SEEK_SET) == 0) {
    got = std::fread(buffer.get(), 1, kPageSize, fp);
  }
  bufferStart = pos;
  bufferLength = static_cast<int64_t>(kept + got);
  return bufferLength != 0;
}

int64_t th_file::TakeRun(void *out, int64_t n, int64_t unitBytes, int valueBytes) {
  if (n <= 0 || pos > size) return 0;
  if (n > (size - pos) / unitBytes) n = (size - pos) / unitBytes;
  auto *dst = static_cast<uint8_t *>(out);
  int64_t done = 0;
  while (done < n) {
    int64_t held = pos >= bufferStart && pos < bufferStart + bufferLength ? bufferStart + bufferLength - pos : 0;
    if (held < unitBytes) {
      // A refill starts at pos, so it holds a whole unit unless the file
      // shrank under us.
      if (!Fill() || bufferLength < unitBytes) break;
      continue;
    }
    int64_t units = held / unitBytes < n - done ? held / unitBytes : n - done;
    const uint8_t *src = buffer.get() + (pos - bufferStart);
    size_t bytes = static_cast<size_t>(units * unitBytes);
    if (swap) CopySwapped(dst, src, bytes, valueBytes);
    else std::memcpy(dst, src, bytes);
    dst += bytes;
    pos += units * unitBytes;
    done += units;
  }
  return done;
}

bool th_file::Take(void *out, int64_t n) {
  if (n < 0 || pos > size || size - pos < n) return false;
  auto *dst = static_cast<uint8_t *>(out);
  const int64_t start = pos;
  while (n > 0) {
    if (pos < bufferStart || pos >= bufferStart + bufferLength) {
      if (!Fill()) {
        pos = start;
        return false;
      }
    }
    int64_t offset = pos - bufferStart;
    int64_t chunk = bufferLength - offset < n ? bufferLength - offset : n;
    std::memcpy(dst, buffer.get() + offset, static_cast<size_t>(chunk));
    dst += chunk;
    pos += chunk;
    n -= chunk;
  }
  return true;
}

// The floor of an import: read the whole file into memory and byte-swap
// every 4-byte word once. Prints a checksum so the work cannot be skipped.
// Usage: bench_floor FILE
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Memory.h"

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_floor FILE\n");
    return 2;
  }
  int fd = open(argv[1], O_RDONLY);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  size_t size = static_cast<size_t>(st.st_size);
  // The host's own allocation: huge pages for large blocks where the
  // system offers them, so the floor pays no more page faults than it must.
  auto *data = static_cast<uint8_t *>(tessaro::SystemAlloc(size));
  if (!data) return 1;
  for (size_t done = 0; done < size;) {
    ssize_t got = read(fd, data + done, size - done);
    if (got <= 0) {
      std::perror(argv[1]);
      return 1;
    }
    done += static_cast<size_t>(got);
  }
  close(fd);
  uint32_t sum = 0;
  for (size_t i = 0; i + 4 <= size; i += 4) {
    uint32_t w;
    std::memcpy(&w, data + i, 4);
    w = __builtin_bswap32(w);
    std::memcpy(data + i, &w, 4);
    sum ^= w;
  }
  std::printf("%08x\n", sum);
  tessaro::SystemFree(data, size);
  return 0;
}

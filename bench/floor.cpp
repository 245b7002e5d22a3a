// The floor of an import: read the whole file into memory and byte-swap
// every 4-byte word once. Prints a checksum so the work cannot be skipped.
// Usage: bench_floor FILE
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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
  auto *data = static_cast<uint8_t *>(std::malloc(size ? size : 1));
  if (!data) return 1;
  // Huge pages where the system offers them on request, as the host's
  // large blocks have: the floor pays no more page faults than it must.
  const uintptr_t huge = uintptr_t(2) << 20, from = (reinterpret_cast<uintptr_t>(data) + huge - 1) & ~(huge - 1),
                  to = (reinterpret_cast<uintptr_t>(data) + size) & ~(huge - 1);
  if (to > from) madvise(reinterpret_cast<void *>(from), to - from, MADV_HUGEPAGE);
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
  std::free(data);
  return 0;
}

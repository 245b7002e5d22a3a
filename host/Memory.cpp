#include "Memory.h"

#include <cstdint>
#include <cstdlib>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace tessaro {

namespace {

// Blocks from this size on are backed by huge pages where the system
// offers them on request: a mesh's tags fill hundreds of megabytes, and
// faulting them in 4 KB at a time costs more than filling them.
constexpr size_t kHugeBlock = size_t(4) << 20;

void PreferHugePages(void *p, size_t bytes) {
#ifdef __linux__
  constexpr uintptr_t kHuge = uintptr_t(2) << 20;
  const uintptr_t from = (reinterpret_cast<uintptr_t>(p) + kHuge - 1) & ~(kHuge - 1);
  const uintptr_t to = (reinterpret_cast<uintptr_t>(p) + bytes) & ~(kHuge - 1);
  // Advice only: where it is refused the block simply keeps small pages.
  if (to > from) madvise(reinterpret_cast<void *>(from), to - from, MADV_HUGEPAGE);
#else
  (void)p, (void)bytes;
#endif
}

}  // namespace

// calloc gives large blocks as fresh mappings, already zero, so zeroing
// costs nothing until a page is first touched.
void *SystemAlloc(size_t bytes) {
  void *p = std::calloc(bytes ? bytes : 1, 1);
  if (p && bytes >= kHugeBlock) PreferHugePages(p, bytes);
  return p;
}

void SystemFree(void *p, size_t bytes) {
  (void)bytes;
  std::free(p);
}

}  // namespace tessaro

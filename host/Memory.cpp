#include "Memory.h"

#include <cstdint>
#include <cstdlib>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace tessaro {

namespace {

#ifdef __linux__
// Blocks from the size of a huge page on are mapped on a huge-page
// boundary and backed by huge pages where the system offers them on
// request: a mesh's tags fill hundreds of megabytes, and faulting them in
// 4 KB at a time costs more than filling them (on a virtual machine, many
// times more). Only the tail beyond the last whole huge page keeps small
// pages, so a block never holds more than it asked for.
constexpr size_t kHuge = size_t(2) << 20;

void *MapAligned(size_t bytes) {
  const size_t span = bytes + kHuge;
  void *m = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (m == MAP_FAILED) return nullptr;
  const uintptr_t start = reinterpret_cast<uintptr_t>(m);
  const uintptr_t at = (start + kHuge - 1) & ~(kHuge - 1);
  const size_t page = 4096;
  const uintptr_t end = (at + bytes + page - 1) & ~(page - 1);
  if (at > start) munmap(m, at - start);
  if (start + span > end) munmap(reinterpret_cast<void *>(end), start + span - end);
  // Advice only: where it is refused the block simply keeps small pages.
  madvise(reinterpret_cast<void *>(at), bytes & ~(kHuge - 1), MADV_HUGEPAGE);
  return reinterpret_cast<void *>(at);
}

// Blocks between this and a huge page are mapped whole at once: one call
// instead of a fault per 4 KB page, which on a virtual machine costs more
// than clearing the page. Smaller blocks come from the heap, often reused.
constexpr size_t kPopulated = size_t(256) << 10;

void *MapPopulated(size_t bytes) {
  void *m = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (m == MAP_FAILED) return nullptr;
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif
  // Advice only: an older system leaves the pages to be faulted in.
  madvise(m, bytes, MADV_POPULATE_WRITE);
  return m;
}
#endif

}  // namespace

// Fresh mappings are already zero, so zeroing costs nothing until a page
// is first touched; calloc gives the same for the smaller blocks it maps.
void *SystemAlloc(size_t bytes) {
#ifdef __linux__
  if (bytes >= kHuge) return MapAligned(bytes);
  if (bytes >= kPopulated) return MapPopulated(bytes);
#endif
  return std::calloc(bytes ? bytes : 1, 1);
}

void SystemFree(void *p, size_t bytes) {
#ifdef __linux__
  if (p && bytes >= kPopulated) {
    munmap(p, bytes);
    return;
  }
#else
  (void)bytes;
#endif
  std::free(p);
}

}  // namespace tessaro

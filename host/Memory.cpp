#include "Memory.h"

#include <cstdint>
#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define TESSARO_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSARO_ASAN 1
#endif
#endif

namespace tessaro {

namespace {

#if defined(__linux__) && !defined(TESSARO_ASAN)
// Under AddressSanitizer every block goes through calloc, so that reads and
// writes past a tag's data are caught.
constexpr size_t kHugePage = size_t(2) << 20;
constexpr size_t kLarge = 2 * kHugePage;

size_t Mapped(size_t bytes) { return (bytes + kHugePage - 1) & ~(kHugePage - 1); }

void *MapHuge(size_t bytes) {
  size_t length = Mapped(bytes);
  // Map one huge page more and trim, so that the block starts on a huge page.
  void *raw = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  uintptr_t start = reinterpret_cast<uintptr_t>(raw);
  uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
  if (aligned > start) munmap(raw, aligned - start);
  if (kHugePage > aligned - start) munmap(reinterpret_cast<void *>(aligned + length), kHugePage - (aligned - start));
  void *p = reinterpret_cast<void *>(aligned);
  madvise(p, length, MADV_HUGEPAGE);  // advice only: without it the pages are small
  return p;
}
#endif

}  // namespace

void *SystemAlloc(size_t bytes) {
#if defined(__linux__) && !defined(TESSARO_ASAN)
  if (bytes >= kLarge) return MapHuge(bytes);
#endif
  return std::calloc(bytes ? bytes : 1, 1);
}

void SystemFree(void *p, size_t bytes) {
  if (!p) return;
#if defined(__linux__) && !defined(TESSARO_ASAN)
  if (bytes >= kLarge) {
    munmap(p, Mapped(bytes));
    return;
  }
#endif
  (void)bytes;
  std::free(p);
}

}  // namespace tessaro

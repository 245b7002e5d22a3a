// Zeroed memory for the host's blocks and tag data: a tag of millions of
// entries is not cleared by a pass of its own before the plug-in fills it.
#ifndef TESSARO_HOST_MEMORY_H
#define TESSARO_HOST_MEMORY_H

#include <cstddef>
#include <new>

namespace tessaro {

void *SystemAlloc(size_t bytes);  // zeroed; null when exhausted; huge pages for large blocks where offered
void SystemFree(void *p, size_t bytes);  // bytes as given to SystemAlloc

// For containers of plain values: fresh storage is zeroed, and a default-
// constructed element leaves it alone, so a vector of n elements costs no
// clearing pass. (Elements that are resized away and back are not cleared
// again: use assign for that.)
template <class T>
struct ZeroedAllocator {
  using value_type = T;
  ZeroedAllocator() = default;
  template <class U>
  ZeroedAllocator(const ZeroedAllocator<U> &) noexcept {}
  T *allocate(size_t n) {
    if (n > static_cast<size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    void *p = SystemAlloc(n * sizeof(T));
    if (!p) throw std::bad_alloc();
    return static_cast<T *>(p);
  }
  void deallocate(T *p, size_t n) noexcept { SystemFree(p, n * sizeof(T)); }
  template <class U>
  void construct(U *p) noexcept {
    ::new (static_cast<void *>(p)) U;
  }
  template <class U, class... A>
  void construct(U *p, A &&...a) {
    ::new (static_cast<void *>(p)) U(static_cast<A &&>(a)...);
  }
  template <class U>
  bool operator==(const ZeroedAllocator<U> &) const noexcept {
    return true;
  }
  template <class U>
  bool operator!=(const ZeroedAllocator<U> &) const noexcept {
    return false;
  }
};

}  // namespace tessaro

#endif

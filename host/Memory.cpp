#include "Memory.h"

#include <cstdlib>

namespace tessaro {

// calloc gives large blocks as fresh mappings, already zero, so zeroing
// costs nothing until a page is first touched.
void *SystemAlloc(size_t bytes) { return std::calloc(bytes ? bytes : 1, 1); }

void SystemFree(void *p, size_t bytes) {
  (void)bytes;
  std::free(p);
}

}  // namespace tessaro

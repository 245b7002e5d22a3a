// The memory table: the host's tracked blocks.
#include "Arguments.h"
#include "Edge.h"
#include "Tables.h"

namespace tessaro::abi {
namespace {

void *MemAlloc(int32_t size) {
  if (H().Fault(Op::GeAlloc) || size < 0) return nullptr;
  return H().Alloc(size);
}
void MemFree(void **block) {
  H().Fault(Op::GeFree);
  if (!block || !*block) return;
  if (!H().FreeBlock(*block)) H().Misuse("GeFree: not a live block");
  *block = nullptr;
}

const th_memory_table kMemory = {sizeof(th_memory_table), TESSARO_EDGE(MemAlloc), TESSARO_EDGE(MemFree)};

}  // namespace
}  // namespace tessaro::abi

const th_memory_table *tessaro::MemoryTable() { return &abi::kMemory; }

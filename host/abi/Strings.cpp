// The string table: the host's strings, 8-bit text.
#include <cstring>

#include "Arguments.h"
#include "Edge.h"
#include "Tables.h"

namespace tessaro::abi {
namespace {

th_string *StrAlloc(const char *text) {
  if (H().Fault(Op::StringAlloc)) return nullptr;
  auto *s = new th_string;
  if (text) s->s = text;
  return H().Track(s);
}
void StrFree(th_string **s) {
  H().Fault(Op::StringFree);
  if (!s || !*s) return;
  if (!H().Untrack(*s)) {
    H().Misuse("String Free: not a live string");
  } else {
    delete *s;
  }
  *s = nullptr;
}
th_bool StrCopyTo(const th_string *src, th_string *dst) {
  H().Fault(Op::StringCopy);
  if (!dst) return 0;
  dst->s = src ? src->s : std::string();
  return 1;
}
th_bool StrSet(th_string *s, const char *text) {
  H().Fault(Op::StringSet);
  if (!s) return 0;
  s->s = text ? text : "";
  return 1;
}
th_bool StrContent(const th_string *s) {
  H().Fault(Op::StringContent);
  return s && !s->s.empty();
}
th_bool StrEqual(const th_string *a, const th_string *b) {
  H().Fault(Op::StringEqual);
  const std::string empty;
  return (a ? a->s : empty) == (b ? b->s : empty);
}
int32_t StrGetCString(const th_string *s, char *buffer, int32_t size) {
  H().Fault(Op::StringGetCString);
  size_t n = s ? s->s.size() : 0;
  if (buffer && size > 0) {
    size_t k = n < static_cast<size_t>(size - 1) ? n : static_cast<size_t>(size - 1);
    if (k) std::memcpy(buffer, s->s.data(), k);
    buffer[k] = 0;
  }
  return static_cast<int32_t>(n);
}

const th_string_table kString = {
    sizeof(th_string_table), TESSARO_EDGE(StrAlloc), TESSARO_EDGE(StrFree), TESSARO_EDGE(StrCopyTo),
    TESSARO_EDGE(StrSet), TESSARO_EDGE(StrContent), TESSARO_EDGE(StrEqual), TESSARO_EDGE(StrGetCString)};

}  // namespace
}  // namespace tessaro::abi

const th_string_table *tessaro::StringTable() { return &abi::kString; }

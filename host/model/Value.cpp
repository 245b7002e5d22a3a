#include "Value.h"

#include <climits>
#include <cstring>

namespace tessaro {

bool Value::operator==(const Value &o) const {
  if (type != o.type) return false;
  switch (type) {
    case Long: return l == o.l;
    case Real: return std::memcmp(&r, &o.r, sizeof r) == 0;
    case Vector: return std::memcmp(&v, &o.v, sizeof v) == 0;
    case Text: return s == o.s;
    case Time: return t.numerator == o.t.numerator && t.denominator == o.t.denominator;
  }
  return false;
}

bool IsContainerKey(const std::string &key) {
  if (key.empty() || key.size() > 11) return false;
  size_t i = key[0] == '-' ? 1 : 0;
  if (i == key.size()) return false;
  for (; i < key.size(); ++i)
    if (key[i] < '0' || key[i] > '9') return false;
  long long v = std::stoll(key);
  return v >= INT32_MIN && v <= INT32_MAX && std::to_string(v) == key;
}

}  // namespace tessaro

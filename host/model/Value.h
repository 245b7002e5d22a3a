// A parameter's value and the container of values by ID.
#ifndef TESSARO_HOST_MODEL_VALUE_H
#define TESSARO_HOST_MODEL_VALUE_H

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "host_interface.h"

namespace tessaro {

struct Value {
  enum Type { Long, Real, Vector, Text, Time } type = Long;
  int32_t l = 0;
  float r = 0;
  th_vector v{0, 0, 0};
  std::string s;
  th_time t{0, 1};

  static Value OfLong(int32_t x) { Value v; v.type = Long; v.l = x; return v; }
  static Value OfReal(float x) { Value v; v.type = Real; v.r = x; return v; }
  static Value OfVector(th_vector x) { Value v; v.type = Vector; v.v = x; return v; }
  static Value OfText(std::string x) { Value v; v.type = Text; v.s = std::move(x); return v; }
  static Value OfTime(th_time x) { Value v; v.type = Time; v.t = x; return v; }
  // Reals and vectors compare by their bits, so that NaN equals itself.
  bool operator==(const Value &o) const;
};

using Container = std::map<int32_t, Value>;

// Whether a parameter key is a one-level ID ("1000", "-3"), written as
// the number writes itself: those keys make up an element's container.
bool IsContainerKey(const std::string &key);

}  // namespace tessaro

#endif

// What the glTF export's parts share: vectors in double precision, the
// reading of tags and parameters, and the warning they say once per kind.
#ifndef TESSARO_HOST_GLTF_SUPPORT_H
#define TESSARO_HOST_GLTF_SUPPORT_H

#include <cmath>
#include <cstddef>
#include <functional>
#include <string>

#include "Model.h"

namespace tessaro {
namespace gltf {

constexpr double kPi = 3.14159265358979323846;

struct V3 {
  double x = 0, y = 0, z = 0;
};
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline double Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline double Length(V3 a) { return std::sqrt(Dot(a, a)); }

inline bool Finite3(const th_vector &v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// A tag's entries as an array of T, or null when it holds fewer than it says.
template <class T>
const T *TagEntries(const Tag *t) {
  if (!t || t->entries <= 0 || t->payload.size() < sizeof(T) * static_cast<size_t>(t->entries)) return nullptr;
  return reinterpret_cast<const T *>(t->payload.data());
}

inline const Value *Param(const Element &e, const std::string &id) {
  auto it = e.params.find(id);
  return it == e.params.end() ? nullptr : &it->second;
}
inline double RealParam(const Element &e, const std::string &id, double preset) {
  const Value *v = Param(e, id);
  if (!v) return preset;
  if (v->type == Value::Real) return v->r;
  if (v->type == Value::Long) return v->l;
  return preset;
}
inline int32_t ParamLong(const Element &e, const std::string &id, int32_t preset) {
  const Value *v = Param(e, id);
  return v && v->type == Value::Long ? v->l : preset;
}

// Warn(before, name, after): said once per (before, after), naming the
// first element and counting the rest.
using Warn = std::function<void(const std::string &, const std::string &, const std::string &)>;

}  // namespace gltf
}  // namespace tessaro

#endif

// A polygon object's triangles as glTF wants them: vertices with one
// position, one normal and one UV each, in glTF's frame.
#ifndef TESSARO_HOST_GLTF_MESH_H
#define TESSARO_HOST_GLTF_MESH_H

#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "GltfSupport.h"

namespace tessaro {
namespace gltf {

// Leaves new elements uninitialised: the arrays are made at their size and
// then filled, and zeroing them first would touch every page twice.
template <class T>
struct Uninitialised : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = Uninitialised<U>;
  };
  Uninitialised() = default;
  template <class U>
  Uninitialised(const Uninitialised<U> &) noexcept {}
  template <class U>
  void construct(U *p) noexcept {
    ::new (static_cast<void *>(p)) U;
  }
  template <class U, class... A>
  void construct(U *p, A &&...a) {
    ::new (static_cast<void *>(p)) U(std::forward<A>(a)...);
  }
};
template <class T>
using Array = std::vector<T, Uninitialised<T>>;

struct Triangles {
  Array<float> positions, normals;  // 3 per vertex
  Array<float> uvs;  // 2 per vertex, when the object has UVs
  Array<uint32_t> indices;  // 3 per triangle
  bool hasUvs = false;
};

// False when the object has no points, no polygons or no polygon whose
// corners are numbers: it has no mesh then.
bool BuildTriangles(const Object &o, double scale, const Warn &warn, Triangles *out);

}  // namespace gltf
}  // namespace tessaro

#endif

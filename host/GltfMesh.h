// A polygon object's triangles as glTF wants them: vertices with one
// position, one normal and one UV each, in glTF's frame.
#ifndef TESSARO_HOST_GLTF_MESH_H
#define TESSARO_HOST_GLTF_MESH_H

#include <cstdint>
#include <vector>

#include "GltfSupport.h"
#include "Memory.h"

namespace tessaro {
namespace gltf {

// The arrays are made at their sizes and then filled: fresh storage comes
// zeroed without a clearing pass, and large blocks on huge pages.
template <class T>
using Array = std::vector<T, ZeroedAllocator<T>>;

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

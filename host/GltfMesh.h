// A polygon object's triangles as glTF wants them: vertices with one
// position, one normal and one UV each, in glTF's frame.
#ifndef TESSARO_HOST_GLTF_MESH_H
#define TESSARO_HOST_GLTF_MESH_H

#include <cstdint>
#include <vector>

#include "GltfSupport.h"

namespace tessaro {
namespace gltf {

struct Triangles {
  std::vector<float> positions, normals;  // 3 per vertex
  std::vector<float> uvs;  // 2 per vertex, when the object has UVs
  std::vector<uint32_t> indices;  // 3 per triangle
  bool hasUvs = false;
};

// False when the object has no points, no polygons or no polygon whose
// corners are numbers: it has no mesh then.
bool BuildTriangles(const Object &o, double scale, const Warn &warn, Triangles *out);

}  // namespace gltf
}  // namespace tessaro

#endif

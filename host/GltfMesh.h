// A polygon object's triangles as glTF wants them: vertices with one
// position, one normal and one UV each, in glTF's frame.
#ifndef TESSARO_HOST_GLTF_MESH_H
#define TESSARO_HOST_GLTF_MESH_H

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "GltfBinary.h"
#include "GltfSupport.h"
#include "Memory.h"

namespace tessaro {
namespace gltf {

// The arrays are made at their sizes and then filled: fresh storage comes
// zeroed without a clearing pass, and large blocks on huge pages.
template <class T>
using Array = std::vector<T, ZeroedAllocator<T>>;

// A mesh without smoothing shares no vertex between faces, so its arrays
// follow from the document's tags face by face: they are counted when the
// mesh is built and written only when the export is, straight from the
// tags, and the export never holds them.
class FlatArrays {
 public:
  virtual ~FlatArrays() = default;
  virtual size_t VertexCount() const = 0;
  virtual size_t IndexCount() const = 0;
  // Each position the vertices take, once (the points their faces use).
  virtual void EachPosition(const std::function<void(const float *)> &visit) const = 0;
  // The arrays' bytes, in order: 3 floats per vertex, 2 floats per vertex,
  // 3 indices per triangle.
  virtual bool WritePositions(const Put &put) const = 0;
  virtual bool WriteNormals(const Put &put) const = 0;
  virtual bool WriteUvs(const Put &put) const = 0;
  virtual bool WriteIndices(const Put &put) const = 0;
};

struct Triangles {
  Array<float> positions, normals;  // 3 per vertex
  Array<float> uvs;  // 2 per vertex, when the object has UVs
  Array<uint32_t> indices;  // 3 per triangle
  bool hasUvs = false;
  // Set instead of the arrays for a mesh without smoothing; it reads the
  // object's tags, so the document must outlive it.
  std::shared_ptr<const FlatArrays> flat;
};

// False when the object has no points, no polygons or no polygon whose
// corners are numbers: it has no mesh then.
bool BuildTriangles(const Object &o, double scale, const Warn &warn, Triangles *out);

}  // namespace gltf
}  // namespace tessaro

#endif

// The GLB container as tinygltf lays it out: a header, the JSON chunk padded
// with spaces, the binary chunk padded with zeros, written here so that the
// binary chunk comes straight from the export's buffer pieces.
#ifndef TESSARO_HOST_GLB_H
#define TESSARO_HOST_GLB_H

#include <cstdint>
#include <cstdio>
#include <string>

#include <tiny_gltf.h>

#include "GltfBinary.h"

namespace tessaro {
namespace gltf {

// The JSON chunk of the model's GLB, whose buffer holds `bytes`: tinygltf
// writes the GLB of the model with its buffer empty, and the buffer's
// length is set in the JSON it wrote. False when tinygltf cannot.
bool GlbJson(const tinygltf::Model &model, size_t bytes, std::string *json);

// The GLB's length: its header, the JSON chunk and the binary one (when
// the buffer holds anything), each chunk padded to 4 bytes.
uint64_t GlbSize(const std::string &json, const BinaryPieces &binary);

// Writes the GLB: false when the stream takes less or a piece fails.
bool WriteGlb(std::FILE *f, const std::string &json, const BinaryPieces &binary);

}  // namespace gltf
}  // namespace tessaro

#endif

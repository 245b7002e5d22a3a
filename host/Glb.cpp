#include "Glb.h"

#include <cstring>
#include <sstream>

namespace tessaro {
namespace gltf {

namespace {

void PutLittle32(uint32_t v, unsigned char *out) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(v >> (8 * i));
}

size_t Padded4(size_t n) { return (n + 3) & ~size_t(3); }

}  // namespace

bool GlbJson(const tinygltf::Model &model, size_t bytes, std::string *json) {
  std::ostringstream glb;
  tinygltf::TinyGLTF gltf;
  if (!gltf.WriteGltfSceneToStream(&model, glb, false, true)) return false;
  const std::string whole = glb.str();
  if (whole.size() < 20) return false;
  uint32_t length = 0;
  for (int i = 0; i < 4; ++i) length |= uint32_t(static_cast<unsigned char>(whole[12 + i])) << (8 * i);
  if (whole.size() < 20 + size_t(length)) return false;
  *json = whole.substr(20, length);
  // The chunk's padding: JSON ends in a bracket, never in a space.
  json->erase(json->find_last_not_of(' ') + 1);
  if (model.buffers.empty()) return true;
  const std::string empty = "\"buffers\":[{\"byteLength\":0}]";
  const size_t at = json->find(empty);
  if (at == std::string::npos || json->find(empty, at + 1) != std::string::npos) return false;
  json->replace(at, empty.size(), "\"buffers\":[{\"byteLength\":" + std::to_string(bytes) + "}]");
  return true;
}

uint64_t GlbSize(const std::string &json, const BinaryPieces &binary) {
  return 12 + 8 + uint64_t(Padded4(json.size())) + (binary.Empty() ? 0 : 8 + uint64_t(Padded4(binary.Size())));
}

bool WriteGlb(std::FILE *f, const std::string &json, const BinaryPieces &binary) {
  unsigned char head[20];
  std::memcpy(head, "glTF", 4);
  PutLittle32(2, head + 4);
  PutLittle32(static_cast<uint32_t>(GlbSize(json, binary)), head + 8);
  PutLittle32(static_cast<uint32_t>(Padded4(json.size())), head + 12);
  PutLittle32(0x4E4F534A, head + 16);  // "JSON"
  if (std::fwrite(head, 1, 20, f) != 20 || std::fwrite(json.data(), 1, json.size(), f) != json.size()) return false;
  for (size_t i = json.size(); i < Padded4(json.size()); ++i)
    if (std::fputc(' ', f) == EOF) return false;
  if (binary.Empty()) return true;
  PutLittle32(static_cast<uint32_t>(Padded4(binary.Size())), head);
  PutLittle32(0x004E4942, head + 4);  // "BIN"
  return std::fwrite(head, 1, 8, f) == 8 && binary.Write(f, Padded4(binary.Size()));
}

}  // namespace gltf
}  // namespace tessaro

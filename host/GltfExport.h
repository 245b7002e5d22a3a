// The active document as glTF 2.0: `tessaro import … --out scene.gltf`
// (or .glb).
#ifndef TESSARO_HOST_GLTF_EXPORT_H
#define TESSARO_HOST_GLTF_EXPORT_H

#include <string>
#include <vector>

#include "Model.h"

namespace tessaro {

// The extension of the path's last name, dot included, in lower case ("" for
// none); a name that is only an extension (".glb") has it too.
std::string Extension(const std::string &path);

// True when the path names a glTF file (.gltf, or .glb for the binary form,
// in any case).
bool IsGltfPath(const std::string &path);

// The unit scales the export takes: from nanometres to a million
// kilometres per unit, which keeps a float's range for the points.
constexpr double kMinUnitScale = 1e-9, kMaxUnitScale = 1e9;

// How a document becomes glTF.
struct GltfOptions {
  // Metres per document unit: the host works in centimetres.
  double unitScale = 0.01;
  // Folders searched for texture files, in order (the imported file's
  // folder and its "tex" folder, then the user's).
  std::vector<std::string> textureFolders;
  // Where a texture file may lie once its links are followed (the
  // imported file's folder and the user's folders); empty: the folders.
  std::vector<std::string> textureRoots;
  // A .gltf carries its images inside as data URIs rather than beside it.
  bool embedTextures = false;
};

// Writes the document through WriteOutput (Output.h), so a failure leaves
// any earlier file as it was. What the export leaves out or changes (a
// texture not found, a value that is not a number) is said in warnings.
bool WriteGltfFile(const Document &doc, const std::string &path, std::string *error,
                   std::vector<std::string> *warnings = nullptr, const GltfOptions &options = {});

// The host's rotation (heading, pitch, bank) as a glTF quaternion x, y, z, w.
void GltfRotation(const th_vector &hpb, double q[4]);

}  // namespace tessaro

#endif

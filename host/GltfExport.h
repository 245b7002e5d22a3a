// The active document as glTF 2.0: `tessaro import … --out scene.gltf`
// (or .glb).
#ifndef TESSARO_HOST_GLTF_EXPORT_H
#define TESSARO_HOST_GLTF_EXPORT_H

#include <string>
#include <vector>

#include "Model.h"

namespace tessaro {

// True when the path names a glTF file (.gltf, or .glb for the binary form,
// in any case).
bool IsGltfPath(const std::string &path);

// Writes the document through WriteOutput (Output.h), so a failure leaves
// any earlier file as it was. What the export leaves out (a texture whose
// name would lead outside the export's folder) is said in warnings.
bool WriteGltfFile(const Document &doc, const std::string &path, std::string *error,
                   std::vector<std::string> *warnings = nullptr);

// The host's rotation (heading, pitch, bank) as a glTF quaternion x, y, z, w.
void GltfRotation(const th_vector &hpb, double q[4]);

}  // namespace tessaro

#endif

// The host's animation tracks as glTF samplers.
#ifndef TESSARO_HOST_GLTF_ANIMATION_H
#define TESSARO_HOST_GLTF_ANIMATION_H

#include <cstdint>
#include <vector>

#include "GltfSupport.h"

namespace tessaro {
namespace gltf {

// The host's tracks of position and rotation, each of three components.
constexpr int32_t kPositionTrack = 903, kRotationTrack = 904;

// The object's position or rotation track as key times in seconds (input)
// and translations or quaternions in glTF's frame (output), sampled at
// every key time of any component. False when nothing is left to animate.
bool SampleTrack(const Object &o, int32_t track, double scale, const Warn &warn, std::vector<float> *input,
                 std::vector<float> *output);

}  // namespace gltf
}  // namespace tessaro

#endif

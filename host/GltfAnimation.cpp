// Animation in glTF: the host's position and rotation tracks sampled
// into linear channels, and its rotations as quaternions.
#include "GltfAnimation.h"

#include <algorithm>

#include "GltfExport.h"
#include "Trig.h"

namespace tessaro {
namespace gltf {

namespace {

struct Quat {
  double x = 0, y = 0, z = 0, w = 1;
};

Quat Mul(const Quat &a, const Quat &b) {
  return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
          a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

Quat About(int axis, double angle) {
  Quat q;
  double s = trig::Sin(angle / 2);
  (axis == 0 ? q.x : axis == 1 ? q.y : q.z) = s;
  q.w = trig::Cos(angle / 2);
  return q;
}

double Seconds(const th_time &t) { return t.denominator != 0 ? double(t.numerator) / double(t.denominator) : NAN; }

// Keys of one component track: (seconds, value), in time order.
using Curve = std::vector<std::pair<double, double>>;

Curve CurveOf(const Object &o, int32_t track, int32_t component) {
  Curve c;
  for (const Element *t = o.tracks.first; t; t = t->next) {
    const auto &tr = static_cast<const Track &>(*t);
    if (tr.id.count != 2 || tr.id.id[0] != track || tr.id.id[1] != component) continue;
    for (const Element *s = tr.sequences.first; s; s = s->next)
      for (const Element *k = static_cast<const Sequence &>(*s).keys.first; k; k = k->next) {
        const auto &key = static_cast<const AnimationKey &>(*k);
        double time = Seconds(key.time);
        // glTF times start at 0 and are finite floats.
        if (std::isfinite(float(time)) && time >= 0 && std::isfinite(key.data[0])) c.emplace_back(time, key.data[0]);
      }
  }
  std::stable_sort(c.begin(), c.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
  return c;
}

double At(const Curve &c, double time, double preset) {
  if (c.empty()) return preset;
  if (time <= c.front().first) return c.front().second;
  if (time >= c.back().first) return c.back().second;
  auto hi = std::lower_bound(c.begin(), c.end(), time, [](const auto &k, double t) { return k.first < t; });
  auto lo = hi - 1;
  if (hi->first == lo->first) return hi->second;
  return lo->second + (hi->second - lo->second) * (time - lo->first) / (hi->first - lo->first);
}

}  // namespace

// Each of the track's three component tracks is sampled linearly at every
// key time of any component.
bool SampleTrack(const Object &o, int32_t track, double scale, const Warn &warn, std::vector<float> *input,
                 std::vector<float> *output) {
  Curve c[3] = {CurveOf(o, track, 1000), CurveOf(o, track, 1001), CurveOf(o, track, 1002)};
  std::vector<double> times;
  for (const Curve &k : c)
    for (const auto &key : k) times.push_back(key.first);
  std::sort(times.begin(), times.end());
  times.erase(std::unique(times.begin(), times.end()), times.end());
  if (times.empty()) return false;
  const bool position = track == kPositionTrack;
  th_vector still = position ? o.pos : o.rot;
  // A still value that is not a number was left out of the node; the
  // track's own keys still move it.
  if (!Finite3(still)) still = {0, 0, 0};
  for (double t : times) {
    th_vector v{float(At(c[0], t, still.x)), float(At(c[1], t, still.y)), float(At(c[2], t, still.z))};
    float out[4];
    if (position) {
      out[0] = float(v.x * scale), out[1] = float(v.y * scale), out[2] = float(-double(v.z) * scale);
    } else {
      double q[4];
      GltfRotation(v, q);
      for (int i = 0; i < 4; ++i) out[i] = float(q[i]);
    }
    if (!std::all_of(out, out + (position ? 3 : 4), [](float x) { return std::isfinite(x); })) continue;
    // Times closer than a float tells apart become one: the first.
    if (!input->empty() && !(input->back() < static_cast<float>(t))) {
      warn("keys of ", o.name, " lie closer in time than glTF's times tell apart: the later ones are left out");
      continue;
    }
    input->push_back(static_cast<float>(t));
    output->insert(output->end(), out, out + (position ? 3 : 4));
  }
  return !input->empty();
}

}  // namespace gltf

void GltfRotation(const th_vector &hpb, double q[4]) {
  using gltf::About;
  gltf::Quat r = gltf::Mul(gltf::Mul(About(1, double(hpb.x)), About(0, double(hpb.y))), About(2, -double(hpb.z)));
  // Unit length to the last bit that matters, whatever the angles.
  double n = std::sqrt(r.x * r.x + r.y * r.y + r.z * r.z + r.w * r.w);
  if (n > 0 && std::isfinite(n)) r.x /= n, r.y /= n, r.z /= n, r.w /= n;
  q[0] = r.x, q[1] = r.y, q[2] = r.z, q[3] = r.w;
}

}  // namespace tessaro

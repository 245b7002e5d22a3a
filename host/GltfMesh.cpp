// Polygon objects become meshes of triangles: a quadrangle (a, b, c, d)
// gives (a, c, b) and (a, d, c), a triangle (d = c) gives (a, c, b). The
// host's front faces run clockwise seen from the front; the mirror keeps
// that sense, and glTF's front faces run counter-clockwise, so the
// corners are walked backwards.
// Normals follow the phong tag: corners meet in one normal across every
// edge whose faces differ by no more than its angle (all edges when the
// angle is not limited) and split at sharper ones; without a phong tag
// every face is flat. A vertex is a point with one normal and one UV.
#include "GltfMesh.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "Trig.h"

namespace tessaro {
namespace gltf {

namespace {

// Joins the corners of two faces across each edge they share, the edge
// running opposite ways in them (so both face the same side) and their
// normals differing by no more than the limit. Edges are found by
// sorting, so the cost stays n log n however many faces meet at a point.
void Smooth(const std::vector<uint32_t> &faces, const std::vector<V3> &normals, const int32_t (*polygons)[4],
            double limit, std::vector<uint32_t> *group) {
  struct Edge {
    uint32_t lo, hi;  // the points, in order
    uint32_t atLo, atHi;  // the corners there
    bool forward;  // the face runs from lo to hi
  };
  std::vector<Edge> edges;
  group->resize(4 * faces.size());
  for (uint32_t c = 0; c < group->size(); ++c) (*group)[c] = c;
  for (uint32_t f = 0; f < faces.size(); ++f) {
    const int32_t *p = polygons[faces[f]];
    int n = p[2] == p[3] ? 3 : 4;
    for (int k = 0; k < n; ++k) {
      auto a = static_cast<uint32_t>(p[k]), b = static_cast<uint32_t>(p[(k + 1) % n]);
      uint32_t ca = 4 * f + static_cast<uint32_t>(k), cb = 4 * f + static_cast<uint32_t>((k + 1) % n);
      if (a < b) edges.push_back({a, b, ca, cb, true});
      else if (b < a) edges.push_back({b, a, cb, ca, false});
    }
  }
  std::sort(edges.begin(), edges.end(),
            [](const Edge &x, const Edge &y) { return x.lo != y.lo ? x.lo < y.lo : x.hi < y.hi; });
  auto find = [&](uint32_t c) {
    while ((*group)[c] != c) c = (*group)[c] = (*group)[(*group)[c]];
    return c;
  };
  auto join = [&](uint32_t a, uint32_t b) {
    a = find(a), b = find(b);
    if (a != b) (*group)[std::max(a, b)] = std::min(a, b);
  };
  for (size_t i = 0; i < edges.size();) {
    size_t j = i;
    while (j < edges.size() && edges[j].lo == edges[i].lo && edges[j].hi == edges[i].hi) ++j;
    // Only an edge of exactly two faces is smooth: three or more meet at a
    // crease of their own.
    if (j - i == 2 && edges[i].forward != edges[i + 1].forward) {
      const V3 &n1 = normals[edges[i].atLo / 4], &n2 = normals[edges[i + 1].atLo / 4];
      double l1 = Length(n1), l2 = Length(n2);
      // Faces back to back (a sheet's two sides) never share a normal.
      double dot = Dot(n1, n2);
      if (l1 > 0 && l2 > 0 && dot >= limit * l1 * l2 && dot > -0.9999 * l1 * l2) {
        join(edges[i].atLo, edges[i + 1].atLo);
        join(edges[i].atHi, edges[i + 1].atHi);
      }
    }
    i = j;
  }
}

class MeshBuilder {
 public:
  MeshBuilder(const Object &o, double scale, const Warn &warn, Triangles *out)
      : o_(o), scale_(scale), warn_(warn), out_(*out) {}

  bool Build() {
    const Tag *pointTag = FindTag(o_, Tpoint), *polygonTag = FindTag(o_, Tpolygon), *uvwTag = FindTag(o_, Tuvw);
    const auto *points = TagEntries<th_vector>(pointTag);
    polygons_ = TagEntries<int32_t[4]>(polygonTag);
    if (!points || !polygons_) return false;
    uvw_ = TagEntries<th_vector[4]>(uvwTag);
    if (uvw_ && uvwTag->entries < polygonTag->entries) uvw_ = nullptr;
    out_.hasUvs = uvw_ != nullptr;
    if (!Faces(points, static_cast<uint32_t>(pointTag->entries), static_cast<uint32_t>(polygonTag->entries)))
      return false;
    Groups();
    first_.assign(4 * faces_.size(), UINT32_MAX);
    for (uint32_t f = 0; f < faces_.size(); ++f) {
      const int32_t *p = polygons_[faces_[f]];
      const int corners[2][3] = {{0, 2, 1}, {0, 3, 2}};
      for (int t = 0; t < (p[2] == p[3] ? 1 : 2); ++t)
        for (int k : corners[t]) out_.indices.push_back(Vertex(f, k));
    }
    if (badUv_) warn_("UV coordinates of ", o_.name, " are not numbers: set to 0");
    return true;
  }

 private:
  // Faces: the polygons whose corners are points that are numbers, each
  // with its normal, the length of its area (Newell's method).
  bool Faces(const th_vector *points, uint32_t pointCount, uint32_t polygonCount) {
    at_.resize(pointCount);
    std::vector<bool> finite(pointCount);
    for (uint32_t i = 0; i < pointCount; ++i) {
      at_[i] = {points[i].x * scale_, points[i].y * scale_, -double(points[i].z) * scale_};
      finite[i] = std::isfinite(float(at_[i].x)) && std::isfinite(float(at_[i].y)) && std::isfinite(float(at_[i].z));
    }
    size_t notNumbers = 0;
    for (uint32_t i = 0; i < polygonCount; ++i) {
      const int32_t *p = polygons_[i];
      bool valid = true, numbers = true;
      for (int k = 0; k < 4; ++k) {
        valid = valid && static_cast<uint32_t>(p[k]) < pointCount;  // a document read from a file may hold anything
        numbers = numbers && valid && finite[static_cast<uint32_t>(p[k])];
      }
      if (!valid) continue;
      if (!numbers) {
        ++notNumbers;
        continue;
      }
      int n = p[2] == p[3] ? 3 : 4;
      V3 normal;  // walked backwards, as the triangles are
      for (int k = 0; k < n; ++k) {
        V3 a = at_[static_cast<uint32_t>(p[(k + 1) % n])], b = at_[static_cast<uint32_t>(p[k])];
        normal = normal + V3{(a.y - b.y) * (a.z + b.z), (a.z - b.z) * (a.x + b.x), (a.x - b.x) * (a.y + b.y)};
      }
      faces_.push_back(i);
      normals_.push_back(normal);
    }
    if (notNumbers)
      warn_("polygons of ", o_.name, " have points that are not numbers (or too large in metres): those polygons are left out");
    return !faces_.empty();
  }

  // Corners are numbered 4 f + k for face f; a smooth group of corners is
  // a set of the union-find, named by its root.
  void Groups() {
    const Tag *phong = FindTag(o_, Tphong);
    smooth_ = phong != nullptr;
    double limit = -1;  // the cosine of the largest angle smoothed over
    if (phong && ParamLong(*phong, "1001", 0)) {
      double angle = RealParam(*phong, "1002", 0);
      if (angle >= 0) limit = trig::Cos(std::min(angle, kPi));
      else smooth_ = false;
    }
    if (!smooth_) return;
    Smooth(faces_, normals_, polygons_, limit, &group_);
    sums_.resize(group_.size());
    for (uint32_t f = 0; f < faces_.size(); ++f)
      for (uint32_t k = 0; k < (polygons_[faces_[f]][2] == polygons_[faces_[f]][3] ? 3u : 4u); ++k)
        sums_[Root(4 * f + k)] = sums_[Root(4 * f + k)] + normals_[f];
  }

  uint32_t Root(uint32_t c) {
    if (!smooth_) return c;
    while (group_[c] != c) c = group_[c] = group_[group_[c]];
    return c;
  }

  // The vertex of face f's corner k: the first one made for its smooth
  // group, unless the UVs differ there.
  uint32_t Vertex(uint32_t f, int k) {
    const auto point = static_cast<uint32_t>(polygons_[faces_[f]][k]);
    uint32_t r = Root(4 * f + static_cast<uint32_t>(k));
    float u = 0, v = 0;
    if (uvw_) {
      const th_vector &t = uvw_[faces_[f]][k];
      if (std::isfinite(t.x) && std::isfinite(t.y)) u = t.x, v = t.y;
      else ++badUv_;
    }
    std::vector<float> &uvs = out_.uvs;
    uint32_t &slot = first_[r];
    if (slot != UINT32_MAX) {
      if (!uvw_ || (uvs[2 * slot] == u && uvs[2 * slot + 1] == v)) return slot;
      auto it = split_.find({r, u, v});
      if (it != split_.end()) return it->second;
    }
    auto index = static_cast<uint32_t>(out_.positions.size() / 3);
    out_.positions.insert(out_.positions.end(), {float(at_[point].x), float(at_[point].y), float(at_[point].z)});
    if (uvw_) uvs.insert(uvs.end(), {u, v});
    V3 n = smooth_ ? sums_[r] : normals_[f];
    double length = Length(n);
    if (!(length > 0) || !std::isfinite(length)) n = normals_[f], length = Length(n);
    if (!(length > 0) || !std::isfinite(length)) n = {0, 1, 0}, length = 1;  // a face without area
    out_.normals.insert(out_.normals.end(), {float(n.x / length), float(n.y / length), float(n.z / length)});
    if (slot == UINT32_MAX) slot = index;
    else split_.emplace(std::make_tuple(r, u, v), index);
    return index;
  }

  const Object &o_;
  double scale_;
  const Warn &warn_;
  Triangles &out_;
  const int32_t (*polygons_)[4] = nullptr;
  const th_vector (*uvw_)[4] = nullptr;
  std::vector<V3> at_;  // the points in glTF's frame
  std::vector<uint32_t> faces_;  // the polygons that become triangles
  std::vector<V3> normals_;  // per face
  bool smooth_ = false;
  std::vector<uint32_t> group_;  // per corner: the union-find's parent
  std::vector<V3> sums_;  // per group root: its faces' normals summed
  std::vector<uint32_t> first_;  // per group root: its first vertex
  std::map<std::tuple<uint32_t, float, float>, uint32_t> split_;  // further vertices of a group, by UV
  size_t badUv_ = 0;
};

}  // namespace

bool BuildTriangles(const Object &o, double scale, const Warn &warn, Triangles *out) {
  return MeshBuilder(o, scale, warn, out).Build();
}

}  // namespace gltf
}  // namespace tessaro

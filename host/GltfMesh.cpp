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
// normals (normal(f), for face f) differing by no more than the limit.
// Edges are bucketed by their lower point and sorted within the bucket, so
// the cost stays near linear however many faces meet at a point, at 8
// bytes an edge. A set's root is its lowest corner.
template <class NormalOf>
void Smooth(const std::vector<uint32_t> &faces, uint32_t pointCount, const NormalOf &normal,
            const int32_t (*polygons)[4], double limit, std::vector<uint32_t> *group) {
  // An edge in a bucket: its higher point, and the corner it leaves in its
  // face's order.
  struct Edge {
    uint32_t hi, from;
  };
  auto sides = [&](uint32_t f) { return polygons[faces[f]][2] == polygons[faces[f]][3] ? 3u : 4u; };
  auto point = [&](uint32_t corner) { return static_cast<uint32_t>(polygons[faces[corner / 4]][corner % 4]); };
  // The corner after `corner` in its face's order.
  auto next = [&](uint32_t corner) { return corner % 4 + 1 == sides(corner / 4) ? corner - corner % 4 : corner + 1; };
  group->resize(4 * faces.size());
  for (uint32_t c = 0; c < group->size(); ++c) (*group)[c] = c;
  std::vector<uint32_t> start(size_t(pointCount) + 1, 0);
  for (uint32_t f = 0; f < faces.size(); ++f)
    for (uint32_t c = 4 * f; c < 4 * f + sides(f); ++c) {
      uint32_t a = point(c), b = point(next(c));
      if (a != b) ++start[std::min(a, b) + 1];
    }
  for (uint32_t i = 0; i < pointCount; ++i) start[i + 1] += start[i];
  std::vector<Edge> edges(start[pointCount]);
  {
    std::vector<uint32_t> fill(start.begin(), start.end() - 1);
    for (uint32_t f = 0; f < faces.size(); ++f)
      for (uint32_t c = 4 * f; c < 4 * f + sides(f); ++c) {
        uint32_t a = point(c), b = point(next(c));
        if (a != b) edges[fill[std::min(a, b)]++] = {std::max(a, b), c};
      }
  }
  auto find = [&](uint32_t c) {
    while ((*group)[c] != c) c = (*group)[c] = (*group)[(*group)[c]];
    return c;
  };
  auto join = [&](uint32_t a, uint32_t b) {
    a = find(a), b = find(b);
    if (a != b) (*group)[std::max(a, b)] = std::min(a, b);
  };
  for (uint32_t lo = 0; lo < pointCount; ++lo) {
    Edge *first = edges.data() + start[lo], *last = edges.data() + start[lo + 1];
    std::sort(first, last, [](const Edge &x, const Edge &y) { return x.hi != y.hi ? x.hi < y.hi : x.from < y.from; });
    for (Edge *i = first; i != last;) {
      Edge *j = i;
      while (j != last && j->hi == i->hi) ++j;
      // Only an edge of exactly two faces is smooth: three or more meet at
      // a crease of their own. Its two faces must run it opposite ways.
      const bool forward0 = point(i->from) == lo, forward1 = j - i == 2 && point(i[1].from) == lo;
      if (j - i == 2 && forward0 != forward1) {
        const V3 n1 = normal(i[0].from / 4), n2 = normal(i[1].from / 4);
        double l1 = Length(n1), l2 = Length(n2);
        // Faces back to back (a sheet's two sides) never share a normal.
        double dot = Dot(n1, n2);
        if (l1 > 0 && l2 > 0 && dot >= limit * l1 * l2 && dot > -0.9999 * l1 * l2) {
          // Each face's corners at the lower and at the higher point.
          const uint32_t lo0 = forward0 ? i[0].from : next(i[0].from), hi0 = forward0 ? next(i[0].from) : i[0].from;
          const uint32_t lo1 = forward1 ? i[1].from : next(i[1].from), hi1 = forward1 ? next(i[1].from) : i[1].from;
          join(lo0, lo1);
          join(hi0, hi1);
        }
      }
      i = j;
    }
  }
}

// Builds the arrays at their final sizes and keeps no copy of the points or
// of per-face normals, so that what a large mesh costs beyond its output is
// a few integers per face.
class MeshBuilder : public FlatArrays {
 public:
  MeshBuilder(const Object &o, double scale) : o_(o), scale_(scale) {}

  // Builds a smooth mesh's arrays, or counts a flat one's (out->flat is
  // set then, by the caller, to this builder).
  bool Build(const Warn &warn, Triangles *out) {
    out_ = out;
    const Tag *pointTag = FindTag(o_, Tpoint), *polygonTag = FindTag(o_, Tpolygon), *uvwTag = FindTag(o_, Tuvw);
    points_ = TagEntries<th_vector>(pointTag);
    polygons_ = TagEntries<int32_t[4]>(polygonTag);
    if (!points_ || !polygons_) return false;
    uvw_ = TagEntries<th_vector[4]>(uvwTag);
    if (uvw_ && uvwTag->entries < polygonTag->entries) uvw_ = nullptr;
    out_->hasUvs = uvw_ != nullptr;
    const double limit = SmoothingLimit();
    polygonCount_ = static_cast<uint32_t>(polygonTag->entries);
    if (!Faces(static_cast<uint32_t>(pointTag->entries), polygonCount_, warn)) return false;
    if (smooth_) {
      Groups(limit);
      out_->indices.resize(3 * triangles_);
      SharedVertices();
    } else {
      CountBadUvs();
    }
    out_ = nullptr;
    if (badUv_) warn("UV coordinates of ", o_.name, " are not numbers: set to 0");
    return true;
  }
  bool IsSmooth() const { return smooth_; }

  size_t VertexCount() const override { return corners_; }
  size_t IndexCount() const override { return 3 * triangles_; }
  void EachPosition(const std::function<void(const float *)> &visit) const override {
    for (uint32_t i = 0; i < used_.size(); ++i) {
      if (!used_[i]) continue;
      const V3 at = At(i);
      const float p[3] = {float(at.x), float(at.y), float(at.z)};
      visit(p);
    }
  }
  bool WritePositions(const Put &put) const override {
    Stage<float> stage(put);
    EachFlatCorner([&](uint32_t f, int k) {
      const V3 at = At(static_cast<uint32_t>(polygons_[f][k]));
      stage.Add({float(at.x), float(at.y), float(at.z)});
    });
    return stage.Finish();
  }
  bool WriteNormals(const Put &put) const override {
    Stage<float> stage(put);
    uint32_t face = UINT32_MAX;
    float normal[3] = {0, 0, 0};
    EachFlatCorner([&](uint32_t f, int) {
      if (f != face) face = f, Normal(f, FaceNormal(f), normal);
      stage.Add({normal[0], normal[1], normal[2]});
    });
    return stage.Finish();
  }
  bool WriteUvs(const Put &put) const override {
    if (!uvw_) return true;
    Stage<float> stage(put);
    EachFlatCorner([&](uint32_t f, int k) {
      float u = 0, v = 0;
      Uv(f, k, &u, &v);
      stage.Add({u, v});
    });
    return stage.Finish();
  }
  bool WriteIndices(const Put &put) const override {
    Stage<uint32_t> stage(put);
    uint32_t base = 0;
    for (uint32_t f = 0; f < polygonCount_; ++f) {
      if (!Face(f)) continue;
      // The corners in the order (0, 2, 1, 3) are vertices base, base + 1, …
      stage.Add({base, base + 1, base + 2});
      if (polygons_[f][2] == polygons_[f][3]) {
        base += 3;
      } else {
        stage.Add({base, base + 3, base + 1});
        base += 4;
      }
    }
    return stage.Finish();
  }

 private:
  // Point i in glTF's frame.
  V3 At(uint32_t i) const { return {points_[i].x * scale_, points_[i].y * scale_, -double(points_[i].z) * scale_}; }

  // Runs of values gathered and handed on a few thousand at a time.
  template <class T>
  class Stage {
   public:
    explicit Stage(const Put &put) : put_(put) {}
    void Add(std::initializer_list<T> values) {
      for (T v : values) {
        run_[n_++] = v;
        if (n_ == kRun) Flush();
      }
    }
    bool Finish() {
      Flush();
      return ok_;
    }

   private:
    static constexpr size_t kRun = 4096;
    void Flush() {
      ok_ = ok_ && (n_ == 0 || put_(run_, n_ * sizeof(T)));
      n_ = 0;
    }
    const Put &put_;
    T run_[kRun];
    size_t n_ = 0;
    bool ok_ = true;
  };

  // Visits a flat mesh's vertices in order: each face's corners in the
  // order its triangles (0, 2, 1) and (0, 3, 2) first meet them.
  template <class Visit>
  void EachFlatCorner(const Visit &visit) const {
    static const int kOrder[4] = {0, 2, 1, 3};
    for (uint32_t f = 0; f < polygonCount_; ++f) {
      if (!Face(f)) continue;
      for (int i = 0; i < (polygons_[f][2] == polygons_[f][3] ? 3 : 4); ++i) visit(f, kOrder[i]);
    }
  }

  // Polygon i's normal, the length of its area (Newell's method), walked
  // backwards as the triangles are.
  V3 FaceNormal(uint32_t i) const {
    const int32_t *p = polygons_[i];
    int n = p[2] == p[3] ? 3 : 4;
    V3 normal;
    for (int k = 0; k < n; ++k) {
      V3 a = At(static_cast<uint32_t>(p[(k + 1) % n])), b = At(static_cast<uint32_t>(p[k]));
      normal = normal + V3{(a.y - b.y) * (a.z + b.z), (a.z - b.z) * (a.x + b.x), (a.x - b.x) * (a.y + b.y)};
    }
    return normal;
  }

  // Whether the phong tag smooths the mesh, and the cosine of the largest
  // angle it smooths over.
  double SmoothingLimit() {
    const Tag *phong = FindTag(o_, Tphong);
    smooth_ = phong != nullptr;
    double limit = -1;
    if (phong && ParamLong(*phong, "1001", 0)) {
      double angle = RealParam(*phong, "1002", 0);
      if (angle >= 0) limit = trig::Cos(std::min(angle, kPi));
      else smooth_ = false;
    }
    return limit;
  }

  // Faces: the polygons whose corners are points that are numbers.
  bool Face(uint32_t i) const {
    const int32_t *p = polygons_[i];
    for (int k = 0; k < 4; ++k)
      if (static_cast<uint32_t>(p[k]) >= finite_.size() || !finite_[static_cast<uint32_t>(p[k])]) return false;
    return true;
  }

  // Counts the faces, their corners and triangles, and lists them when the
  // mesh is smooth (its corners are numbered by face).
  bool Faces(uint32_t pointCount, uint32_t polygonCount, const Warn &warn) {
    finite_.resize(pointCount);
    if (!smooth_) used_.resize(pointCount);
    for (uint32_t i = 0; i < pointCount; ++i) {
      V3 a = At(i);
      finite_[i] = std::isfinite(float(a.x)) && std::isfinite(float(a.y)) && std::isfinite(float(a.z));
    }
    size_t notNumbers = 0;
    for (uint32_t i = 0; i < polygonCount; ++i) {
      const int32_t *p = polygons_[i];
      bool valid = true;
      for (int k = 0; k < 4; ++k) valid = valid && static_cast<uint32_t>(p[k]) < pointCount;  // a document read from a file may hold anything
      if (!valid) continue;
      if (!Face(i)) {
        ++notNumbers;
        continue;
      }
      ++faceCount_;
      if (!smooth_)
        for (int k = 0; k < 4; ++k) used_[static_cast<uint32_t>(p[k])] = true;
      const bool triangle = p[2] == p[3];
      corners_ += triangle ? 3 : 4;
      triangles_ += triangle ? 1 : 2;
    }
    if (notNumbers)
      warn("polygons of ", o_.name, " have points that are not numbers (or too large in metres): those polygons are left out");
    if (smooth_) {
      faces_.reserve(faceCount_);
      for (uint32_t i = 0; i < polygonCount; ++i)
        if (Face(i)) faces_.push_back(i);
    }
    return faceCount_ > 0;
  }

  // Corners are numbered 4 f + k for face f; a smooth group of corners is
  // a set of the union-find. Once the sets are made each corner holds its
  // group's number, counted in the order of the groups' lowest corners, and
  // the sums of normals are kept per group.
  void Groups(double limit) {
    Smooth(faces_, static_cast<uint32_t>(finite_.size()), [this](uint32_t f) { return FaceNormal(faces_[f]); },
           polygons_, limit, &group_);
    // A parent is lower than its child, so one pass upwards numbers them.
    // The fourth corner of a triangle is in no group.
    uint32_t groups = 0;
    for (uint32_t c = 0; c < group_.size(); ++c) {
      const int32_t *p = polygons_[faces_[c / 4]];
      if (c % 4 == 3 && p[2] == p[3]) group_[c] = UINT32_MAX;
      else group_[c] = group_[c] == c ? groups++ : group_[group_[c]];
    }
    sums_.resize(groups);
    for (uint32_t f = 0; f < faces_.size(); ++f) {
      const V3 normal = FaceNormal(faces_[f]);
      for (uint32_t k = 0; k < (polygons_[faces_[f]][2] == polygons_[faces_[f]][3] ? 3u : 4u); ++k)
        sums_[group_[4 * f + k]] = sums_[group_[4 * f + k]] + normal;
    }
  }

  // The UV of polygon i's corner k; false, and 0, 0, for coordinates that
  // are not numbers.
  bool Uv(uint32_t i, int k, float *u, float *v) const {
    *u = *v = 0;
    const th_vector &t = uvw_[i][k];
    if (!std::isfinite(t.x) || !std::isfinite(t.y)) return false;
    *u = t.x, *v = t.y;
    return true;
  }

  void CountBadUvs() {
    if (!uvw_) return;
    float u, v;
    EachFlatCorner([&](uint32_t f, int k) { badUv_ += !Uv(f, k, &u, &v); });
  }

  // The unit normal of a vertex of polygon i whose normal is n (not yet of
  // length 1; the polygon's own normal where n has no length).
  void Normal(uint32_t i, V3 n, float out[3]) const {
    double length = Length(n);
    if (!(length > 0) || !std::isfinite(length)) n = FaceNormal(i), length = Length(n);
    if (!(length > 0) || !std::isfinite(length)) n = {0, 1, 0}, length = 1;  // a face without area
    out[0] = float(n.x / length), out[1] = float(n.y / length), out[2] = float(n.z / length);
  }

  // Vertex `index` for polygon i's corner k, with the normal n.
  void SetVertex(size_t index, uint32_t i, int k, V3 n, float u, float v) {
    const V3 at = At(static_cast<uint32_t>(polygons_[i][k]));
    float *position = &out_->positions[3 * index];
    position[0] = float(at.x), position[1] = float(at.y), position[2] = float(at.z);
    if (uvw_) out_->uvs[2 * index] = u, out_->uvs[2 * index + 1] = v;
    Normal(i, n, &out_->normals[3 * index]);
  }

  void SizeVertices(size_t count) {
    out_->positions.resize(3 * count);
    out_->normals.resize(3 * count);
    if (uvw_) out_->uvs.resize(2 * count);
  }

  // With smoothing a group's corners share its first vertex, unless their
  // UVs differ there. The arrays are made for one vertex per group and grow
  // only for such splits.
  void SharedVertices() {
    first_.assign(sums_.size(), UINT32_MAX);
    SizeVertices(sums_.size());
    size_t count = 0, index = 0;
    for (uint32_t f = 0; f < faces_.size(); ++f) {
      const int32_t *p = polygons_[faces_[f]];
      const int corners[2][3] = {{0, 2, 1}, {0, 3, 2}};
      for (int t = 0; t < (p[2] == p[3] ? 1 : 2); ++t)
        for (int k : corners[t]) out_->indices[index++] = Vertex(f, k, &count);
    }
    SizeVertices(count);
  }

  // The vertex of face f's corner k; count: the vertices made so far.
  uint32_t Vertex(uint32_t f, int k, size_t *count) {
    const uint32_t g = group_[4 * f + static_cast<uint32_t>(k)];
    float u = 0, v = 0;
    if (uvw_) badUv_ += !Uv(faces_[f], k, &u, &v);
    uint32_t &slot = first_[g];
    if (slot != UINT32_MAX) {
      if (!uvw_ || (out_->uvs[2 * slot] == u && out_->uvs[2 * slot + 1] == v)) return slot;
      auto it = split_.find({g, u, v});
      if (it != split_.end()) return it->second;
    }
    const auto index = static_cast<uint32_t>((*count)++);
    if (*count > out_->normals.size() / 3) SizeVertices(std::max<size_t>(*count, 2 * (*count - 1)));
    SetVertex(index, faces_[f], k, sums_[g], u, v);
    if (slot == UINT32_MAX) slot = index;
    else split_.emplace(std::make_tuple(g, u, v), index);
    return index;
  }

  const Object &o_;
  double scale_;
  Triangles *out_ = nullptr;  // while a smooth mesh is built
  const th_vector *points_ = nullptr;
  const int32_t (*polygons_)[4] = nullptr;
  const th_vector (*uvw_)[4] = nullptr;
  uint32_t polygonCount_ = 0;
  std::vector<bool> finite_;  // per point: its coordinates are numbers
  std::vector<bool> used_;  // per point of a flat mesh: a face uses it
  size_t faceCount_ = 0, corners_ = 0, triangles_ = 0;  // of the faces
  std::vector<uint32_t> faces_;  // a smooth mesh's faces, by number
  bool smooth_ = false;
  std::vector<uint32_t> group_;  // per corner: the union-find's parent, then its group
  std::vector<V3> sums_;  // per group: its faces' normals summed
  std::vector<uint32_t> first_;  // per group: its first vertex
  std::map<std::tuple<uint32_t, float, float>, uint32_t> split_;  // further vertices of a group, by UV
  size_t badUv_ = 0;
};

}  // namespace

bool BuildTriangles(const Object &o, double scale, const Warn &warn, Triangles *out) {
  auto builder = std::make_shared<MeshBuilder>(o, scale);
  if (!builder->Build(warn, out)) return false;
  if (!builder->IsSmooth()) out->flat = builder;
  return true;
}

}  // namespace gltf
}  // namespace tessaro

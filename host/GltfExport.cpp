// glTF 2.0 export of a document through tinygltf.
//
// Conventions (the README works an example): the host's frame is left-handed
// with y up and z pointing away from the viewer; glTF's is right-handed with
// z pointing at the viewer. Mirroring z converts one into the other: a
// position (x, y, z) becomes (x, y, -z), and a rotation M becomes S M S with
// S = diag(1, 1, -1). The host's rotation is (heading, pitch, bank) in
// radians, M = Ry(h) Rx(p) Rz(b), so in glTF it is Ry(-h) Rx(-p) Rz(b). The
// mirror also turns the host's clockwise front faces into glTF's
// counter-clockwise ones, so corners keep their order.
#include "GltfExport.h"

#include "Text.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <tuple>
#include <unordered_map>

#include "Host.h"
#include "Output.h"
#include "Textures.h"

#define TINYGLTF_IMPLEMENTATION
#include <tiny_gltf.h>

namespace fs = std::filesystem;

namespace tessaro {

namespace {

const int32_t kPositionTrack = 903, kRotationTrack = 904;
const double kPi = 3.14159265358979323846;

struct Quat {
  double x = 0, y = 0, z = 0, w = 1;
};

Quat Mul(const Quat &a, const Quat &b) {
  return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
          a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

Quat About(int axis, double angle) {
  Quat q;
  double s = std::sin(angle / 2);
  (axis == 0 ? q.x : axis == 1 ? q.y : q.z) = s;
  q.w = std::cos(angle / 2);
  return q;
}

double Clamp01(double v) { return std::isnan(v) ? 0 : std::min(1.0, std::max(0.0, v)); }
bool Finite(float v) { return std::isfinite(v); }

template <class T>
const T *TagEntries(const Tag *t) {
  if (!t || t->entries <= 0 || t->payload.size() < sizeof(T) * static_cast<size_t>(t->entries)) return nullptr;
  return reinterpret_cast<const T *>(t->payload.data());
}

double Seconds(const th_time &t) { return t.denominator != 0 ? double(t.numerator) / double(t.denominator) : NAN; }

const Value *Param(const Element &e, const std::string &id) {
  auto it = e.params.find(id);
  return it == e.params.end() ? nullptr : &it->second;
}
double RealParam(const Element &e, const std::string &id, double preset) {
  const Value *v = Param(e, id);
  if (!v) return preset;
  if (v->type == Value::Real) return v->r;
  if (v->type == Value::Long) return v->l;
  return preset;
}

class Exporter {
 public:
  Exporter(const Document &doc, TextureExport &textures) : doc_(doc), textures_(textures) {
    model_.asset.version = "2.0";
    model_.asset.generator = "tessaro";
    model_.buffers.emplace_back();
  }

  tinygltf::Model Build() {
    for (const Element *m = doc_.materials.first; m; m = m->next) AddMaterial(static_cast<const Material &>(*m));
    tinygltf::Scene scene;
    // Named, so that an empty scene is still written as an object.
    scene.name = doc_.name.empty() ? "Scene" : doc_.name;  // the file name: UTF-8 already
    for (const Element *o = doc_.objects.first; o; o = o->next) scene.nodes.push_back(AddNode(static_cast<const Object &>(*o)));
    model_.scenes.push_back(scene);
    model_.defaultScene = 0;
    if (!animation_.channels.empty()) {
      animation_.name = "Animation";
      model_.animations.push_back(animation_);
    }
    if (model_.buffers[0].data.empty()) model_.buffers.clear();
    if (!model_.lights.empty()) model_.extensionsUsed.push_back("KHR_lights_punctual");
    return std::move(model_);
  }

 private:
  // One accessor over a new, 4-byte aligned view of the buffer.
  int Accessor(const void *data, size_t bytes, int component, int type, size_t count, int target,
               std::vector<double> min = {}, std::vector<double> max = {}) {
    auto &buffer = model_.buffers[0].data;
    buffer.resize((buffer.size() + 3) & ~size_t(3));
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = buffer.size();
    view.byteLength = bytes;
    view.target = target;
    const auto *p = static_cast<const unsigned char *>(data);
    buffer.insert(buffer.end(), p, p + bytes);
    model_.bufferViews.push_back(view);
    tinygltf::Accessor a;
    a.bufferView = static_cast<int>(model_.bufferViews.size() - 1);
    a.componentType = component;
    a.type = type;
    a.count = count;
    a.minValues = std::move(min);
    a.maxValues = std::move(max);
    model_.accessors.push_back(a);
    return static_cast<int>(model_.accessors.size() - 1);
  }

  void AddMaterial(const Material &m) {
    tinygltf::Material out;
    out.name = ToUtf8(m.name);
    std::vector<double> base = {1, 1, 1, 1};
    auto channel = [&](size_t i) -> const Channel * {
      return i < m.channels.size() && m.channels[i].state ? &m.channels[i] : nullptr;
    };
    auto real = [](const Channel &c, int32_t id, double preset) {
      auto it = c.data.find(id);
      return it != c.data.end() && it->second.type == Value::Real ? double(it->second.r) : preset;
    };
    if (const Channel *colour = channel(0)) {
      double brightness = real(*colour, 1001, 1);
      auto it = colour->data.find(1000);
      if (it != colour->data.end() && it->second.type == Value::Vector) {
        base[0] = Clamp01(it->second.v.x * brightness);
        base[1] = Clamp01(it->second.v.y * brightness);
        base[2] = Clamp01(it->second.v.z * brightness);
      }
      auto tex = colour->data.find(1002);
      if (tex != colour->data.end() && tex->second.type == Value::Text && !tex->second.s.empty()) {
        int texture = textures_.TextureFor(model_, tex->second.s);
        if (texture >= 0) out.pbrMetallicRoughness.baseColorTexture.index = texture;
      }
    }
    if (const Channel *transparency = channel(2)) {
      base[3] = 1 - Clamp01(real(*transparency, 1001, 0));
      if (base[3] < 1) out.alphaMode = "BLEND";
    }
    out.pbrMetallicRoughness.baseColorFactor = base;
    out.pbrMetallicRoughness.metallicFactor = 0;
    const Channel *specular = channel(8);
    out.pbrMetallicRoughness.roughnessFactor = specular ? 1 - Clamp01(real(*specular, 1001, 0)) : 1;
    materials_[&m] = static_cast<int>(model_.materials.size());
    model_.materials.push_back(out);
  }

  int AddNode(const Object &o) {
    int index = static_cast<int>(model_.nodes.size());
    model_.nodes.emplace_back();
    tinygltf::Node node;
    node.name = ToUtf8(o.name);
    if (Finite(o.pos.x) && Finite(o.pos.y) && Finite(o.pos.z) && (o.pos.x || o.pos.y || o.pos.z))
      node.translation = {o.pos.x, o.pos.y, -double(o.pos.z)};
    if (Finite(o.rot.x) && Finite(o.rot.y) && Finite(o.rot.z) && (o.rot.x || o.rot.y || o.rot.z)) {
      double q[4];
      GltfRotation(o.rot, q);
      node.rotation = {q[0], q[1], q[2], q[3]};
    }
    if (Finite(o.scale.x) && Finite(o.scale.y) && Finite(o.scale.z) &&
        (o.scale.x != 1 || o.scale.y != 1 || o.scale.z != 1))
      node.scale = {o.scale.x, o.scale.y, o.scale.z};
    node.mesh = AddMesh(o);
    if (o.camera) node.camera = AddCamera(o);
    if (o.type == 5102) {
      tinygltf::Value::Object ext;
      ext["light"] = tinygltf::Value(AddLight(o));
      node.extensions["KHR_lights_punctual"] = tinygltf::Value(ext);
    }
    AddAnimation(o, index);
    for (const Element *c = o.children.first; c; c = c->next) node.children.push_back(AddNode(static_cast<const Object &>(*c)));
    model_.nodes[static_cast<size_t>(index)] = node;
    return index;
  }

  // Polygon objects become meshes of triangles: a quadrangle (a, b, c, d)
  // gives (a, b, c) and (a, c, d), a triangle (d = c) gives (a, b, c). With
  // a UVW tag every distinct pair of point and UV is a vertex of its own.
  int AddMesh(const Object &o) {
    const Tag *pointTag = FindTag(o, 5600), *polygonTag = FindTag(o, 5604), *uvwTag = FindTag(o, 5671);
    const auto *points = TagEntries<th_vector>(pointTag);
    const auto *polygons = TagEntries<int32_t[4]>(polygonTag);
    if (!points || !polygons) return -1;
    const auto pointCount = static_cast<uint32_t>(pointTag->entries);
    const auto *uvw = TagEntries<th_vector[4]>(uvwTag);
    if (uvw && uvwTag->entries < polygonTag->entries) uvw = nullptr;

    // Vertex i is point i, with the UV of its first corner; a corner with
    // another UV gets a vertex of its own after the points.
    std::vector<float> positions, uvs;
    for (uint32_t i = 0; i < pointCount; ++i) positions.insert(positions.end(), {points[i].x, points[i].y, -points[i].z});
    std::vector<bool> used;
    if (uvw) uvs.assign(size_t(pointCount) * 2, 0.0f), used.assign(pointCount, false);
    std::vector<uint32_t> indices;
    std::map<std::tuple<uint32_t, float, float>, uint32_t> split;
    auto vertex = [&](int32_t polygon, int corner, int32_t index) -> uint32_t {
      const auto point = static_cast<uint32_t>(index);
      if (!uvw) return point;
      const th_vector &t = uvw[polygon][corner];
      if (!used[point]) {
        used[point] = true;
        uvs[2 * point] = t.x, uvs[2 * point + 1] = t.y;
        return point;
      }
      if (uvs[2 * point] == t.x && uvs[2 * point + 1] == t.y) return point;
      auto key = std::make_tuple(point, t.x, t.y);
      auto it = split.find(key);
      if (it != split.end()) return it->second;
      auto v = static_cast<uint32_t>(positions.size() / 3);
      positions.insert(positions.end(), {positions[3 * point], positions[3 * point + 1], positions[3 * point + 2]});
      uvs.insert(uvs.end(), {t.x, t.y});
      split.emplace(key, v);
      return v;
    };
    for (int32_t i = 0; i < polygonTag->entries; ++i) {
      const int32_t *p = polygons[i];
      bool valid = true;
      for (int k = 0; k < 4; ++k) valid = valid && static_cast<uint32_t>(p[k]) < pointCount;
      if (!valid) continue;  // a document read from a file may hold anything
      const int corners[2][3] = {{0, 1, 2}, {0, 2, 3}};
      for (int t = 0; t < (p[2] == p[3] ? 1 : 2); ++t)
        for (int k : corners[t]) indices.push_back(vertex(i, k, p[k]));
    }
    if (indices.empty()) return -1;
    std::vector<double> lo(3, INFINITY), hi(3, -INFINITY);
    for (size_t i = 0; i < positions.size(); ++i) {
      lo[i % 3] = std::min(lo[i % 3], double(positions[i]));
      hi[i % 3] = std::max(hi[i % 3], double(positions[i]));
    }
    tinygltf::Primitive prim;
    prim.mode = TINYGLTF_MODE_TRIANGLES;
    prim.attributes["POSITION"] = Accessor(positions.data(), positions.size() * 4, TINYGLTF_COMPONENT_TYPE_FLOAT,
                                           TINYGLTF_TYPE_VEC3, positions.size() / 3, TINYGLTF_TARGET_ARRAY_BUFFER, lo, hi);
    if (uvw)
      prim.attributes["TEXCOORD_0"] = Accessor(uvs.data(), uvs.size() * 4, TINYGLTF_COMPONENT_TYPE_FLOAT,
                                               TINYGLTF_TYPE_VEC2, uvs.size() / 2, TINYGLTF_TARGET_ARRAY_BUFFER);
    prim.indices = Accessor(indices.data(), indices.size() * 4, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT,
                            TINYGLTF_TYPE_SCALAR, indices.size(), TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
    // The texture tag that comes last decides the material, as it lies on top.
    for (const Element *t = o.tags.first; t; t = t->next) {
      if (t->type != 5616) continue;
      const Element *m = Host::Get().LinkedMaterial(static_cast<const Tag &>(*t));
      auto it = m ? materials_.find(m) : materials_.end();
      if (it != materials_.end()) prim.material = it->second;
    }
    tinygltf::Mesh mesh;
    mesh.name = ToUtf8(o.name);
    mesh.primitives.push_back(prim);
    model_.meshes.push_back(mesh);
    return static_cast<int>(model_.meshes.size() - 1);
  }

  // The film is the aperture wide and three quarters of it high (the
  // host's 4:3 frame); focus is the focal length.
  int AddCamera(const Object &o) {
    tinygltf::Camera c;
    c.name = ToUtf8(o.name);
    c.type = "perspective";
    double focus = o.focus > 0 && Finite(o.focus) ? o.focus : 36;
    double aperture = o.aperture > 0 && Finite(o.aperture) ? o.aperture : 36;
    c.perspective.aspectRatio = 4.0 / 3.0;
    c.perspective.yfov = 2 * std::atan(aperture * 0.75 / (2 * focus));
    // tinygltf writes a far plane even for an infinite projection, so the
    // export gives one far beyond any scene of this host's units.
    c.perspective.znear = 0.1;
    c.perspective.zfar = 1.0e6;
    model_.cameras.push_back(c);
    return static_cast<int>(model_.cameras.size() - 1);
  }

  // Light forms: 0 omni (point), 1 spot, 4 parallel (directional); colour
  // 90000, brightness 90001, a spot's cone angle 90011 (radians).
  int AddLight(const Object &o) {
    tinygltf::Light l;
    l.name = ToUtf8(o.name);
    const Value *form = Param(o, "90002");
    int32_t f = form && form->type == Value::Long ? form->l : 0;
    l.type = f == 1 ? "spot" : f == 4 ? "directional" : "point";
    l.color = {1, 1, 1};
    const Value *colour = Param(o, "90000");
    if (colour && colour->type == Value::Vector)
      l.color = {Clamp01(colour->v.x), Clamp01(colour->v.y), Clamp01(colour->v.z)};
    double intensity = RealParam(o, "90001", 1);
    l.intensity = std::isfinite(intensity) && intensity >= 0 ? intensity : 1;
    if (f == 1) {
      double cone = RealParam(o, "90011", kPi / 4);
      if (!(cone > 0) || cone > kPi / 2) cone = kPi / 4;
      l.spot.outerConeAngle = cone;
      l.spot.innerConeAngle = 0;
    }
    model_.lights.push_back(l);
    return static_cast<int>(model_.lights.size() - 1);
  }

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
          // glTF times start at 0 and must be finite.
          if (std::isfinite(time) && time >= 0 && std::isfinite(key.data[0])) c.emplace_back(time, key.data[0]);
        }
    }
    std::stable_sort(c.begin(), c.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    return c;
  }

  static double At(const Curve &c, double time, double preset) {
    if (c.empty()) return preset;
    if (time <= c.front().first) return c.front().second;
    if (time >= c.back().first) return c.back().second;
    auto hi = std::lower_bound(c.begin(), c.end(), time, [](const auto &k, double t) { return k.first < t; });
    auto lo = hi - 1;
    if (hi->first == lo->first) return hi->second;
    return lo->second + (hi->second - lo->second) * (time - lo->first) / (hi->first - lo->first);
  }

  // Position and rotation tracks, each of three component tracks, become
  // one channel each, sampled linearly at every key time of any component.
  void AddAnimation(const Object &o, int node) {
    for (int32_t track : {kPositionTrack, kRotationTrack}) {
      Curve c[3] = {CurveOf(o, track, 1000), CurveOf(o, track, 1001), CurveOf(o, track, 1002)};
      std::vector<double> times;
      for (const Curve &k : c)
        for (const auto &key : k) times.push_back(key.first);
      std::sort(times.begin(), times.end());
      times.erase(std::unique(times.begin(), times.end()), times.end());
      if (times.empty()) continue;
      const th_vector &still = track == kPositionTrack ? o.pos : o.rot;
      std::vector<float> input, output;
      for (double t : times) {
        input.push_back(static_cast<float>(t));
        th_vector v{float(At(c[0], t, still.x)), float(At(c[1], t, still.y)), float(At(c[2], t, still.z))};
        if (track == kPositionTrack) {
          output.insert(output.end(), {v.x, v.y, -v.z});
        } else {
          double q[4];
          GltfRotation(v, q);
          output.insert(output.end(), {float(q[0]), float(q[1]), float(q[2]), float(q[3])});
        }
      }
      // Times that collapse to one float would not increase strictly.
      if (std::adjacent_find(input.begin(), input.end(), [](float a, float b) { return !(a < b); }) != input.end())
        continue;
      tinygltf::AnimationSampler sampler;
      sampler.interpolation = "LINEAR";
      sampler.input = Accessor(input.data(), input.size() * 4, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_SCALAR,
                               input.size(), 0, {input.front()}, {input.back()});
      bool position = track == kPositionTrack;
      sampler.output = Accessor(output.data(), output.size() * 4, TINYGLTF_COMPONENT_TYPE_FLOAT,
                                position ? TINYGLTF_TYPE_VEC3 : TINYGLTF_TYPE_VEC4, input.size(), 0);
      animation_.samplers.push_back(sampler);
      tinygltf::AnimationChannel channel;
      channel.sampler = static_cast<int>(animation_.samplers.size() - 1);
      channel.target_node = node;
      channel.target_path = position ? "translation" : "rotation";
      animation_.channels.push_back(channel);
    }
  }

  const Document &doc_;
  TextureExport &textures_;
  tinygltf::Model model_;
  tinygltf::Animation animation_;
  std::unordered_map<const Element *, int> materials_;
};

}  // namespace

namespace {
// Extensions are told apart without regard to case: X.GLB is binary too.
std::string Extension(const std::string &path) {
  std::string ext = fs::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}
}  // namespace

bool IsGltfPath(const std::string &path) {
  std::string ext = Extension(path);
  return ext == ".gltf" || ext == ".glb";
}

void GltfRotation(const th_vector &hpb, double q[4]) {
  Quat r = Mul(Mul(About(1, -double(hpb.x)), About(0, -double(hpb.y))), About(2, double(hpb.z)));
  q[0] = r.x, q[1] = r.y, q[2] = r.z, q[3] = r.w;
}

bool WriteGltfFile(const Document &doc, const std::string &path, std::string *error,
                   std::vector<std::string> *warnings, const GltfOptions &options) {
  const bool binary = Extension(path) == ".glb";
  TextureExport textures(path, binary, options.textureFolders, options.embedTextures, warnings);
  tinygltf::Model model = Exporter(doc, textures).Build();
  std::ostringstream text;
  tinygltf::TinyGLTF gltf;
  if (!gltf.WriteGltfSceneToStream(&model, text, !binary, binary)) {
    *error = "cannot export the document as glTF";
    return false;
  }
  // The images a .gltf refers to are there before it is.
  return textures.WriteCopies(error) && WriteOutputBytes(path, text.str(), error);
}

}  // namespace tessaro

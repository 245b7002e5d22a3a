// glTF 2.0 export of a document through tinygltf.
//
// Conventions (the README works an example): the host's frame is left-handed
// with y up and z pointing away from the viewer, in centimetres; glTF's is
// right-handed with z pointing at the viewer, in metres. Mirroring z converts
// one frame into the other: a position (x, y, z) becomes s (x, y, -z) with s
// the unit scale, and a rotation M becomes S M S with S = diag(1, 1, -1).
// The host's rotation (heading, pitch, bank) in radians is the matrix
// Ry(-h) Rx(-p) Rz(-b) in the usual right-hand-rule forms of Rx, Ry, Rz, so
// in glTF it is Ry(h) Rx(p) Rz(-b).
#include "GltfExport.h"

#include "Text.h"
#include "Trig.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <unordered_map>

#include "GltfAnimation.h"
#include "GltfBinary.h"
#include "Glb.h"
#include "Host.h"
#include "Output.h"
#include "GltfMesh.h"
#include "Path.h"
#include "Placement.h"
#include "Textures.h"

#define TINYGLTF_IMPLEMENTATION
#include <tiny_gltf.h>

namespace fs = std::filesystem;

namespace tessaro {

namespace {

using gltf::Finite3;
using gltf::kPi;
using gltf::Length;
using gltf::Param;
using gltf::ParamLong;
using gltf::RealParam;
using gltf::TagEntries;
using gltf::V3;

double Clamp01(double v) { return std::isnan(v) ? 0 : std::min(1.0, std::max(0.0, v)); }
bool Finite(float v) { return std::isfinite(v); }

// A node's placement in the scene.
V3 Apply(const Placement &p, V3 v) { return {p.Row(0, v.x, v.y, v.z), p.Row(1, v.x, v.y, v.z), p.Row(2, v.x, v.y, v.z)}; }

Placement Local(const std::vector<double> &t, const std::vector<double> &q, const std::vector<double> &s) {
  Placement p;
  double x = 0, y = 0, z = 0, w = 1;
  if (q.size() == 4) x = q[0], y = q[1], z = q[2], w = q[3];
  const double r[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                          {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                          {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) p.m[i][j] = r[i][j] * (s.size() == 3 ? s[static_cast<size_t>(j)] : 1);
    p.m[i][3] = t.size() == 3 ? t[static_cast<size_t>(i)] : 0;
  }
  return p;
}

// A full light lights a white surface facing it to white: π W/m², at the
// photometric 683 lm/W, in lux.
const double kFullLightLux = kPi * 683;

class Exporter {
 public:
  Exporter(const Document &doc, std::vector<std::string> *warnings, const GltfOptions &options,
           TextureExport &textures, gltf::BinaryPieces &binary)
      : doc_(doc), warnings_(warnings), options_(options), textures_(textures), binary_(binary) {
    model_.asset.version = "2.0";
    model_.asset.generator = "tessaro";
    model_.buffers.emplace_back();
  }

  tinygltf::Model Build() {
    scale_ = options_.unitScale;
    for (const Element *m = doc_.materials.first; m; m = m->next) AddMaterial(static_cast<const Material &>(*m));
    tinygltf::Scene scene;
    // Named, so that an empty scene is still written as an object. The name
    // is the file's, which is UTF-8 unless the file system's names are not.
    scene.name = doc_.name.empty() ? "Scene" : IsUtf8(doc_.name) ? doc_.name : ToUtf8(doc_.name);
    AddNodes(&scene);
    model_.scenes.push_back(scene);
    model_.defaultScene = 0;
    FinishLightsAndCameras();
    if (!animation_.channels.empty()) {
      animation_.name = "Animation";
      model_.animations.push_back(animation_);
    }
    if (binary_.Empty()) model_.buffers.clear();
    if (!model_.lights.empty()) model_.extensionsUsed.push_back("KHR_lights_punctual");
    for (const auto &note : notes_) {
      if (!warnings_) break;
      const Note &n = note.second;
      std::string who = "'" + Printable(n.first) + "'";
      if (n.count > 1) who += " and " + std::to_string(n.count - 1) + " more";
      warnings_->push_back(note.first.first + who + note.first.second);
    }
    return std::move(model_);
  }

 private:
  // A warning said once per kind, naming the first element and counting the rest.
  struct Note {
    std::string first;
    size_t count = 0;
  };
  void Warn(const std::string &before, const std::string &name, const std::string &after) {
    Note &n = notes_[{before, after}];
    if (n.count++ == 0) n.first = name;
  }

  // One accessor over a new, 4-byte aligned view of the buffer, which takes
  // the array over.
  template <class T, class A>
  int Accessor(std::vector<T, A> &&data, int component, int type, size_t count, int target,
               std::vector<double> min = {}, std::vector<double> max = {}) {
    const size_t bytes = data.size() * sizeof(T);
    return ViewAccessor(binary_.Add(std::move(data)), bytes, component, type, count, target, std::move(min),
                        std::move(max));
  }
  // One accessor over an array that produce writes when the buffer is.
  int LaterAccessor(size_t bytes, gltf::Produce produce, int component, int type, size_t count, int target,
                    std::vector<double> min = {}, std::vector<double> max = {}) {
    return ViewAccessor(binary_.AddLater(bytes, std::move(produce)), bytes, component, type, count, target,
                        std::move(min), std::move(max));
  }
  int ViewAccessor(size_t offset, size_t bytes, int component, int type, size_t count, int target,
                   std::vector<double> min, std::vector<double> max) {
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteLength = bytes;
    view.byteOffset = offset;
    view.target = target;
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

  template <class A>
  int PositionAccessor(std::vector<float, A> &&positions) {
    std::vector<double> lo(3, INFINITY), hi(3, -INFINITY);
    for (size_t i = 0; i < positions.size(); ++i) {
      lo[i % 3] = std::min(lo[i % 3], double(positions[i]));
      hi[i % 3] = std::max(hi[i % 3], double(positions[i]));
    }
    const size_t count = positions.size() / 3;
    return Accessor(std::move(positions), TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, count,
                    TINYGLTF_TARGET_ARRAY_BUFFER, lo, hi);
  }

  // Colour channel: base colour = colour x brightness; with a texture the
  // texture replaces the colour, as in the host, and is weighed by the
  // brightness alone.
  // Transparency channel: alpha = 1 - its brightness. Specular channel: the
  // highlight's width (material parameter 1016, 0 to 1) is the roughness,
  // at least 0.2 so that no material turns into a mirror; without specular
  // the material is fully rough. Nothing is metallic.
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
        int texture = textures_.TextureFor(model_, binary_, tex->second.s);
        if (texture >= 0) {
          out.pbrMetallicRoughness.baseColorTexture.index = texture;
          untexturedColour_[static_cast<int>(model_.materials.size())] = {base[0], base[1], base[2]};
          base[0] = base[1] = base[2] = Clamp01(brightness);
        }
      }
    }
    if (const Channel *transparency = channel(2)) {
      base[3] = 1 - Clamp01(real(*transparency, 1001, 0));
      if (base[3] < 1) out.alphaMode = "BLEND";
    }
    out.pbrMetallicRoughness.baseColorFactor = base;
    out.pbrMetallicRoughness.metallicFactor = 0;
    double width = RealParam(m, "1016", 0.5);
    out.pbrMetallicRoughness.roughnessFactor = channel(8) ? std::max(0.2, Clamp01(width)) : 1;
    materials_[&m] = static_cast<int>(model_.materials.size());
    model_.materials.push_back(out);
  }

  // The same material without its texture, for a mesh that has no UVs to
  // place it with.
  int Untextured(int material) {
    auto it = untextured_.find(material);
    if (it != untextured_.end()) return it->second;
    tinygltf::Material copy = model_.materials[static_cast<size_t>(material)];
    copy.pbrMetallicRoughness.baseColorTexture = tinygltf::TextureInfo();
    const std::vector<double> &colour = untexturedColour_[material];
    std::copy(colour.begin(), colour.end(), copy.pbrMetallicRoughness.baseColorFactor.begin());
    int index = static_cast<int>(model_.materials.size());
    model_.materials.push_back(copy);
    untextured_[material] = index;
    return index;
  }

  // Nodes in the document's order, parents before their children, walked
  // with a stack of its own: the hierarchy's depth is the file's to choose.
  void AddNodes(tinygltf::Scene *scene) {
    struct Pending {
      const Object *object;
      int parent;
    };
    std::vector<Pending> stack;
    auto push = [&](const ElementList &list, int parent) {
      size_t at = stack.size();
      for (const Element *o = list.first; o; o = o->next) stack.push_back({static_cast<const Object *>(o), parent});
      std::reverse(stack.begin() + static_cast<std::ptrdiff_t>(at), stack.end());
    };
    push(doc_.objects, -1);
    while (!stack.empty()) {
      Pending p = stack.back();
      stack.pop_back();
      int index = AddNode(*p.object, p.parent);
      if (p.parent < 0) scene->nodes.push_back(index);
      else model_.nodes[static_cast<size_t>(p.parent)].children.push_back(index);
      push(p.object->children, index);
    }
  }

  int AddNode(const Object &o, int parent) {
    int index = static_cast<int>(model_.nodes.size());
    model_.nodes.emplace_back();
    tinygltf::Node node;
    node.name = ToUtf8(o.name);
    // + 0.0 turns a mirrored 0 into 0 rather than -0.
    std::vector<double> t = {o.pos.x * scale_ + 0.0, o.pos.y * scale_ + 0.0, -double(o.pos.z) * scale_ + 0.0};
    if (!std::isfinite(t[0]) || !std::isfinite(t[1]) || !std::isfinite(t[2]))
      Warn("the position of ", o.name, " is not a number (or too large in metres): placed at its parent's origin");
    else if (t[0] || t[1] || t[2])
      node.translation = t;
    if (!Finite3(o.rot)) {
      Warn("the rotation of ", o.name, " is not a number: left unrotated");
    } else if (o.rot.x || o.rot.y || o.rot.z) {
      double q[4];
      GltfRotation(o.rot, q);
      node.rotation = {q[0], q[1], q[2], q[3]};
    }
    if (!Finite3(o.scale))
      Warn("the scale of ", o.name, " is not a number: left at 1");
    else if (o.scale.x != 1 || o.scale.y != 1 || o.scale.z != 1)
      node.scale = {o.scale.x, o.scale.y, o.scale.z};
    Placement world = Local(node.translation, node.rotation, node.scale);
    if (parent >= 0) world = placements_[static_cast<size_t>(parent)].Then(world);
    placements_.push_back(world);
    node.mesh = o.spline || o.type == Ospline ? AddSpline(o) : AddMesh(o, world);
    if (o.camera) {
      node.camera = AddCamera(o);
      cameras_.emplace_back(node.camera, index);
    }
    if (o.type == Olight) {
      tinygltf::Value::Object ext;
      int light = AddLight(o);
      ext["light"] = tinygltf::Value(light);
      node.extensions["KHR_lights_punctual"] = tinygltf::Value(ext);
      lights_.emplace_back(light, index);
    }
    AddAnimation(o, index);
    model_.nodes[static_cast<size_t>(index)] = node;
    return index;
  }

  // Polygon objects become meshes of triangles (GltfMesh.cpp).
  int AddMesh(const Object &o, const Placement &world) {
    gltf::Triangles mesh;
    if (!gltf::BuildTriangles(o, scale_, warn_, &mesh)) return -1;
    tinygltf::Primitive prim;
    prim.mode = TINYGLTF_MODE_TRIANGLES;
    if (mesh.flat) {
      AddFlatArrays(mesh.flat, mesh.hasUvs, world, &prim);
      return AddPrimitive(o, MeshMaterial(o, mesh.hasUvs, prim));
    }
    const gltf::Array<float> &positions = mesh.positions;
    for (size_t i = 0; i < positions.size(); i += 3) Extend(Apply(world, {positions[i], positions[i + 1], positions[i + 2]}));
    prim.attributes["POSITION"] = PositionAccessor(std::move(mesh.positions));
    const size_t vertices = mesh.normals.size() / 3, indices = mesh.indices.size();
    prim.attributes["NORMAL"] = Accessor(std::move(mesh.normals), TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3,
                                         vertices, TINYGLTF_TARGET_ARRAY_BUFFER);
    if (mesh.hasUvs)
      prim.attributes["TEXCOORD_0"] = Accessor(std::move(mesh.uvs), TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC2,
                                               vertices, TINYGLTF_TARGET_ARRAY_BUFFER);
    prim.indices = Accessor(std::move(mesh.indices), TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR,
                            indices, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
    return AddPrimitive(o, MeshMaterial(o, mesh.hasUvs, prim));
  }

  // A flat mesh's arrays, written from the document when the buffer is;
  // its positions are read once now for their bounds and the scene's.
  void AddFlatArrays(const std::shared_ptr<const gltf::FlatArrays> &mesh, bool hasUvs, const Placement &world,
                     tinygltf::Primitive *prim) {
    std::vector<double> lo(3, INFINITY), hi(3, -INFINITY);
    mesh->EachPosition([&](const float *p) {
      Extend(Apply(world, {p[0], p[1], p[2]}));
      for (size_t i = 0; i < 3; ++i) lo[i] = std::min(lo[i], double(p[i])), hi[i] = std::max(hi[i], double(p[i]));
    });
    const size_t vertices = mesh->VertexCount(), indices = mesh->IndexCount();
    prim->attributes["POSITION"] =
        LaterAccessor(12 * vertices, [mesh](const gltf::Put &put) { return mesh->WritePositions(put); },
                      TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, vertices, TINYGLTF_TARGET_ARRAY_BUFFER, lo, hi);
    prim->attributes["NORMAL"] =
        LaterAccessor(12 * vertices, [mesh](const gltf::Put &put) { return mesh->WriteNormals(put); },
                      TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, vertices, TINYGLTF_TARGET_ARRAY_BUFFER);
    if (hasUvs)
      prim->attributes["TEXCOORD_0"] =
          LaterAccessor(8 * vertices, [mesh](const gltf::Put &put) { return mesh->WriteUvs(put); },
                        TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC2, vertices, TINYGLTF_TARGET_ARRAY_BUFFER);
    prim->indices =
        LaterAccessor(4 * indices, [mesh](const gltf::Put &put) { return mesh->WriteIndices(put); },
                      TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR, indices,
                      TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
  }

  // The mesh's material: the texture tag that comes last decides it, as it
  // lies on top.
  tinygltf::Primitive MeshMaterial(const Object &o, bool hasUvs, tinygltf::Primitive prim) {
    for (const Element *t = o.tags.first; t; t = t->next) {
      if (t->type != Ttexture) continue;
      const Element *m = Host::Get().LinkedMaterial(static_cast<const Tag &>(*t));
      auto it = m ? materials_.find(m) : materials_.end();
      if (it != materials_.end()) prim.material = it->second;
    }
    if (prim.material >= 0 && !hasUvs &&
        model_.materials[static_cast<size_t>(prim.material)].pbrMetallicRoughness.baseColorTexture.index >= 0)
      prim.material = Untextured(prim.material);
    return prim;
  }

  // Spline objects become line strips through their points.
  int AddSpline(const Object &o) {
    const Tag *pointTag = FindTag(o, Tpoint);
    const auto *points = TagEntries<th_vector>(pointTag);
    if (!points || pointTag->entries < 2) return -1;
    std::vector<float> positions;
    for (int32_t i = 0; i < pointTag->entries; ++i) {
      float p[3] = {float(points[i].x * scale_), float(points[i].y * scale_), float(-double(points[i].z) * scale_)};
      if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) {
        Warn("the spline ", o.name, " has points that are not numbers (or too large in metres): it is left out");
        return -1;
      }
      positions.insert(positions.end(), p, p + 3);
    }
    tinygltf::Primitive prim;
    prim.mode = TINYGLTF_MODE_LINE_STRIP;
    prim.attributes["POSITION"] = PositionAccessor(std::move(positions));
    return AddPrimitive(o, prim);
  }

  int AddPrimitive(const Object &o, const tinygltf::Primitive &prim) {
    tinygltf::Mesh mesh;
    mesh.name = ToUtf8(o.name);
    mesh.primitives.push_back(prim);
    model_.meshes.push_back(mesh);
    return static_cast<int>(model_.meshes.size() - 1);
  }

  void Extend(V3 p) {
    lo_ = {std::min(lo_.x, p.x), std::min(lo_.y, p.y), std::min(lo_.z, p.z)};
    hi_ = {std::max(hi_.x, p.x), std::max(hi_.y, p.y), std::max(hi_.z, p.z)};
  }

  // The film is the aperture wide and three quarters of it high (the
  // host's 4:3 frame); focus is the focal length. The clip planes are set
  // once the scene's extent is known.
  int AddCamera(const Object &o) {
    tinygltf::Camera c;
    c.name = ToUtf8(o.name);
    c.type = "perspective";
    double focus = o.focus, aperture = o.aperture;
    if (!(focus > 0 && Finite(o.focus) && aperture > 0 && Finite(o.aperture))) {
      Warn("the focus or aperture of the camera ", o.name, " is not a number above 0: taken as 36 mm each");
      focus = aperture = 36;
    }
    c.perspective.aspectRatio = 4.0 / 3.0;
    // glTF's field of view lies strictly between 0 and pi.
    c.perspective.yfov = std::min(std::max(2 * trig::Atan(aperture * 0.75 / (2 * focus)), 1e-6), kPi - 1e-6);
    model_.cameras.push_back(c);
    return static_cast<int>(model_.cameras.size() - 1);
  }

  // Light forms: 0 omni (point), 1 spot, 4 parallel (directional); colour
  // 90000, brightness 90001, a spot's cone 90011 (its opening angle, edge
  // to edge, in radians). The intensity is set once the scene's extent is
  // known.
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
    double brightness = RealParam(o, "90001", 1);
    if (!std::isfinite(brightness) || brightness < 0) {
      Warn("the brightness of ", o.name, " is not a number of 0 or more: taken as 1");
      brightness = 1;
    }
    l.intensity = brightness;
    if (f == 1) {
      double cone = RealParam(o, "90011", kPi / 2) / 2;
      if (!(cone > 0) || cone > kPi / 2) {
        Warn("the cone of the spot ", o.name, " is not an angle above 0 and up to 180 degrees: taken as 90");
        cone = kPi / 4;
      }
      l.spot.outerConeAngle = cone;
      l.spot.innerConeAngle = 0;
    }
    model_.lights.push_back(l);
    return static_cast<int>(model_.lights.size() - 1);
  }

  // The host's lights do not fade with distance; glTF's point and spot
  // lights fall off with its square. A light of brightness b lights the
  // centre of the scene's meshes as brightly as b full lights would; a
  // directional light lights everything so. Cameras see from 1 unit to
  // 100,000 units, and at least twice as far as the scene reaches.
  void FinishLightsAndCameras() {
    bool any = lo_.x <= hi_.x;
    V3 centre = any ? V3{(lo_.x + hi_.x) / 2, (lo_.y + hi_.y) / 2, (lo_.z + hi_.z) / 2} : V3{};
    for (const auto &entry : lights_) {
      tinygltf::Light &l = model_.lights[static_cast<size_t>(entry.first)];
      double lux = l.intensity * kFullLightLux;
      if (l.type == "directional") {
        l.intensity = lux;
        continue;
      }
      double d = Length(Apply(placements_[static_cast<size_t>(entry.second)], {}) - centre);
      if (!(d > 0) || !std::isfinite(d)) d = 1;
      double candela = lux * d * d;
      l.intensity = std::isfinite(candela) ? candela : lux;
    }
    for (const auto &entry : cameras_) {
      tinygltf::Camera &c = model_.cameras[static_cast<size_t>(entry.first)];
      double reach = 0;
      if (any) {
        V3 eye = Apply(placements_[static_cast<size_t>(entry.second)], {});
        for (double x : {lo_.x, hi_.x})
          for (double y : {lo_.y, hi_.y})
            for (double z : {lo_.z, hi_.z}) reach = std::max(reach, Length(V3{x, y, z} - eye));
      }
      c.perspective.znear = scale_;
      double farthest = std::max(1.0e5 * scale_, 2 * reach);
      c.perspective.zfar = std::isfinite(farthest) ? farthest : 1.0e5 * scale_;
    }
  }

  // Position and rotation tracks become one channel each (GltfAnimation.cpp).
  void AddAnimation(const Object &o, int node) {
    for (int32_t track : {gltf::kPositionTrack, gltf::kRotationTrack}) {
      const bool position = track == gltf::kPositionTrack;
      std::vector<float> input, output;
      if (!gltf::SampleTrack(o, track, scale_, warn_, &input, &output)) continue;
      tinygltf::AnimationSampler sampler;
      sampler.interpolation = "LINEAR";
      const size_t keys = input.size();
      const double first = input.front(), last = input.back();
      sampler.input = Accessor(std::move(input), TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_SCALAR, keys, 0, {first},
                               {last});
      sampler.output = Accessor(std::move(output), TINYGLTF_COMPONENT_TYPE_FLOAT,
                                position ? TINYGLTF_TYPE_VEC3 : TINYGLTF_TYPE_VEC4, keys, 0);
      animation_.samplers.push_back(sampler);
      tinygltf::AnimationChannel channel;
      channel.sampler = static_cast<int>(animation_.samplers.size() - 1);
      channel.target_node = node;
      channel.target_path = position ? "translation" : "rotation";
      animation_.channels.push_back(channel);
    }
  }

  const Document &doc_;
  std::vector<std::string> *warnings_;
  const GltfOptions &options_;
  double scale_ = 0.01;
  std::map<std::pair<std::string, std::string>, Note> notes_;
  const gltf::Warn warn_ = [this](const std::string &before, const std::string &name, const std::string &after) {
    Warn(before, name, after);
  };
  TextureExport &textures_;
  gltf::BinaryPieces &binary_;
  tinygltf::Model model_;
  tinygltf::Animation animation_;
  std::unordered_map<const Element *, int> materials_;
  std::map<int, int> untextured_;
  std::map<int, std::vector<double>> untexturedColour_;  // of a textured material, by index
  std::vector<Placement> placements_;  // per node, in the scene
  std::vector<std::pair<int, int>> lights_, cameras_;  // (light or camera, node)
  V3 lo_{INFINITY, INFINITY, INFINITY}, hi_{-INFINITY, -INFINITY, -INFINITY};  // the meshes' extent in the scene
};

}  // namespace

// Extensions are told apart without regard to case: X.GLB is binary too.
// A name that is only an extension (".glb") has it too.
std::string Extension(const std::string &path) {
  const std::string name = Utf8Of(PathFromUtf8(path).filename());
  const size_t dot = name.rfind('.');
  std::string ext = dot == std::string::npos ? "" : name.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

bool IsGltfPath(const std::string &path) {
  std::string ext = Extension(path);
  return ext == ".gltf" || ext == ".glb";
}

bool WriteGltfFile(const Document &doc, const std::string &path, std::string *error,
                   std::vector<std::string> *warnings, const GltfOptions &options) {
  const bool binary = Extension(path) == ".glb";
  if (!(options.unitScale >= kMinUnitScale && options.unitScale <= kMaxUnitScale)) {
    *error = "the unit scale must be a number from 1e-9 to 1e9";
    return false;
  }
  TextureExport textures(path, binary, options.textureFolders, options.embedTextures, warnings, options.textureRoots);
  gltf::BinaryPieces pieces;
  tinygltf::Model model = Exporter(doc, warnings, options, textures, pieces).Build();
  const std::string failed = "cannot export the document as glTF";
  if (binary) {
    // A GLB states its length and its chunks' in 32 bits.
    const uint64_t kGlbLimit = UINT32_MAX;
    auto tooLarge = [&](uint64_t bytes) {
      *error = "the export would be " + std::to_string(bytes) + " bytes, more than the " + std::to_string(kGlbLimit) +
               " a GLB file can hold: export as .gltf instead";
      return false;
    };
    if (pieces.Size() > kGlbLimit - 28) return tooLarge(pieces.Size());
    std::string json;
    if (!gltf::GlbJson(model, pieces.Size(), &json)) {
      *error = failed;
      return false;
    }
    if (gltf::GlbSize(json, pieces) > kGlbLimit) return tooLarge(gltf::GlbSize(json, pieces));
    return WriteOutput(path, [&](std::FILE *f) { return gltf::WriteGlb(f, json, pieces); }, error);
  }
  // A .gltf carries its buffer inside, as a data URI.
  if (!model.buffers.empty()) {
    if (!pieces.Joined(&model.buffers[0].data)) {
      *error = failed;
      return false;
    }
    pieces = gltf::BinaryPieces();
  }
  std::ostringstream text;
  tinygltf::TinyGLTF gltf;
  if (!gltf.WriteGltfSceneToStream(&model, text, true, false)) {
    *error = failed;
    return false;
  }
  // The images a .gltf refers to are there before it is.
  return textures.WriteCopies(error) && WriteOutputBytes(path, text.str(), error);
}

}  // namespace tessaro

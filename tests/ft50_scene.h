// Scene records on top of Ft50Writer: object records with their header and
// mesh sub-records, as the format lays them out.
#ifndef TESSARO_TESTS_FT50_SCENE_H
#define TESSARO_TESTS_FT50_SCENE_H

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "ft50_writer.h"

namespace ft50 {

using V3 = std::array<float, 3>;

struct Header {
  int32_t level = 0;
  int32_t flags = 0;
  std::string name;
  V3 pos{0, 0, 0}, scale{1, 1, 1}, rot{0, 0, 0};
  std::array<V3, 4> matrix{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
};

inline void Vec(Ft50Writer &w, const V3 &v) { w.Vec(v[0], v[1], v[2]); }

inline void ObjectHeader(Ft50Writer &w, const Header &h) {
  w.Begin(5021).I32(h.level).I32(h.flags);
  for (const V3 &v : h.matrix) Vec(w, v);
  Vec(w, h.pos);
  Vec(w, h.scale);
  Vec(w, h.rot);
  w.Text(h.name).End();
}

// One 5020 record: the kind sub-record (with body), the header, whatever
// the body function writes, and the terminator.
inline void Object(Ft50Writer &w, uint32_t kind, const Header &h,
                   const std::function<void(Ft50Writer &)> &body = nullptr,
                   const std::function<void(Ft50Writer &)> &kindBody = nullptr) {
  w.Begin(5020);
  w.Begin(kind);
  if (kindBody) kindBody(w);
  w.End();
  ObjectHeader(w, h);
  if (body) body(w);
  w.Terminator().End();
}

inline Header Named(const std::string &name, int32_t level = 0) {
  Header h;
  h.name = name;
  h.level = level;
  return h;
}

inline void Points(Ft50Writer &w, const std::vector<V3> &points) {
  w.Begin(5600).I32(static_cast<int32_t>(points.size())).I32(0);
  for (const V3 &p : points) Vec(w, p);
  w.End();
}

// Polygons in one of the four encodings: type 5601, 5602 (16-bit), 5653,
// 5654 (32-bit); each polygon lists 3 or 4 indices as the type says.
inline void Polygons(Ft50Writer &w, uint32_t type, const std::vector<std::vector<int64_t>> &polygons) {
  bool wide = type == 5653 || type == 5654;
  w.Begin(type).I32(static_cast<int32_t>(polygons.size())).I32(0);
  for (const auto &p : polygons)
    for (int64_t i : p) {
      if (wide) w.I32(static_cast<int32_t>(i));
      else w.U16(static_cast<uint16_t>(i));
    }
  w.End();
}

inline void Uv(Ft50Writer &w, const std::vector<std::array<float, 2>> &uv) {
  w.Begin(5618).I32(static_cast<int32_t>(uv.size())).I32(0).Bool(true).Bool(false);
  for (const auto &p : uv) w.Pair(p[0], p[1]);
  w.End();
}

inline void Phong(Ft50Writer &w, float angle) { w.Begin(5612).I32(0).I32(0).F32(angle).End(); }

// A spline kind body: name, a LONG, a byte, the type, the point count, a REAL.
inline std::function<void(Ft50Writer &)> SplineBody(int32_t type, int32_t points, const std::string &name = "") {
  return [=](Ft50Writer &w) { w.Text(name).I32(0).U8(0).I32(type).I32(points).F32(0); };
}

// A unit quad as two triangles, with UVs.
inline void Quad(Ft50Writer &w) {
  Points(w, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
  Polygons(w, 5601, {{0, 1, 2}, {2, 3, 0}});
  Uv(w, {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
}

// A material record: header 5704 (name, twelve switches, no extra block),
// whatever channels writes, the terminator.
inline void Material(Ft50Writer &w, const std::string &name,
                     const std::function<void(Ft50Writer &)> &channels = nullptr,
                     std::array<uint8_t, 12> switches = {1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}) {
  w.Begin(5703).Begin(5704).Text(name).Bytes(switches.data(), 12).U8(0).End();
  if (channels) channels(w);
  w.Terminator().End();
}

// One channel sub-record (5900 + channel): the common block, then what
// extension writes.
inline void Channel(Ft50Writer &w, int channel, V3 colour, float brightness, const std::string &texture,
                    const std::function<void(Ft50Writer &)> &extension = nullptr) {
  w.Begin(5900 + channel);
  Vec(w, colour);
  w.F32(brightness).Text(texture).F32(0.5f).I32(7).Vec(1, 2, 3);
  for (int i = 0; i < 7; ++i) w.I32(i);
  if (extension) extension(w);
  w.End();
}

struct Texture {
  int32_t material = 1;
  V3 pos{0, 0, 0}, scale{1, 1, 1}, rot{0, 0, 0};
  float offsetX = 0, offsetY = 0, lengthX = 1, lengthY = 1;
  uint8_t tile = 1;
  int32_t projection = 2;
  std::array<V3, 4> matrix{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
};

inline void TextureTag(Ft50Writer &w, const Texture &t) {
  w.Begin(5616).I32(0).I32(0);
  Vec(w, t.pos);
  Vec(w, t.scale);
  Vec(w, t.rot);
  w.F32(t.offsetX).F32(t.offsetY).F32(t.lengthX).F32(t.lengthY).U8(t.tile).U8(0).U8(0).I32(t.projection);
  w.I32(t.material);
  for (const V3 &v : t.matrix) Vec(w, v);
  w.I32(0).End();
}

inline Texture Uses(int32_t material) {
  Texture t;
  t.material = material;
  return t;
}

}  // namespace ft50

#endif

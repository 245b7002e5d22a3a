// Scene records on top of Ft50Writer: object records with their header and
// mesh sub-records, as the format lays them out.
#ifndef TESSARO_TESTS_FT50_SCENE_H
#define TESSARO_TESTS_FT50_SCENE_H

#include <algorithm>
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
// 5654 (32-bit); each polygon lists 3 or 4 indices as the type says. Index
// pairs likewise: 5603 (16-bit), 5655 (32-bit).
inline void Polygons(Ft50Writer &w, uint32_t type, const std::vector<std::vector<int64_t>> &polygons) {
  bool wide = type == 5653 || type == 5654 || type == 5655;
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

// ---- kinds with bodies -------------------------------------------------------

inline std::function<void(Ft50Writer &)> CameraBody(float r1, float r2, int32_t projection, float r5) {
  return [=](Ft50Writer &w) { w.F32(r1).F32(r2).Vec(9, 9, 9).I32(projection).F32(7).F32(8).F32(r5).F32(6); };
}

struct Light {
  V3 vec1{1, 0.5f, 0.25f};
  float r1 = 1, r2 = 2, r3 = 3, r4 = 4, r7 = 7;
  int32_t l2 = 22;
  uint8_t u5 = 0, u7 = 0, u8 = 88;
};

// The whole 1440-byte light body, or its first `bytes` only.
inline std::function<void(Ft50Writer &)> LightBody(const Light &l, size_t bytes = 1440) {
  return [=](Ft50Writer &out) {
    Ft50Writer w;  // its first 16 bytes are a file header, not part of the body
    Vec(w, l.vec1);
    w.Vec(5, 5, 5).F32(l.r1).F32(l.r2).F32(l.r3).F32(l.r4).F32(5).F32(6).F32(l.r7);
    for (int i = 0; i < 4; ++i) w.F32(9);
    w.I32(1).I32(l.l2);
    for (int i = 0; i < 4; ++i) w.I32(3);
    w.U8(1).U8(2).U8(3).U8(4).U8(l.u5).U8(6).U8(l.u7).U8(l.u8).U8(9);
    w.F32(12).F32(13).Vec(3, 3, 3).I32(7);
    for (int i = 0; i < 40; ++i) w.F32(1).F32(2).Vec(3, 4, 5).I32(6);
    for (int i = 0; i < 5; ++i) w.U8(1).U8(2).U8(3).I32(4).I32(5).F32(1).F32(2).F32(3).F32(4).F32(5).Vec(6, 7, 8).I32(9);
    for (int i = 0; i < 5; ++i) w.F32(1).F32(2).Vec(3, 4, 5).I32(6);
    out.Bytes(w.Data().data() + 16, std::min(bytes, w.Size() - 16));
  };
}

inline std::function<void(Ft50Writer &)> Kind5107Body(V3 a, V3 b, uint8_t at57) {
  return [=](Ft50Writer &w) {
    Vec(w, a);
    Vec(w, b);
    w.F32(1).F32(4).F32(5).F32(6).I32(0).I32(0).I32(0).I32(0).U8(0).U8(at57).U8(0);
  };
}

// ---- animation ------------------------------------------------------------------

// A 5500 sub-record: a leading record (skipped), what lists writes, and the
// terminator.
inline void Animation(Ft50Writer &w, const std::function<void(Ft50Writer &)> &lists, uint32_t leading = 5599) {
  w.Begin(5500).Begin(leading).I32(0).End();
  lists(w);
  w.Terminator().End();
}

// A 5501 key list: its header record (of the given type, with n vectors),
// then what keys writes, then the terminator unless told not to.
inline void KeyList(Ft50Writer &w, const std::function<void(Ft50Writer &)> &keys, int32_t n = 1,
                    uint32_t headerType = 5502, bool terminated = true) {
  w.Begin(5501).Begin(headerType).Pair(0, 1).Pair(10, 1).I32(0).U8(0).I32(n);
  for (int32_t i = 0; i < n; ++i) w.Vec(1, 1, 1);
  w.End();
  keys(w);
  if (terminated) w.Terminator();
  w.End();
}

inline void VectorKey(Ft50Writer &w, uint32_t type, float num, float den, V3 value, V3 second, V3 third) {
  w.Begin(type).Pair(num, den);
  Vec(w, value);
  Vec(w, second);
  Vec(w, third);
  w.End();
}

inline void CameraKey(Ft50Writer &w, float num, float den, float r1, int32_t projection, float r5) {
  w.Begin(5411).Pair(num, den);
  CameraBody(r1, 0, projection, r5)(w);
  w.End();
}

// ---- document-level records -----------------------------------------------------

// Record 2000, or its first `bytes` of payload only.
inline void DocumentSettings(Ft50Writer &out, int32_t fps, size_t bytes = 132) {
  Ft50Writer w;
  w.Vec(1, 2, 3).Vec(4, 5, 6).Vec(7, 8, 9).F32(1).I32(1).I32(2).I32(3).F32(2).Vec(1, 1, 1).I32(4).Zeros(12);
  w.I32(fps).Pair(1, 2).I32(5).I32(6).I32(7).I32(8).Zeros(20);
  out.Begin(2000).Bytes(w.Data().data() + 16, std::min(bytes, w.Size() - 16)).End();
}

// Record 4000, or its first `bytes` of payload only.
inline void RenderSettings(Ft50Writer &out, size_t bytes = 1000) {
  Ft50Writer w;
  for (int i = 0; i < 15; ++i) w.I32(i);
  w.Text("render").Text("");
  for (int i = 0; i < 7; ++i) w.I32(i);
  w.U8(1).U8(2).I32(23).F32(1).Zeros(9);
  for (int i = 0; i < 6; ++i) w.F32(float(i));
  w.Pair(1, 2).Pair(3, 4).I32(24).I32(25).I32(26);
  out.Begin(4000).Bytes(w.Data().data() + 16, std::min(bytes, w.Size() - 16)).End();
}

}  // namespace ft50

#endif

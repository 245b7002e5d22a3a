// Writes the shipped example files with the project's own FT50 writer.
// Usage: make_examples DIR
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "ft50_scene.h"

namespace {

using ft50::Header;
using ft50::Named;

// A box of the given size centred on the origin: 8 points, 6 quadrangles,
// a UV pair per point and smoothing.
void Box(Ft50Writer &w, const Header &h, float sx, float sy, float sz, std::vector<int32_t> materials = {}) {
  ft50::Object(w, 5100, h, [=](Ft50Writer &b) {
    float x = sx / 2, y = sy / 2, z = sz / 2;
    ft50::Points(b, {{-x, -y, -z}, {x, -y, -z}, {x, y, -z}, {-x, y, -z},
                     {-x, -y, z}, {x, -y, z}, {x, y, z}, {-x, y, z}});
    // Clockwise seen from outside: the host's front faces.
    ft50::Polygons(b, 5602, {{0, 3, 2, 1}, {5, 6, 7, 4}, {4, 7, 3, 0}, {1, 2, 6, 5}, {3, 7, 6, 2}, {4, 0, 1, 5}});
    // A UV per point, from above: the top and bottom show the whole texture.
    ft50::Uv(b, {{0, 1}, {1, 1}, {1, 1}, {0, 1}, {0, 0}, {1, 0}, {1, 0}, {0, 0}});
    ft50::Phong(b, 0.7853982f);
    for (int32_t m : materials) {
      ft50::Texture t = ft50::Uses(m);
      t.lengthX = t.lengthY = 0.5f;
      ft50::TextureTag(b, t);
    }
  });
}

// A material with a coloured colour channel, a specular channel and, when
// given, a texture file.
void Material(Ft50Writer &w, const std::string &name, ft50::V3 colour, const std::string &texture) {
  ft50::Material(w, name, [=](Ft50Writer &c) {
    ft50::Channel(c, 0, colour, 1, texture);
    ft50::Channel(c, 8, {1, 1, 1}, 1, "", [](Ft50Writer &e) { e.F32(0.125f).F32(0.5f).I32(1); });
  });
}

Header At(const std::string &name, int level, float x, float y, float z) {
  Header h = Named(name, level);
  h.pos = {x, y, z};
  h.matrix[0] = {x, y, z};
  return h;
}

// The host's rotation (heading, pitch, bank) as a matrix acting on its own
// coordinate numbers, M = Ry(-h) Rx(-p) Rz(-b) with the right-hand-rule
// formulas: a positive pitch raises +z towards +y, a heading of 90 degrees
// takes +z to -x. Rows of columns: m[row][column].
using M3 = std::array<std::array<double, 3>, 3>;

M3 Mul(const M3 &a, const M3 &b) {
  M3 m{};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      for (int k = 0; k < 3; ++k) m[r][c] += a[r][k] * b[k][c];
  return m;
}

M3 Rotation(double h, double p, double b) {
  double ch = std::cos(-h), sh = std::sin(-h), cp = std::cos(-p), sp = std::sin(-p), cb = std::cos(-b),
         sb = std::sin(-b);
  M3 ry{{{ch, 0, sh}, {0, 1, 0}, {-sh, 0, ch}}};
  M3 rx{{{1, 0, 0}, {0, cp, -sp}, {0, sp, cp}}};
  M3 rz{{{cb, -sb, 0}, {sb, cb, 0}, {0, 0, 1}}};
  return Mul(Mul(ry, rx), rz);
}

ft50::V3 Column(const M3 &m, int c) {
  return {static_cast<float>(m[0][c]), static_cast<float>(m[1][c]), static_cast<float>(m[2][c])};
}

// A header placed at pos with the rotation (h, p, b), its matrix to match.
Header Placed(const std::string &name, int level, ft50::V3 pos, ft50::V3 hpb) {
  Header h = At(name, level, pos[0], pos[1], pos[2]);
  h.rot = hpb;
  M3 m = Rotation(hpb[0], hpb[1], hpb[2]);
  for (int c = 0; c < 3; ++c) h.matrix[1 + c] = Column(m, c);
  return h;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_examples DIR\n");
    return 2;
  }
  std::string dir = argv[1];
  bool ok = true;

  // The smallest complete file: the header and the end record.
  ok = Ft50Writer().Terminator().Save(dir + "/empty.ft50") && ok;

  // A table: groups holding textured box meshes, an outline spline; a
  // camera with keys, two lights; document (25 frames per second) and
  // render settings; four materials of which three are used; and a record
  // of a later version that is skipped whole.
  Ft50Writer scene;
  ft50::DocumentSettings(scene, 25);
  ft50::RenderSettings(scene);
  Material(scene, "Oak", {0.6f, 0.4f, 0.2f}, "oak.png");
  Material(scene, "Steel", {0.7f, 0.7f, 0.75f}, "");
  Material(scene, "Varnish", {1, 1, 0.9f}, "");
  Material(scene, "Unused", {1, 0, 1}, "");
  ft50::Object(scene, 5100, Named("Table", 0));
  ft50::Object(scene, 5100, Named("Top", 1));
  Box(scene, At("Board", 2, 0, 75, 0), 120, 4, 80, {1, 3});
  ft50::Object(scene, 5100, Named("Legs", 1));
  Box(scene, At("Leg 1", 2, -55, 36.5f, -35), 5, 73, 5, {2});
  Box(scene, At("Leg 2", 2, 55, 36.5f, -35), 5, 73, 5, {2});
  Box(scene, At("Leg 3", 2, 55, 36.5f, 35), 5, 73, 5, {2});
  Box(scene, At("Leg 4", 2, -55, 36.5f, 35), 5, 73, 5, {2});
  ft50::Object(scene, 5101, Named("Outline", 1), nullptr, ft50::SplineBody(0, 4, "outline"));
  // A camera that the view looks through, moving in over two seconds.
  Header camera = At("Camera", 0, 0, 120, -300);
  camera.flags = 0x20;
  ft50::Object(scene, 5103, camera, [](Ft50Writer &b) {
    ft50::Animation(b, [](Ft50Writer &a) {
      ft50::KeyList(a, [](Ft50Writer &k) {
        ft50::VectorKey(k, 5402, 0, 25, {0, 120, -300}, {0, 0, 0}, {0, 0, 0});
        ft50::VectorKey(k, 5402, 50, 25, {0, 100, -200}, {0, 0, 0}, {0, 0, 0});
        ft50::VectorKey(k, 5404, 50, 25, {0, -0.2f, 0}, {0, 0, 0}, {0, 0, 0});
        ft50::CameraKey(k, 50, 25, 50, 0, 1);
      });
    });
  }, ft50::CameraBody(36, 36, 0, 1));
  // A warm spot aimed at the table top (heading 45 degrees, pitch down
  // 38.5 degrees) and a dimmer, cool fill light.
  ft50::Light key, fill;
  key.u5 = 1;  // a spot
  key.vec1 = {1, 0.95f, 0.9f};
  key.r3 = 1;
  fill.vec1 = {0.8f, 0.85f, 1};
  fill.r3 = 0.4f;
  Header keyAt = At("Key light", 0, 200, 300, -200);
  keyAt.rot = {0.7853982f, -0.6716f, 0};
  keyAt.matrix = {{{200, 300, -200}, {0.7071f, 0, 0.7071f}, {-0.4401f, 0.7828f, 0.4401f}, {-0.5535f, -0.6222f, 0.5535f}}};
  ft50::Object(scene, 5102, keyAt, nullptr, ft50::LightBody(key));
  ft50::Object(scene, 5102, At("Fill light", 0, -200, 150, -100), nullptr, ft50::LightBody(fill));
  scene.Begin(9999).Text("a record of a later version").End();
  scene.Terminator();
  ok = scene.Save(dir + "/scene.ft50") && ok;

  // A camera turned by a heading, a pitch and a bank, with a marker on its
  // view axis 3 m ahead and a second one 60 cm above that along the
  // camera's up direction: in any viewer the first sits in the middle of
  // the camera's frame and the second straight above it. A sight line, the
  // camera's child, runs along its view axis; a spot and a parallel light
  // are turned too.
  {
    const ft50::V3 eye{40, 150, -260}, turn{0.5f, -0.3f, 0.4f};
    const M3 m = Rotation(turn[0], turn[1], turn[2]);
    auto along = [&](double ahead, double up) {
      ft50::V3 p;
      for (int i = 0; i < 3; ++i) p[i] = static_cast<float>(eye[i] + ahead * m[i][2] + up * m[i][1]);
      return p;
    };
    Ft50Writer aim;
    ft50::DocumentSettings(aim, 25);
    Material(aim, "Marker", {1, 0.2f, 0.1f}, "");
    Header camera = Placed("Camera", 0, eye, turn);
    camera.flags = 0x20;
    ft50::Object(aim, 5103, camera, nullptr, ft50::CameraBody(36, 36, 0, 1));
    ft50::Object(aim, 5101, Named("Sight line", 1), [](Ft50Writer &b) {
      ft50::Points(b, {{0, 0, 50}, {0, 0, 150}, {0, 0, 250}});
    }, ft50::SplineBody(0, 3, "sight"));
    // The first marker faces the camera; the second is stretched along x.
    Box(aim, Placed("Ahead", 0, along(300, 0), turn), 10, 10, 10, {1});
    Header above = At("Above", 0, 0, 0, 0);
    above.pos = along(300, 60);
    above.matrix[0] = above.pos;
    above.scale = {2, 1, 1};
    above.matrix[1] = {2, 0, 0};
    Box(aim, above, 10, 10, 10, {1});
    ft50::Light spot;
    spot.u5 = 1;
    spot.vec1 = {1, 0.9f, 0.8f};
    spot.r2 = 0.5f;
    ft50::Object(aim, 5102, Placed("Spot", 0, {-150, 250, -150}, {0.7f, -0.6f, 0}), nullptr, ft50::LightBody(spot));
    ft50::Light sun;
    sun.u7 = 1;
    sun.vec1 = {1, 1, 1};
    ft50::Object(aim, 5102, Placed("Sun", 0, {0, 500, 0}, {-2.2f, -0.9f, 0.3f}), nullptr, ft50::LightBody(sun));
    aim.Terminator();
    ok = aim.Save(dir + "/aim.ft50") && ok;
  }

  // A user's document with the table, whose top carries texture tags: an
  // update of the table's geometry from scene.ft50 keeps them.
  std::ofstream room(dir + "/room.json", std::ios::binary | std::ios::trunc);
  room << R"({
  "objects": [
    {"type": 5100, "name": "Table", "children": [
      {"type": 5100, "name": "Top", "editorMode": 0, "renderMode": 0, "tags": [
        {"type": 5616, "material": "Oak", "params": {"1000": 0.0, "1001": 0.0, "1002": 1.0, "1003": 1.0, "1004": 2, "1007": 1}},
        {"type": 5616, "material": "Varnish", "params": {"1004": 2}}
      ]},
      {"type": 5100, "name": "Old leg"}
    ]},
    {"type": 5140, "name": "Floor"}
  ],
  "materials": [{"name": "Oak"}, {"name": "Varnish"}]
}
)";
  ok = static_cast<bool>(room.flush()) && ok;

  if (!ok) {
    std::fprintf(stderr, "make_examples: cannot write to %s\n", dir.c_str());
    return 1;
  }
  return 0;
}

// Writes the shipped example files with the project's own FT50 writer.
// Usage: make_examples DIR
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
    ft50::Uv(b, {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {1, 0}, {0, 0}, {0, 1}, {1, 1}});
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

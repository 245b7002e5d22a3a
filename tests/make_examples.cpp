// Writes the shipped example files with the project's own FT50 writer.
// Usage: make_examples DIR
#include <cstdio>
#include <fstream>
#include <string>

#include "ft50_scene.h"

namespace {

using ft50::Header;
using ft50::Named;

// A box of the given size centred on the origin: 8 points, 6 quadrangles,
// a UV pair per point and smoothing.
void Box(Ft50Writer &w, const Header &h, float sx, float sy, float sz) {
  ft50::Object(w, 5100, h, [=](Ft50Writer &b) {
    float x = sx / 2, y = sy / 2, z = sz / 2;
    ft50::Points(b, {{-x, -y, -z}, {x, -y, -z}, {x, y, -z}, {-x, y, -z},
                     {-x, -y, z}, {x, -y, z}, {x, y, z}, {-x, y, z}});
    ft50::Polygons(b, 5602, {{0, 1, 2, 3}, {5, 4, 7, 6}, {4, 0, 3, 7}, {1, 5, 6, 2}, {3, 2, 6, 7}, {4, 5, 1, 0}});
    ft50::Uv(b, {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {1, 0}, {0, 0}, {0, 1}, {1, 1}});
    ft50::Phong(b, 0.7853982f);
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

  // A table: groups holding box meshes, an outline spline, document and
  // render settings, a material, and a record of a later version that is
  // skipped whole.
  Ft50Writer scene;
  scene.Begin(2000).I32(25).Zeros(128).End();
  scene.Begin(4000).Zeros(163).Text("").Text("").End();
  scene.Begin(5703).Begin(5704).Text("Oak").End().Terminator().End();
  ft50::Object(scene, 5100, Named("Table", 0));
  ft50::Object(scene, 5100, Named("Top", 1));
  Box(scene, At("Board", 2, 0, 75, 0), 120, 4, 80);
  ft50::Object(scene, 5100, Named("Legs", 1));
  Box(scene, At("Leg 1", 2, -55, 36.5f, -35), 5, 73, 5);
  Box(scene, At("Leg 2", 2, 55, 36.5f, -35), 5, 73, 5);
  Box(scene, At("Leg 3", 2, 55, 36.5f, 35), 5, 73, 5);
  Box(scene, At("Leg 4", 2, -55, 36.5f, 35), 5, 73, 5);
  ft50::Object(scene, 5101, Named("Outline", 1), nullptr, ft50::SplineBody(0, 4, "outline"));
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

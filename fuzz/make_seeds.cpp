// Large seeds for the fuzzing campaign, written with the project's own FT50
// writer: a textured mesh of many polygons, a mesh split into many
// sub-records, many materials used by many objects, deep hierarchies, long
// key lists. Each is 100 to 300 kilobytes, so that mutations of counts
// and lengths meet inputs where amplification would show.
// Usage: make_seeds DIR
#include <cstdio>
#include <string>

#include "ft50_scene.h"

namespace {

using ft50::Named;

void Grid(Ft50Writer &w, int side, bool wide, bool uv) {
  ft50::Object(w, 5100, Named("Grid"), [&](Ft50Writer &b) {
    b.Begin(5600).I32(side * side).I32(0);
    for (int i = 0; i < side * side; ++i) b.Vec(float(i % side), float(i / side), 0);
    b.End();
    const int quads = (side - 1) * (side - 1);
    b.Begin(wide ? 5654 : 5602).I32(quads).I32(0);
    for (int y = 0; y + 1 < side; ++y)
      for (int x = 0; x + 1 < side; ++x) {
        int a = y * side + x;
        for (int i : {a, a + 1, a + side + 1, a + side}) {
          if (wide) b.I32(i);
          else b.U16(static_cast<uint16_t>(i));
        }
      }
    b.End();
    if (uv) {
      b.Begin(5618).I32(side * side).I32(0).Bool(true).Bool(false);
      for (int i = 0; i < side * side; ++i) b.Pair(float(i % side) / side, float(i / side) / side);
      b.End();
    }
    ft50::Phong(b, 0.5f);
    b.Begin(5603).I32(4).I32(0).U16(0).U16(1).U16(1).U16(2).U16(2).U16(3).U16(3).U16(0).End();
    ft50::TextureTag(b, ft50::Uses(1));
  });
}

void Save(const Ft50Writer &w, const std::string &dir, const std::string &name) {
  if (!w.Save(dir + "/" + name)) {
    std::fprintf(stderr, "make_seeds: cannot write %s/%s\n", dir.c_str(), name.c_str());
    std::exit(1);
  }
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  {
    Ft50Writer w;
    ft50::DocumentSettings(w, 25);
    ft50::RenderSettings(w);
    ft50::Material(w, "Oak", [](Ft50Writer &c) { ft50::Channel(c, 0, {1, 0.5f, 0}, 1, "oak.png"); });
    Grid(w, 80, false, true);
    w.Terminator();
    Save(w, dir, "seed-textured-grid.ft50");
  }
  {
    Ft50Writer w;
    ft50::Material(w, "M");
    Grid(w, 70, true, false);
    w.Terminator();
    Save(w, dir, "seed-wide-grid.ft50");
  }
  {
    Ft50Writer w;
    ft50::Object(w, 5100, Named("Strip"), [&](Ft50Writer &b) {
      const int n = 4000;
      b.Begin(5600).I32(n + 2).I32(0);
      for (int i = 0; i < n + 2; ++i) b.Vec(float(i / 2), float(i % 2), 0);
      b.End();
      for (int i = 0; i < n; ++i) b.Begin(i % 2 ? 5653 : 5601).I32(1).I32(0).I32(i).I32(i + 1).I32(i + 2).End();
    });
    w.Terminator();
    Save(w, dir, "seed-split-mesh.ft50");
  }
  {
    Ft50Writer w;
    const int n = 800;
    for (int i = 1; i <= n; ++i) ft50::Material(w, "M" + std::to_string(i));
    for (int i = n; i >= 1; --i)
      ft50::Object(w, 5100, Named("O" + std::to_string(i), i % 3), [&](Ft50Writer &b) {
        ft50::Points(b, {{0, 0, 0}});
        ft50::TextureTag(b, ft50::Uses(i));
      });
    w.Terminator();
    Save(w, dir, "seed-many-materials.ft50");
  }
  {
    Ft50Writer w;
    for (int i = 0; i < 400; ++i) {
      const int level = i % 254;
      if (i % 5 == 0) ft50::Object(w, 5103, Named("Cam", level), nullptr, ft50::CameraBody(35, 0, 0, 0.5f));
      else if (i % 5 == 1) ft50::Object(w, 5102, Named("Light", level), nullptr, ft50::LightBody(ft50::Light()));
      else ft50::Object(w, 5100, Named("Target", level));
    }
    w.Terminator();
    Save(w, dir, "seed-deep-kinds.ft50");
  }
  {
    Ft50Writer w;
    ft50::Object(w, 5103, Named("Cam"), [](Ft50Writer &b) {
      ft50::Animation(b, [](Ft50Writer &a) {
        for (int list = 0; list < 4; ++list)
          ft50::KeyList(a, [&](Ft50Writer &k) {
            for (int i = 0; i < 300; ++i) {
              const float t = float(list * 300 + (i * 7919) % 300);
              if (i % 3 == 0) ft50::VectorKey(k, 5402, t, 30, {t, 0, 0}, {0, 0, 0}, {0, 0, 0});
              else if (i % 3 == 1) ft50::VectorKey(k, 5404, t, 30, {0, t, 0}, {0, 0, 0}, {0, 0, 0});
              else ft50::CameraKey(k, t, 30, 50, 0, 0.5f);
            }
          }, 4);
      });
    }, ft50::CameraBody(35, 0, 0, 0));
    w.Terminator();
    Save(w, dir, "seed-long-keys.ft50");
  }
  return 0;
}

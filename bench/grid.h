// The benchmarks' mesh: a grid of triangles on a gently rippled plane, as
// FT50 (points, 32-bit triangles and, textured, a UV pair per point).
#ifndef TESSARO_BENCH_GRID_H
#define TESSARO_BENCH_GRID_H

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ft50_scene.h"

namespace bench {

// A grid of a × b cells, two triangles each: 2ab triangles on (a+1)(b+1)
// points, so 4 million triangles stand on about 2 million points.
struct Grid {
  int32_t a = 0, b = 0;
  int32_t Points() const { return (a + 1) * (b + 1); }
  int32_t Triangles() const { return 2 * a * b; }
  std::array<float, 3> Point(int32_t k) const {
    int32_t i = k % (a + 1), j = k / (a + 1);
    return {float(i) * 0.01f, float((i * 7 + j * 13) % 17) * 0.001f, float(j) * 0.01f};
  }
  std::array<float, 2> Uv(int32_t k) const { return {float(k % (a + 1)) / float(a), float(k / (a + 1)) / float(b)}; }
  std::array<int32_t, 3> Triangle(int32_t t) const {
    int32_t cell = t / 2, i = cell % a, j = cell / a;
    int32_t v0 = j * (a + 1) + i, v1 = v0 + 1, v2 = v0 + a + 1, v3 = v2 + 1;
    return t % 2 ? std::array<int32_t, 3>{v0, v3, v2} : std::array<int32_t, 3>{v0, v1, v3};
  }
};

inline Grid GridFor(int32_t triangles) {
  Grid g;
  g.a = std::max(1, int32_t(std::lround(std::sqrt(triangles / 4.0))));
  g.b = std::max(1, triangles / (2 * g.a));
  return g;
}

inline void WriteFt50(const Grid &g, const std::string &path, bool textured) {
  Ft50Writer w;
  ft50::Object(w, 5100, ft50::Named("Grid"), [&](Ft50Writer &o) {
    o.Begin(5600).I32(g.Points()).I32(0);
    for (int32_t k = 0; k < g.Points(); ++k) {
      auto p = g.Point(k);
      o.Vec(p[0], p[1], p[2]);
    }
    o.End();
    o.Begin(5653).I32(g.Triangles()).I32(0);
    for (int32_t t = 0; t < g.Triangles(); ++t) {
      auto v = g.Triangle(t);
      o.I32(v[0]).I32(v[1]).I32(v[2]);
    }
    o.End();
    if (!textured) return;
    o.Begin(5618).I32(g.Points()).I32(0).Bool(true).Bool(false);
    for (int32_t k = 0; k < g.Points(); ++k) {
      auto uv = g.Uv(k);
      o.Pair(uv[0], uv[1]);
    }
    o.End();
  });
  w.Terminator();
  if (!w.Save(path)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

}  // namespace bench

#endif

// Shared by the benchmarks: timing one import through the host and the
// real plug-in.
#ifndef TESSARO_BENCH_SUPPORT_H
#define TESSARO_BENCH_SUPPORT_H

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Host.h"
#include "c4d_symbols.h"
#include "ft50_scene.h"

namespace bench {

// Seconds for one import of the file into a new document.
inline double ImportSeconds(const std::string &file) {
  tessaro::Host host;
  std::string why;
  if (!host.LoadPlugins(TESSARO_PLUGIN_DIR, &why)) {
    std::fprintf(stderr, "%s\n", why.c_str());
    std::exit(1);
  }
  tessaro::DialogAnswers answers;
  answers.mode = MODE_NEW;
  auto start = std::chrono::steady_clock::now();
  tessaro::ImportResult r = host.Import(file, answers);
  auto end = std::chrono::steady_clock::now();
  if (r.code != TH_LOAD_OK) {
    std::fprintf(stderr, "import of %s failed: %d\n", file.c_str(), r.code);
    std::exit(1);
  }
  return std::chrono::duration<double>(end - start).count();
}

// A mesh of n triangles in a strip, each triangle in a sub-record of its own.
inline void SplitMesh(int32_t n, Ft50Writer &w) {
  ft50::Object(w, 5100, ft50::Named("Strip"), [&](Ft50Writer &b) {
    b.Begin(5600).I32(n + 2).I32(0);
    for (int32_t i = 0; i < n + 2; ++i) b.Vec(float(i / 2), float(i % 2), 0);
    b.End();
    for (int32_t i = 0; i < n; ++i) b.Begin(5653).I32(1).I32(0).I32(i).I32(i + 1).I32(i + 2).End();
  });
}

// n materials, each used by the texture tag of its own object, referred to
// from the last to the first.
inline void ManyMaterials(int32_t n, Ft50Writer &w) {
  for (int32_t i = 1; i <= n; ++i) ft50::Material(w, "M" + std::to_string(i));
  for (int32_t i = n; i >= 1; --i)
    ft50::Object(w, 5100, ft50::Named("O" + std::to_string(i)), [&](Ft50Writer &b) {
      ft50::TextureTag(b, ft50::Uses(i));
    });
}

// The median of n imports.
inline double MedianImportSeconds(const std::string &file, int n = 5) {
  std::vector<double> runs;
  for (int i = 0; i < n; ++i) runs.push_back(ImportSeconds(file));
  std::sort(runs.begin(), runs.end());
  return runs[runs.size() / 2];
}

}  // namespace bench

#endif

// Imports meshes whose every triangle stands in a sub-record of its own,
// at growing sizes, through the host and the real plug-in, and prints the
// time per polygon: linear growth shows as a flat column.
// Usage: split_mesh_bench [MAX_POLYGONS] (default 1000000)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"
#include "ft50_scene.h"

namespace fs = std::filesystem;

namespace {

void WriteSplitMesh(const std::string &path, int32_t polygons) {
  Ft50Writer w;
  ft50::Object(w, 5100, ft50::Named("Strip"), [&](Ft50Writer &b) {
    // A triangle strip: points along two rails.
    b.Begin(5600).I32(polygons + 2).I32(0);
    for (int32_t i = 0; i < polygons + 2; ++i) b.Vec(float(i / 2), float(i % 2), 0);
    b.End();
    for (int32_t i = 0; i < polygons; ++i) b.Begin(5653).I32(1).I32(0).I32(i).I32(i + 1).I32(i + 2).End();
  });
  w.Terminator();
  w.Save(path);
}

}  // namespace

int main(int argc, char **argv) {
  int32_t max = argc > 1 ? std::atoi(argv[1]) : 1000000;
  fs::path dir = fs::temp_directory_path() / "tessaro-bench";
  fs::create_directories(dir);
  std::printf("%12s %10s %12s %14s\n", "polygons", "MB", "median s", "ns / polygon");
  for (int32_t n = max / 8; n <= max; n *= 2) {
    std::string file = (dir / ("split-" + std::to_string(n) + ".ft50")).string();
    WriteSplitMesh(file, n);
    double median = bench::MedianImportSeconds(file);
    std::printf("%12d %10.1f %12.3f %14.1f\n", n, double(fs::file_size(file)) / 1e6, median, median * 1e9 / n);
    fs::remove(file);
  }
  return 0;
}

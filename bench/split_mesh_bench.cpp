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

}  // namespace

int main(int argc, char **argv) {
  int32_t max = argc > 1 ? std::atoi(argv[1]) : 1000000;
  fs::path dir = fs::temp_directory_path() / "tessaro-bench";
  fs::create_directories(dir);
  std::printf("%12s %10s %12s %14s\n", "polygons", "MB", "median s", "ns / polygon");
  for (int32_t n = max / 8; n <= max; n *= 2) {
    std::string file = (dir / ("split-" + std::to_string(n) + ".ft50")).string();
    Ft50Writer w;
    bench::SplitMesh(n, w);
    w.Terminator();
    w.Save(file);
    double median = bench::MedianImportSeconds(file);
    std::printf("%12d %10.1f %12.3f %14.1f\n", n, double(fs::file_size(file)) / 1e6, median, median * 1e9 / n);
    fs::remove(file);
  }
  return 0;
}

// Imports files with many materials, each used by the texture tag of its own
// object, referred to from the last to the first: the order in which a
// walk of the earlier-listed materials for every reference is quadratic.
// Usage: many_materials_bench [MAX_MATERIALS] (default 50000)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench_support.h"
#include "ft50_scene.h"

namespace fs = std::filesystem;

int main(int argc, char **argv) {
  int32_t max = argc > 1 ? std::atoi(argv[1]) : 50000;
  fs::path dir = fs::temp_directory_path() / "tessaro-bench";
  fs::create_directories(dir);
  std::printf("%12s %10s %12s %16s\n", "materials", "MB", "median s", "us / material");
  for (int32_t n = max / 4; n <= max; n *= 2) {
    std::string file = (dir / ("materials-" + std::to_string(n) + ".ft50")).string();
    Ft50Writer w;
    bench::ManyMaterials(n, w);
    w.Terminator();
    w.Save(file);
    double median = bench::MedianImportSeconds(file, 3);
    std::printf("%12d %10.1f %12.3f %16.2f\n", n, double(fs::file_size(file)) / 1e6, median, median * 1e6 / n);
    fs::remove(file);
  }
  return 0;
}

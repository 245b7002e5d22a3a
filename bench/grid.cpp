// Writes the benchmarks' grid mesh as an FT50 file, for benchmarks run
// outside this program (bench/run.sh blender).
// Usage: bench_grid TRIANGLES [--textured] OUT.ft50
#include <cstring>

#include "grid.h"

int main(int argc, char **argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_grid TRIANGLES [--textured] OUT.ft50\n");
    return 2;
  }
  const bool textured = argc > 3 && !std::strcmp(argv[2], "--textured");
  bench::WriteFt50(bench::GridFor(std::atoi(argv[1])), argv[argc - 1], textured);
  return 0;
}

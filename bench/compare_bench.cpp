// One mesh three ways, at growing sizes: (a) `tessaro import` of the FT50
// file through the host's dialog path and the real plug-in, with no
// document output; (b) Assimp reading the same mesh as big-endian binary
// PLY; (c) the floor, reading the FT50 file and byte-swapping each 4-byte
// word once. Every run is a process of its own; the three alternate, round
// after round, and the table gives medians of wall time and of peak
// resident memory. hyperfine runs one command's rounds back to back and
// does not read memory, so the loop is written here.
// Usage: bench_compare [--rounds N] [--keep] [TRIANGLES...] (default 10000 1000000
// 4000000); --keep leaves the files in the temporary folder, for profiling.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ft50_scene.h"
#include "process.h"

namespace fs = std::filesystem;
using bench::Run;
using bench::RunProcess;

namespace {

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
  std::array<int32_t, 3> Triangle(int32_t t) const {
    int32_t cell = t / 2, i = cell % a, j = cell / a;
    int32_t v0 = j * (a + 1) + i, v1 = v0 + 1, v2 = v0 + a + 1, v3 = v2 + 1;
    return t % 2 ? std::array<int32_t, 3>{v0, v3, v2} : std::array<int32_t, 3>{v0, v1, v3};
  }
};

Grid GridFor(int32_t triangles) {
  Grid g;
  g.a = std::max(1, int32_t(std::lround(std::sqrt(triangles / 4.0))));
  g.b = std::max(1, triangles / (2 * g.a));
  return g;
}

void WriteFt50(const Grid &g, const std::string &path) {
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
  });
  w.Terminator();
  if (!w.Save(path)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

void Big32(std::vector<uint8_t> &out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}

void WritePly(const Grid &g, const std::string &path) {
  std::string header = "ply\nformat binary_big_endian 1.0\nelement vertex " + std::to_string(g.Points()) +
                       "\nproperty float x\nproperty float y\nproperty float z\nelement face " +
                       std::to_string(g.Triangles()) + "\nproperty list uchar int vertex_indices\nend_header\n";
  std::vector<uint8_t> out(header.begin(), header.end());
  out.reserve(out.size() + size_t(g.Points()) * 12 + size_t(g.Triangles()) * 13);
  for (int32_t k = 0; k < g.Points(); ++k)
    for (float f : g.Point(k)) {
      uint32_t u;
      std::memcpy(&u, &f, 4);
      Big32(out, u);
    }
  for (int32_t t = 0; t < g.Triangles(); ++t) {
    out.push_back(3);
    for (int32_t v : g.Triangle(t)) Big32(out, uint32_t(v));
  }
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char *>(out.data()), std::streamsize(out.size()));
  if (!f) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

// The output of a command, for the check before timing.
std::string Output(const std::string &command) {
  std::string text;
  std::fflush(stdout);
  FILE *p = popen(command.c_str(), "r");
  if (!p) return text;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
  pclose(p);
  return text;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char **argv) {
  int rounds = 7;
  bool keep = false;
  std::vector<int32_t> sizes;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc) rounds = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--keep")) keep = true;
    else sizes.push_back(std::atoi(argv[i]));
  }
  if (sizes.empty()) sizes = {10000, 1000000, 4000000};

  fs::path dir = fs::temp_directory_path() / "tessaro-compare";
  fs::create_directories(dir);
  const std::string prefs = (dir / "prefs").string();
  // Medians; the range of (a) shows how steady it is (page faults of fresh
  // memory dominate a large import).
  std::printf("%10s %9s %7s %7s | %8s %8s %8s | %6s %6s | %9s | %15s | %8s %8s %8s | %6s\n", "triangles", "points",
              "FT50 MB", "PLY MB", "a s", "b s", "c s", "a/b", "a/c", "a ns/tri", "a min-max s", "a MB", "b MB", "c MB",
              "a/b MB");
  for (int32_t n : sizes) {
    Grid g = GridFor(n);
    std::string ft50 = (dir / ("grid-" + std::to_string(g.Triangles()) + ".ft50")).string();
    std::string ply = (dir / ("grid-" + std::to_string(g.Triangles()) + ".ply")).string();
    WriteFt50(g, ft50);
    WritePly(g, ply);

    std::vector<std::string> a = {TESSARO_TESSARO, "import", ft50, "--mode", "new", "--out", "none",
                                  "--plugins", TESSARO_PLUGIN_DIR, "--prefs", prefs};
    std::vector<std::string> b = {TESSARO_ASSIMP, ply, std::to_string(g.Triangles())};
    std::vector<std::string> c = {TESSARO_FLOOR, ft50};
    // What is timed must import the whole mesh.
    std::string summary = Output(std::string(TESSARO_TESSARO) + " import " + ft50 + " --mode new --out - --plugins " +
                                 TESSARO_PLUGIN_DIR + " --prefs " + prefs);
    std::string points = " " + std::to_string(g.Points()) + " points", polygons = " " + std::to_string(g.Triangles()) + " polygons";
    if (summary.find(points) == std::string::npos || summary.find(polygons) == std::string::npos) {
      std::fprintf(stderr, "the import of %s does not hold%s and%s:\n%s", ft50.c_str(), points.c_str(),
                   polygons.c_str(), summary.c_str());
      return 1;
    }
    RunProcess(a), RunProcess(b), RunProcess(c);  // warm the page cache

    std::array<std::vector<double>, 3> seconds, peak;
    for (int r = 0; r < rounds; ++r) {
      int k = 0;
      for (const auto *cmd : {&a, &b, &c}) {
        Run run = RunProcess(*cmd);
        seconds[k].push_back(run.seconds);
        peak[k].push_back(run.peakMB);
        ++k;
      }
    }
    double ta = Median(seconds[0]), tb = Median(seconds[1]), tc = Median(seconds[2]);
    double ma = Median(peak[0]), mb = Median(peak[1]), mc = Median(peak[2]);
    auto range = std::minmax_element(seconds[0].begin(), seconds[0].end());
    std::printf("%10d %9d %7.1f %7.1f | %8.4f %8.4f %8.4f | %6.3f %6.2f | %9.1f | %7.4f-%-7.4f | %8.1f %8.1f %8.1f | %6.3f\n",
                g.Triangles(), g.Points(), double(fs::file_size(ft50)) / 1e6, double(fs::file_size(ply)) / 1e6, ta,
                tb, tc, ta / tb, ta / tc, ta * 1e9 / g.Triangles(), *range.first, *range.second, ma, mb, mc, ma / mb);
    std::fflush(stdout);
    if (!keep) fs::remove(ft50), fs::remove(ply);
  }
  return 0;
}

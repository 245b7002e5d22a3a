// One mesh three ways, at growing sizes: (a) `tessaro import` of the FT50
// file through the host's dialog path and the real plug-in, with no
// document output; (b) Assimp reading the same mesh as big-endian binary
// PLY; (c) the floor, reading the FT50 file and byte-swapping each 4-byte
// word once. With --export, the mesh two ways into GLB: (a) `tessaro
// import … --out FILE.glb`, (b) `assimp export` of the PLY (Assimp's
// command-line tool). --textured gives every point a UV pair (FT50 record
// 5618; PLY properties s and t), as real meshes have.
// Every run is a process of its own; the commands alternate, round after
// round, and the table gives medians of wall time and of peak resident
// memory (MB are 2^20 bytes); a's time per triangle is beyond that of the
// same run on a grid of two triangles. hyperfine runs one command's rounds back to
// back and does not read memory, so the loop is written here.
// Usage: bench_compare [--rounds N] [--keep] [--textured] [--export] [--cold] [TRIANGLES...]
// (default 10000 1000000 4000000); --keep leaves the files in the
// temporary folder, for profiling.
#include <sys/mman.h>

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
#include "grid.h"
#include "process.h"

namespace fs = std::filesystem;
using bench::Grid;
using bench::GridFor;
using bench::Run;
using bench::RunProcess;
using bench::WriteFt50;

namespace {

void Big32(std::vector<uint8_t> &out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}

void BigFloat(std::vector<uint8_t> &out, float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  Big32(out, u);
}

void WritePly(const Grid &g, const std::string &path, bool textured) {
  std::string header = "ply\nformat binary_big_endian 1.0\nelement vertex " + std::to_string(g.Points()) +
                       "\nproperty float x\nproperty float y\nproperty float z\n" +
                       (textured ? "property float s\nproperty float t\n" : "") + "element face " +
                       std::to_string(g.Triangles()) + "\nproperty list uchar int vertex_indices\nend_header\n";
  std::vector<uint8_t> out(header.begin(), header.end());
  out.reserve(out.size() + size_t(g.Points()) * (textured ? 20 : 12) + size_t(g.Triangles()) * 13);
  for (int32_t k = 0; k < g.Points(); ++k) {
    for (float f : g.Point(k)) BigFloat(out, f);
    if (textured)
      for (float f : g.Uv(k)) BigFloat(out, f);
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

// The files of one size, written once for every mode.
struct Files {
  std::string ft50, ply;
};

Files WriteFiles(const fs::path &dir, const Grid &g, bool textured) {
  const std::string name = std::string(textured ? "textured-" : "grid-") + std::to_string(g.Triangles());
  Files f{(dir / (name + ".ft50")).string(), (dir / (name + ".ply")).string()};
  WriteFt50(g, f.ft50, textured);
  WritePly(g, f.ply, textured);
  return f;
}

// Runs the commands round after round, alternating; medians per command.
// A virtual machine may hand memory that has been free for a while back
// to its hypervisor (free page reporting: here after about 2 seconds), and
// the next first touch of it then costs several times the clearing of a
// page, whatever the program. Touching as much as a command will use, just
// before it runs, gives every command memory in the same state, as on a
// machine of its own; --cold leaves that out.
void Prime(double mb) {
  const size_t bytes = size_t(mb * (1 << 20));
  void *p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return;
  madvise(p, bytes, MADV_HUGEPAGE);
  for (size_t at = 0; at < bytes; at += 4096) static_cast<volatile char *>(p)[at] = 1;
  munmap(p, bytes);
}

void Measure(const std::vector<const std::vector<std::string> *> &commands, int rounds, bool cold,
             std::vector<double> *seconds, std::vector<double> *peaks, std::pair<double, double> *firstRange) {
  std::vector<double> first;
  for (const auto *cmd : commands) first.push_back(RunProcess(*cmd).peakMB);  // warm the page cache
  std::vector<std::vector<double>> t(commands.size()), m(commands.size());
  for (int r = 0; r < rounds; ++r)
    for (size_t k = 0; k < commands.size(); ++k) {
      if (!cold) Prime(first[k] * 1.25 + 64);
      Run run = RunProcess(*commands[k]);
      t[k].push_back(run.seconds);
      m[k].push_back(run.peakMB);
    }
  for (size_t k = 0; k < commands.size(); ++k) {
    seconds->push_back(Median(t[k]));
    peaks->push_back(Median(m[k]));
  }
  auto range = std::minmax_element(t[0].begin(), t[0].end());
  *firstRange = {*range.first, *range.second};
}

// The import must hold the whole mesh: its points, its polygons and their
// tags (points, polygons and, when textured, UVW).
bool ImportsWhole(const Grid &g, const std::string &ft50, const std::string &prefs, bool textured) {
  std::string summary = Output(std::string(TESSARO_TESSARO) + " import " + ft50 + " --mode new --out - --plugins " +
                               TESSARO_PLUGIN_DIR + " --prefs " + prefs);
  std::vector<std::string> wanted = {" " + std::to_string(g.Triangles()) + " polygons, " +
                                     std::to_string(g.Points()) + " points, " + (textured ? "3" : "2") + " tags"};
  for (const std::string &w : wanted)
    if (summary.find(w) == std::string::npos) {
      std::fprintf(stderr, "the import of %s does not hold '%s':\n%s", ft50.c_str(), w.c_str(), summary.c_str());
      return false;
    }
  return true;
}

const double kMB = 1 << 20;

}  // namespace

int main(int argc, char **argv) {
  int rounds = 7;
  bool keep = false, textured = false, exporting = false, cold = false;
  std::vector<int32_t> sizes;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc) rounds = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--keep")) keep = true;
    else if (!std::strcmp(argv[i], "--textured")) textured = true;
    else if (!std::strcmp(argv[i], "--export")) exporting = true;
    else if (!std::strcmp(argv[i], "--cold")) cold = true;
    else sizes.push_back(std::atoi(argv[i]));
  }
  if (sizes.empty()) sizes = {10000, 1000000, 4000000};

  fs::path dir = fs::temp_directory_path() / "tessaro-compare";
  fs::create_directories(dir);
  const std::string prefs = (dir / "prefs").string();
  std::printf("%s%s\n", textured ? "textured (a UV pair per point)" : "untextured",
              exporting ? ", exported to GLB" : ", imported");
  if (exporting) {
    // doc: the document's own data (points, polygons, UVW); out: the GLB.
    std::printf("%10s %9s | %8s %8s | %6s | %9s | %15s | %8s %8s | %8s %8s %8s\n", "triangles", "points", "a s", "b s",
                "b/a", "a ns/tri", "a min-max s", "a MB", "b MB", "doc MB", "out MB", "a-doc-out");
  } else {
    // Medians; the range of (a) shows how steady it is (page faults of
    // fresh memory dominate a large import).
    std::printf("%10s %9s %7s %7s | %8s %8s %8s | %6s %6s | %9s | %15s | %8s %8s %8s | %6s\n", "triangles", "points",
                "FT50 MB", "PLY MB", "a s", "b s", "c s", "a/b", "a/c", "a ns/tri", "a min-max s", "a MB", "b MB",
                "c MB", "a/b MB");
  }
  // The same command on a grid of two triangles: what a run costs whatever
  // the mesh (starting the program, loading the plug-in), taken off (a)
  // for its time per triangle.
  Grid tiny = GridFor(2);
  Files empty = WriteFiles(dir, tiny, textured);
  for (int32_t n : sizes) {
    Grid g = GridFor(n);
    Files files = WriteFiles(dir, g, textured);
    if (!ImportsWhole(g, files.ft50, prefs, textured)) return 1;
    std::vector<double> seconds, peak;
    std::pair<double, double> range;
    if (exporting) {
      const std::string glbA = (dir / "a.glb").string(), glbB = (dir / "b.glb").string();
      std::vector<std::string> a = {TESSARO_TESSARO, "import", files.ft50, "--mode", "new", "--out", glbA,
                                    "--plugins", TESSARO_PLUGIN_DIR, "--prefs", prefs};
      std::vector<std::string> b = {TESSARO_ASSIMP_TOOL, "export", files.ply, glbB, "-fglb2"};
      std::vector<std::string> a0 = a;
      a0[2] = empty.ft50;
      a0[6] = (dir / "a0.glb").string();
      Measure({&a, &b, &a0}, rounds, cold, &seconds, &peak, &range);
      const double doc = (double(g.Points()) * 12 + double(g.Triangles()) * (textured ? 16 + 48 : 16)) / kMB;
      const double out = double(fs::file_size(glbA)) / kMB;
      std::printf("%10d %9d | %8.3f %8.3f | %6.2f | %9.1f | %7.3f-%-7.3f | %8.1f %8.1f | %8.1f %8.1f %8.1f\n",
                  g.Triangles(), g.Points(), seconds[0], seconds[1], seconds[1] / seconds[0],
                  (seconds[0] - seconds[2]) * 1e9 / g.Triangles(), range.first, range.second, peak[0], peak[1], doc, out,
                  peak[0] - doc - out);
      if (!keep) fs::remove(glbA), fs::remove(glbB), fs::remove(a0[6]);
    } else {
      std::vector<std::string> a = {TESSARO_TESSARO, "import", files.ft50, "--mode", "new", "--out", "none",
                                    "--plugins", TESSARO_PLUGIN_DIR, "--prefs", prefs};
      std::vector<std::string> b = {TESSARO_ASSIMP, files.ply, std::to_string(g.Triangles())};
      std::vector<std::string> c = {TESSARO_FLOOR, files.ft50};
      std::vector<std::string> a0 = a;
      a0[2] = empty.ft50;
      Measure({&a, &b, &c, &a0}, rounds, cold, &seconds, &peak, &range);
      std::printf("%10d %9d %7.1f %7.1f | %8.4f %8.4f %8.4f | %6.3f %6.2f | %9.1f | %7.4f-%-7.4f | %8.1f %8.1f %8.1f | %6.3f\n",
                  g.Triangles(), g.Points(), double(fs::file_size(files.ft50)) / 1e6,
                  double(fs::file_size(files.ply)) / 1e6, seconds[0], seconds[1], seconds[2], seconds[0] / seconds[1],
                  seconds[0] / seconds[2], (seconds[0] - seconds[3]) * 1e9 / g.Triangles(), range.first, range.second, peak[0],
                  peak[1], peak[2], peak[0] / peak[1]);
    }
    std::fflush(stdout);
    if (!keep) fs::remove(files.ft50), fs::remove(files.ply);
  }
  if (!keep) fs::remove(empty.ft50), fs::remove(empty.ply);
  return 0;
}

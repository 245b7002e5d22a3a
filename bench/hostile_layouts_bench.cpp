// The crafted layouts that make naive readers quadratic, each at two sizes,
// imported by the tessaro program (host and real plug-in, no output): time
// and peak memory per megabyte of input. Linear cost shows as equal
// columns at both sizes.
// Usage: hostile_layouts_bench [SCALE] (sizes are multiplied by SCALE, default 1)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "process.h"

namespace fs = std::filesystem;

namespace {

// Runs tessaro on the file (into the user document, when given) and answers
// its time and peak resident memory.
bench::Run Import(const std::string &file, const std::vector<std::string> &extra) {
  std::vector<std::string> args = {TESSARO_TESSARO, "import", file, "--out", "none", "--prefs",
                                   (fs::temp_directory_path() / "tessaro-bench-prefs.json").string()};
  args.insert(args.end(), extra.begin(), extra.end());
  return bench::RunProcess(args);
}

struct Layout {
  const char *name;
  int32_t size;  // the smaller size; the larger is twice it
  std::function<void(int32_t n, Ft50Writer &w, std::string *userDocument)> write;
  std::vector<std::string> answers;
};

// An update of a target whose n children (each with a texture tag) the
// file replaces with n namesakes without points, each given the tags back.
void Namesakes(int32_t n, Ft50Writer &w, std::string *user) {
  *user = "{\"objects\": [{\"type\": 5140, \"name\": \"Target\", \"children\": [";
  for (int32_t i = 0; i < n; ++i)
    *user += std::string(i ? "," : "") + "{\"type\": 5100, \"name\": \"N" + std::to_string(i) +
             "\", \"tags\": [{\"type\": 5616, \"material\": \"M\"}]}";
  *user += "]}], \"materials\": [{\"name\": \"M\"}]}";
  ft50::Object(w, 5100, ft50::Named("Root"));
  for (int32_t i = n - 1; i >= 0; --i) {
    ft50::Object(w, 5100, ft50::Named("N" + std::to_string(i), 1));
    ft50::Object(w, 5100, ft50::Named("Inside", 2), [](Ft50Writer &b) { ft50::Points(b, {{0, 0, 0}}); });
  }
}

// Chains of objects from level 0 to the deepest level, 253.
void DeepNesting(int32_t n, Ft50Writer &w, std::string *) {
  for (int32_t i = 0; i < n; ++i) ft50::Object(w, 5100, ft50::Named("L", i % 254));
}

void EmptyRecords(int32_t n, Ft50Writer &w, std::string *) {
  for (int32_t i = 0; i < n; ++i) w.Empty(4242);
  // And as sub-records of one object.
  w.Begin(5020).Begin(5100).End();
  ft50::ObjectHeader(w, ft50::Named("Empty"));
  for (int32_t i = 0; i < n; ++i) w.Empty(4242);
  w.Terminator().End();
}

}  // namespace

int main(int argc, char **argv) {
  double scale = argc > 1 ? std::atof(argv[1]) : 1.0;
  fs::path dir = fs::temp_directory_path() / "tessaro-bench";
  fs::create_directories(dir);
  const std::vector<std::string> update = {"--into", (dir / "user.json").string(), "--mode", "update", "--object",
                                           "Target", "--kind", "geometry"};
  const Layout layouts[] = {
      {"one-polygon sub-records", 250000, [](int32_t n, Ft50Writer &w, std::string *) { bench::SplitMesh(n, w); }, {}},
      {"materials used by texture tags", 12500,
       [](int32_t n, Ft50Writer &w, std::string *) { bench::ManyMaterials(n, w); }, {}},
      {"removed namesakes (update)", 10000, Namesakes, update},
      {"nesting to level 253", 40000, DeepNesting, {}},
      {"zero-length records", 500000, EmptyRecords, {}},
  };
  std::printf("%-32s %10s %8s %9s %9s %10s %9s\n", "layout", "elements", "MB", "median s", "s / MB", "peak MB",
              "peak/MB");
  for (const Layout &l : layouts) {
    for (int32_t n : {int32_t(l.size * scale), int32_t(2 * l.size * scale)}) {
      std::string file = (dir / "hostile.ft50").string(), user;
      Ft50Writer w;
      l.write(n, w, &user);
      w.Terminator();
      w.Save(file);
      if (!user.empty()) std::ofstream(dir / "user.json") << user;
      std::vector<bench::Run> runs;
      for (int i = 0; i < 3; ++i) runs.push_back(Import(file, l.answers));
      std::sort(runs.begin(), runs.end(), [](const bench::Run &a, const bench::Run &b) { return a.seconds < b.seconds; });
      double mb = double(fs::file_size(file)) / 1e6;
      double peak = 0;
      for (const bench::Run &r : runs) peak = std::max(peak, r.peakMB);
      std::printf("%-32s %10d %8.2f %9.3f %9.4f %10.1f %9.2f\n", l.name, n, mb, runs[1].seconds,
                  runs[1].seconds / mb, peak, peak / mb);
      std::fflush(stdout);
    }
  }
  return 0;
}

// The crafted layouts that make naive readers quadratic or make a small
// file hold much memory, each at two sizes, imported by the tessaro program
// (host and real plug-in, no output): time and peak memory beyond an empty
// import, per megabyte of input. Linear cost shows as equal columns at
// both sizes.
// Usage: hostile_layouts_bench [SCALE] (sizes are multiplied by SCALE, default 1);
// TESSARO_BENCH_ONLY=TEXT runs only the layouts whose name holds TEXT.
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

// One object whose n polygon records each claim every polygon the rest of
// the file could hold: read against the file instead of the record, each
// would read the whole tail again.
void OverlappingCounts(int32_t n, Ft50Writer &w, std::string *) {
  ft50::Object(w, 5100, ft50::Named("Greedy"), [&](Ft50Writer &b) {
    ft50::Points(b, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    const int32_t claim = n * 16 / 6;
    for (int32_t i = 0; i < n; ++i) b.Begin(5601).I32(claim).I32(0).U16(0).End();
  });
}

// n meshes whose object records have no length at all: each list is
// followed to its end record to find where the object ends.
void ShortObjects(int32_t n, Ft50Writer &w, std::string *) {
  std::vector<size_t> headers;
  for (int32_t i = 0; i < n; ++i) {
    headers.push_back(w.Size());
    ft50::Object(w, 5100, ft50::Named("S"), [](Ft50Writer &b) {
      ft50::Points(b, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
      ft50::Polygons(b, 5601, {{0, 1, 2}});
    });
  }
  std::vector<uint8_t> bytes = w.Data();
  for (size_t at : headers) std::fill(bytes.begin() + long(at) + 4, bytes.begin() + long(at) + 8, 0);
  w = Ft50Writer();
  w.Bytes(bytes.data() + 16, bytes.size() - 16);
}

// n small objects, each with a record that runs past its object to a place
// of its own far ahead in the file, where no list continues; an unknown
// record after each object, so that no top-level record vouches for the
// object's end: every one sends the framing off to look there and back.
void FarJumps(int32_t n, Ft50Writer &w, std::string *) {
  auto one = [](Ft50Writer &out, int32_t ahead) {
    out.Begin(5020).Empty(5100);
    ft50::ObjectHeader(out, ft50::Named(""));
    out.RawHeader(5600, ahead).Terminator().End().Empty(7777);
  };
  Ft50Writer probe;
  one(probe, 0);
  const int64_t size = int64_t(probe.Size()) - 16, payloadAt = size - 8 - 8 - 8;  // the 5600's payload
  const int64_t filler = 16 + int64_t(n) * size;
  for (int32_t i = 0; i < n; ++i) {
    const int64_t from = 16 + int64_t(i) * size + payloadAt;
    one(w, int32_t(filler + 16 * int64_t(i) - from));
  }
  w.Terminator();
  std::vector<uint8_t> ones(size_t(n) * 16 + 64, 0xFF);  // negative lengths: no list goes on there
  w.Bytes(ones.data(), ones.size());
}

// n objects, each with an animation whose key list claims the rest of the
// file: nested lists bounded by the file would each walk the rest again.
void CrossingKeyLists(int32_t n, Ft50Writer &w, std::string *) {
  for (int32_t i = 0; i < n; ++i)
    ft50::Object(w, 5100, ft50::Named("K"), [&](Ft50Writer &b) {
      b.Begin(5500).Empty(5599).RawHeader(5501, (n - i) * 100).End();
      b.Begin(5402).Pair(1, 1).Vec(1, 1, 1).Vec(0, 0, 0).Vec(0, 0, 0).End();
    });
}

// n objects whose light kind record is empty: the light's 1440-byte body
// is read from whatever follows (a fixed amount, put back at the record's
// end), then the object fails.
void EmptyLightKinds(int32_t n, Ft50Writer &w, std::string *) {
  for (int32_t i = 0; i < n; ++i) w.Begin(5020).Empty(5102).Terminator().End();
}

// n materials that no texture tag uses: each is made, held to the end of
// the load and released.
void UnusedMaterials(int32_t n, Ft50Writer &w, std::string *) {
  for (int32_t i = 0; i < n; ++i) ft50::Material(w, "");
}

// One object of n records that read as top-level headers, each asking
// whether a top-level record starts at the object's far end.
void HeaderShapedRecords(int32_t n, Ft50Writer &w, std::string *) {
  ft50::Object(w, 5100, ft50::Named("Shapes"), [&](Ft50Writer &b) {
    for (int32_t i = 0; i < n; ++i) b.Begin(5020).I32(i).End();
  });
}

// A textured grid: what a real mesh holds per byte of the file.
void TexturedGrid(int32_t side, Ft50Writer &w, std::string *) {
  ft50::Material(w, "M");
  ft50::Object(w, 5100, ft50::Named("Grid"), [&](Ft50Writer &b) {
    b.Begin(5600).I32(side * side).I32(0);
    for (int32_t i = 0; i < side * side; ++i) b.Vec(float(i % side), float(i / side), 0);
    b.End();
    b.Begin(5653).I32(2 * (side - 1) * (side - 1)).I32(0);
    for (int32_t y = 0; y + 1 < side; ++y)
      for (int32_t x = 0; x + 1 < side; ++x) {
        const int32_t a = y * side + x;
        b.I32(a).I32(a + 1).I32(a + side + 1).I32(a).I32(a + side + 1).I32(a + side);
      }
    b.End();
    b.Begin(5618).I32(side * side).I32(0).Bool(true).Bool(false);
    for (int32_t i = 0; i < side * side; ++i) b.Pair(float(i % side) / side, float(i / side) / side);
    b.End();
    ft50::TextureTag(b, ft50::Uses(1));
  });
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
      {"counts past their records", 250000, OverlappingCounts, {}},
      {"object records of length 0", 40000, ShortObjects, {}},
      {"records jumping far ahead", 40000, FarJumps, {}},
      {"key lists past their animation", 40000, CrossingKeyLists, {}},
      {"empty light kind records", 100000, EmptyLightKinds, {}},
      {"header-shaped sub-records", 250000, HeaderShapedRecords, {}},
      {"materials no tag uses", 50000, UnusedMaterials, {}},
      {"textured grid (side)", 500, TexturedGrid, {}},
  };
  // What the program holds for a file with nothing in it: the peak beyond
  // it, per megabyte of input, is the multiple that must stay flat.
  const std::string empty = (dir / "empty.ft50").string();
  Ft50Writer().Terminator().Save(empty);
  const double base = Import(empty, {}).peakMB;
  std::printf("peak memory of an empty import: %.1f MB\n", base);
  std::printf("%-32s %10s %8s %9s %9s %10s %9s\n", "layout", "elements", "MB", "median s", "s / MB", "peak MB",
              "extra/MB");
  for (const Layout &l : layouts) {
    const char *only = std::getenv("TESSARO_BENCH_ONLY");
    if (only && std::string(l.name).find(only) == std::string::npos) continue;
    for (int32_t n : {int32_t(l.size * scale), int32_t(2 * l.size * scale)}) {
      std::string file = (dir / "hostile.ft50").string();
      {
        // Built and let go before the runs.
        std::string user;
        Ft50Writer w;
        l.write(n, w, &user);
        w.Terminator();
        w.Save(file);
        if (!user.empty()) std::ofstream(dir / "user.json") << user;
      }
      std::vector<bench::Run> runs;
      for (int i = 0; i < 3; ++i) runs.push_back(Import(file, l.answers));
      std::sort(runs.begin(), runs.end(), [](const bench::Run &a, const bench::Run &b) { return a.seconds < b.seconds; });
      double mb = double(fs::file_size(file)) / 1e6;
      double peak = 0;
      for (const bench::Run &r : runs) peak = std::max(peak, r.peakMB);
      std::printf("%-32s %10d %8.2f %9.3f %9.4f %10.1f %9.2f\n", l.name, n, mb, runs[1].seconds,
                  runs[1].seconds / mb, peak, (peak - base) / mb);
      std::fflush(stdout);
    }
  }
  return 0;
}

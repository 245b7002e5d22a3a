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
  answers.mode = 10005;
  auto start = std::chrono::steady_clock::now();
  tessaro::ImportResult r = host.Import(file, answers);
  auto end = std::chrono::steady_clock::now();
  if (r.code != 0) {
    std::fprintf(stderr, "import of %s failed: %d\n", file.c_str(), r.code);
    std::exit(1);
  }
  return std::chrono::duration<double>(end - start).count();
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

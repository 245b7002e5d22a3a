// Running a program as a process of its own, for the benchmarks that time
// the tessaro program: wall time and peak resident memory.
#ifndef TESSARO_BENCH_PROCESS_H
#define TESSARO_BENCH_PROCESS_H

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace bench {

struct Run {
  double seconds = 0;
  double peakMB = 0;
};

// Runs argv with its standard output discarded and no terminal to read
// from (so tessaro never shows its dialog); exits when the program fails.
inline Run RunProcess(const std::vector<std::string> &args) {
  std::vector<char *> argv;
  for (const auto &a : args) argv.push_back(const_cast<char *>(a.c_str()));
  argv.push_back(nullptr);
  std::fflush(stdout);  // or the child's first write repeats what is buffered
  auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    if (!std::freopen("/dev/null", "r", stdin) || !std::freopen("/dev/null", "w", stdout)) _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) {
    std::perror("run");
    std::exit(1);
  }
  auto end = std::chrono::steady_clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed (status %d)\n", args[0].c_str(), status);
    std::exit(1);
  }
  return {std::chrono::duration<double>(end - start).count(), double(usage.ru_maxrss) / 1024.0};
}

}  // namespace bench

#endif

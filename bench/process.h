// Running a program as a process of its own, for the benchmarks that time
// the tessaro program: wall time and peak resident memory.
#ifndef TESSARO_BENCH_PROCESS_H
#define TESSARO_BENCH_PROCESS_H

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace bench {

struct Run {
  double seconds = 0;
  double peakMB = 0;
};

// Runs argv through bench_measure (TESSARO_MEASURE), with its standard
// output discarded and no terminal to read from; exits when the program
// fails.
inline Run RunProcess(const std::vector<std::string> &args) {
  std::vector<char *> argv;
  static char measure[] = TESSARO_MEASURE;
  argv.push_back(measure);
  for (const auto &a : args) argv.push_back(const_cast<char *>(a.c_str()));
  argv.push_back(nullptr);
  int out[2];
  if (pipe(out) != 0) {
    std::perror("pipe");
    std::exit(1);
  }
  std::fflush(stdout);  // or the child's first write repeats what is buffered
  pid_t pid = fork();
  if (pid == 0) {
    close(out[0]);
    if (dup2(out[1], 1) < 0) _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  char text[128] = {0};
  size_t got = 0;
  for (ssize_t n; got + 1 < sizeof text && (n = read(out[0], text + got, sizeof text - 1 - got)) > 0;) got += size_t(n);
  close(out[0]);
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) {
    std::perror("run");
    std::exit(1);
  }
  double seconds = 0;
  long peakKB = 0;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || std::sscanf(text, "%lf %ld", &seconds, &peakKB) != 2) {
    std::fprintf(stderr, "%s failed (status %d)\n", args[0].c_str(), status);
    std::exit(1);
  }
  return {seconds, double(peakKB) / 1024.0};
}

}  // namespace bench

#endif

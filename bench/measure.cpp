// Runs a program and prints its wall time in seconds and its peak resident
// memory in KB. The benchmarks run programs through it because a child's
// peak starts from what its parent held when it forked: forked from this
// small process, the peak is the program's own.
// Usage: bench_measure PROGRAM [ARGS...]  (the program's output is dropped)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_measure PROGRAM [ARGS...]\n");
    return 2;
  }
  auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    // No terminal to read from, so tessaro never shows its dialog.
    if (!std::freopen("/dev/null", "r", stdin) || !std::freopen("/dev/null", "w", stdout)) _exit(126);
    execv(argv[1], argv + 1);
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) {
    std::perror("bench_measure");
    return 1;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%.6f %ld\n", seconds, static_cast<long>(usage.ru_maxrss));
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}

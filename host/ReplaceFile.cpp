// Writing a file whole or not at all: a temporary file beside it, renamed
// over it once complete.
#include "ReplaceFile.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#if defined(_WIN32)
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

#include "Output.h"
#include "Path.h"

namespace fs = std::filesystem;

namespace tessaro {

namespace {

std::string RandomName(size_t n) {
  static std::mt19937_64 gen = [] {
    std::seed_seq::result_type r1 = 0, r2 = 0;
    try {
      std::random_device rd;
      r1 = rd(), r2 = rd();
    } catch (...) {
    }
    int local = 0;
    auto now = static_cast<uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    auto where = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(&local));
#if defined(_WIN32)
    auto pid = static_cast<uint64_t>(_getpid());
#else
    auto pid = static_cast<uint64_t>(getpid());
#endif
    std::seed_seq seq{uint64_t(r1), uint64_t(r2), now, now >> 32, where, where >> 32, pid};
    return std::mt19937_64(seq);
  }();
  static const char chars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string s(n, 'x');
  for (char &c : s) c = chars[gen() % (sizeof chars - 1)];
  return s;
}

// The temporary file being written, so that a run ended by a signal does
// not leave it behind: only what a signal handler may touch.
#if !defined(_WIN32)
char g_pending[4096];
volatile sig_atomic_t g_hasPending = 0;

void Pending(const fs::path &tmp) {
  const std::string &p = tmp.native();
  if (p.size() >= sizeof g_pending) return;
  std::memcpy(g_pending, p.c_str(), p.size() + 1);
  g_hasPending = 1;
}
void NotPending() { g_hasPending = 0; }

void RemovePendingAndDie(int sig) {
  if (g_hasPending) ::unlink(g_pending);
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}
#else
void Pending(const fs::path &) {}
void NotPending() {}
#endif

// A new file that no other process has opened: its name is tried until
// the exclusive create succeeds.
int CreateUnique(const fs::path &dir, const std::string &name, int mode, fs::path *tmp) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    *tmp = dir / PathFromUtf8("." + name + "." + RandomName(6) + ".tmp");
#if defined(_WIN32)
    (void)mode;
    int fd = _wopen(tmp->c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
#else
    int fd = ::open(tmp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
#endif
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

bool ReplaceFile(const fs::path &target, const std::string &shown, const std::function<bool(std::FILE *)> &write,
                 std::string *error) {
  auto fail = [&](const std::string &reason) {
    *error = "cannot write '" + shown + "': " + reason;
    return false;
  };
#if defined(_WIN32)
  const int mode = 0;
#else
  // A new file gets what a plain create gives (the umask applies); a
  // replaced one is private until it has the replaced file's permissions.
  struct stat st;
  const bool replacing = ::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  const int mode = replacing ? 0600 : 0666;
#endif
  fs::path tmp;
  int fd = CreateUnique(target.parent_path(), Utf8Of(target.filename()), mode, &tmp);
  if (fd < 0) return fail(std::strerror(errno));
  Pending(tmp);
  struct Done {
    ~Done() { NotPending(); }
  } done;
  std::error_code ec;
#if !defined(_WIN32)
  if (replacing) {
    // Best effort: only root can give a file away.
    if (fchown(fd, st.st_uid, st.st_gid) != 0) {
    }
    if (fchmod(fd, st.st_mode & 07777) != 0) {
      int err = errno;
      ::close(fd);
      fs::remove(tmp, ec);
      return fail(std::strerror(err));
    }
  }
  std::FILE *f = fdopen(fd, "wb");
#else
  std::FILE *f = _fdopen(fd, "wb");
#endif
  if (!f) {
    int err = errno;
#if defined(_WIN32)
    _close(fd);
#else
    ::close(fd);
#endif
    fs::remove(tmp, ec);
    return fail(std::strerror(err));
  }
  std::string reason;
  bool ok = WriteStream(f, write, &reason);
  if (std::fclose(f) != 0 && ok) {
    ok = false;
    reason = std::strerror(errno);
  }
  if (ok) {
    fs::rename(tmp, target, ec);
    if (ec) {
      ok = false;
      reason = ec.message();
    }
  }
  if (!ok) {
    fs::remove(tmp, ec);
    return fail(reason);
  }
  return true;
}

void RemoveTemporaryOnSignals() {
#if !defined(_WIN32)
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) std::signal(sig, RemovePendingAndDie);
  // A file too large for the limit is a write error to report, not a death.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

}  // namespace tessaro

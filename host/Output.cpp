#include "Output.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "Path.h"

namespace fs = std::filesystem;

namespace tessaro {

namespace {

// How a target is written, once its links are followed.
struct Target {
  enum Kind { kReplace, kDirect, kStream } kind = kReplace;
  fs::path path;                // kReplace: the file to replace; kDirect: the path to open
  std::FILE *stream = nullptr;  // kStream
};

std::string Quoted(const std::string &path) { return "'" + path + "'"; }

const char *Refusal(fs::file_type type) {
  switch (type) {
    case fs::file_type::directory: return "it is a folder";
    case fs::file_type::socket: return "it is a socket";
    case fs::file_type::block: return "it is a block device";
    default: return "it is not a regular file";
  }
}

// Follows the chain of links from path to the path it ends at, which may
// not exist yet. Stops early at a link to a standard stream.
bool FollowLinks(const fs::path &path, fs::path *end, std::FILE **stream, std::error_code *ec) {
  fs::path p = path;
  for (int hops = 0;; ++hops) {
    if ((*stream = StandardStreamFor(Utf8Of(p)))) return true;
    fs::file_status st = fs::symlink_status(p, *ec);
    if (st.type() == fs::file_type::not_found || (!*ec && st.type() != fs::file_type::symlink)) {
      ec->clear();
      *end = p;
      return true;
    }
    if (*ec) return false;
    if (hops == 40) {
      *ec = std::make_error_code(std::errc::too_many_symbolic_link_levels);
      return false;
    }
    fs::path to = fs::read_symlink(p, *ec);
    if (*ec) return false;
    p = to.is_absolute() ? to : p.parent_path() / to;
  }
}

bool Resolve(const std::string &path, Target *t, std::string *error) {
  if (path.empty()) {
    *error = "cannot write to an empty path";
    return false;
  }
  // The system follows every link here, its own magic ones included.
  std::error_code ec;
  fs::file_type type = fs::status(PathFromUtf8(path), ec).type();
  if (ec && type != fs::file_type::not_found) {
    *error = "cannot write " + Quoted(path) + ": " + ec.message();
    return false;
  }
  fs::path end;
  std::FILE *stream = nullptr;
  std::error_code linkEc;
  bool followed = FollowLinks(PathFromUtf8(path), &end, &stream, &linkEc);
  if (stream) {
    t->kind = Target::kStream;
    t->stream = stream;
    return true;
  }
  switch (type) {
    case fs::file_type::fifo:
    case fs::file_type::character:
      t->kind = Target::kDirect;
      t->path = PathFromUtf8(path);
      return true;
    case fs::file_type::regular:
    case fs::file_type::not_found:
      break;
    default:
      *error = "cannot write " + Quoted(path) + ": " + Refusal(type) +
               "; only a regular file, a FIFO or a character device is written";
      return false;
  }
  if (!followed) {
    *error = "cannot write " + Quoted(path) + ": " + linkEc.message();
    return false;
  }
  if (!end.has_filename()) {
    *error = "cannot write " + Quoted(path) + ": it names a folder, not a file";
    return false;
  }
  // Said before any work is done, not after it.
  const fs::path folder = end.has_parent_path() ? end.parent_path() : fs::path(".");
  std::error_code folderEc;
  if (!fs::is_directory(folder, folderEc)) {
    const bool exists = fs::exists(folder, folderEc);
    *error = "cannot write " + Quoted(path) + ": " +
             std::make_error_code(exists ? std::errc::not_a_directory : std::errc::no_such_file_or_directory).message();
    return false;
  }
  t->kind = Target::kReplace;
  t->path = end;
  return true;
}

bool Direct(const Target &t, const std::string &shown, const std::function<bool(std::FILE *)> &write,
            std::string *error) {
  auto fail = [&](const std::string &reason) {
    *error = "cannot write " + Quoted(shown) + ": " + reason;
    return false;
  };
#if defined(_WIN32)
  std::FILE *f = _wfopen(t.path.c_str(), L"wb");
  if (!f) return fail(std::strerror(errno));
#else
  // Never created, never truncated: it must still be what was looked at.
  int fd = ::open(t.path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return fail(std::strerror(errno));
  struct stat st;
  if (fstat(fd, &st) != 0 || !(S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode))) {
    ::close(fd);
    return fail("it was replaced while it was opened");
  }
  std::FILE *f = fdopen(fd, "wb");
  if (!f) {
    int err = errno;
    ::close(fd);
    return fail(std::strerror(err));
  }
#endif
  std::string reason;
  bool ok = WriteStream(f, write, &reason);
  if (std::fclose(f) != 0 && ok) {
    ok = false;
    reason = std::strerror(errno);
  }
  return ok ? true : fail(reason);
}

}  // namespace

std::FILE *StandardStreamFor(const std::string &path) {
#if defined(_WIN32)
  (void)path;
  return nullptr;
#else
  const std::string p = fs::path(path).lexically_normal().string();
  if (p == "/dev/stdout" || p == "/dev/fd/1" || p == "/proc/self/fd/1") return stdout;
  if (p == "/dev/stderr" || p == "/dev/fd/2" || p == "/proc/self/fd/2") return stderr;
  return nullptr;
#endif
}

bool FinishStream(std::FILE *f, std::string *reason) {
  bool ok = !std::ferror(f);
  int err = ok ? 0 : errno;
  if (std::fflush(f) != 0) {
    if (ok) err = errno;
    ok = false;
  }
  if (!ok) *reason = err ? std::strerror(err) : "a write failed";
  return ok;
}

bool WriteStream(std::FILE *f, const std::function<bool(std::FILE *)> &write, std::string *reason) {
  errno = 0;
  const bool wrote = write(f);
  if (!FinishStream(f, reason)) return false;
  if (!wrote) *reason = "the output could not be produced";
  return wrote;
}

bool WriteOutput(const std::string &path, const std::function<bool(std::FILE *)> &write, std::string *error) {
  Target t;
  if (!Resolve(path, &t, error)) return false;
  switch (t.kind) {
    case Target::kStream: {
#if defined(_WIN32)
      _setmode(_fileno(t.stream), _O_BINARY);
#endif
      std::string reason;
      if (WriteStream(t.stream, write, &reason)) return true;
      *error = "cannot write " + Quoted(path) + ": " + reason;
      return false;
    }
    case Target::kDirect: return Direct(t, path, write, error);
    case Target::kReplace: break;
  }
  return ReplaceFile(t.path, path, write, error);
}

bool WriteOutputBytes(const std::string &path, const std::string &bytes, std::string *error) {
  return WriteOutput(
      path, [&](std::FILE *f) { return bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size(); },
      error);
}

std::string FinalTarget(const std::string &path) {
  fs::path end;
  std::FILE *stream = nullptr;
  std::error_code ec;
  if (!FollowLinks(PathFromUtf8(path), &end, &stream, &ec) || stream) return path;
  return Utf8Of(end);
}

bool CheckOutput(const std::string &path, std::string *error) {
  Target t;
  return Resolve(path, &t, error);
}

bool ExistsButNotRegular(const std::string &path) {
  std::error_code ec;
  fs::file_status st = fs::status(PathFromUtf8(path), ec);
  return !ec && fs::exists(st) && !fs::is_regular_file(st);
}

bool SameFile(const std::string &a, const std::string &b) {
  std::error_code ec;
  if (fs::equivalent(PathFromUtf8(a), PathFromUtf8(b), ec) && !ec) return true;
  // Names of files that do not exist yet: the same file once written when
  // their links and folders lead to the same place ("x.json", "./x.json",
  // a link that dangles towards it).
  std::error_code ecA, ecB;
  const fs::path endA = fs::weakly_canonical(PathFromUtf8(FinalTarget(a)), ecA);
  const fs::path endB = fs::weakly_canonical(PathFromUtf8(FinalTarget(b)), ecB);
  return !ecA && !ecB && endA == endB;
}

}  // namespace tessaro

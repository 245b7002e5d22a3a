// Where tessaro writes: every file it produces (the document, its glTF
// export, the stored plug-in data) is whole or untouched, links are
// followed, FIFOs and devices are written in place, nothing else is
// replaced, and a failed write fails the run with the system's reason.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <set>
#include <thread>

#include "ExitStatus.h"
#include "Output.h"
#include "ft50_scene.h"
#include "support.h"

namespace {

using testsupport::ReadText;
using testsupport::WriteText;
namespace fs = std::filesystem;

struct RunOptions {
  long fileSizeLimit = -1;    // RLIMIT_FSIZE: writes past it fail with EFBIG (tessaro ignores SIGXFSZ)
  int umask = -1;
  bool brokenStdout = false;  // standard output is a pipe nobody reads, SIGPIPE ignored: EPIPE
};

class OutputTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteText(dir_.File("stdin.txt"), ""); }

  // Starts tessaro; its output goes to NAME.out and NAME.err in the folder.
  pid_t Start(const std::vector<std::string> &args, const RunOptions &o = {}, const std::string &name = "run") {
    std::vector<std::string> all{"tessaro"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (std::string &a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    int in = open(dir_.File("stdin.txt").c_str(), O_RDONLY | O_CLOEXEC);
    int err = open(dir_.File(name + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    int out = -1;
    if (o.brokenStdout) {
      int p[2];
      EXPECT_EQ(pipe2(p, O_CLOEXEC), 0);
      close(p[0]);
      out = p[1];
    } else {
      out = open(dir_.File(name + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    }
    pid_t child = fork();
    if (child == 0) {
      if (o.umask >= 0) umask(static_cast<mode_t>(o.umask));
      if (o.fileSizeLimit >= 0) {
        signal(SIGXFSZ, SIG_DFL);
        rlimit limit{static_cast<rlim_t>(o.fileSizeLimit), static_cast<rlim_t>(o.fileSizeLimit)};
        setrlimit(RLIMIT_FSIZE, &limit);
      }
      if (o.brokenStdout) signal(SIGPIPE, SIG_IGN);
      dup2(in, 0);
      dup2(out, 1);
      dup2(err, 2);
      execv(TESSARO_TESSARO, argv.data());
      _exit(127);
    }
    close(in);
    close(out);
    close(err);
    return child;
  }
  int Wait(pid_t child, const std::string &name = "run") {
    int status = 0;
    waitpid(child, &status, 0);
    out_ = ReadText(dir_.File(name + ".out"));
    err_ = ReadText(dir_.File(name + ".err"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  int Run(const std::vector<std::string> &args, const RunOptions &o = {}) { return Wait(Start(args, o)); }

  // An import of FILE into a new document, written to out; the stored
  // plug-in data in the folder's prefs.json unless extra names another.
  std::vector<std::string> Import(const std::string &file, const std::string &out,
                                  std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"import", file, "--mode", "new", "--out", out};
    if (std::find(extra.begin(), extra.end(), "--prefs") == extra.end()) extra.insert(extra.end(), {"--prefs", dir_.File("prefs.json")});
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }

  // What the folder holds, by name.
  static std::set<std::string> Entries(const std::string &dir) {
    std::set<std::string> names;
    for (const auto &e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
  }
  // The temporary files left in a folder.
  static std::vector<std::string> Leftovers(const std::string &dir) {
    std::vector<std::string> left;
    for (const std::string &n : Entries(dir))
      if (n.size() > 4 && n.substr(n.size() - 4) == ".tmp") left.push_back(n);
    return left;
  }
  static unsigned Mode(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
  }
  static std::string Reason(int err) { return std::strerror(err); }
  static bool Has(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

  const std::string scene_ = TESSARO_SOURCE_DIR "/examples/scene.ft50";
  testsupport::TempDir dir_;
  std::string out_, err_;
};

TEST_F(OutputTest, ReplacedFilesKeepTheirPermissionsAndNewFilesFollowTheUmask) {
  WriteText(dir_.File("doc.json"), "{}\n");
  chmod(dir_.File("doc.json").c_str(), 0640);
  WriteText(dir_.File("prefs.json"), "{}\n");
  chmod(dir_.File("prefs.json").c_str(), 0600);
  WriteText(dir_.File("scene.glb"), "earlier");
  chmod(dir_.File("scene.glb").c_str(), 0604);

  ASSERT_EQ(Run(Import(scene_, dir_.File("doc.json"), {"--scale", "2"})), EXIT_IMPORTED) << err_;
  EXPECT_TRUE(Has(ReadText(dir_.File("doc.json")), "\"name\": \"Board\""));
  EXPECT_EQ(Mode(dir_.File("doc.json")), 0640u);
  EXPECT_TRUE(Has(ReadText(dir_.File("prefs.json")), "\"1012349\":\"00000040\"")) << "the scale, stored";
  EXPECT_EQ(Mode(dir_.File("prefs.json")), 0600u) << "the stored plug-in data stays private";
  ASSERT_EQ(Run(Import(scene_, dir_.File("scene.glb"))), EXIT_IMPORTED) << err_;
  EXPECT_EQ(ReadText(dir_.File("scene.glb")).substr(0, 4), "glTF");
  EXPECT_EQ(Mode(dir_.File("scene.glb")), 0604u);

  // A new file is what a plain create gives, not a temporary file's 0600.
  RunOptions o;
  o.umask = 027;
  ASSERT_EQ(Run(Import(scene_, dir_.File("new.json"), {"--prefs", dir_.File("new-prefs.json")}), o), EXIT_IMPORTED) << err_;
  EXPECT_EQ(Mode(dir_.File("new.json")), 0640u);
  EXPECT_EQ(Mode(dir_.File("new-prefs.json")), 0640u);
  o.umask = 002;
  ASSERT_EQ(Run(Import(scene_, dir_.File("shared.gltf")), o), EXIT_IMPORTED) << err_;
  EXPECT_EQ(Mode(dir_.File("shared.gltf")), 0664u);
  EXPECT_TRUE(Leftovers(dir_.Path()).empty()) << Leftovers(dir_.Path()).front();
}

TEST_F(OutputTest, LinksAreFollowedToTheirTargetAndStayLinks) {
  fs::create_directory(dir_.File("real"));
  WriteText(dir_.File("real/doc.json"), "{}\n");
  chmod(dir_.File("real/doc.json").c_str(), 0640);
  fs::create_symlink("real/doc.json", dir_.File("doc.json"));
  ASSERT_EQ(Run(Import(scene_, dir_.File("doc.json"))), EXIT_IMPORTED) << err_;
  EXPECT_TRUE(fs::is_symlink(dir_.File("doc.json")));
  EXPECT_TRUE(Has(ReadText(dir_.File("real/doc.json")), "\"name\": \"Board\""));
  EXPECT_EQ(Mode(dir_.File("real/doc.json")), 0640u);

  // A chain that ends dangling: the last target is created, in its folder.
  fs::create_symlink("b", dir_.File("a.gltf"));
  fs::create_symlink(dir_.File("real/c.gltf"), dir_.File("b"));
  ASSERT_EQ(Run(Import(scene_, dir_.File("a.gltf"))), EXIT_IMPORTED) << err_;
  EXPECT_TRUE(fs::is_symlink(dir_.File("a.gltf")));
  EXPECT_TRUE(fs::is_symlink(dir_.File("b")));
  EXPECT_TRUE(Has(ReadText(dir_.File("real/c.gltf")), "\"asset\"")) << "written as glTF, by the link's name";

  // The stored plug-in data behind a link, as a dotfile manager keeps it.
  fs::create_symlink("real/prefs.json", dir_.File("linked-prefs.json"));
  ASSERT_EQ(Run(Import(scene_, "none", {"--scale", "2", "--prefs", dir_.File("linked-prefs.json")})), EXIT_IMPORTED) << err_;
  EXPECT_TRUE(fs::is_symlink(dir_.File("linked-prefs.json")));
  EXPECT_TRUE(Has(ReadText(dir_.File("real/prefs.json")), "\"1012349\"")) << err_;

  // Links that never end are an error, and stay as they were.
  fs::create_symlink("loop2", dir_.File("loop1"));
  fs::create_symlink("loop1", dir_.File("loop2"));
  EXPECT_EQ(Run(Import(scene_, dir_.File("loop1"))), EXIT_FILE);
  EXPECT_TRUE(Has(err_, "cannot write '" + dir_.File("loop1") + "': ")) << err_;
  EXPECT_EQ(fs::read_symlink(dir_.File("loop1")), "loop2");

  EXPECT_TRUE(Leftovers(dir_.Path()).empty()) << Leftovers(dir_.Path()).front();
  EXPECT_TRUE(Leftovers(dir_.File("real")).empty()) << Leftovers(dir_.File("real")).front();
}

TEST_F(OutputTest, AFifoIsWrittenInPlace) {
  ASSERT_EQ(Run(Import(scene_, dir_.File("ref.json"))), EXIT_IMPORTED) << err_;
  const std::string expected = ReadText(dir_.File("ref.json"));
  std::string fifo = dir_.File("pipe.json");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  fs::create_symlink("pipe.json", dir_.File("link.json"));
  for (const std::string &out : {fifo, dir_.File("link.json")}) {
    // Open without waiting for a writer, then read while the program writes.
    int rd = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(rd, 0);
    pid_t child = Start(Import(scene_, out));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::string got;
    char buf[65536];
    int status = -1;
    for (bool ended = false;;) {
      ssize_t n = read(rd, buf, sizeof buf);
      if (n > 0) {
        got.append(buf, static_cast<size_t>(n));
        continue;
      }
      if (ended) break;
      int st = 0;
      if (waitpid(child, &st, WNOHANG) == child) {
        ended = true;
        status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
      } else if (std::chrono::steady_clock::now() > deadline) {
        // A hang is a failure, not a stuck test run.
        kill(child, SIGKILL);
        waitpid(child, &st, 0);
        break;
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    }
    close(rd);
    EXPECT_EQ(status, 0) << out << ": " << ReadText(dir_.File("run.err"));
    struct stat st;
    ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << out << ": the FIFO is still a FIFO";
    EXPECT_TRUE(got == expected) << out << ": the reader got the whole document, not " << got.size() << " bytes";
  }
  EXPECT_TRUE(fs::is_symlink(dir_.File("link.json")));
  EXPECT_TRUE(Leftovers(dir_.Path()).empty()) << Leftovers(dir_.Path()).front();
}

TEST_F(OutputTest, ACharacterDeviceIsWrittenInPlace) {
  if (geteuid() != 0) GTEST_SKIP() << "making a device node takes root";
  // The null device's numbers, on a node in the test's own folder.
  std::string node = dir_.File("null.json");
  if (mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) GTEST_SKIP() << "mknod: " << Reason(errno);
  int fd = open(node.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) GTEST_SKIP() << "the folder's file system does not open devices: " << Reason(errno);
  close(fd);
  ASSERT_EQ(Run(Import(scene_, node)), EXIT_IMPORTED) << err_;
  struct stat st;
  ASSERT_EQ(lstat(node.c_str(), &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode)) << "the device node is still a device node";
  ASSERT_EQ(Run(Import(scene_, dir_.File("null.gltf"), {"--prefs", node})), EXIT_IMPORTED) << err_;
  ASSERT_EQ(lstat(node.c_str(), &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode)) << "the stored plug-in data went to the device too";
  EXPECT_TRUE(Leftovers(dir_.Path()).empty()) << Leftovers(dir_.Path()).front();
}

TEST_F(OutputTest, FoldersAndSocketsAreNeverReplaced) {
  fs::create_directories(dir_.File("folder.json"));
  WriteText(dir_.File("folder.json/kept.txt"), "kept");
  EXPECT_EQ(Run(Import(scene_, dir_.File("folder.json"))), EXIT_FILE);
  EXPECT_TRUE(Has(err_, "cannot write '" + dir_.File("folder.json") + "': it is a folder")) << err_;
  EXPECT_EQ(ReadText(dir_.File("folder.json/kept.txt")), "kept");
  fs::create_directories(dir_.File("empty.glb"));
  EXPECT_EQ(Run(Import(scene_, dir_.File("empty.glb"))), EXIT_FILE);
  EXPECT_TRUE(fs::is_directory(dir_.File("empty.glb")));

  std::string sock = dir_.File("sock.json");
  int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(s, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  ASSERT_LT(sock.size(), sizeof addr.sun_path);
  std::memcpy(addr.sun_path, sock.c_str(), sock.size() + 1);
  ASSERT_EQ(bind(s, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0) << Reason(errno);
  EXPECT_EQ(Run(Import(scene_, sock)), EXIT_FILE);
  EXPECT_TRUE(Has(err_, "it is a socket")) << err_;
  struct stat st;
  ASSERT_EQ(lstat(sock.c_str(), &st), 0);
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  close(s);

  // The stored plug-in data: a folder in its place fails the run.
  fs::create_directories(dir_.File("prefs.json"));
  EXPECT_EQ(Run(Import(scene_, "none")), EXIT_FILE);
  EXPECT_TRUE(Has(err_, "cannot store the plug-in data: cannot write '" + dir_.File("prefs.json") + "': it is a folder"))
      << err_;
  EXPECT_TRUE(fs::is_directory(dir_.File("prefs.json")));
  EXPECT_TRUE(Leftovers(dir_.Path()).empty()) << Leftovers(dir_.Path()).front();
}

TEST_F(OutputTest, TheInputIsNeverWrittenOver) {
  std::string in = dir_.File("in.ft50");
  fs::copy_file(scene_, in);
  const std::string bytes = ReadText(in);
  const std::string refused = "refusing to write the document over the input file '" + in + "'";
  EXPECT_EQ(Run(Import(in, in)), EXIT_FILE);
  EXPECT_TRUE(Has(err_, refused)) << err_;
  EXPECT_EQ(Run(Import(in, dir_.File(".") + "/in.ft50")), EXIT_FILE) << "the same file, spelt otherwise";
  fs::create_symlink("in.ft50", dir_.File("link.json"));
  EXPECT_EQ(Run(Import(in, dir_.File("link.json"))), EXIT_FILE) << "through a link";
  EXPECT_EQ(Run(Import(dir_.File("link.json"), in)), EXIT_FILE) << "read through a link";
  fs::create_hard_link(in, dir_.File("hard.gltf"));
  EXPECT_EQ(Run(Import(in, dir_.File("hard.gltf"))), EXIT_FILE) << "another name of the same file";
  EXPECT_TRUE(Has(err_, refused)) << err_;
  EXPECT_EQ(Run(Import(in, "none", {"--prefs", in})), EXIT_FILE);
  EXPECT_TRUE(Has(err_, "refusing to store the plug-in data over the input file")) << err_;
  EXPECT_TRUE(ReadText(in) == bytes) << "the input is as it was";
  EXPECT_FALSE(fs::exists(dir_.File("prefs.json"))) << "refused before anything ran";

  // Updating the user's document in place is what --into and --out allow.
  WriteText(dir_.File("user.json"), "{\"objects\": [{\"type\": 5140, \"name\": \"Floor\"}]}");
  ASSERT_EQ(Run({"import", in, "--mode", "merge", "--prefs", dir_.File("prefs.json"), "--into", dir_.File("user.json"),
                 "--out", dir_.File("user.json")}),
            EXIT_IMPORTED)
      << err_;
  std::string doc = ReadText(dir_.File("user.json"));
  EXPECT_TRUE(Has(doc, "\"name\": \"Floor\"") && Has(doc, "\"name\": \"Board\"")) << doc;
}

TEST_F(OutputTest, AFailedWriteFailsTheRunWithTheSystemsReason) {
  // Past the size limit the system refuses writes (EFBIG): the document is
  // larger than the limit, the stored plug-in data and messages are not.
  const std::string earlier = "{\"objects\": []}\n";
  WriteText(dir_.File("doc.json"), earlier);
  RunOptions small;
  small.fileSizeLimit = 4096;
  EXPECT_EQ(Run(Import(scene_, dir_.File("doc.json")), small), EXIT_FILE);
  EXPECT_TRUE(Has(err_, "cannot write '" + dir_.File("doc.json") + "': " + Reason(EFBIG))) << err_;
  EXPECT_EQ(ReadText(dir_.File("doc.json")), earlier) << "the earlier document is untouched";
  EXPECT_EQ(Run(Import(scene_, dir_.File("doc.glb")), small), EXIT_FILE);
  EXPECT_TRUE(Has(err_, "cannot write '" + dir_.File("doc.glb") + "': " + Reason(EFBIG))) << err_;
  EXPECT_FALSE(fs::exists(dir_.File("doc.glb")));
  EXPECT_TRUE(Leftovers(dir_.Path()).empty()) << Leftovers(dir_.Path()).front();

  // Standard output that nobody reads (EPIPE): the summary, the
  // cancellation notice and the record tree are all checked.
  RunOptions broken;
  broken.brokenStdout = true;
  EXPECT_EQ(Run(Import(scene_, "-"), broken), EXIT_FILE);
  EXPECT_TRUE(Has(err_, "cannot write the summary to standard output: " + Reason(EPIPE))) << err_;
  EXPECT_EQ(Run(Import(scene_, "-", {"--cancel"}), broken), EXIT_FILE);
  EXPECT_TRUE(Has(err_, "cannot write to standard output: " + Reason(EPIPE))) << err_;
  EXPECT_EQ(Run({"inspect", scene_}, broken), EXIT_FILE);
  EXPECT_TRUE(Has(err_, "cannot write to standard output: " + Reason(EPIPE))) << err_;
}

TEST_F(OutputTest, ConcurrentWritersEachLeaveAWholeDocument) {
  // Documents large enough that writing them takes a while.
  auto big = [&](const std::string &name, int n) {
    Ft50Writer w;
    ft50::Object(w, 5100, ft50::Named(name), [n](Ft50Writer &b) {
      b.Begin(5600).I32(n + 2).I32(0);
      for (int i = 0; i < n + 2; ++i) b.Vec(float(i), float(i % 5), 0.25f);
      b.End();
      b.Begin(5653).I32(n).I32(0);
      for (int i = 0; i < n; ++i) b.I32(i).I32(i + 1).I32(i + 2);
      b.End();
    });
    w.Terminator();
    std::string path = dir_.File(name + ".ft50");
    w.Save(path);
    return path;
  };
  const std::string a = big("A", 100000), b = big("B", 120000);
  ASSERT_EQ(Run(Import(a, dir_.File("a.json"))), EXIT_IMPORTED) << err_;
  ASSERT_EQ(Run(Import(b, dir_.File("b.json"))), EXIT_IMPORTED) << err_;
  const std::string docA = ReadText(dir_.File("a.json")), docB = ReadText(dir_.File("b.json"));
  const std::string shared = dir_.File("shared.json");
  for (int round = 0; round < 3; ++round) {
    pid_t first = Start(Import(a, shared), {}, "a");
    pid_t second = Start(Import(b, shared), {}, "b");
    EXPECT_EQ(Wait(first, "a"), 0) << err_;
    EXPECT_EQ(Wait(second, "b"), 0) << err_;
    std::string now = ReadText(shared);
    EXPECT_TRUE(now == docA || now == docB) << "round " << round << ": one whole document, " << now.size()
                                            << " bytes";
  }
  EXPECT_TRUE(Leftovers(dir_.Path()).empty()) << Leftovers(dir_.Path()).front();
}

// The writing routine itself.
TEST(WriteOutput, AWriterThatFailsLeavesTheEarlierFile) {
  testsupport::TempDir dir;
  std::string path = dir.File("doc.json"), why;
  WriteText(path, "earlier");
  EXPECT_FALSE(tessaro::WriteOutput(path, [](std::FILE *f) {
    std::fputs("half", f);
    return false;
  }, &why));
  EXPECT_EQ(ReadText(path), "earlier");
  EXPECT_EQ(std::vector<std::string>{"doc.json"}, [&] {
    std::vector<std::string> names;
    for (const auto &e : fs::directory_iterator(dir.Path())) names.push_back(e.path().filename().string());
    return names;
  }()) << "no temporary file is left";

  EXPECT_FALSE(tessaro::WriteOutputBytes(dir.File("missing/doc.json"), "{}", &why));
  EXPECT_EQ(why, "cannot write '" + dir.File("missing/doc.json") + "': " + std::strerror(ENOENT));
  EXPECT_FALSE(tessaro::WriteOutputBytes(dir.File("doc.json/"), "{}", &why)) << "a name that ends as a folder";
  EXPECT_EQ(ReadText(path), "earlier");
}

// The standard streams are known by name alone, so a redirected stream is
// written at its own position; nothing else is taken for one.
TEST(WriteOutput, StandardStreamsAreKnownByName) {
  for (const char *p : {"/dev/stdout", "/dev/fd/1", "/proc/self/fd/1", "/dev//stdout", "/dev/./stdout"})
    EXPECT_EQ(tessaro::StandardStreamFor(p), stdout) << p;
  for (const char *p : {"/dev/stderr", "/dev/fd/2", "/proc/self/fd/2"}) EXPECT_EQ(tessaro::StandardStreamFor(p), stderr) << p;
  for (const char *p : {"/dev/stdout.json", "/dev/fd/12", "dev/stdout", "stdout", "-", "/proc/1/fd/1"})
    EXPECT_EQ(tessaro::StandardStreamFor(p), nullptr) << p;
}

}  // namespace

#include "Run.h"

#include <cstdio>

#include "ExitStatus.h"
#include "GltfExport.h"
#include "Library.h"
#include "Path.h"
#include "Text.h"

namespace tessaro {
namespace cli {

Verbosity g_verbosity = Verbosity::Normal;
bool g_cancelled = false;
bool g_batch = false;
std::FILE *g_lines = stdout;
std::string g_error;
bool g_stdoutReported = false;

const char *const kFormats =
    "  .json          the document file (JSON), as --into reads it\n"
    "  .gltf          glTF 2.0, one file with its buffers (textures beside it, or inside with --embed-textures)\n"
    "  .glb           glTF 2.0, binary, textures inside\n"
    "  none           nothing\n"
    "  -              a summary on standard output (also without --out)\n"
    "  a name without an extension (a FIFO, /dev/stdout): the document file\n";

void Note(const std::string &kind, const std::string &text) {
  if (g_verbosity != Verbosity::Quiet) std::fprintf(stderr, "tessaro: %s%s\n", kind.c_str(), text.c_str());
}

void Step(const std::string &text) {
  if (g_verbosity == Verbosity::Verbose) std::fprintf(stderr, "tessaro: %s\n", text.c_str());
}

void Fail(const std::string &why) {
  std::fprintf(stderr, "tessaro: %s\n", why.c_str());
  g_error = why;
}

bool OutputFormatKnown(const std::string &out) {
  if (out.empty() || out == "-" || out == "none" || IsGltfPath(out)) return true;
  const std::string ext = Extension(out);
  return ext.empty() || ext == ".json";
}

bool WritesFile(const std::string &out) { return !(out.empty() || out == "-" || out == "none"); }

void PrintWarnings(Host &host) {
  for (const std::string &w : host.warnings) Note("warning: ", w);
  host.warnings.clear();
  for (const std::string &m : host.messages) std::fprintf(stderr, "tessaro: message: %s\n", m.c_str());
  host.messages.clear();
}

int Finish(Host &host, int status) {
  host.Shutdown();
  PrintWarnings(host);
  if (!host.prefsError.empty()) {
    std::fprintf(stderr, "tessaro: %s\n", host.prefsError.c_str());
    if (status == EXIT_IMPORTED || status == EXIT_TRUNCATED) status = EXIT_FILE;
  }
  return status;
}

std::string DefaultPrefs() {
#if defined(_WIN32)
  const std::string appdata = Environment("APPDATA");
  if (!appdata.empty()) return appdata + "/tessaro/prefs.json";
#endif
  const std::string xdg = Environment("XDG_CONFIG_HOME");
  if (!xdg.empty()) return xdg + "/tessaro/prefs.json";
  const std::string home = Environment("HOME");
  if (!home.empty()) return home + "/.config/tessaro/prefs.json";
  return "tessaro-prefs.json";
}

std::string DefaultPlugins(const char *argv0) { return Utf8Of(PathFromUtf8(ProgramFolder(argv0)) / "plugins"); }

const char *LoadFailure(int32_t code) {
  switch (code) {
    case TH_LOAD_OPEN: return "the file could not be opened, or a load was already running";
    case TH_LOAD_CLOSE: return "the file could not be closed after reading";
    case TH_LOAD_OUT_OF_MEMORY: return "the host ran out of memory (no file object, or no room for what the file holds)";
    default: return "the load failed";
  }
}

}  // namespace cli
}  // namespace tessaro

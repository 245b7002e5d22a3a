// A plug-in library loaded into the host process.
#ifndef TESSARO_HOST_LIBRARY_H
#define TESSARO_HOST_LIBRARY_H

#include <cstdint>
#include <string>

namespace tessaro {

typedef int32_t (*MainFunction)(int32_t action, void *p1, void *p2, void *p3);

struct PluginLibrary {
  std::string file;    // the library
  std::string folder;  // its folder, handed to action 1 as the plug-in path
  void *handle = nullptr;
  MainFunction main = nullptr;
  int initialised = 0;  // action 1 calls that answered 1

  bool Open(const std::string &path, std::string *error);
  void Close();
  ~PluginLibrary() { Close(); }
};

// The file name ending of plug-in libraries on this platform.
const char *PluginSuffix();

// The host's main window, a real top-level window of the calling thread
// where the platform has windows (Windows); elsewhere nothing, and the
// host's platform table stands in for it.
void *CreateMainWindow(const char *title);
void DestroyMainWindow(void *window);
// Whether the window is the platform's foreground window (false where the
// platform has none).
bool IsForegroundWindow(void *window);

// The folder of the running program.
std::string ProgramFolder(const char *argv0);

}  // namespace tessaro

#endif

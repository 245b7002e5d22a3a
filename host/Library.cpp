#include "Library.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace tessaro {

#if defined(_WIN32)
const char *PluginSuffix() { return ".dll"; }

bool PluginLibrary::Open(const std::string &path, std::string *error) {
  HMODULE m = LoadLibraryA(path.c_str());
  if (!m) {
    *error = "cannot load " + path + ": error " + std::to_string(GetLastError());
    return false;
  }
  auto fn = reinterpret_cast<MainFunction>(reinterpret_cast<void *>(GetProcAddress(m, "c4d_main")));
  if (!fn) {
    FreeLibrary(m);
    *error = path + " has no entry point c4d_main";
    return false;
  }
  handle = m;
  main = fn;
  file = path;
  return true;
}

void PluginLibrary::Close() {
  if (handle) FreeLibrary(static_cast<HMODULE>(handle));
  handle = nullptr;
  main = nullptr;
}
#else
const char *PluginSuffix() { return ".so"; }

bool PluginLibrary::Open(const std::string &path, std::string *error) {
  void *h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!h) {
    const char *why = dlerror();
    *error = "cannot load " + path + ": " + (why ? why : "unknown error");
    return false;
  }
  void *sym = dlsym(h, "c4d_main");
  if (!sym) {
    dlclose(h);
    *error = path + " has no entry point c4d_main";
    return false;
  }
  handle = h;
  main = reinterpret_cast<MainFunction>(sym);
  file = path;
  return true;
}

void PluginLibrary::Close() {
  if (handle) dlclose(handle);
  handle = nullptr;
  main = nullptr;
}
#endif

}  // namespace tessaro

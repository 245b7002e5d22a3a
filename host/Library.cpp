#include "Library.h"

#include <filesystem>

#include "Path.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace tessaro {

#if defined(_WIN32)
const char *PluginSuffix() { return ".dll"; }

bool PluginLibrary::Open(const std::string &path, std::string *error) {
  // By its wide name, with the separators the loader documents.
  HMODULE m = LoadLibraryW(PathFromUtf8(path).make_preferred().c_str());
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

void *CreateMainWindow(const char *title) {
  static const char kClass[] = "TessaroHostWindow";
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kClass;
  RegisterClassA(&wc);
  // Never shown: the plug-in only has to find it among the thread's windows.
  return CreateWindowExA(0, kClass, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr,
                         nullptr, wc.hInstance, nullptr);
}

void DestroyMainWindow(void *window) {
  if (window) DestroyWindow(static_cast<HWND>(window));
}

bool IsForegroundWindow(void *window) { return window && GetForegroundWindow() == static_cast<HWND>(window); }

std::string ProgramFolder(const char *argv0) {
  (void)argv0;
  // A name that fills the buffer may have been cut short: tried again
  // with more room, up to the longest name the system has.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (n == 0) return ".";
    if (n < path.size()) {
      path.resize(n);
      return Utf8Of(std::filesystem::path(path).parent_path());
    }
    if (path.size() >= 32768) return ".";
    path.resize(path.size() * 2);
  }
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

void *CreateMainWindow(const char *title) {
  (void)title;
  return nullptr;
}

void DestroyMainWindow(void *window) { (void)window; }

bool IsForegroundWindow(void *window) {
  (void)window;
  return false;
}

std::string ProgramFolder(const char *argv0) {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::canonical("/proc/self/exe", ec);
  if (ec) exe = std::filesystem::absolute(argv0, ec);
  return Utf8Of(exe.parent_path());
}
#endif

}  // namespace tessaro

#include "Path.h"

#include <cstdlib>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace tessaro {

#if defined(_WIN32)

std::wstring WideFromUtf8(const std::string &utf8) {
  if (utf8.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], n);
  return wide;
}

std::string Utf8FromWide(const std::wstring &wide) {
  if (wide.empty()) return std::string();
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], n, nullptr, nullptr);
  return utf8;
}

std::filesystem::path PathFromUtf8(const std::string &utf8) { return std::filesystem::path(WideFromUtf8(utf8)); }

std::string Utf8Of(const std::filesystem::path &path) { return Utf8FromWide(path.native()); }

std::FILE *OpenFile(const std::string &utf8, const char *mode) {
  return _wfopen(WideFromUtf8(utf8).c_str(), WideFromUtf8(mode).c_str());
}

std::string Environment(const char *name) {
  const wchar_t *value = _wgetenv(WideFromUtf8(name).c_str());
  return value ? Utf8FromWide(value) : std::string();
}

std::vector<std::string> Utf8Arguments(int argc, wchar_t **argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(Utf8FromWide(argv[i] ? argv[i] : L""));
  return args;
}

// GetConsoleOutputCP answers 0 when the program has no console (its output
// goes to files or pipes only): then nothing is changed.
Utf8Console::Utf8Console() : previous_(GetConsoleOutputCP()) {
  if (previous_) SetConsoleOutputCP(CP_UTF8);
}

Utf8Console::~Utf8Console() {
  if (previous_) SetConsoleOutputCP(previous_);
}

#else

std::filesystem::path PathFromUtf8(const std::string &utf8) { return std::filesystem::path(utf8); }

std::string Utf8Of(const std::filesystem::path &path) { return path.native(); }

std::FILE *OpenFile(const std::string &utf8, const char *mode) { return std::fopen(utf8.c_str(), mode); }

std::string Environment(const char *name) {
  const char *value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

#endif

}  // namespace tessaro

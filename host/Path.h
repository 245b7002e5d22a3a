// Names of files and folders are UTF-8 everywhere in the host, as the
// program's arguments and documents are. They reach the system only
// through these, so that on Windows they are opened by their wide (UTF-16)
// names, not through the ANSI code page, which holds few of the names a
// user may give. Elsewhere the bytes pass through as they stand.
#ifndef TESSARO_HOST_PATH_H
#define TESSARO_HOST_PATH_H

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace tessaro {

// The path a UTF-8 name stands for. On Windows a sequence that is not
// UTF-8 becomes U+FFFD, which names no file, rather than an exception.
std::filesystem::path PathFromUtf8(const std::string &utf8);
// The path's name as UTF-8.
std::string Utf8Of(const std::filesystem::path &path);
// std::fopen for a UTF-8 name.
std::FILE *OpenFile(const std::string &utf8, const char *mode);
// An environment variable as UTF-8; empty when unset.
std::string Environment(const char *name);

#if defined(_WIN32)
std::wstring WideFromUtf8(const std::string &utf8);
std::string Utf8FromWide(const std::wstring &wide);
// The program's arguments, which Windows hands over as UTF-16, as UTF-8.
std::vector<std::string> Utf8Arguments(int argc, wchar_t **argv);

// While it lives, the console shows what the program writes as UTF-8; the
// console's own code page comes back after, since it outlives the program.
class Utf8Console {
 public:
  Utf8Console();
  ~Utf8Console();
  Utf8Console(const Utf8Console &) = delete;
  Utf8Console &operator=(const Utf8Console &) = delete;

 private:
  unsigned previous_;
};
#endif

}  // namespace tessaro

#endif

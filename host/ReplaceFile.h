// Writing a regular file whole or not at all, as WriteOutput (Output.h)
// does for every regular file the program writes.
#ifndef TESSARO_HOST_REPLACE_FILE_H
#define TESSARO_HOST_REPLACE_FILE_H

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

namespace tessaro {

// Writes what write puts into the stream to target (a regular file, or a
// name in an existing folder): into a unique temporary file in the same
// folder, renamed over target once complete, with the replaced file's
// permissions. False with the reason (naming the file as shown) when
// anything fails; the temporary file is removed then.
bool ReplaceFile(const std::filesystem::path &target, const std::string &shown,
                 const std::function<bool(std::FILE *)> &write, std::string *error);

// A run ended by SIGINT, SIGTERM, SIGHUP or SIGQUIT removes the temporary
// file it was writing; a file-size limit becomes a write error (EFBIG).
void RemoveTemporaryOnSignals();

}  // namespace tessaro

#endif

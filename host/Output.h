// Every file the program writes goes through here: the document, its glTF
// export and the stored plug-in data.
#ifndef TESSARO_HOST_OUTPUT_H
#define TESSARO_HOST_OUTPUT_H

#include <cstdio>
#include <functional>
#include <string>

#include "ReplaceFile.h"

namespace tessaro {

// Writes what write puts into the stream to path. A regular file, or a path
// that does not exist yet, gets the whole output or keeps what it held: the
// output goes to a unique temporary file in the same folder, which is then
// renamed over it, with the replaced file's permissions. A symbolic link is
// followed to its final target (created when the link dangles) and the link
// stays. A FIFO, a character device and the standard streams by name
// (/dev/stdout, /dev/fd/1, /proc/self/fd/1 and the stderr forms) are
// written directly. Anything else, such as a folder, is never replaced.
// Answers false with the path and the system's reason when anything fails;
// no temporary file is left behind then. write answers false when it could
// not produce its output.
bool WriteOutput(const std::string &path, const std::function<bool(std::FILE *)> &write, std::string *error);
bool WriteOutputBytes(const std::string &path, const std::string &bytes, std::string *error);

// The file WriteOutput writes for path: the end of its chain of links, or
// path itself (also when the chain cannot be followed).
std::string FinalTarget(const std::string &path);

// Whether WriteOutput would write path, without writing anything: false
// with the reason for a target it refuses, such as a folder.
bool CheckOutput(const std::string &path, std::string *error);

// Whether path exists but is not a regular file, after following links:
// reading it could block (a FIFO without a writer) or read as nothing.
bool ExistsButNotRegular(const std::string &path);

// Whether both paths name one file, after following links: an existing
// one, or the one a write to either would create.
bool SameFile(const std::string &a, const std::string &b);

// The standard stream a path names (stdout, stderr), or none. Decided by
// the name alone, so a redirected stream keeps its position.
std::FILE *StandardStreamFor(const std::string &path);

// Runs write on a stream that is written directly and flushes it: false
// with the system's reason when any of it did not reach the stream.
bool WriteStream(std::FILE *f, const std::function<bool(std::FILE *)> &write, std::string *reason);
// Flushes a stream: false with the system's reason when a write to it
// failed, then or before.
bool FinishStream(std::FILE *f, std::string *reason);

}  // namespace tessaro

#endif

// tessaro inspect: the record tree of an FT50 file.
#ifndef TESSARO_HOST_INSPECT_H
#define TESSARO_HOST_INSPECT_H

#include <cstdio>
#include <string>

namespace tessaro {

// Prints the records of the file, nested as the format nests them, with
// every framing problem named; answers the number of problems, or -1 (with
// why) when the file cannot be read as an FT50 file. Needs a live Host.
int InspectFile(const std::string &path, std::FILE *out, std::string *why);

}  // namespace tessaro

#endif

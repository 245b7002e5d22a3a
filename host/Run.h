// What the program's commands share over one run: how much it says,
// where its lines go, why the last import failed, and the checks of
// --out's names.
#ifndef TESSARO_HOST_RUN_H
#define TESSARO_HOST_RUN_H

#include <cstdint>
#include <cstdio>
#include <string>

#include "Host.h"

namespace tessaro {
namespace cli {

// -q: errors only; -v: also what the run does, step by step.
enum class Verbosity { Quiet, Normal, Verbose };
extern Verbosity g_verbosity;

// Set when the last import's dialog was cancelled: it succeeded, but
// nothing was imported or written.
extern bool g_cancelled;

// Set for a batch: lines on standard error about one file name it.
extern bool g_batch;

// Where the run's own lines go (a batch's lines, a cancelled dialog's
// note): standard error when the report takes standard output.
extern std::FILE *g_lines;

// Why the last import failed, as said on standard error.
extern std::string g_error;

// Set once a failed write to standard output has been reported.
extern bool g_stdoutReported;

// What import --out writes, by the name's extension (in any case).
extern const char *const kFormats;

// A warning or note on standard error, unless the run is quiet.
void Note(const std::string &kind, const std::string &text);
// A step of the run, when it is verbose.
void Step(const std::string &text);
// An error on standard error, kept in g_error.
void Fail(const std::string &why);

// A name whose extension is none of the formats would get JSON it did not
// ask for (x.obj, x.fbx): refused instead.
bool OutputFormatKnown(const std::string &out);
// Whether --out names a file rather than nothing or the summary.
bool WritesFile(const std::string &out);

// The host's warnings and the plug-ins' messages, said and cleared.
void PrintWarnings(Host &host);
// Ends the plug-ins and stores their data: a store that failed fails a run
// that would otherwise succeed.
int Finish(Host &host, int status);

// Where the plug-in data is stored unless --prefs says otherwise.
std::string DefaultPrefs();
// The plug-in folder beside the program.
std::string DefaultPlugins(const char *argv0);
// What a failed load's result code means.
const char *LoadFailure(int32_t code);

}  // namespace cli
}  // namespace tessaro

#endif

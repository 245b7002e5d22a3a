// The program's commands, each to its exit status (ExitStatus.h).
#ifndef TESSARO_HOST_COMMANDS_H
#define TESSARO_HOST_COMMANDS_H

#include <functional>
#include <string>
#include <vector>

#include "GltfExport.h"
#include "Host.h"
#include "Report.h"

namespace tessaro {
namespace cli {

// What one import is asked to do: the file, the dialog's answers, the
// user's document to load first, where the result goes and how.
struct ImportRequest {
  std::string file;
  DialogAnswers answers;
  std::string into, out, prefs, plugins;
  GltfOptions gltf;
  const char *argv0 = nullptr;
  bool base64Arrays = false;  // a document's tag arrays as base64 (DocumentFile.h)
};

// tessaro import FILE: one import in a host of its own; entry, when given,
// gets what the report says of it.
int Import(const ImportRequest &request, ReportEntry *entry);

// A batch's outputs: DIR/NAME.FORMAT, NAME-1, NAME-2, ... where two files
// share a name.
std::vector<std::string> BatchTargets(const std::vector<std::string> &files, const std::string &dir,
                                      const std::string &format);

// A batch: each file imported in a run of its own into its target, past
// any that fails; a line per file, then the totals.
int Batch(const std::vector<std::string> &files, const std::vector<std::string> &targets,
          const std::function<int(const std::string &, const std::string &)> &importOne);

// tessaro undo: the document's last undo steps undone, as the host's Undo
// does, written to out ("-": standard output).
int Undo(const std::string &in, const std::string &out, int steps);

}  // namespace cli
}  // namespace tessaro

#endif

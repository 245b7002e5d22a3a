// tessaro undo: a document file's last undo steps undone.
#include <cstdio>

#include "Commands.h"
#include "DocumentFile.h"
#include "ExitStatus.h"
#include "Output.h"
#include "Path.h"
#include "Run.h"
#include "Undo.h"

namespace tessaro {
namespace cli {

int Undo(const std::string &in, const std::string &out, int steps) {
  // What undo writes is the document file.
  if (out != "-" && (IsGltfPath(out) || !OutputFormatKnown(out) || out == "none")) {
    std::fprintf(stderr, "tessaro: undo writes the document file: --out takes a .json name, or - for standard output\n");
    return EXIT_USAGE;
  }
  Host host;
  Document *doc = host.NewDocument(Utf8Of(PathFromUtf8(in).filename()));
  std::string why;
  if (!ReadDocumentFile(host, in, doc, &why)) {
    std::fprintf(stderr, "tessaro: %s\n", why.c_str());
    return EXIT_FILE;
  }
  if (doc->undo.size() < static_cast<size_t>(steps)) {
    std::fprintf(stderr, "tessaro: '%s' has %zu undo step%s; %d cannot be undone\n", in.c_str(), doc->undo.size(),
                 doc->undo.size() == 1 ? "" : "s", steps);
    return EXIT_USAGE;
  }
  // A step undone in part would be a document no host ever had.
  for (int i = 0; i < steps; ++i) {
    const size_t step = doc->undo.size() - 1 - static_cast<size_t>(i);
    const size_t stuck = EntriesThatCannotBeUndone(host, *doc, step);
    if (stuck) {
      std::fprintf(stderr,
                   "tessaro: undo step %zu of '%s' has %zu entr%s that cannot be undone (the element is gone, or the "
                   "entry keeps nothing to restore, as those of earlier versions); nothing was written\n",
                   step + 1, in.c_str(), stuck, stuck == 1 ? "y" : "ies");
      return EXIT_USAGE;
    }
  }
  size_t skipped = 0;
  for (int i = 0; i < steps; ++i)
    if (!UndoLastStep(host, *doc, &why, &skipped)) {
      std::fprintf(stderr, "tessaro: cannot undo: %s\n", why.c_str());
      return EXIT_USAGE;
    }
  if (skipped)
    Note("warning: ", std::to_string(skipped) + " undo entr" + (skipped == 1 ? "y names an element" : "ies name elements") +
                          " the document no longer holds, or keep nothing to restore; passed over");
  if (out == "-") {
    std::string reason;
    if (!WriteStream(stdout, [&](std::FILE *f) { return WriteDocument(*doc, f); }, &reason)) {
      std::fprintf(stderr, "tessaro: cannot write the document to standard output: %s\n", reason.c_str());
      g_stdoutReported = true;
      return EXIT_FILE;
    }
  } else if (!WriteDocumentFile(*doc, out, &why)) {
    std::fprintf(stderr, "tessaro: %s\n", why.c_str());
    return EXIT_FILE;
  }
  return EXIT_IMPORTED;
}

}  // namespace cli
}  // namespace tessaro

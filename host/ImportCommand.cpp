// tessaro import: one file, or a batch of them, imported through the
// scene loaders and written where --out or --out-dir says.
#include <cstdio>
#include <cstdlib>
#include <set>

#include "Commands.h"
#include "DocumentFile.h"
#include "ExitStatus.h"
#include "Inspect.h"
#include "Output.h"
#include "Path.h"
#include "Run.h"
#include "Text.h"

namespace tessaro {
namespace cli {

namespace {

// The checks made before the host exists, as it stores the plug-in data
// when it ends: -1 when the import may go on, else its status.
int CheckTargets(const ImportRequest &q) {
  const std::string &file = q.file, &out = q.out, &prefs = q.prefs;
  std::string why;
  if (WritesFile(out)) {
    if (SameFile(out, file)) {
      Fail("refusing to write the document over the input file '" + file + "'");
      return EXIT_FILE;
    }
    if (!CheckOutput(out, &why)) {
      Fail(why);
      return EXIT_FILE;
    }
  }
  // After the input's own checks, which name the graver fault.
  if (!OutputFormatKnown(out)) {
    Fail("--out '" + out + "' names no format tessaro writes; it writes:\n" + kFormats);
    return EXIT_USAGE;
  }
  if (!prefs.empty() && SameFile(prefs, file)) {
    Fail("refusing to store the plug-in data over the input file '" + file + "'");
    return EXIT_FILE;
  }
  // The plug-in data is stored when the host ends, after the document:
  // the same file for both would lose the document.
  if (WritesFile(out) && !prefs.empty() && (out == prefs || SameFile(out, prefs))) {
    Fail("--out and --prefs name the same file '" + out + "'");
    return EXIT_USAGE;
  }
  return -1;
}

// The user's document (--into) becomes the active document.
bool LoadUserDocument(Host &host, const std::string &into) {
  std::string why;
  Document *doc = host.NewDocument(Utf8Of(PathFromUtf8(into).filename()));
  if (!ReadDocumentFile(host, into, doc, &why)) {
    Fail(why);
    return false;
  }
  Document *untitled = host.ActiveDocument();
  host.SetActiveDocument(doc);
  host.KillDocument(untitled);
  return true;
}

// What the report says of the load's answer.
void DescribeLoad(const Host &host, const ImportResult &r, ReportEntry *entry) {
  entry->loaded = r.loaded;
  entry->code = r.code;
  entry->meaning = host.dialogAnswerRefused ? "the options dialog could not take the answers: nothing was read"
                   : r.code == TH_LOAD_OK && r.cancelled ? "the options dialog was cancelled: nothing was read"
                   : r.code == TH_LOAD_OK   ? "the file was read to its end record"
                   : r.code == TH_LOAD_READ ? "the file ends before its end record; what was read is kept"
                                            : LoadFailure(r.code);
  entry->answers = host.confirmed;
}

// What the report says of the document and of what the file held that
// the document did not get.
void DescribeDocument(const Host &host, const std::string &file, const ImportResult &r, const Document &doc,
                      ReportEntry *entry) {
  std::string why;
  entry->document = tessaro::DescribeDocument(doc, r.firstSerial);
  FileFacts facts;
  LeftOutFinder finder(host.confirmed);
  facts.onObject = [&](const FileFacts::ObjectRecord &o) { finder.Object(o); };
  if (InspectFile(file, nullptr, &why, &facts) >= 0) {
    entry->warnings = finder.Finish(facts, *entry->document, host.removedDuringLoad);
    entry->records = ReportEntry::Records{facts.records, facts.objects, facts.materials.size(), facts.problems};
  }
}

// The document where --out says: a file, glTF, a summary or nothing. The
// status as it was, or EXIT_FILE when the output could not be written.
int WriteResult(const Document &doc, const std::string &out, const std::string &confirmed, const ImportRequest &q,
                int status) {
  const GltfOptions &gltf = q.gltf;
  std::string why;
  if (out == "none") {
  } else if (out.empty() || out == "-") {
    std::string reason;
    auto summary = [&](std::FILE *f) {
      if (!confirmed.empty()) std::fprintf(f, "answers: %s\n", confirmed.c_str());
      WriteSummary(doc, f);
      return true;
    };
    if (!WriteStream(stdout, summary, &reason)) {
      Fail("cannot write the summary to standard output: " + reason);
      g_stdoutReported = true;
      status = EXIT_FILE;
    }
  } else if (IsGltfPath(out)) {
    std::vector<std::string> left;
    bool written = WriteGltfFile(doc, out, &why, &left, gltf);
    for (const std::string &w : left) Note("warning: ", w);
    if (!written) {
      Fail(why);
      status = EXIT_FILE;
    }
  } else if (!WriteDocumentFile(doc, out, &why, q.base64Arrays)) {
    Fail(why);
    status = EXIT_FILE;
  }
  if (WritesFile(out) && status != EXIT_FILE) Step("wrote '" + out + "'");
  return status;
}

}  // namespace

int Import(const ImportRequest &q, ReportEntry *entry) {
  const std::string &file = q.file;
  const int refused = CheckTargets(q);
  if (refused >= 0) return refused;
  std::string why;
  Host host(q.prefs);
  if (!host.LoadPrefs(&why)) Note("warning: ", why);
  Step(q.prefs.empty() ? "no stored plug-in data (--prefs none)" : "stored plug-in data: '" + q.prefs + "'");
  if (!q.into.empty() && !LoadUserDocument(host, q.into)) return Finish(host, EXIT_FILE);

  const std::string pluginFolder = q.plugins.empty() ? DefaultPlugins(q.argv0) : q.plugins;
  Step("plug-ins from '" + pluginFolder + "'");
  if (!host.LoadPlugins(pluginFolder, &why)) {
    PrintWarnings(host);
    Fail(why);
    return Finish(host, EXIT_FILE);
  }
  PrintWarnings(host);

  Step(std::to_string(host.Loaders().size()) + " scene loader(s); importing '" + file + "'");
  ImportResult r = host.Import(file, q.answers);
  if (std::getenv("TESSARO_SHOW_FOREGROUND")) std::fprintf(stderr, "foreground: %s\n", host.foreground.c_str());
  // Why the answers were refused is part of the error, quiet or not.
  std::string refusal;
  if (host.dialogAnswerRefused) {
    for (const std::string &w : host.warnings) {
      std::fprintf(stderr, "tessaro: %s\n", w.c_str());
      refusal += (refusal.empty() ? "" : "; ") + w;
    }
    host.warnings.clear();
  }
  PrintWarnings(host);
  if (entry) DescribeLoad(host, r, entry);
  if (!r.recognised) {
    Fail(r.error);
    return Finish(host, EXIT_FILE);
  }
  if (host.dialogAnswerRefused) {
    Fail("the options dialog could not take the given answers; nothing was imported");
    if (!refusal.empty()) g_error = refusal + "; nothing was imported";
    return Finish(host, EXIT_USAGE);
  }
  if (r.code == TH_LOAD_OK && r.cancelled) {
    g_cancelled = true;
    std::fprintf(g_lines, "nothing was imported: the options dialog was cancelled\n");
    return Finish(host, EXIT_IMPORTED);
  }
  // What the dialog was confirmed with, so that a run can be repeated.
  const std::string confirmed = DescribeConfirmed(host.confirmed);
  if (!confirmed.empty()) Note(g_batch ? EscapeControls(file) + ": answers: " : "answers: ", confirmed);
  Step("the load answered " + std::to_string(r.code));
  int status = EXIT_IMPORTED;
  if (r.code == TH_LOAD_READ) {
    Note("warning: ", "'" + file + "' is truncated: it ends before its end record; what was read is kept");
    status = EXIT_TRUNCATED;
  } else if (r.code != TH_LOAD_OK) {
    Fail("cannot import '" + file + "': " + LoadFailure(r.code) + " (" + std::to_string(r.code) + ")");
    return Finish(host, EXIT_LOAD);
  }

  const Document *doc = host.ActiveDocument();
  if (entry) DescribeDocument(host, file, r, *doc, entry);
  return Finish(host, WriteResult(*doc, q.out, confirmed, q, status));
}

std::vector<std::string> BatchTargets(const std::vector<std::string> &files, const std::string &dir,
                                      const std::string &format) {
  std::set<std::string> taken;
  std::vector<std::string> targets;
  for (const std::string &file : files) {
    const std::string stem = Utf8Of(PathFromUtf8(file).stem());
    std::string name = stem + "." + format;
    for (int n = 1; taken.count(name); ++n) name = stem + "-" + std::to_string(n) + "." + format;
    taken.insert(name);
    targets.push_back(Utf8Of(PathFromUtf8(dir) / PathFromUtf8(name)));
  }
  return targets;
}

int Batch(const std::vector<std::string> &files, const std::vector<std::string> &targets,
          const std::function<int(const std::string &, const std::string &)> &importOne) {
  int failed = 0, cancelled = 0, truncated = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string &file = files[i], &to = targets[i];
    std::fflush(g_lines);
    g_cancelled = false;
    const int status = importOne(file, to);
    std::fflush(g_lines);
    // Names are printed with their control characters escaped: one line per
    // file, whatever a name holds.
    const std::string said = EscapeControls(file);
    if (status == EXIT_IMPORTED && g_cancelled) {
      ++cancelled;
      std::fprintf(g_lines, "%s: nothing imported (the dialog was cancelled)\n", said.c_str());
    } else if (status == EXIT_IMPORTED || status == EXIT_TRUNCATED) {
      // A truncated file still gives what it held: written, but said.
      if (status == EXIT_TRUNCATED) ++truncated;
      std::fprintf(g_lines, "%s: %s%s\n", said.c_str(), EscapeControls(to).c_str(),
                   status == EXIT_TRUNCATED ? " (truncated)" : "");
    } else {
      ++failed;
      std::fprintf(g_lines, "%s: failed (status %d)\n", said.c_str(), status);
    }
  }
  std::fprintf(g_lines, "%zu imported, %s%s%d failed\n",
               files.size() - static_cast<size_t>(failed + cancelled + truncated),
               truncated ? (std::to_string(truncated) + " truncated, ").c_str() : "",
               cancelled ? (std::to_string(cancelled) + " cancelled, ").c_str() : "", failed);
  // As for one file: a failure outweighs a truncation.
  return failed ? EXIT_BATCH : truncated ? EXIT_TRUNCATED : EXIT_IMPORTED;
}

}  // namespace cli
}  // namespace tessaro

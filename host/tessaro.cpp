// tessaro: the stand-in host's command-line program.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "DocumentFile.h"
#include "ExitStatus.h"
#include "GltfExport.h"
#include "Host.h"
#include "Inspect.h"
#include "Library.h"
#include "Path.h"
#include "Output.h"
#include "Report.h"
#include "Text.h"
#include "Undo.h"

namespace fs = std::filesystem;
using tessaro::PathFromUtf8;
using tessaro::Utf8Of;

namespace {

std::string DefaultPrefs() {
#if defined(_WIN32)
  const std::string appdata = tessaro::Environment("APPDATA");
  if (!appdata.empty()) return appdata + "/tessaro/prefs.json";
#endif
  const std::string xdg = tessaro::Environment("XDG_CONFIG_HOME");
  if (!xdg.empty()) return xdg + "/tessaro/prefs.json";
  const std::string home = tessaro::Environment("HOME");
  if (!home.empty()) return home + "/.config/tessaro/prefs.json";
  return "tessaro-prefs.json";
}

std::string DefaultPlugins(const char *argv0) { return Utf8Of(PathFromUtf8(tessaro::ProgramFolder(argv0)) / "plugins"); }

const char *LoadFailure(int32_t code) {
  switch (code) {
    case TH_LOAD_OPEN: return "the file could not be opened, or a load was already running";
    case TH_LOAD_CLOSE: return "the file could not be closed after reading";
    case TH_LOAD_OUT_OF_MEMORY: return "the host ran out of memory (no file object, or no room for what the file holds)";
    default: return "the load failed";
  }
}

// -q: errors only; -v: also what the run does, step by step.
enum class Verbosity { Quiet, Normal, Verbose };
Verbosity g_verbosity = Verbosity::Normal;

// A warning or note on standard error, unless the run is quiet.
void Note(const std::string &kind, const std::string &text) {
  if (g_verbosity != Verbosity::Quiet) std::fprintf(stderr, "tessaro: %s%s\n", kind.c_str(), text.c_str());
}
// A step of the run, when it is verbose.
void Step(const std::string &text) {
  if (g_verbosity == Verbosity::Verbose) std::fprintf(stderr, "tessaro: %s\n", text.c_str());
}

// Set when the last import's dialog was cancelled: it succeeded, but
// nothing was imported or written.
bool g_cancelled = false;

// Set for a batch: lines on standard error about one file name it.
bool g_batch = false;

// Where the run's own lines go (a batch's lines, a cancelled dialog's
// note): standard error when the report takes standard output.
std::FILE *g_lines = stdout;

// Why the last import failed, as said on standard error.
std::string g_error;
void Fail(const std::string &why) {
  std::fprintf(stderr, "tessaro: %s\n", why.c_str());
  g_error = why;
}

// Set once a failed write to standard output has been reported.
bool g_stdoutReported = false;

// What import --out writes, by the name's extension (in any case).
const char *const kFormats =
    "  .json          the document file (JSON), as --into reads it\n"
    "  .gltf          glTF 2.0, one file with its buffers (textures beside it, or inside with --embed-textures)\n"
    "  .glb           glTF 2.0, binary, textures inside\n"
    "  none           nothing\n"
    "  -              a summary on standard output (also without --out)\n"
    "  a name without an extension (a FIFO, /dev/stdout): the document file\n";

// A name whose extension is none of the formats would get JSON it did not
// ask for (x.obj, x.fbx): refused instead.
bool OutputFormatKnown(const std::string &out) {
  if (out.empty() || out == "-" || out == "none" || tessaro::IsGltfPath(out)) return true;
  const std::string ext = tessaro::Extension(out);
  return ext.empty() || ext == ".json";
}

// Whether --out names a file rather than nothing or the summary.
bool WritesFile(const std::string &out) { return !(out.empty() || out == "-" || out == "none"); }

void PrintWarnings(tessaro::Host &host) {
  for (const std::string &w : host.warnings) Note("warning: ", w);
  host.warnings.clear();
  for (const std::string &m : host.messages) std::fprintf(stderr, "tessaro: message: %s\n", m.c_str());
  host.messages.clear();
}

// Ends the plug-ins and stores their data: a store that failed fails a run
// that would otherwise succeed.
int Finish(tessaro::Host &host, int status) {
  host.Shutdown();
  PrintWarnings(host);
  if (!host.prefsError.empty()) {
    std::fprintf(stderr, "tessaro: %s\n", host.prefsError.c_str());
    if (status == EXIT_IMPORTED || status == EXIT_TRUNCATED) status = EXIT_FILE;
  }
  return status;
}

int Import(const std::string &file, const tessaro::DialogAnswers &answers, const std::string &into,
           const std::string &out, const std::string &prefs, const std::string &plugins,
           const tessaro::GltfOptions &gltf, const char *argv0, tessaro::ReportEntry *entry) {
  std::string why;
  // Before the host exists: it stores the plug-in data when it ends.
  if (WritesFile(out)) {
    if (tessaro::SameFile(out, file)) {
      Fail("refusing to write the document over the input file '" + file + "'");
      return EXIT_FILE;
    }
    if (!tessaro::CheckOutput(out, &why)) {
      Fail(why);
      return EXIT_FILE;
    }
  }
  // After the input's own checks, which name the graver fault.
  if (!OutputFormatKnown(out)) {
    Fail("--out '" + out + "' names no format tessaro writes; it writes:\n" + kFormats);
    return EXIT_USAGE;
  }
  if (!prefs.empty() && tessaro::SameFile(prefs, file)) {
    Fail("refusing to store the plug-in data over the input file '" + file + "'");
    return EXIT_FILE;
  }
  // The plug-in data is stored when the host ends, after the document:
  // the same file for both would lose the document.
  if (WritesFile(out) && !prefs.empty() && (out == prefs || tessaro::SameFile(out, prefs))) {
    Fail("--out and --prefs name the same file '" + out + "'");
    return EXIT_USAGE;
  }
  tessaro::Host host(prefs);
  if (!host.LoadPrefs(&why)) Note("warning: ", why);
  Step(prefs.empty() ? "no stored plug-in data (--prefs none)" : "stored plug-in data: '" + prefs + "'");

  if (!into.empty()) {
    tessaro::Document *doc = host.NewDocument(Utf8Of(PathFromUtf8(into).filename()));
    if (!tessaro::ReadDocumentFile(host, into, doc, &why)) {
      Fail(why);
      return Finish(host, EXIT_FILE);
    }
    tessaro::Document *untitled = host.ActiveDocument();
    host.SetActiveDocument(doc);
    host.KillDocument(untitled);
  }

  const std::string pluginFolder = plugins.empty() ? DefaultPlugins(argv0) : plugins;
  Step("plug-ins from '" + pluginFolder + "'");
  if (!host.LoadPlugins(pluginFolder, &why)) {
    PrintWarnings(host);
    Fail(why);
    return Finish(host, EXIT_FILE);
  }
  PrintWarnings(host);

  Step(std::to_string(host.Loaders().size()) + " scene loader(s); importing '" + file + "'");
  tessaro::ImportResult r = host.Import(file, answers);
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
  if (entry) {
    entry->loaded = r.loaded;
    entry->code = r.code;
    entry->meaning = host.dialogAnswerRefused ? "the options dialog could not take the answers: nothing was read"
                     : r.code == TH_LOAD_OK && r.cancelled ? "the options dialog was cancelled: nothing was read"
                     : r.code == TH_LOAD_OK   ? "the file was read to its end record"
                     : r.code == TH_LOAD_READ ? "the file ends before its end record; what was read is kept"
                                              : LoadFailure(r.code);
    entry->answers = host.confirmed;
  }
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
  const std::string confirmed = tessaro::DescribeConfirmed(host.confirmed);
  if (!confirmed.empty()) Note(g_batch ? tessaro::EscapeControls(file) + ": answers: " : "answers: ", confirmed);
  Step("the load answered " + std::to_string(r.code));
  int status = EXIT_IMPORTED;
  if (r.code == TH_LOAD_READ) {
    Note("warning: ", "'" + file + "' is truncated: it ends before its end record; what was read is kept");
    status = EXIT_TRUNCATED;
  } else if (r.code != TH_LOAD_OK) {
    Fail("cannot import '" + file + "': " + LoadFailure(r.code) + " (" + std::to_string(r.code) + ")");
    return Finish(host, EXIT_LOAD);
  }

  const tessaro::Document *doc = host.ActiveDocument();
  if (entry) {
    entry->document = tessaro::DescribeDocument(*doc, r.firstSerial);
    tessaro::FileFacts facts;
    tessaro::LeftOutFinder finder(host.confirmed);
    facts.onObject = [&](const tessaro::FileFacts::ObjectRecord &o) { finder.Object(o); };
    if (tessaro::InspectFile(file, nullptr, &why, &facts) >= 0) {
      entry->warnings = finder.Finish(facts, *entry->document, host.removedDuringLoad);
      entry->records = tessaro::ReportEntry::Records{facts.records, facts.objects, facts.materials.size(),
                                                     facts.problems};
    }
  }
  if (out == "none") {
  } else if (out.empty() || out == "-") {
    std::string reason;
    auto summary = [&](std::FILE *f) {
      if (!confirmed.empty()) std::fprintf(f, "answers: %s\n", confirmed.c_str());
      tessaro::WriteSummary(*doc, f);
      return true;
    };
    if (!tessaro::WriteStream(stdout, summary, &reason)) {
      Fail("cannot write the summary to standard output: " + reason);
      g_stdoutReported = true;
      status = EXIT_FILE;
    }
  } else if (tessaro::IsGltfPath(out)) {
    std::vector<std::string> left;
    bool written = tessaro::WriteGltfFile(*doc, out, &why, &left, gltf);
    for (const std::string &w : left) Note("warning: ", w);
    if (!written) {
      Fail(why);
      status = EXIT_FILE;
    }
  } else if (!tessaro::WriteDocumentFile(*doc, out, &why)) {
    Fail(why);
    status = EXIT_FILE;
  }
  if (WritesFile(out) && status != EXIT_FILE) Step("wrote '" + out + "'");
  return Finish(host, status);
}

int Inspect(const std::string &file) {
  tessaro::Host host;
  std::string why;
  int problems = tessaro::InspectFile(file, stdout, &why);
  if (problems < 0) {
    std::fprintf(stderr, "tessaro: %s\n", why.c_str());
    return EXIT_FILE;
  }
  return problems ? EXIT_DAMAGED : EXIT_IMPORTED;
}

// tessaro undo: the document's last undo steps undone, as the host's Undo
// does, written to out ("-": standard output).
int Undo(const std::string &in, const std::string &out, int steps) {
  // What undo writes is the document file.
  if (out != "-" && (tessaro::IsGltfPath(out) || !OutputFormatKnown(out) || out == "none")) {
    std::fprintf(stderr, "tessaro: undo writes the document file: --out takes a .json name, or - for standard output\n");
    return EXIT_USAGE;
  }
  tessaro::Host host;
  tessaro::Document *doc = host.NewDocument(Utf8Of(PathFromUtf8(in).filename()));
  std::string why;
  if (!tessaro::ReadDocumentFile(host, in, doc, &why)) {
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
    const size_t stuck = tessaro::EntriesThatCannotBeUndone(host, *doc, step);
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
    if (!tessaro::UndoLastStep(host, *doc, &why, &skipped)) {
      std::fprintf(stderr, "tessaro: cannot undo: %s\n", why.c_str());
      return EXIT_USAGE;
    }
  if (skipped)
    Note("warning: ", std::to_string(skipped) + " undo entr" + (skipped == 1 ? "y names an element" : "ies name elements") +
                          " the document no longer holds, or keep nothing to restore; passed over");
  if (out == "-") {
    std::string reason;
    if (!tessaro::WriteStream(stdout, [&](std::FILE *f) { return tessaro::WriteDocument(*doc, f); }, &reason)) {
      std::fprintf(stderr, "tessaro: cannot write the document to standard output: %s\n", reason.c_str());
      g_stdoutReported = true;
      return EXIT_FILE;
    }
  } else if (!tessaro::WriteDocumentFile(*doc, out, &why)) {
    std::fprintf(stderr, "tessaro: %s\n", why.c_str());
    return EXIT_FILE;
  }
  return EXIT_IMPORTED;
}

// A batch's outputs: DIR/NAME.FORMAT, NAME-1, NAME-2, ... where two files
// share a name.
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

// A batch: each file imported in a run of its own into its target, past
// any that fails; a line per file, then the totals.
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
    const std::string said = tessaro::EscapeControls(file);
    if (status == EXIT_IMPORTED && g_cancelled) {
      ++cancelled;
      std::fprintf(g_lines, "%s: nothing imported (the dialog was cancelled)\n", said.c_str());
    } else if (status == EXIT_IMPORTED || status == EXIT_TRUNCATED) {
      // A truncated file still gives what it held: written, but said.
      if (status == EXIT_TRUNCATED) ++truncated;
      std::fprintf(g_lines, "%s: %s%s\n", said.c_str(), tessaro::EscapeControls(to).c_str(),
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

int Main(int argc, char **argv) {
  CLI::App app{"tessaro: the stand-in 3D host"};
  app.require_subcommand(1);
  // On Windows CLI11 would take /x for an option; a path there may start
  // with /. Options are written with dashes everywhere (the subcommands,
  // made after this, inherit it).
  app.allow_windows_style_options(false);
  app.set_version_flag("--version", std::string("tessaro ") + TESSARO_VERSION);
  CLI::App *help = app.add_subcommand("help", "describe the commands, or one command");
  std::string helpTopic;
  help->add_option("COMMAND", helpTopic, "the command to describe");
  CLI::App *formats = app.add_subcommand("formats", "list what import --out writes");
  CLI::App *imp = app.add_subcommand("import", "import a file into a document through the scene loaders");

  std::string mode, kind, object, into, out, prefs = DefaultPrefs(), plugins, outDir, format = "json";
  std::vector<std::string> files;
  int row = -1;
  float scale = 0;
  bool cancel = false;
  imp->add_option("FILE", files, "the file to import (several: a batch, with --out-dir)")->required();
  auto *outDirOpt = imp->add_option("--out-dir", outDir, "a batch: write each file's output into this folder");
  auto *formatOpt = imp->add_option("--format", format, "a batch: what each output is")
      ->transform(CLI::IsMember({"json", "gltf", "glb"}, CLI::ignore_case));
  imp->add_option("--mode", mode, "where the import goes")->check(CLI::IsMember({"new", "merge", "update"}));
  imp->add_option("--kind", kind, "what an update replaces")
      ->check(CLI::IsMember({"geometry", "cameras", "materials", "lights"}));
  auto *objectOpt = imp->add_option("--object", object, "the top-level object an update replaces, by name");
  auto *rowOpt = imp->add_option("--row", row,
                                 "the top-level object an update replaces, by its row as the dialog numbers them "
                                 "(1 is the first)")
                     ->check(CLI::Range(1, 1 << 30).description("a number from 1"));
  objectOpt->excludes(rowOpt);
  auto *scaleOpt = imp->add_option("--scale", scale, "the scale factor for imported lengths");
  bool quiet = false, verbose = false;
  auto *quietOpt = imp->add_flag("-q,--quiet", quiet, "errors only: no warnings, no answers line");
  imp->add_flag("-v,--verbose", verbose, "also say what the run does, step by step")->excludes(quietOpt);
  imp->add_flag("--cancel", cancel, "cancel the options dialog");
  imp->add_option("--into", into, "load the user's document from this document file first");
  imp->add_option("--out", out, "write the document here (see tessaro formats)");
  std::string report;
  auto *reportOpt = imp->add_option("--report", report,
                  "write a report a script can read (JSON) here, - for standard output: per file the answers, "
                  "the result, what the document holds and what the file held that it did not get");
  imp->add_option("--prefs", prefs, "where stored plug-in data lives (none: nothing is read or stored)");
  imp->add_option("--plugins", plugins, "the plug-in folder");
  std::vector<std::string> textures;
  imp->add_option("--textures", textures,
                  "glTF: a folder to look for texture files in, after the file's folder and its tex folder "
                  "(repeatable)")
      ->allow_extra_args(false);
  bool embedTextures = false;
  imp->add_flag("--embed-textures", embedTextures, "glTF: a .gltf carries its textures inside, as data URIs");
  double unitScale = 0.01;
  auto *unitScaleOpt = imp->add_option("--unit-scale", unitScale, "glTF: metres per document unit (default 0.01)");

  CLI::App *und = app.add_subcommand("undo", "undo the last undo step of a document file, as the host's Undo does");
  std::string undoIn, undoOut;
  int undoSteps = 1;
  und->add_option("DOC", undoIn, "the document file (JSON)")->required();
  und->add_option("--out", undoOut, "where the document goes after the undo (- for standard output)")->required();
  und->add_option("--steps", undoSteps, "how many undo steps, the last first")
      ->check(CLI::Range(1, 1 << 30).description("a number from 1"));

  CLI::App *ins = app.add_subcommand("inspect", "print the record tree of an FT50 file and name its framing problems");
  std::string inspected;
  ins->add_option("FILE", inspected, "the file to inspect")->required();

  // CLI11 would only say that a command is required.
  if (argc > 1 && argv[1][0] != '-') {
    const std::string command = argv[1];
    if (command != "import" && command != "inspect" && command != "undo" && command != "formats" && command != "help") {
      std::fprintf(stderr, "tessaro: there is no command '%s'; the commands are import, inspect, undo, formats and help\n",
                   tessaro::EscapeControls(command).c_str());
      return EXIT_USAGE;
    }
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError &e) {
    int rc = app.exit(e);
    return rc == 0 ? 0 : EXIT_USAGE;
  }

  if (help->parsed()) {
    if (helpTopic.empty()) {
      // The program's own help: app.help() would describe the help command.
      std::printf("%s", app.get_formatter()->make_help(&app, app.get_name(), CLI::AppFormatMode::Normal).c_str());
      return EXIT_IMPORTED;
    }
    for (CLI::App *command : {imp, ins, und, formats, help})
      if (command->get_name() == helpTopic) {
        std::printf("%s", command->get_formatter()->make_help(command, command->get_name(), CLI::AppFormatMode::All)
                              .c_str());
        return EXIT_IMPORTED;
      }
    std::fprintf(stderr, "tessaro: there is no command '%s'; the commands are import, inspect, undo, formats and help\n",
                 helpTopic.c_str());
    return EXIT_USAGE;
  }
  if (formats->parsed()) {
    std::printf("%s", kFormats);
    return EXIT_IMPORTED;
  }
  if (ins->parsed()) return Inspect(inspected);
  if (und->parsed()) return Undo(undoIn, undoOut, undoSteps);
  if (quiet) g_verbosity = Verbosity::Quiet;
  if (verbose) g_verbosity = Verbosity::Verbose;
  // An empty store, neither read nor written: the plug-in starts from its
  // defaults, as on a first run.
  if (prefs.empty()) {
    std::fprintf(stderr, "tessaro: --prefs takes a file name, or none for no stored data\n");
    return EXIT_USAGE;
  }
  if (prefs == "none") prefs.clear();
  if (scaleOpt->count() && (!std::isfinite(scale) || scaleOpt->results().back().empty())) {
    std::fprintf(stderr, "tessaro: --scale takes a finite number, not '%s'\n", scaleOpt->results().back().c_str());
    return EXIT_USAGE;
  }

  if (unitScaleOpt->count() && (!(unitScale >= tessaro::kMinUnitScale && unitScale <= tessaro::kMaxUnitScale) ||
                                unitScaleOpt->results().back().empty())) {
    std::fprintf(stderr, "tessaro: --unit-scale takes a number from 1e-9 to 1e9 (metres per document unit), not '%s'\n",
                 unitScaleOpt->results().back().c_str());
    return EXIT_USAGE;
  }
  // Texture files are looked for where a user keeps them: beside the file,
  // in its tex folder, then in the folders given.
  auto gltfFor = [&](const std::string &file) {
    tessaro::GltfOptions gltf;
    gltf.unitScale = unitScale;
    gltf.embedTextures = embedTextures;
    const fs::path folder = PathFromUtf8(file).has_parent_path() ? PathFromUtf8(file).parent_path() : fs::path(".");
    gltf.textureFolders = {Utf8Of(folder), Utf8Of(folder / "tex")};
    gltf.textureFolders.insert(gltf.textureFolders.end(), textures.begin(), textures.end());
    // A link may lead anywhere inside the file's folder or a folder the
    // user named, but a link that came with the file (a tex folder or a
    // texture linked elsewhere) does not lead out of its folder.
    gltf.textureRoots = {Utf8Of(folder)};
    gltf.textureRoots.insert(gltf.textureRoots.end(), textures.begin(), textures.end());
    return gltf;
  };
  const bool batch = files.size() > 1 || outDirOpt->count();
  if (batch && !outDirOpt->count()) {
    std::fprintf(stderr, "tessaro: several files are a batch: name the folder for their outputs with --out-dir\n");
    return EXIT_USAGE;
  }
  if (!batch && formatOpt->count()) {
    std::fprintf(stderr, "tessaro: --format is for a batch (with --out-dir); one file's format follows --out\n");
    return EXIT_USAGE;
  }
  if (batch && !out.empty()) {
    std::fprintf(stderr, "tessaro: a batch writes into --out-dir; --out names one file\n");
    return EXIT_USAGE;
  }

  tessaro::DialogAnswers answers;
  if (mode == "new") answers.mode = MODE_NEW;
  if (mode == "merge") answers.mode = MODE_MERGE;
  if (mode == "update") answers.mode = MODE_UPDATE;
  if (kind == "geometry") answers.kind = KIND_GEOMETRY;
  if (kind == "cameras") answers.kind = KIND_CAMERAS;
  if (kind == "materials") answers.kind = KIND_MATERIALS;
  if (kind == "lights") answers.kind = KIND_LIGHTS;
  if (objectOpt->count()) answers.object = object;
  if (rowOpt->count()) answers.row = row - 1;  // the dialog's rows count from 0
  if (scaleOpt->count()) answers.scale = scale;
  answers.cancel = cancel;
  // With no answer given, a person at a terminal gets the dialog itself.
  answers.atTerminal = !(mode.size() || kind.size() || objectOpt->count() || rowOpt->count() || scaleOpt->count() ||
                         cancel);
  // A batch runs unattended: its dialogs open and are confirmed as asked.
  if (batch) answers.atTerminal = false;
  // A batch's folder is made when it is not there yet, as its outputs
  // are; then every output is known before anything is written.
  std::vector<std::string> targets;
  if (batch) {
    std::error_code ec;
    const fs::path dir = PathFromUtf8(outDir);
    if (!fs::is_directory(dir, ec) && fs::exists(dir, ec)) {
      std::fprintf(stderr, "tessaro: --out-dir '%s' is not a folder\n", outDir.c_str());
      return EXIT_USAGE;
    }
    if (!fs::is_directory(dir, ec) && (fs::create_directories(dir, ec), ec)) {
      std::fprintf(stderr, "tessaro: cannot make the folder '%s': %s\n", outDir.c_str(), ec.message().c_str());
      return EXIT_FILE;
    }
    targets = BatchTargets(files, outDir, format);
  }
  if (!prefs.empty() && !into.empty() && tessaro::SameFile(prefs, into)) {
    std::fprintf(stderr, "tessaro: --prefs and --into name the same file '%s'\n", into.c_str());
    return EXIT_USAGE;
  }
  if (reportOpt->count() && report.empty()) {
    std::fprintf(stderr, "tessaro: --report takes a file name, or - for standard output\n");
    return EXIT_USAGE;
  }
  if (!report.empty()) {
    std::string why;
    const bool reportOnStdout = report == "-" || tessaro::StandardStreamFor(report) == stdout;
    if (reportOnStdout) {
      // The report alone on standard output, so that it reads as JSON.
      if (!batch && (out == "-" || (WritesFile(out) && tessaro::StandardStreamFor(out) == stdout))) {
        std::fprintf(stderr, "tessaro: --report and --out would both write to standard output\n");
        return EXIT_USAGE;
      }
      if (!batch && out.empty()) out = "none";
      g_lines = stderr;
    } else {
      for (const std::string &file : files)
        if (tessaro::SameFile(report, file)) {
          std::fprintf(stderr, "tessaro: refusing to write the report over the input file '%s'\n", file.c_str());
          return EXIT_FILE;
        }
      if (!into.empty() && tessaro::SameFile(report, into)) {
        std::fprintf(stderr, "tessaro: refusing to write the report over the user's document '%s'\n", into.c_str());
        return EXIT_FILE;
      }
      std::vector<std::string> written = targets;
      if (WritesFile(out)) written.push_back(out);
      if (!prefs.empty()) written.push_back(prefs);
      for (const std::string &other : written)
        if (report == other || tessaro::SameFile(report, other)) {
          std::fprintf(stderr, "tessaro: --report names a file the run writes otherwise: '%s'\n", other.c_str());
          return EXIT_USAGE;
        }
      if (!tessaro::CheckOutput(report, &why)) {
        std::fprintf(stderr, "tessaro: %s\n", why.c_str());
        return EXIT_FILE;
      }
    }
  }
  std::vector<tessaro::ReportEntry> entries;
  auto importOne = [&](const std::string &file, const std::string &to) {
    tessaro::ReportEntry entry;
    g_error.clear();
    int status;
    try {
      status = Import(file, answers, into, to, prefs, plugins, gltfFor(file), argv[0], report.empty() ? nullptr : &entry);
    } catch (const std::exception &e) {
      Fail(e.what());
      status = EXIT_FILE;
    }
    if (!report.empty()) {
      entry.file = file;
      entry.status = status;
      entry.error = g_error;
      const bool cancelled = status == EXIT_IMPORTED && g_cancelled;
      entry.outcome = cancelled ? "cancelled"
                      : status == EXIT_IMPORTED ? "imported"
                      : status == EXIT_TRUNCATED ? "truncated"
                                                 : "failed";
      if (!cancelled && (status == EXIT_IMPORTED || status == EXIT_TRUNCATED) && WritesFile(to)) entry.output = to;
      entries.push_back(std::move(entry));
    }
    return status;
  };
  g_batch = batch;
  int status = batch ? Batch(files, targets, importOne) : importOne(files[0], out);
  if (!report.empty()) {
    std::string why;
    if (!entries.empty() && !tessaro::WriteReport(entries, report, &why)) {
      std::fprintf(stderr, "tessaro: %s\n", why.c_str());
      if (status == EXIT_IMPORTED || status == EXIT_TRUNCATED) status = EXIT_FILE;
      if (g_lines == stderr) g_stdoutReported = true;
    }
  }
  return status;
}

}  // namespace

static int Run(int argc, char **argv) {
  tessaro::RemoveTemporaryOnSignals();
  int status = Main(argc, argv);
  // Whatever went to standard output must have arrived, or the run failed.
  std::string reason;
  if (!g_stdoutReported && !tessaro::FinishStream(stdout, &reason)) {
    std::fprintf(stderr, "tessaro: cannot write to standard output: %s\n", reason.c_str());
    if (status != EXIT_USAGE && status != EXIT_LOAD) status = EXIT_FILE;
  }
  return status;
}

#if defined(_WIN32)
// Windows hands the arguments over as UTF-16 (linked with -municode); they
// become UTF-8 here, once, as every name inside is.
int wmain(int argc, wchar_t **wargv) {
  std::vector<std::string> args = tessaro::Utf8Arguments(argc, wargv);
  std::vector<char *> argv;
  for (std::string &a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  tessaro::Utf8Console console;
  return Run(argc, argv.data());
}
#else
int main(int argc, char **argv) { return Run(argc, argv); }
#endif

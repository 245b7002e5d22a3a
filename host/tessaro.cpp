// tessaro: the stand-in host's command-line program. This file reads the
// command line; the commands are in ImportCommand.cpp and UndoCommand.cpp.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "Commands.h"
#include "ExitStatus.h"
#include "GltfExport.h"
#include "Host.h"
#include "Inspect.h"
#include "Library.h"
#include "Output.h"
#include "Path.h"
#include "Report.h"
#include "Run.h"
#include "Text.h"

namespace fs = std::filesystem;
using tessaro::PathFromUtf8;
using tessaro::Utf8Of;
using namespace tessaro::cli;

namespace {

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

// What import's command line holds, and the options whose presence counts.
struct ImportArgs {
  std::string mode, kind, object, into, out, prefs = DefaultPrefs(), plugins, outDir, format = "json", report;
  std::vector<std::string> files, textures;
  int row = -1;
  float scale = 0;
  double unitScale = 0.01;
  bool cancel = false, quiet = false, verbose = false, embedTextures = false, base64Arrays = false;
  CLI::Option *outDirOpt = nullptr, *formatOpt = nullptr, *objectOpt = nullptr, *rowOpt = nullptr,
              *scaleOpt = nullptr, *reportOpt = nullptr, *unitScaleOpt = nullptr;
  bool batch = false;
  std::vector<std::string> targets;  // a batch's outputs
};

void DefineImport(CLI::App *imp, ImportArgs *a) {
  imp->add_option("FILE", a->files, "the file to import (several: a batch, with --out-dir)")->required();
  a->outDirOpt = imp->add_option("--out-dir", a->outDir, "a batch: write each file's output into this folder");
  a->formatOpt = imp->add_option("--format", a->format, "a batch: what each output is")
                     ->transform(CLI::IsMember({"json", "gltf", "glb"}, CLI::ignore_case));
  imp->add_option("--mode", a->mode, "where the import goes")->check(CLI::IsMember({"new", "merge", "update"}));
  imp->add_option("--kind", a->kind, "what an update replaces")
      ->check(CLI::IsMember({"geometry", "cameras", "materials", "lights"}));
  a->objectOpt = imp->add_option("--object", a->object, "the top-level object an update replaces, by name");
  a->rowOpt = imp->add_option("--row", a->row,
                              "the top-level object an update replaces, by its row as the dialog numbers them "
                              "(1 is the first)")
                  ->check(CLI::Range(1, 1 << 30).description("a number from 1"));
  a->objectOpt->excludes(a->rowOpt);
  a->scaleOpt = imp->add_option("--scale", a->scale, "the scale factor for imported lengths");
  auto *quietOpt = imp->add_flag("-q,--quiet", a->quiet, "errors only: no warnings, no answers line");
  imp->add_flag("-v,--verbose", a->verbose, "also say what the run does, step by step")->excludes(quietOpt);
  imp->add_flag("--cancel", a->cancel, "cancel the options dialog");
  imp->add_option("--into", a->into, "load the user's document from this document file first");
  imp->add_option("--out", a->out, "write the document here (see tessaro formats)");
  a->reportOpt = imp->add_option("--report", a->report,
                                 "write a report a script can read (JSON) here, - for standard output: per file the "
                                 "answers, the result, what the document holds and what the file held that it did "
                                 "not get");
  imp->add_option("--prefs", a->prefs, "where stored plug-in data lives (none: nothing is read or stored)");
  imp->add_option("--plugins", a->plugins, "the plug-in folder");
  imp->add_option("--textures", a->textures,
                  "glTF: a folder to look for texture files in, after the file's folder and its tex folder "
                  "(repeatable)")
      ->allow_extra_args(false);
  imp->add_flag("--embed-textures", a->embedTextures, "glTF: a .gltf carries its textures inside, as data URIs");
  a->unitScaleOpt = imp->add_option("--unit-scale", a->unitScale, "glTF: metres per document unit (default 0.01)");
  imp->add_flag("--base64-arrays", a->base64Arrays,
                "document: each tag's points, polygons or UVW as base64 of its little-endian values, for programs");
}

// The options' own checks and how they go together: -1 when the import
// may go on, else its status.
int CheckImportArgs(ImportArgs &a) {
  // An empty store, neither read nor written: the plug-in starts from its
  // defaults, as on a first run.
  if (a.prefs.empty()) {
    std::fprintf(stderr, "tessaro: --prefs takes a file name, or none for no stored data\n");
    return EXIT_USAGE;
  }
  if (a.prefs == "none") a.prefs.clear();
  if (a.scaleOpt->count() && (!std::isfinite(a.scale) || a.scaleOpt->results().back().empty())) {
    std::fprintf(stderr, "tessaro: --scale takes a finite number, not '%s'\n", a.scaleOpt->results().back().c_str());
    return EXIT_USAGE;
  }
  if (a.unitScaleOpt->count() && (!(a.unitScale >= tessaro::kMinUnitScale && a.unitScale <= tessaro::kMaxUnitScale) ||
                                  a.unitScaleOpt->results().back().empty())) {
    std::fprintf(stderr, "tessaro: --unit-scale takes a number from 1e-9 to 1e9 (metres per document unit), not '%s'\n",
                 a.unitScaleOpt->results().back().c_str());
    return EXIT_USAGE;
  }
  a.batch = a.files.size() > 1 || a.outDirOpt->count();
  if (a.batch && !a.outDirOpt->count()) {
    std::fprintf(stderr, "tessaro: several files are a batch: name the folder for their outputs with --out-dir\n");
    return EXIT_USAGE;
  }
  if (!a.batch && a.formatOpt->count()) {
    std::fprintf(stderr, "tessaro: --format is for a batch (with --out-dir); one file's format follows --out\n");
    return EXIT_USAGE;
  }
  if (a.batch && !a.out.empty()) {
    std::fprintf(stderr, "tessaro: a batch writes into --out-dir; --out names one file\n");
    return EXIT_USAGE;
  }
  return -1;
}

tessaro::DialogAnswers AnswersOf(const ImportArgs &a) {
  tessaro::DialogAnswers answers;
  if (a.mode == "new") answers.mode = MODE_NEW;
  if (a.mode == "merge") answers.mode = MODE_MERGE;
  if (a.mode == "update") answers.mode = MODE_UPDATE;
  if (a.kind == "geometry") answers.kind = KIND_GEOMETRY;
  if (a.kind == "cameras") answers.kind = KIND_CAMERAS;
  if (a.kind == "materials") answers.kind = KIND_MATERIALS;
  if (a.kind == "lights") answers.kind = KIND_LIGHTS;
  if (a.objectOpt->count()) answers.object = a.object;
  if (a.rowOpt->count()) answers.row = a.row - 1;  // the dialog's rows count from 0
  if (a.scaleOpt->count()) answers.scale = a.scale;
  answers.cancel = a.cancel;
  // With no answer given, a person at a terminal gets the dialog itself.
  answers.atTerminal = !(a.mode.size() || a.kind.size() || a.objectOpt->count() || a.rowOpt->count() ||
                         a.scaleOpt->count() || a.cancel);
  // A batch runs unattended: its dialogs open and are confirmed as asked.
  if (a.batch) answers.atTerminal = false;
  return answers;
}

// Texture files are looked for where a user keeps them: beside the file,
// in its tex folder, then in the folders given.
tessaro::GltfOptions GltfFor(const ImportArgs &a, const std::string &file) {
  tessaro::GltfOptions gltf;
  gltf.unitScale = a.unitScale;
  gltf.embedTextures = a.embedTextures;
  const fs::path folder = PathFromUtf8(file).has_parent_path() ? PathFromUtf8(file).parent_path() : fs::path(".");
  gltf.textureFolders = {Utf8Of(folder), Utf8Of(folder / "tex")};
  gltf.textureFolders.insert(gltf.textureFolders.end(), a.textures.begin(), a.textures.end());
  // A link may lead anywhere inside the file's folder or a folder the
  // user named, but a link that came with the file (a tex folder or a
  // texture linked elsewhere) does not lead out of its folder.
  gltf.textureRoots = {Utf8Of(folder)};
  gltf.textureRoots.insert(gltf.textureRoots.end(), a.textures.begin(), a.textures.end());
  return gltf;
}

// A batch's folder is made when it is not there yet, as its outputs are;
// then every output is known before anything is written.
int PrepareOutDir(ImportArgs &a) {
  std::error_code ec;
  const fs::path dir = PathFromUtf8(a.outDir);
  if (!fs::is_directory(dir, ec) && fs::exists(dir, ec)) {
    std::fprintf(stderr, "tessaro: --out-dir '%s' is not a folder\n", a.outDir.c_str());
    return EXIT_USAGE;
  }
  if (!fs::is_directory(dir, ec) && (fs::create_directories(dir, ec), ec)) {
    std::fprintf(stderr, "tessaro: cannot make the folder '%s': %s\n", a.outDir.c_str(), ec.message().c_str());
    return EXIT_FILE;
  }
  a.targets = BatchTargets(a.files, a.outDir, a.format);
  return -1;
}

// The report goes to standard output alone, or to a file the run writes
// nothing else to: -1 when it may, else the run's status.
int CheckReport(ImportArgs &a) {
  std::string why;
  const bool reportOnStdout = a.report == "-" || tessaro::StandardStreamFor(a.report) == stdout;
  if (reportOnStdout) {
    // The report alone on standard output, so that it reads as JSON.
    if (!a.batch && (a.out == "-" || (WritesFile(a.out) && tessaro::StandardStreamFor(a.out) == stdout))) {
      std::fprintf(stderr, "tessaro: --report and --out would both write to standard output\n");
      return EXIT_USAGE;
    }
    if (!a.batch && a.out.empty()) a.out = "none";
    g_lines = stderr;
    return -1;
  }
  for (const std::string &file : a.files)
    if (tessaro::SameFile(a.report, file)) {
      std::fprintf(stderr, "tessaro: refusing to write the report over the input file '%s'\n", file.c_str());
      return EXIT_FILE;
    }
  if (!a.into.empty() && tessaro::SameFile(a.report, a.into)) {
    std::fprintf(stderr, "tessaro: refusing to write the report over the user's document '%s'\n", a.into.c_str());
    return EXIT_FILE;
  }
  std::vector<std::string> written = a.targets;
  if (WritesFile(a.out)) written.push_back(a.out);
  if (!a.prefs.empty()) written.push_back(a.prefs);
  for (const std::string &other : written)
    if (a.report == other || tessaro::SameFile(a.report, other)) {
      std::fprintf(stderr, "tessaro: --report names a file the run writes otherwise: '%s'\n", other.c_str());
      return EXIT_USAGE;
    }
  if (!tessaro::CheckOutput(a.report, &why)) {
    std::fprintf(stderr, "tessaro: %s\n", why.c_str());
    return EXIT_FILE;
  }
  return -1;
}

int RunImport(ImportArgs &a, const char *argv0) {
  if (a.quiet) g_verbosity = Verbosity::Quiet;
  if (a.verbose) g_verbosity = Verbosity::Verbose;
  int refused = CheckImportArgs(a);
  if (refused < 0 && a.batch) refused = PrepareOutDir(a);
  if (refused >= 0) return refused;
  if (!a.prefs.empty() && !a.into.empty() && tessaro::SameFile(a.prefs, a.into)) {
    std::fprintf(stderr, "tessaro: --prefs and --into name the same file '%s'\n", a.into.c_str());
    return EXIT_USAGE;
  }
  if (a.reportOpt->count() && a.report.empty()) {
    std::fprintf(stderr, "tessaro: --report takes a file name, or - for standard output\n");
    return EXIT_USAGE;
  }
  if (!a.report.empty() && (refused = CheckReport(a)) >= 0) return refused;

  const tessaro::DialogAnswers answers = AnswersOf(a);
  std::vector<tessaro::ReportEntry> entries;
  auto importOne = [&](const std::string &file, const std::string &to) {
    tessaro::ReportEntry entry;
    g_error.clear();
    int status;
    try {
      ImportRequest request{file, answers, a.into, to, a.prefs, a.plugins, GltfFor(a, file), argv0};
      request.base64Arrays = a.base64Arrays;
      status = Import(request, a.report.empty() ? nullptr : &entry);
    } catch (const std::exception &e) {
      Fail(e.what());
      status = EXIT_FILE;
    }
    if (!a.report.empty()) {
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
  g_batch = a.batch;
  int status = a.batch ? Batch(a.files, a.targets, importOne) : importOne(a.files[0], a.out);
  if (!a.report.empty()) {
    std::string why;
    if (!entries.empty() && !tessaro::WriteReport(entries, a.report, &why)) {
      std::fprintf(stderr, "tessaro: %s\n", why.c_str());
      if (status == EXIT_IMPORTED || status == EXIT_TRUNCATED) status = EXIT_FILE;
      if (g_lines == stderr) g_stdoutReported = true;
    }
  }
  return status;
}

const char kNoSuchCommand[] =
    "tessaro: there is no command '%s'; the commands are import, inspect, undo, formats and help\n";

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
  ImportArgs importArgs;
  DefineImport(imp, &importArgs);

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
      std::fprintf(stderr, kNoSuchCommand, tessaro::EscapeControls(command).c_str());
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
    std::fprintf(stderr, kNoSuchCommand, helpTopic.c_str());
    return EXIT_USAGE;
  }
  if (formats->parsed()) {
    std::printf("%s", kFormats);
    return EXIT_IMPORTED;
  }
  if (ins->parsed()) return Inspect(inspected);
  if (und->parsed()) return Undo(undoIn, undoOut, undoSteps);
  return RunImport(importArgs, argv[0]);
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

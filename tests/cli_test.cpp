// The tessaro program as a user runs it.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <thread>

#include <rapidjson/document.h>

#include "ExitStatus.h"
#include "ft50_scene.h"
#include "images.h"

#include "support.h"

namespace {

using testsupport::ReadText;
using testsupport::WriteText;

class CliTest : public ::testing::Test {
 protected:
  // Runs tessaro with the arguments; answers the exit status. With a time
  // limit, a run still going after that many seconds is killed.
  // Imports get a prefs file of their own unless ownPrefs is false.
  int Run(const std::string &args, int seconds = 0, bool ownPrefs = true) {
    const bool imports = ownPrefs && args.rfind("import ", 0) == 0;
    std::string cmd = (seconds ? "timeout -s KILL " + std::to_string(seconds) + " " : std::string()) +
                      std::string(TESSARO_TESSARO) + " " + args + (imports ? " --prefs " + dir_.File("prefs.json") : "") + " >" +
                      dir_.File("out.txt") + " 2>" + dir_.File("err.txt") + " </dev/null";
    int rc = std::system(cmd.c_str());
    out_ = ReadText(dir_.File("out.txt"));
    err_ = ReadText(dir_.File("err.txt"));
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  }
  std::string Save(const Ft50Writer &w, const std::string &name) {
    w.Save(dir_.File(name));
    return dir_.File(name);
  }
  static bool Has(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

  testsupport::TempDir dir_;
  std::string out_, err_;
};

TEST_F(CliTest, ImportPrintsASummary) {
  ASSERT_EQ(Run("import " TESSARO_SOURCE_DIR "/examples/scene.ft50"), EXIT_IMPORTED) << err_;
  EXPECT_TRUE(Has(out_, "document \"scene.ft50\"")) << out_;
  EXPECT_TRUE(Has(out_, "objects: ")) << out_;
}

TEST_F(CliTest, SummaryShowsNamesAsLettersAndControlsAsEscapes) {
  Ft50Writer f;
  ft50::Object(f, 5100, ft50::Named("W\xfcrfel\x1b[2J"), [](Ft50Writer &b) { ft50::Points(b, {{0, 0, 0}}); });
  f.Terminator();
  ASSERT_EQ(Run("import " + Save(f, "odd\x07.ft50") + " --mode new"), EXIT_IMPORTED) << err_;
  EXPECT_TRUE(Has(out_, "\"W\xc3\xbcrfel\\x1B[2J\"")) << out_;
  EXPECT_TRUE(Has(out_, "document \"odd\\x07.ft50\"")) << out_;
  EXPECT_EQ(out_.find('\x1b'), std::string::npos);
  EXPECT_EQ(out_.find('\x07'), std::string::npos);
}

TEST_F(CliTest, MergeShowsEverythingInTheUserDocument) {
  WriteText(dir_.File("user.json"), "{\"objects\": [{\"type\": 5140, \"name\": \"Floor\"}]}");
  ASSERT_EQ(Run("import " TESSARO_SOURCE_DIR "/examples/scene.ft50 --mode merge --into " + dir_.File("user.json")), EXIT_IMPORTED)
      << err_;
  EXPECT_TRUE(Has(out_, "document \"user.json\"")) << "the user's document is in front again: " << out_;
  EXPECT_TRUE(Has(out_, "\"Floor\"")) << out_;
  EXPECT_TRUE(Has(out_, "\"Board\": polygon object (5100), 6 polygons, 8 points")) << out_;
  EXPECT_TRUE(Has(out_, "\"Camera\": camera (5103), 11 tracks with 14 keys")) << out_;
  EXPECT_TRUE(Has(out_, "\"Key light\": light (5102)")) << out_;
  EXPECT_TRUE(Has(out_, "materials: 3\n  \"Oak\"\n  \"Steel\"\n  \"Varnish\"")) << out_;
  EXPECT_TRUE(Has(out_, "frame rate: 25")) << out_;
  EXPECT_TRUE(Has(out_, "view 0 camera: \"Camera\"")) << out_;
}

TEST_F(CliTest, FilesThatCannotBeImportedAreRefused) {
  WriteText(dir_.File("notes.txt"), "hello");
  EXPECT_EQ(Run("import " + dir_.File("notes.txt")), EXIT_FILE);
  EXPECT_TRUE(Has(err_, "not a file that any scene loader recognises")) << err_;
  EXPECT_EQ(Run("import " + dir_.File("missing.ft50")), EXIT_FILE);
  EXPECT_TRUE(Has(err_, "cannot open")) << err_;
  EXPECT_EQ(Run("import " + dir_.File("missing.ft50") + " --plugins " + dir_.File("nowhere")), EXIT_FILE);
  EXPECT_TRUE(Has(err_, "plug-in folder")) << err_;
  EXPECT_EQ(Run("import"), EXIT_USAGE);
  EXPECT_EQ(Run("import x.ft50 --mode sideways"), EXIT_USAGE);
  EXPECT_EQ(Run("import x.ft50 --object A --row 1"), EXIT_USAGE);
}

// The loader seeks in its file after the host's probe: a FIFO would hang
// and a folder reads as nothing, so both are refused by what they are.
TEST_F(CliTest, OnlyRegularFilesAreImported) {
  std::string fifo = dir_.File("scene.ft50");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  // Bounded, so that a hang shows as a failure rather than a stuck run.
  EXPECT_EQ(Run("import " + fifo + " --mode new --out none", 60), EXIT_FILE) << err_;
  EXPECT_TRUE(Has(err_, "'" + fifo + "' is not a regular file; import reads files that it can seek in")) << err_;
  testsupport::fs::create_directory(dir_.File("folder.ft50"));
  EXPECT_EQ(Run("import " + dir_.File("folder.ft50") + " --mode new --out none"), EXIT_FILE);
  EXPECT_TRUE(Has(err_, "is not a regular file")) << err_;

  // Nor are they inspected, read as the user's document or as stored data.
  EXPECT_EQ(Run("inspect " + fifo, 60), EXIT_FILE);
  EXPECT_TRUE(Has(err_, "is not a regular file")) << err_;
  const std::string scene = TESSARO_SOURCE_DIR "/examples/scene.ft50";
  EXPECT_EQ(Run("import " + scene + " --mode merge --into " + fifo + " --out none", 60), EXIT_FILE);
  EXPECT_TRUE(Has(err_, "it is not a regular file")) << err_;
  EXPECT_EQ(Run("import " + scene + " --mode new --out none --prefs " + fifo, 60, false), EXIT_FILE) << err_;
  EXPECT_TRUE(Has(err_, "is a FIFO and was ignored")) << err_;
  EXPECT_TRUE(Has(err_, "cannot store the plug-in data: '" + fifo + "' is a FIFO")) << err_;
  // Stored data written over the document would lose it.
  EXPECT_EQ(Run("import " + scene + " --mode new --out " + dir_.File("same.json") + " --prefs " + dir_.File("same.json"),
                60, false),
            EXIT_USAGE);
  EXPECT_TRUE(Has(err_, "--out and --prefs name the same file")) << err_;

  testsupport::fs::create_symlink(TESSARO_SOURCE_DIR "/examples/scene.ft50", dir_.File("link.ft50"));
  ASSERT_EQ(Run("import " + dir_.File("link.ft50") + " --mode new"), EXIT_IMPORTED) << err_;
  EXPECT_TRUE(Has(out_, "document \"link.ft50\"")) << out_;
}

// The extension picks the format whatever its case.
TEST_F(CliTest, GltfExtensionsAreMatchedInAnyCase) {
  ASSERT_EQ(Run("import " TESSARO_SOURCE_DIR "/examples/scene.ft50 --mode new --out " + dir_.File("a.Glb")), EXIT_IMPORTED) << err_;
  EXPECT_EQ(ReadText(dir_.File("a.Glb")).substr(0, 4), "glTF") << "binary";
  ASSERT_EQ(Run("import " TESSARO_SOURCE_DIR "/examples/scene.ft50 --mode new --out " + dir_.File("B.GLTF")), EXIT_IMPORTED) << err_;
  std::string text = ReadText(dir_.File("B.GLTF"));
  EXPECT_EQ(text.substr(0, 1), "{");
  EXPECT_TRUE(Has(text, "\"asset\"")) << "glTF as text, not the host's document";
}

// A scale that is not a number the dialog can clamp is a mistake in the
// command line: refused before anything runs or is stored.
TEST_F(CliTest, NonFiniteScalesAreUsageErrors) {
  std::string file = Save(Ft50Writer().Terminator(), "empty.ft50");
  for (const char *scale : {"nan", "inf", "-inf", "-nan", "1e39", "''"}) {
    EXPECT_EQ(Run("import " + file + " --scale " + scale + " --out none"), EXIT_USAGE) << scale;
    EXPECT_TRUE(Has(err_, "--scale")) << err_;
  }
  EXPECT_FALSE(testsupport::fs::exists(dir_.File("prefs.json"))) << "nothing ran, nothing was stored";
  EXPECT_EQ(Run("import " + file + " --scale 1e-3 --out none"), EXIT_IMPORTED) << err_;
}

// The glTF unit scale is metres per document unit, from 1e-9 to 1e9 (so
// that no float point overflows or vanishes), or the run stops before
// anything is read or stored.
TEST_F(CliTest, UnitScalesArePositiveFiniteNumbers) {
  std::string file = Save(Ft50Writer().Terminator(), "empty.ft50");
  for (const char *scale : {"0", "-0.01", "nan", "inf", "-inf", "1e999", "''", "cm", "1e308", "1e-320", "2e9"}) {
    EXPECT_EQ(Run("import " + file + " --unit-scale " + scale + " --out " + dir_.File("a.glb")), EXIT_USAGE) << scale;
    EXPECT_TRUE(Has(err_, "--unit-scale")) << err_;
  }
  EXPECT_FALSE(testsupport::fs::exists(dir_.File("prefs.json"))) << "nothing ran, nothing was stored";
  EXPECT_FALSE(testsupport::fs::exists(dir_.File("a.glb")));
  EXPECT_EQ(Run("import " + file + " --unit-scale 0.0254 --out " + dir_.File("a.glb")), EXIT_IMPORTED) << err_;
}

// For glTF, texture files are looked for beside the imported file, in its
// tex folder, then in each --textures folder; a .gltf gets copies beside it
// (or, with --embed-textures, carries them inside), a GLB carries them in
// its buffer. A texture found nowhere is named in one warning.
TEST_F(CliTest, GltfExportsFindAndCarryTextures) {
  namespace fs = testsupport::fs;
  for (const char *d : {"in/tex", "more", "most", "out", "embedded", "binary"}) fs::create_directories(dir_.File(d));
  const std::vector<std::pair<std::string, std::string>> textures = {
      {"oak.png", "in/oak.png"}, {"ash.png", "in/tex/ash.png"}, {"elm.jpg", "more/elm.jpg"},
      {"fir.bmp", "most/fir.bmp"}, {"yew.png", ""}};
  Ft50Writer f;
  int seed = 0;
  for (const auto &t : textures) {
    ft50::Material(f, t.first.substr(0, 3), [&](Ft50Writer &c) { ft50::Channel(c, 0, {1, 1, 1}, 1, t.first); });
    images::Picture p = images::Pattern(2, 2, ++seed);
    const std::string ext = t.first.substr(4);
    if (!t.second.empty())
      WriteText(dir_.File(t.second), ext == "png" ? images::Png(p) : ext == "jpg" ? images::Jpeg(p) : images::Bmp(p));
  }
  // Materials come in with the tags that use them.
  ft50::Object(f, 5100, ft50::Named("Board"), [&](Ft50Writer &b) {
    for (int32_t m = 1; m <= seed; ++m) ft50::TextureTag(b, ft50::Uses(m));
  });
  f.Terminator();
  f.Save(dir_.File("in/scene.ft50"));
  const std::string run = "import " + dir_.File("in/scene.ft50") + " --mode new --textures " + dir_.File("more") +
                          " --textures " + dir_.File("most") + " --out ";

  ASSERT_EQ(Run(run + dir_.File("out/scene.gltf")), EXIT_IMPORTED) << err_;
  EXPECT_EQ(err_, "tessaro: answers: Mode: New document, Scale: 1\ntessaro: warning: the texture 'yew.png' is left out of the export: no file of that name in '" +
                      dir_.File("in") + "', '" + dir_.File("in/tex") + "', '" + dir_.File("more") + "', '" +
                      dir_.File("most") + "'\n");
  std::string gltf = ReadText(dir_.File("out/scene.gltf"));
  for (const char *uri : {"oak.png", "ash.png", "elm.jpg", "fir.png"})
    EXPECT_TRUE(Has(gltf, std::string("\"uri\": \"") + uri + "\"")) << uri;
  EXPECT_EQ(ReadText(dir_.File("out/oak.png")), ReadText(dir_.File("in/oak.png")));
  EXPECT_EQ(ReadText(dir_.File("out/ash.png")), ReadText(dir_.File("in/tex/ash.png")));
  EXPECT_EQ(ReadText(dir_.File("out/elm.jpg")), ReadText(dir_.File("more/elm.jpg")));
  EXPECT_EQ(images::Decode(ReadText(dir_.File("out/fir.png"))), images::Pattern(2, 2, 4)) << "the BMP as PNG";

  ASSERT_EQ(Run(run + dir_.File("embedded/scene.gltf") + " --embed-textures"), EXIT_IMPORTED) << err_;
  gltf = ReadText(dir_.File("embedded/scene.gltf"));
  size_t embedded = 0;
  for (size_t at = 0; (at = gltf.find("\"uri\": \"data:image/", at)) != std::string::npos; ++at) ++embedded;
  EXPECT_EQ(embedded, 4u);
  ASSERT_EQ(Run(run + dir_.File("binary/scene.glb")), EXIT_IMPORTED) << err_;
  for (const char *d : {"embedded", "binary"})
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.File(d)), fs::directory_iterator()), 1) << "no copies in " << d;
}

TEST_F(CliTest, TruncatedStreamKeepsWhatWasRead) {
  Ft50Writer w;
  w.Empty(4242);
  std::string file = Save(w, "cut.ft50");
  EXPECT_EQ(Run("import " + file + " --out " + dir_.File("doc.json")), EXIT_TRUNCATED);
  EXPECT_TRUE(Has(err_, "truncated")) << err_;
  EXPECT_TRUE(Has(ReadText(dir_.File("doc.json")), "\"objects\"")) << "the document is still written";
}

TEST_F(CliTest, UserDocumentsAreReadWrittenAndNeverHalfWritten) {
  std::string file = Save(Ft50Writer().Terminator(), "empty.ft50");
  WriteText(dir_.File("user.json"), "{\"objects\": [{\"type\": 5140, \"name\": \"Cube\"}], \"fps\": 25}");
  ASSERT_EQ(Run("import " + file + " --into " + dir_.File("user.json") + " --mode merge --out " +
                dir_.File("doc.json")),
            EXIT_IMPORTED)
      << err_;
  std::string doc = ReadText(dir_.File("doc.json"));
  EXPECT_TRUE(Has(doc, "\"name\": \"Cube\"")) << doc;
  EXPECT_TRUE(Has(doc, "\"fps\": 25")) << doc;

  WriteText(dir_.File("broken.json"), "{\"objects\": [\n  {\"type\": 5140, }\n]}");
  EXPECT_EQ(Run("import " + file + " --into " + dir_.File("broken.json")), EXIT_FILE);
  EXPECT_TRUE(Has(err_, "broken.json")) << err_;
  EXPECT_TRUE(Has(err_, "line 2")) << err_;

  // Nesting deeper than any stack: a clear error, not a crash.
  WriteText(dir_.File("deep.json"), "{\"objects\": " + std::string(200000, '[') + std::string(200000, ']') + "}");
  EXPECT_EQ(Run("import " + file + " --into " + dir_.File("deep.json")), EXIT_FILE);
  EXPECT_TRUE(Has(err_, "deep.json")) << err_;

  EXPECT_EQ(Run("import " + file + " --out " + dir_.File("no/such/dir/doc.json")), EXIT_FILE);
  EXPECT_FALSE(testsupport::fs::exists(dir_.File("no/such/dir/doc.json.tmp")));
}

TEST_F(CliTest, UpdateRefreshesAnObjectAndKeepsItsTextures) {
  ASSERT_EQ(Run("import " TESSARO_SOURCE_DIR "/examples/scene.ft50 --into " TESSARO_SOURCE_DIR
                "/examples/room.json --mode update --object Table --kind geometry --out " +
                dir_.File("new.json")),
            EXIT_IMPORTED)
      << err_;
  // The document's own content: its undo list keeps the old table.
  const std::string whole = ReadText(dir_.File("new.json"));
  const std::string doc = whole.substr(0, whole.find("\"undo\""));
  EXPECT_TRUE(Has(doc, "\"name\": \"Board\"")) << "the file's geometry is below the table";
  EXPECT_FALSE(Has(doc, "Old leg")) << "the old geometry is gone";
  EXPECT_TRUE(Has(whole.substr(doc.size()), "Old leg")) << "but kept for undo";
  EXPECT_TRUE(Has(doc, "\"material\": \"Oak\"")) << "the top keeps its texture tags";
  EXPECT_TRUE(Has(doc, "\"material\": \"Varnish\""));
  EXPECT_TRUE(Has(doc, "\"name\": \"Floor\""));
  // The written document reads back as the next run's user document.
  EXPECT_EQ(Run("import " TESSARO_SOURCE_DIR "/examples/empty.ft50 --into " + dir_.File("new.json") +
                " --mode merge --out " + dir_.File("again.json")),
            EXIT_IMPORTED)
      << err_;
}

TEST_F(CliTest, MaterialsUpdateRefreshesByPosition) {
  ASSERT_EQ(Run("import " TESSARO_SOURCE_DIR "/examples/scene.ft50 --into " TESSARO_SOURCE_DIR
                "/examples/room.json --mode update --object Table --kind materials --out " +
                dir_.File("new.json")),
            EXIT_IMPORTED)
      << err_;
  std::string doc = ReadText(dir_.File("new.json"));
  // Oak and Varnish are overwritten by the file's first two, the rest follow.
  size_t oak = doc.find("\"name\": \"Oak\""), steel = doc.find("\"name\": \"Steel\""),
         varnish = doc.find("\"name\": \"Varnish\""), unused = doc.find("\"name\": \"Unused\"");
  ASSERT_NE(unused, std::string::npos) << doc;
  EXPECT_LT(oak, steel);
  EXPECT_LT(steel, varnish);
  EXPECT_LT(varnish, unused);
  EXPECT_TRUE(Has(doc, "\"1002\": \"oak.png\"")) << "channels come from the file";
  EXPECT_TRUE(Has(doc, "\"name\": \"Old leg\"")) << "a materials update leaves the objects alone";
}

// Names as users give them, beyond ASCII and beyond any 8-bit code page:
// the file, its folder and its textures, the user's document and an object
// in it, the stored data, the outputs, a batch's folder, and the folder the
// program itself runs from, whose plug-ins it finds beside it.
TEST_F(CliTest, NamesBeyondAsciiAreOpenedAndWritten) {
  namespace fs = testsupport::fs;
  const std::string examples = std::string(TESSARO_SOURCE_DIR) + "/examples/";
  const std::string in = dir_.File("Ordner-日本"), out = dir_.File("Ausgabe-日本");
  fs::create_directories(in + "/tex");
  fs::create_directory(out);
  const std::string file = in + "/日本-Tisché.ft50";
  fs::copy_file(examples + "scene.ft50", file);
  fs::copy_file(examples + "tex/oak.png", in + "/tex/oak.png");

  ASSERT_EQ(Run("import " + file + " --mode new"), EXIT_IMPORTED) << err_;
  EXPECT_TRUE(Has(out_, "document \"日本-Tisché.ft50\"")) << out_;
  ASSERT_EQ(Run("import " + file + " --mode new --out " + out + "/日本.json"), EXIT_IMPORTED) << err_;
  ASSERT_EQ(Run("import " + examples + "scene.ft50 --mode new --out " + dir_.File("plain.json")), EXIT_IMPORTED) << err_;
  EXPECT_EQ(ReadText(out + "/日本.json"), ReadText(dir_.File("plain.json"))) << "the same file by another name";
  // The texture is found in the file's tex folder and copied beside the export.
  ASSERT_EQ(Run("import " + file + " --mode new --out " + out + "/日本.gltf"), EXIT_IMPORTED) << err_;
  EXPECT_FALSE(Has(err_, "left out")) << err_;
  EXPECT_EQ(ReadText(out + "/oak.png"), ReadText(in + "/tex/oak.png"));
  EXPECT_TRUE(Has(ReadText(out + "/日本.gltf"), "\"uri\": \"oak.png\""));

  // The user's document, updated in place, found by an object's name as the
  // user types it; the stored data beside it.
  std::string room = ReadText(examples + "room.json");
  room.replace(room.find("\"Table\""), 7, "\"Tisché\"");
  const std::string user = in + "/Zimmer-日本.json", prefs = in + "/Einstellungen-日本.json";
  WriteText(user, room);
  ASSERT_EQ(Run("import " + file + " --into " + user + " --mode update --object Tisché --kind geometry --scale 2 --out " +
                    user + " --prefs " + prefs,
                0, false),
            EXIT_IMPORTED)
      << err_;
  EXPECT_TRUE(Has(err_, "Object: Tisché")) << err_;
  std::string doc = ReadText(user);
  doc = doc.substr(0, doc.find("\"undo\""));  // the old table is kept for undo there
  EXPECT_TRUE(Has(doc, "\"name\": \"Tisché\"") && Has(doc, "\"name\": \"Board\"")) << doc;
  EXPECT_FALSE(Has(doc, "Old leg")) << doc;
  ASSERT_EQ(Run("import " + file + " --mode new --out none --prefs " + prefs, 0, false), EXIT_IMPORTED) << err_;
  EXPECT_TRUE(Has(err_, "Scale: 2 (stored by an earlier run)")) << err_;
  // No object's name can hold a letter beyond U+00FF.
  EXPECT_EQ(Run("import " + file + " --into " + user + " --mode update --object 日本 --kind geometry --out none"), EXIT_USAGE);
  EXPECT_TRUE(Has(err_, "no object named \"日本\"")) << err_;

  ASSERT_EQ(Run("import " + file + " " + examples + "aim.ft50 --mode new --out-dir " + out + " --format glb"), EXIT_IMPORTED)
      << err_;
  EXPECT_TRUE(Has(out_, file + ": " + out + "/日本-Tisché.glb\n")) << out_;
  EXPECT_EQ(Run("inspect " + file), EXIT_IMPORTED) << err_;
  EXPECT_TRUE(Has(out_, file + ": 8206 bytes")) << out_;

  const std::string program = dir_.File("prögram-日本");
  fs::create_directory(program);
  fs::copy_file(TESSARO_TESSARO, program + "/tessaro");
  fs::copy(testsupport::PluginDir(), program + "/plugins", fs::copy_options::recursive);
  const std::string run = program + "/tessaro import " + file + " --mode new --prefs none -v --out " + out +
                          "/copy.json 2>" + dir_.File("err.txt");
  ASSERT_EQ(std::system(run.c_str()), 0) << ReadText(dir_.File("err.txt"));
  EXPECT_TRUE(Has(ReadText(dir_.File("err.txt")), "plug-ins from '" + program + "/plugins'"));
  EXPECT_EQ(ReadText(out + "/copy.json"), ReadText(dir_.File("plain.json")));
}

TEST_F(CliTest, KilledWhileWritingLeavesTheEarlierDocumentWhole) {
  // A mesh large enough that writing its document takes a while.
  Ft50Writer w;
  ft50::Object(w, 5100, ft50::Named("Big"), [](Ft50Writer &b) {
    const int n = 300000;
    b.Begin(5600).I32(n + 2).I32(0);
    for (int i = 0; i < n + 2; ++i) b.Vec(float(i), float(i % 7), 0.5f);
    b.End();
    b.Begin(5653).I32(n).I32(0);
    for (int i = 0; i < n; ++i) b.I32(i).I32(i + 1).I32(i + 2);
    b.End();
  });
  w.Terminator();
  std::string file = Save(w, "big.ft50");
  std::string out = dir_.File("doc.json");
  const std::string earlier = "{\"objects\": []}\n";
  for (int delay : {20, 80, 200, 400}) {
    WriteText(out, earlier);
    pid_t child = fork();
    if (child == 0) {
      execl(TESSARO_TESSARO, "tessaro", "import", file.c_str(), "--out", out.c_str(), "--prefs",
            dir_.File("prefs.json").c_str(), static_cast<char *>(nullptr));
      _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    // Either the earlier document, untouched, or the new one, complete.
    std::string now = ReadText(out);
    if (now != earlier) {
      EXPECT_EQ(now.substr(0, 1), "{") << delay;
      EXPECT_EQ(now.substr(now.size() - 2), "}\n") << "after " << delay << " ms the document is whole";
      EXPECT_TRUE(Has(now, "\"name\": \"Big\""));
    }
  }
}

TEST_F(CliTest, DialogAnswersAndTheStoredScale) {
  std::string file = Save(Ft50Writer().Terminator(), "empty.ft50");
  EXPECT_EQ(Run("import " + file + " --cancel --out " + dir_.File("doc.json")), EXIT_IMPORTED);
  EXPECT_TRUE(Has(out_, "nothing was imported")) << out_;
  EXPECT_FALSE(testsupport::fs::exists(dir_.File("doc.json")));

  EXPECT_EQ(Run("import " + file + " --scale 2.5 --out none"), EXIT_IMPORTED) << err_;
  EXPECT_TRUE(Has(ReadText(dir_.File("prefs.json")), "\"1012349\":\"00002040\"")) << "2.5 as stored";
  EXPECT_TRUE(Has(err_, "tessaro: answers: Mode: New document, Scale: 2.5\n")) << err_;
  EXPECT_EQ(Run("import " + file + " --out none"), EXIT_IMPORTED);
  EXPECT_TRUE(Has(ReadText(dir_.File("prefs.json")), "00002040")) << "the scale survives a run without edits";
  // A run says what it was answered with, and where a value came from: on
  // standard error, and at the head of the summary.
  EXPECT_TRUE(Has(err_, "tessaro: answers: Mode: New document, Scale: 2.5 (stored by an earlier run)\n")) << err_;
  EXPECT_EQ(Run("import " + file + " --scale 2.5 --out none"), EXIT_IMPORTED);
  EXPECT_TRUE(Has(err_, "Scale: 2.5\n")) << "given, not stored: " << err_;
  EXPECT_EQ(Run("import " + file + " --mode new --out -"), EXIT_IMPORTED);
  EXPECT_EQ(out_.rfind("answers: Mode: New document, Scale: 2.5 (stored by an earlier run)\n", 0), 0u) << out_;
  // --prefs none: nothing stored is read, nothing is written.
  const std::string none = std::string(TESSARO_TESSARO) + " import " + file + " --mode new --out none --prefs none";
  EXPECT_EQ(Run(none.substr(none.find(" import") + 1), 0, false), EXIT_IMPORTED) << err_;
  EXPECT_TRUE(Has(err_, "tessaro: answers: Mode: New document, Scale: 1\n")) << "the default, as on a first run: " << err_;
  EXPECT_FALSE(testsupport::fs::exists("none")) << "no store named none in the working folder";
  EXPECT_TRUE(Has(ReadText(dir_.File("prefs.json")), "00002040")) << "the store is not written";

  EXPECT_EQ(Run("import " + file + " --mode update"), EXIT_USAGE) << "an empty document offers no update";
  EXPECT_TRUE(Has(err_, "disabled in the dialog (an update needs a document with an object to update)")) << err_;
  EXPECT_EQ(Run("import " + file + " --object Nothing"), EXIT_USAGE);
  EXPECT_TRUE(Has(err_, "no object named")) << err_;

  WriteText(dir_.File("prefs.json"), "{{{");
  EXPECT_EQ(Run("import " + file + " --out none"), EXIT_IMPORTED);
  EXPECT_TRUE(Has(err_, "damaged")) << err_;
  // However deep the brackets nest, the parse does not recurse on them.
  WriteText(dir_.File("prefs.json"), std::string(200000, '['));
  EXPECT_EQ(Run("import " + file + " --out none"), EXIT_IMPORTED);
  EXPECT_TRUE(Has(err_, "damaged")) << err_;
}

}  // namespace

namespace {

class InspectTest : public CliTest {};

TEST_F(InspectTest, ACleanFileShowsItsTree) {
  ASSERT_EQ(Run("inspect " TESSARO_SOURCE_DIR "/examples/scene.ft50"), EXIT_IMPORTED) << out_ << err_;
  EXPECT_TRUE(Has(out_, "        16  2000 document settings, 132 bytes\n")) << out_;
  EXPECT_TRUE(Has(out_, "  5703 material, ")) << out_;
  EXPECT_TRUE(Has(out_, "    5704 material header, ")) << "sub-records are indented: " << out_;
  EXPECT_TRUE(Has(out_, "\n0 framing problems\n")) << out_;

  EXPECT_EQ(Run("inspect " + dir_.File("missing.ft50")), EXIT_FILE);
  EXPECT_TRUE(Has(err_, "cannot open")) << err_;
  WriteText(dir_.File("text.ft50"), "not a record stream at all");
  EXPECT_EQ(Run("inspect " + dir_.File("text.ft50")), EXIT_FILE);
  EXPECT_TRUE(Has(err_, "is not an FT50 file")) << err_;
}

// Each framing problem is named where it stands, and the walk goes on where
// the import would.
TEST_F(InspectTest, FramingProblemsAreNamed) {
  Ft50Writer w;
  ft50::Material(w, "Only");
  ft50::Object(w, 5100, ft50::Named("Box"), [](Ft50Writer &b) { ft50::TextureTag(b, ft50::Uses(2)); });
  w.Begin(5703).Begin(5704).I32(7).End();  // no end record in its list
  w.End();
  w.Begin(5020).RawHeader(5100, 8).End();  // a sub-record longer than its object
  w.Terminator();
  ASSERT_EQ(Run("inspect " + Save(w, "damaged.ft50")), EXIT_DAMAGED) << out_ << err_;
  EXPECT_TRUE(Has(out_, "! it refers to material 2, but only materials 1 to 1 come before it")) << out_;
  EXPECT_TRUE(Has(out_, "! no end record before the end of the material record")) << out_;
  EXPECT_TRUE(Has(out_, "! its length reaches past the end of the object record, to byte 363 of 355")) << out_;
  EXPECT_TRUE(Has(out_, "       355  0 end, 0 bytes\n")) << "the walk goes on at the object's end: " << out_;
  EXPECT_TRUE(Has(out_, "! its 4 bytes are fewer than its fields take (15)")) << "the material header: " << out_;
  EXPECT_TRUE(Has(out_, "\n5 framing problems\n")) << "the object also has no end record: " << out_;

  Ft50Writer n;
  n.RawHeader(5703, -20);
  ASSERT_EQ(Run("inspect " + Save(n, "negative.ft50")), EXIT_DAMAGED);
  EXPECT_TRUE(Has(out_, "! the record at byte 16 has a negative length, -20")) << out_;

  Ft50Writer cut;
  cut.Begin(4000).Zeros(8).End();
  cut.RawHeader(5020, 1000);
  ASSERT_EQ(Run("inspect " + Save(cut, "cut.ft50")), EXIT_DAMAGED);
  EXPECT_TRUE(Has(out_, "! its length reaches past the end of the file, to byte 1040 of 40")) << out_;
  EXPECT_TRUE(Has(out_, "! the file ends without an end-of-stream record")) << out_;

  Ft50Writer half;
  half.I32(0);
  ASSERT_EQ(Run("inspect " + Save(half, "half.ft50")), EXIT_DAMAGED);
  EXPECT_TRUE(Has(out_, "! the file ends inside a record header at byte 16 (4 bytes left)")) << out_;

  // Counts that reach past their record; a negative count of index pairs
  // reads nothing and is no problem; records nest only where the import
  // opens them, however deep the input nests.
  Ft50Writer counts;
  ft50::Object(counts, 5100, ft50::Named("Counts"), [](Ft50Writer &b) {
    b.Begin(5601).I32(1000).I32(0).U16(0).U16(1).U16(2).End();
    b.Begin(5618).I32(-1).I32(0).U8(1).U8(0).End();
    b.Begin(5603).I32(-1).I32(0).End();
    ft50::Animation(b, [](Ft50Writer &a) { ft50::KeyList(a, [](Ft50Writer &) {}, 0); });
    for (int i = 0; i < 5000; ++i) b.Begin(5020);
    for (int i = 0; i < 5000; ++i) b.End();
  });
  counts.Terminator();
  ASSERT_EQ(Run("inspect " + Save(counts, "counts.ft50")), EXIT_DAMAGED) << out_ << err_;
  EXPECT_TRUE(Has(out_, "! its count of 1000 entries of 6 bytes reaches past its end (6 bytes)")) << out_;
  EXPECT_TRUE(Has(out_, "! its count is negative, -1")) << out_;
  EXPECT_TRUE(Has(out_, "\n2 framing problems\n")) << out_;

  // A length too long leaves bytes after its list, and here the walk lands
  // in B's list, whose end record ends the stream before C.
  Ft50Writer longer;
  ft50::Object(longer, 5100, ft50::Named("A"));
  ft50::Object(longer, 5100, ft50::Named("B"));
  ft50::Object(longer, 5100, ft50::Named("C"));
  longer.Terminator();
  std::vector<uint8_t> bytes = longer.Data();
  bytes[16 + 7] += 8;
  Ft50Writer patched;
  patched.Bytes(bytes.data() + 16, bytes.size() - 16);
  ASSERT_EQ(Run("inspect " + Save(patched, "longer.ft50")), EXIT_DAMAGED) << out_ << err_;
  EXPECT_TRUE(Has(out_, "! its list ends 8 bytes before the record does")) << out_;
  EXPECT_TRUE(Has(out_, "! a record follows the end of the stream at byte")) << out_;

  // Records shorter than the fields the import reads from them.
  Ft50Writer fields;
  ft50::Object(fields, 5103, ft50::Named("Cut"), [](Ft50Writer &b) {
    b.Begin(5616).I32(0).I32(0).End();
    ft50::Animation(b, [](Ft50Writer &a) {
      ft50::KeyList(a, [](Ft50Writer &k) { k.Empty(5402); });
    });
  }, [](Ft50Writer &k) { k.F32(1); });
  fields.Terminator();
  ASSERT_EQ(Run("inspect " + Save(fields, "cut-fields.ft50")), EXIT_DAMAGED) << out_ << err_;
  EXPECT_TRUE(Has(out_, "! its 4 bytes are fewer than its fields take (40)")) << "the camera body: " << out_;
  EXPECT_TRUE(Has(out_, "! its 8 bytes are fewer than its fields take (123)")) << "the texture tag: " << out_;
  EXPECT_TRUE(Has(out_, "! its 0 bytes are fewer than its fields take (44)")) << "the key: " << out_;
}

}  // namespace

namespace {

// The options dialog at a terminal, driven through tmux as a person types.
class TerminalDialogTest : public CliTest {
 protected:
  void SetUp() override {
    if (std::system("command -v tmux >/dev/null") != 0) GTEST_SKIP() << "tmux is not installed";
    session_ = "tessaro-" + std::to_string(getpid());
    socket_ = "tessaro-test-" + std::to_string(getpid()) + "-0";
  }
  void TearDown() override { EndServer(); }
  // Ends this test's server and moves on to a fresh one for the next run.
  // tmux ends a server once its last session is gone, and a new session
  // started on that socket while the server is shutting down fails with
  // "server exited unexpectedly": each run has a server of its own.
  void EndServer() {
    // The server is this process's own: ending it ends every session in it
    // and nothing else on the machine.
    if (socket_.empty()) return;
    std::system((Tmux("kill-server") + " 2>/dev/null").c_str());
    // tmux leaves the socket file of a server it killed behind.
    const char *tmp = std::getenv("TMUX_TMPDIR");
    std::remove((std::string(tmp && *tmp ? tmp : "/tmp") + "/tmux-" + std::to_string(getuid()) + "/" + socket_).c_str());
    socket_ = "tessaro-test-" + std::to_string(getpid()) + "-" + std::to_string(++servers_);
  }
  // A tmux command line on this test's own server, not the user's default
  // one, which anything else on the machine may be using or restarting.
  std::string Tmux(const std::string &args) const { return "tmux -L " + socket_ + " " + args; }
  // The terminal's settings once the program has ended go to stty.txt.
  void Start(const std::string &args) {
    std::string inner = std::string(TESSARO_TESSARO) + " import " + args + " --prefs " + dir_.File("prefs.json") +
                        " --out " + dir_.File("out.json") + "; echo $? > " + dir_.File("rc.txt") + "; stty -a > " +
                        dir_.File("stty.txt");
    std::string cmd = Tmux("new-session -d -s " + session_) + " -x 100 -y 40 '" + inner + "; sleep 30'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
  }
  std::string Screen() {
    std::string file = dir_.File("screen.txt");
    std::system((Tmux("capture-pane -p -t " + session_) + " > " + file).c_str());
    return ReadText(file);
  }
  // Up to 20 s: a loaded machine running the sanitizer build draws slowly.
  bool WaitFor(const std::string &text) {
    for (int i = 0; i < 400; ++i) {
      if (Has(Screen(), text)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  void Keys(const std::string &keys) {
    ASSERT_EQ(std::system(Tmux("send-keys -t " + session_ + " " + keys).c_str()), 0);
  }
  // The program's exit status once it has ended.
  int Finish() {
    for (int i = 0; i < 400; ++i) {
      std::string rc = ReadText(dir_.File("rc.txt"));
      if (!rc.empty()) return std::atoi(rc.c_str());
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return -1;
  }
  std::string session_;
  std::string socket_;
  int servers_ = 0;
};

TEST_F(TerminalDialogTest, AChoiceAndEnterMerge) {
  Start(TESSARO_SOURCE_DIR "/examples/scene.ft50 --into " TESSARO_SOURCE_DIR "/examples/room.json");
  ASSERT_TRUE(WaitFor("Tessaro Import Options")) << Screen();
  std::string first = Screen();
  EXPECT_TRUE(Has(first, "(*) 3 Update an object of the active document")) << "the plug-in's default: " << first;
  EXPECT_TRUE(Has(first, "[x] 1 Table")) << first;
  Keys("2");  // the cursor starts on the mode group
  ASSERT_TRUE(WaitFor("(*) 2 Merge into the active document")) << Screen();
  EXPECT_TRUE(Has(Screen(), "Replace (disabled)")) << "the plug-in disables the kind group: " << Screen();
  Keys("Enter");
  ASSERT_EQ(Finish(), 0);
  std::string doc = ReadText(dir_.File("out.json"));
  EXPECT_TRUE(Has(doc, "\"name\": \"Table\"")) << "the user's document, merged into";
  EXPECT_TRUE(Has(doc, "\"name\": \"Board\"")) << doc.substr(0, 400);
}

TEST_F(TerminalDialogTest, TheScaleIsTypedAndEscapeCancels) {
  Start(TESSARO_SOURCE_DIR "/examples/scene.ft50");
  ASSERT_TRUE(WaitFor("Tessaro Import Options")) << Screen();
  EXPECT_TRUE(Has(Screen(), "(*) 1 New document")) << Screen();
  EXPECT_TRUE(Has(Screen(), "( ) 3 Update an object of the active document -")) << "disabled: " << Screen();
  Keys("3");
  Keys("Down Down");  // past merge to the scale field: update, the list and the kinds take no input
  ASSERT_TRUE(WaitFor("> Scale: ")) << Screen();
  Keys("2 Enter");
  ASSERT_EQ(Finish(), 0);
  std::string doc = ReadText(dir_.File("out.json"));
  // Pressing 3 changed nothing: the same as answering new document, scale 2.
  ASSERT_EQ(Run("import " TESSARO_SOURCE_DIR "/examples/scene.ft50 --mode new --scale 2 --out " + dir_.File("ref.json")), EXIT_IMPORTED);
  EXPECT_EQ(doc, ReadText(dir_.File("ref.json")));

  EndServer();
  std::remove(dir_.File("rc.txt").c_str());
  std::remove(dir_.File("out.json").c_str());
  Start(TESSARO_SOURCE_DIR "/examples/scene.ft50");
  ASSERT_TRUE(WaitFor("Tessaro Import Options")) << Screen();
  Keys("Escape");
  ASSERT_EQ(Finish(), 0);
  EXPECT_FALSE(Has(ReadText(dir_.File("out.json")), "\"name\": \"Board\"")) << "cancelled: nothing imported";
}

// Ctrl-Z gives the terminal back while the program is stopped, and the
// form takes it again when fg brings the program back: at a shell with job
// control, as a user has it.
TEST_F(TerminalDialogTest, CtrlZStopsWithTheTerminalRestoredAndFgBringsTheFormBack) {
  // An interactive sh without line editing: at its prompt, the terminal is
  // as the stopped program left it.
  ASSERT_EQ(std::system((Tmux("new-session -d -s " + session_) + " -x 100 -y 40 'env -u ENV sh -i'").c_str()), 0);
  auto query = [&](const std::string &command) {
    std::string file = dir_.File("query.txt");
    std::system((command + " > " + file + " 2>&1").c_str());
    return ReadText(file);
  };
  // One job, so that the status is written when the program ends, not
  // when it stops.
  const std::string run = "(" + std::string(TESSARO_TESSARO) + " import " TESSARO_SOURCE_DIR
                          "/examples/scene.ft50 --prefs " + dir_.File("prefs.json") + " --out " +
                          dir_.File("out.json") + "; echo $? > " + dir_.File("rc.txt") + ")";
  ASSERT_EQ(std::system((Tmux("send-keys -t " + session_) + " -l '" + run + "'").c_str()), 0);
  Keys("Enter");
  ASSERT_TRUE(WaitFor("Tessaro Import Options")) << Screen();
  // The program: the child of the job's subshell, the child of the shell.
  const std::string pane = query(Tmux("display -p -t " + session_ + " '#{pane_pid}'"));
  const std::string pid = query("pgrep -P $(pgrep -P " + pane.substr(0, pane.find('\n')) + ")");
  ASSERT_FALSE(pid.empty());
  Keys("C-z");
  // Stopped once it has given the terminal back; the subshell stops at once.
  bool stopped = false;
  for (int i = 0; i < 100 && !stopped; ++i) {
    stopped = Has(query("ps -o stat= -p " + pid.substr(0, pid.find('\n'))), "T");
    if (!stopped) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_TRUE(stopped);
  ASSERT_TRUE(WaitFor("Stopped")) << "the shell has the terminal: " << Screen();
  const std::string tty = query(Tmux("display -p -t " + session_ + " '#{pane_tty}'"));
  const std::string stty = query("stty -a -F " + tty.substr(0, tty.find('\n')));
  EXPECT_TRUE(Has(stty, " icanon") && Has(stty, " echo ")) << stty;
  EXPECT_EQ(query(Tmux("display -p -t " + session_ + " '#{cursor_flag}'")), "1\n") << "the cursor is shown";

  ASSERT_EQ(std::system((Tmux("send-keys -t " + session_) + " -l 'clear; fg'").c_str()), 0);
  Keys("Enter");
  ASSERT_TRUE(WaitFor("Tessaro Import Options")) << "drawn again: " << Screen();
  bool hidden = false;
  for (int i = 0; i < 100 && !hidden; ++i) {
    hidden = query(Tmux("display -p -t " + session_ + " '#{cursor_flag}'")) == "0\n";
    if (!hidden) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_TRUE(hidden) << "the form has the terminal again";
  Keys("Enter");
  ASSERT_EQ(Finish(), 0);
  EXPECT_TRUE(Has(ReadText(dir_.File("out.json")), "\"name\": \"Board\"")) << "confirmed after going on";
}

// A key the dialog cannot take says why; Ctrl-C and SIGTERM cancel the
// dialog and leave the terminal as it was (cursor shown, echo and line
// mode back), and the run ends as a cancelled one.
TEST_F(TerminalDialogTest, RefusedKeysSayWhyAndInterruptionsRestoreTheTerminal) {
  Start(TESSARO_SOURCE_DIR "/examples/scene.ft50");
  ASSERT_TRUE(WaitFor("Tessaro Import Options")) << Screen();
  Keys("3");
  EXPECT_TRUE(WaitFor("\"Update an object of the active document\" is disabled: it cannot be chosen now")) << Screen();
  Keys("9");
  EXPECT_TRUE(WaitFor("there is no choice 9 here")) << Screen();
  Keys("C-c");
  ASSERT_EQ(Finish(), 0);
  for (int i = 0; i < 100 && ReadText(dir_.File("stty.txt")).empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::string stty = ReadText(dir_.File("stty.txt"));
  EXPECT_TRUE(Has(stty, " icanon") && Has(stty, " echo ")) << stty;
  EXPECT_FALSE(Has(stty, "-icanon") || Has(stty, "-echo ")) << stty;
  std::string cursor = dir_.File("cursor.txt");
  std::system((Tmux("display -p -t " + session_ + " '#{cursor_flag}'") + " > " + cursor).c_str());
  EXPECT_EQ(ReadText(cursor), "1\n") << "the cursor is shown again";
  EXPECT_FALSE(Has(ReadText(dir_.File("out.json")), "\"name\": \"Board\"")) << "cancelled: nothing imported";

  EndServer();
  std::remove(dir_.File("rc.txt").c_str());
  Start(TESSARO_SOURCE_DIR "/examples/scene.ft50");
  ASSERT_TRUE(WaitFor("Tessaro Import Options")) << Screen();
  // The program is the only child of the session's shell.
  std::string pids = dir_.File("pids.txt");
  std::system(("pgrep -P $(" + Tmux("display -p -t " + session_ + " '#{pane_pid}'") + ") > " + pids).c_str());
  std::string pid = ReadText(pids);
  ASSERT_FALSE(pid.empty());
  ASSERT_EQ(std::system(("kill -TERM " + pid.substr(0, pid.find('\n'))).c_str()), 0);
  ASSERT_EQ(Finish(), 0) << "SIGTERM cancels as Escape does";

  EndServer();
  std::remove(dir_.File("rc.txt").c_str());
  Start(TESSARO_SOURCE_DIR "/examples/scene.ft50");
  ASSERT_TRUE(WaitFor("Tessaro Import Options")) << Screen();
  Keys("C-\\\\");
  ASSERT_EQ(Finish(), 0) << "Ctrl-\\ (SIGQUIT) cancels too";
}

}  // namespace

namespace {

// What command-line tools are expected to have: a version, help on every
// command, the formats listed, an unknown output format refused, rows
// counted as the dialog counts them.
TEST_F(CliTest, ConventionsOfCommandLineTools) {
  EXPECT_EQ(Run("--version"), EXIT_IMPORTED);
  EXPECT_EQ(out_.rfind("tessaro ", 0), 0u) << out_;
  EXPECT_EQ(Run("help"), EXIT_IMPORTED);
  EXPECT_TRUE(Has(out_, "import") && Has(out_, "inspect") && Has(out_, "formats")) << out_;
  EXPECT_EQ(Run("help import"), EXIT_IMPORTED);
  EXPECT_TRUE(Has(out_, "--unit-scale") && Has(out_, "1 is the first")) << out_;
  EXPECT_EQ(Run("help nothing"), EXIT_USAGE);
  EXPECT_TRUE(Has(err_, "no command 'nothing'")) << err_;
  EXPECT_EQ(Run("formats"), EXIT_IMPORTED);
  EXPECT_TRUE(Has(out_, ".glb") && Has(out_, ".json")) << out_;
  EXPECT_EQ(Run("imprt x.ft50"), EXIT_USAGE);
  EXPECT_TRUE(Has(err_, "there is no command 'imprt'; the commands are import, ")) << err_;

  std::string file = std::string(TESSARO_SOURCE_DIR) + "/examples/scene.ft50";
  for (const char *name : {"x.obj", "x.fbx", "x.json.txt"}) {
    EXPECT_EQ(Run("import " + file + " --mode new --out " + dir_.File(name)), EXIT_USAGE) << name;
    EXPECT_TRUE(Has(err_, "names no format tessaro writes") && Has(err_, ".glb")) << err_;
    EXPECT_FALSE(testsupport::fs::exists(dir_.File(name)));
  }
  EXPECT_EQ(Run("import " + file + " --mode new --out " + dir_.File("x.JSON")), EXIT_IMPORTED) << err_;
  // A folder that is not there is said before the import, not after it.
  EXPECT_EQ(Run("import " + file + " --mode new --out " + dir_.File("missing/x.json")), EXIT_FILE);
  EXPECT_TRUE(Has(err_, "No such file or directory") && !Has(err_, "answers:")) << err_;
  EXPECT_EQ(Run("import " + file + " --mode new --prefs ''", 0, false), EXIT_USAGE) << "an empty name is no store";
  EXPECT_TRUE(Has(err_, "--prefs takes a file name, or none")) << err_;

  // -q says nothing but errors (a texture not found is a warning); -v says
  // what the run does.
  EXPECT_EQ(Run("import " + file + " --mode new -q --out " + dir_.File("q.gltf")), EXIT_IMPORTED);
  EXPECT_EQ(err_, "");
  EXPECT_EQ(Run("import " + file + " --mode new -v --out " + dir_.File("v.json")), EXIT_IMPORTED) << err_;
  EXPECT_TRUE(Has(err_, "importing '" + file + "'") && Has(err_, "wrote '" + dir_.File("v.json") + "'")) << err_;
  EXPECT_EQ(Run("import " + file + " -q -v"), EXIT_USAGE);

  // The user's document has Table and Floor at the top level: row 2 is the
  // floor, as the dialog numbers its rows; there is no row 0.
  const std::string room = std::string(TESSARO_SOURCE_DIR) + "/examples/room.json";
  EXPECT_EQ(Run("import " + file + " --into " + room + " --mode update --kind lights --row 2 --out -"), EXIT_IMPORTED) << err_;
  EXPECT_TRUE(Has(err_, "Object: Floor")) << err_;
  EXPECT_EQ(Run("import " + file + " --into " + room + " --mode update --kind lights --row 0 --out -"), EXIT_USAGE);
  EXPECT_TRUE(Has(err_, "--row") && Has(err_, "not in range 1 ")) << err_;
  // A row beyond the list is named as the user counts, and the reason is
  // part of the error: -q keeps it.
  EXPECT_EQ(Run("import " + file + " --into " + room + " --mode update --kind lights --row 3 -q --out -"), EXIT_USAGE);
  EXPECT_TRUE(Has(err_, "the object list has no row 3")) << err_;
}

}  // namespace

namespace {

// A batch: each file in a run of its own, one output each (two of one name
// apart), past a file that fails; a line per file, the totals, and a
// status that says something failed.
TEST_F(CliTest, BatchesWriteAnOutputPerFileAndGoOnPastFailures) {
  const std::string examples = std::string(TESSARO_SOURCE_DIR) + "/examples/";
  WriteText(dir_.File("junk.ft50"), "not an exchange file");
  testsupport::fs::create_directory(dir_.File("out"));
  testsupport::fs::create_directory(dir_.File("other"));
  testsupport::fs::copy_file(examples + "aim.ft50", dir_.File("other/scene.ft50"));
  const std::string files = examples + "scene.ft50 " + dir_.File("junk.ft50") + " " + examples + "aim.ft50 " +
                            dir_.File("other/scene.ft50");
  EXPECT_EQ(Run("import " + files + " --mode new --out-dir " + dir_.File("out") + " --format glb"), EXIT_BATCH) << err_;
  EXPECT_TRUE(Has(out_, examples + "scene.ft50: " + dir_.File("out/scene.glb") + "\n")) << out_;
  EXPECT_TRUE(Has(out_, dir_.File("junk.ft50") + ": failed (status 3)\n")) << out_;
  EXPECT_TRUE(Has(out_, dir_.File("other/scene.ft50") + ": " + dir_.File("out/scene-1.glb") + "\n")) << out_;
  EXPECT_TRUE(Has(out_, "3 imported, 1 failed\n")) << out_;
  for (const char *name : {"out/scene.glb", "out/aim.glb", "out/scene-1.glb"})
    EXPECT_TRUE(testsupport::fs::is_regular_file(dir_.File(name))) << name;
  EXPECT_FALSE(testsupport::fs::exists(dir_.File("out/junk.glb")));
  // Each output is what a run of its own writes.
  ASSERT_EQ(Run("import " + examples + "aim.ft50 --mode new --out " + dir_.File("aim.glb")), EXIT_IMPORTED);
  EXPECT_EQ(ReadText(dir_.File("out/aim.glb")), ReadText(dir_.File("aim.glb")));

  EXPECT_EQ(Run("import " + examples + "scene.ft50 " + examples + "aim.ft50 --mode new"), EXIT_USAGE) << "no --out-dir";
  EXPECT_TRUE(Has(err_, "--out-dir")) << err_;
  EXPECT_EQ(Run("import " + examples + "aim.ft50 --mode new --out-dir " + dir_.File("out") + " --out x.json"), EXIT_USAGE);
  // A folder that is not there yet is made, as the outputs are; a file in
  // its place is not a folder.
  EXPECT_EQ(Run("import " + examples + "aim.ft50 --mode new --out-dir " + dir_.File("new/deeper")), EXIT_IMPORTED) << err_;
  EXPECT_TRUE(testsupport::fs::is_regular_file(dir_.File("new/deeper/aim.json")));
  EXPECT_EQ(Run("import " + examples + "aim.ft50 --mode new --out-dir " + examples + "aim.ft50"), EXIT_USAGE);
  EXPECT_EQ(Run("import " + examples + "aim.ft50 --mode new --out-dir " + dir_.File("out") + " --format JSON"), EXIT_IMPORTED);
  EXPECT_TRUE(Has(ReadText(dir_.File("out/aim.json")), "\"objects\"")) << "the document file";
  EXPECT_EQ(Run("import " + examples + "aim.ft50 --mode new --format glb"), EXIT_USAGE) << "--format without a batch";
  // A cancelled dialog imports nothing, and the batch says so.
  testsupport::fs::create_directory(dir_.File("cancelled"));
  EXPECT_EQ(Run("import " + examples + "scene.ft50 " + examples + "aim.ft50 --cancel --out-dir " +
                dir_.File("cancelled")), EXIT_IMPORTED);
  EXPECT_TRUE(Has(out_, examples + "aim.ft50: nothing imported (the dialog was cancelled)\n")) << out_;
  EXPECT_TRUE(Has(out_, "0 imported, 2 cancelled, 0 failed\n")) << out_;
  EXPECT_TRUE(testsupport::fs::is_empty(dir_.File("cancelled")));
}

}  // namespace

namespace {

// What the program's own summary says of a document, for the report to
// agree with: counted by other code, from the same import.
struct SummaryCounts {
  uint64_t objects = 0, materials = 0, points = 0, polygons = 0, tracks = 0, keys = 0;
  int fps = 0;
};
SummaryCounts CountSummary(const std::string &summary) {
  SummaryCounts c;
  std::smatch m;
  auto number = [&](const char *pattern) {
    return std::regex_search(summary, m, std::regex(pattern)) ? std::stoull(m[1]) : 0ULL;
  };
  c.objects = number("\nobjects: (\\d+)");
  c.materials = number("\nmaterials: (\\d+)");
  c.fps = static_cast<int>(number("\nframe rate: (\\d+)"));
  const std::regex each("(\\d+) (points|polygons|tracks with (\\d+) keys)");
  for (auto it = std::sregex_iterator(summary.begin(), summary.end(), each); it != std::sregex_iterator(); ++it) {
    const std::string what = (*it)[2];
    const uint64_t n = std::stoull((*it)[1]);
    if (what == "points") c.points += n;
    else if (what == "polygons") c.polygons += n;
    else c.tracks += n, c.keys += std::stoull((*it)[3]);
  }
  return c;
}

bool HasWarning(const rapidjson::Value &file, const std::string &kind, const std::string &part) {
  for (const auto &w : file["warnings"].GetArray())
    if (kind == w["kind"].GetString() && std::string(w["text"].GetString()).find(part) != std::string::npos) return true;
  return false;
}

// A batch of the examples and of files that lose something, to GLB with a
// report: one command; the report's counts agree with each document, and
// it names what each file held that its document did not get.
TEST_F(CliTest, ReportsAgreeWithTheDocumentsAndNameWhatWasLeftOut) {
  const std::string examples = std::string(TESSARO_SOURCE_DIR) + "/examples/";
  Ft50Writer lossy;
  ft50::Material(lossy, "Used");
  ft50::Material(lossy, "Sp\xe4re");  // the host's 8-bit text: "Späre"
  lossy.Empty(7777).Empty(7777);
  ft50::Object(lossy, 5100, ft50::Named("Kept"), [](Ft50Writer &b) {
    ft50::Quad(b);
    ft50::TextureTag(b, ft50::Uses(1));
  });
  ft50::Object(lossy, 5199, ft50::Named("No kind"));
  ft50::Object(lossy, 5100, ft50::Named("Too deep", 300));
  lossy.Terminator();
  const std::string whole = ReadText(examples + "scene.ft50");
  WriteText(dir_.File("cut.ft50"), whole.substr(0, whole.size() / 2));
  WriteText(dir_.File("junk.ft50"), "not an exchange file");
  testsupport::fs::create_directory(dir_.File("out"));
  const std::vector<std::string> files = {examples + "scene.ft50", examples + "aim.ft50", examples + "empty.ft50",
                                          Save(lossy, "lossy.ft50"), dir_.File("cut.ft50"), dir_.File("junk.ft50")};
  std::string list;
  for (const std::string &f : files) list += f + " ";
  ASSERT_EQ(Run("import " + list + "--mode new --out-dir " + dir_.File("out") + " --format glb --report " +
                dir_.File("report.json")),
            EXIT_BATCH)
      << err_;
  EXPECT_TRUE(Has(out_, "4 imported, 1 truncated, 1 failed")) << out_;
  rapidjson::Document report;
  const std::string text = ReadText(dir_.File("report.json"));
  report.Parse<rapidjson::kParseValidateEncodingFlag>(text.c_str(), text.size());
  ASSERT_FALSE(report.HasParseError()) << text;
  ASSERT_EQ(report["files"].Size(), files.size());
  EXPECT_EQ(report["totals"]["imported"].GetUint64(), 4u);
  EXPECT_EQ(report["totals"]["truncated"].GetUint64(), 1u);
  EXPECT_EQ(report["totals"]["failed"].GetUint64(), 1u);

  for (size_t i = 0; i < files.size(); ++i) {
    const rapidjson::Value &f = report["files"][static_cast<rapidjson::SizeType>(i)];
    SCOPED_TRACE(files[i]);
    EXPECT_EQ(f["file"].GetString(), files[i]);
    const std::string outcome = f["outcome"].GetString();
    if (outcome == "failed") continue;
    EXPECT_EQ(std::string(f["answers"]["Mode"].GetString()), "New document");
    EXPECT_TRUE(testsupport::fs::is_regular_file(f["output"].GetString()));
    // The same import, summarised by the program.
    Run("import " + files[i] + " --mode new -q");
    const SummaryCounts want = CountSummary(out_);
    const rapidjson::Value &d = f["document"];
    EXPECT_EQ(d["objects"].GetUint64(), want.objects);
    EXPECT_EQ(d["importedObjects"].GetUint64(), want.objects);
    EXPECT_EQ(d["materials"].GetUint64(), want.materials);
    EXPECT_EQ(d["points"].GetUint64(), want.points);
    EXPECT_EQ(d["polygons"].GetUint64(), want.polygons);
    EXPECT_EQ(d["tracks"].GetUint64(), want.tracks);
    EXPECT_EQ(d["keys"].GetUint64(), want.keys);
    EXPECT_EQ(d["fps"].GetInt(), want.fps);
    uint64_t byType = 0;
    for (const auto &kv : d["objectsByType"].GetObject()) byType += kv.value.GetUint64();
    EXPECT_EQ(byType, want.objects);
  }

  const rapidjson::Value &sceneReport = report["files"][0];
  EXPECT_EQ(sceneReport["load"]["code"].GetInt(), 0);
  EXPECT_EQ(sceneReport["document"]["objectsByType"]["light"].GetUint64(), 2u);
  // The board and legs span the table: 120 by 77 by 80 units.
  const rapidjson::Value &box = sceneReport["document"]["boundingBox"];
  EXPECT_NEAR(box["min"][0].GetDouble(), -60, 1e-4);
  EXPECT_NEAR(box["max"][1].GetDouble(), 77, 1e-4);
  EXPECT_NEAR(box["max"][2].GetDouble(), 40, 1e-4);
  EXPECT_TRUE(HasWarning(sceneReport, "material-unused", "'Unused'")) << "4 material records, 3 materials";
  EXPECT_TRUE(report["files"][2]["document"]["boundingBox"].IsNull()) << "an empty document has no extent";

  const rapidjson::Value &lossyReport = report["files"][3];
  EXPECT_TRUE(HasWarning(lossyReport, "skipped-records", "2 records of type 7777"));
  EXPECT_TRUE(HasWarning(lossyReport, "material-unused", "'Sp\xc3\xa4re'"));
  EXPECT_FALSE(HasWarning(lossyReport, "material-unused", "'Used'"));
  EXPECT_TRUE(HasWarning(lossyReport, "object-left-out", "names no kind of object"));
  EXPECT_TRUE(HasWarning(lossyReport, "object-left-out", "a level beyond 253"));
  EXPECT_EQ(lossyReport["document"]["objects"].GetUint64(), 1u);
  EXPECT_EQ(lossyReport["records"]["objects"].GetUint64(), 3u);

  const rapidjson::Value &cut = report["files"][4];
  EXPECT_EQ(std::string(cut["outcome"].GetString()), "truncated");
  EXPECT_EQ(cut["status"].GetInt(), 5);
  EXPECT_EQ(cut["load"]["code"].GetInt(), -3);
  EXPECT_TRUE(HasWarning(cut, "framing", "framing problem"));

  const rapidjson::Value &junk = report["files"][5];
  EXPECT_EQ(std::string(junk["outcome"].GetString()), "failed");
  EXPECT_EQ(junk["status"].GetInt(), 3);
  EXPECT_TRUE(junk["output"].IsNull());
  EXPECT_TRUE(junk["document"].IsNull());
  EXPECT_TRUE(Has(junk["error"].GetString(), "not a file that any scene loader recognises"));

  // A batch that only lost its end somewhere says so in its status.
  EXPECT_EQ(Run("import " + examples + "aim.ft50 " + dir_.File("cut.ft50") + " --mode new --out-dir " +
                dir_.File("out")),
            EXIT_TRUNCATED)
      << out_;
}

// The report on standard output is the only thing there, so that it reads
// as JSON; it says which answers came from an earlier run's stored data,
// and what an update's kind leaves out.
TEST_F(CliTest, ReportOnStandardOutputAloneWithTheAnswersUsed) {
  const std::string scene = std::string(TESSARO_SOURCE_DIR) + "/examples/scene.ft50";
  const std::string room = std::string(TESSARO_SOURCE_DIR) + "/examples/room.json";
  ASSERT_EQ(Run("import " + scene + " --mode new --scale 2.5 --out none"), EXIT_IMPORTED) << err_;
  ASSERT_EQ(Run("import " + scene + " --mode new --report -"), EXIT_IMPORTED) << err_;
  rapidjson::Document report;
  report.Parse(out_.c_str(), out_.size());
  ASSERT_FALSE(report.HasParseError()) << out_;
  const rapidjson::Value &f = report["files"][0];
  EXPECT_EQ(f["answers"]["Scale"].GetDouble(), 2.5);
  ASSERT_EQ(f["storedByEarlierRun"].Size(), 1u);
  EXPECT_EQ(std::string(f["storedByEarlierRun"][0].GetString()), "Scale");
  EXPECT_NEAR(f["document"]["boundingBox"]["max"][1].GetDouble(), 77 * 2.5, 1e-3) << "the scale reaches the lengths";

  ASSERT_EQ(Run("import " + scene + " --into " + room + " --mode update --object Table --kind cameras --report -"), EXIT_IMPORTED)
      << err_;
  report.Parse(out_.c_str(), out_.size());
  ASSERT_FALSE(report.HasParseError()) << out_;
  const rapidjson::Value &u = report["files"][0];
  EXPECT_EQ(std::string(u["answers"]["Object"].GetString()), "Table");
  EXPECT_TRUE(HasWarning(u, "object-left-out", "('Board'): an update of cameras leaves out objects of type polygon"));
  EXPECT_TRUE(HasWarning(u, "object-left-out", "('Camera'): it is the file's top level"));
  EXPECT_TRUE(HasWarning(u, "material-unused", "('Oak'): only texture tags of objects left out name it"));
  EXPECT_EQ(u["document"]["objects"].GetUint64(), 2u) << "the user's table and floor, and nothing more";

  // A batch's lines go to standard error then.
  testsupport::fs::create_directory(dir_.File("out"));
  ASSERT_EQ(Run("import " + scene + " " + scene + " --mode new --out-dir " + dir_.File("out") + " --report -"), EXIT_IMPORTED);
  report.Parse(out_.c_str(), out_.size());
  ASSERT_FALSE(report.HasParseError()) << out_;
  EXPECT_EQ(report["files"].Size(), 2u);
  EXPECT_TRUE(Has(err_, "2 imported, 0 failed")) << err_;

  EXPECT_EQ(Run("import " + scene + " --mode new --report - --out -"), EXIT_USAGE);
  EXPECT_EQ(Run("import " + scene + " --mode new --report - --out /dev/stdout"), EXIT_USAGE) << "standard output by name";
  EXPECT_EQ(Run("import " + scene + " --mode new --report /dev/stdout"), EXIT_IMPORTED) << err_;
  report.Parse(out_.c_str(), out_.size());
  EXPECT_FALSE(report.HasParseError()) << "the report alone: " << out_;
  EXPECT_EQ(Run("import " + scene + " --mode new --report " + scene), EXIT_FILE) << "never over the input";
  EXPECT_EQ(ReadText(scene).substr(0, 4), "FT50");
  EXPECT_EQ(Run("import " + scene + " --mode new --report ''"), EXIT_USAGE);

  // The files a run writes are told apart however they are named, before
  // they exist: the report, the output, a batch's outputs, the stored data
  // and the user's document.
  EXPECT_EQ(Run("import " + scene + " --mode new --report " + dir_.File("./x.json") + " --out " + dir_.File("x.json")), EXIT_USAGE);
  EXPECT_FALSE(testsupport::fs::exists(dir_.File("x.json")));
  EXPECT_EQ(Run("import " + scene + " --mode new --prefs " + dir_.File("q.json") + " --out " + dir_.File("./q.json"), 0,
                false),
            EXIT_USAGE);
  EXPECT_EQ(Run("import " + scene + " " + scene + " --mode new --out-dir " + dir_.File("b") + " --report " +
                dir_.File("b//scene-1.json")),
            EXIT_USAGE);
  WriteText(dir_.File("mine.json"), ReadText(room));
  EXPECT_EQ(Run("import " + scene + " --into " + dir_.File("mine.json") + " --mode merge --out none --report " +
                dir_.File("./mine.json")),
            EXIT_FILE);
  EXPECT_EQ(ReadText(dir_.File("mine.json")), ReadText(room)) << "the user's document is left alone";
  EXPECT_EQ(Run("import " + scene + " --into " + dir_.File("mine.json") + " --mode merge --out none --prefs " +
                dir_.File("mine.json"), 0, false),
            EXIT_USAGE);

  // A cancelled dialog read nothing, and a refused answer says why.
  ASSERT_EQ(Run("import " + scene + " --cancel --report -"), EXIT_IMPORTED);
  report.Parse(out_.c_str(), out_.size());
  ASSERT_FALSE(report.HasParseError()) << out_;
  EXPECT_TRUE(Has(report["files"][0]["load"]["meaning"].GetString(), "cancelled: nothing was read"));
  EXPECT_EQ(Run("import " + scene + " --mode update --report -"), EXIT_USAGE);
  report.Parse(out_.c_str(), out_.size());
  ASSERT_FALSE(report.HasParseError()) << out_;
  EXPECT_TRUE(Has(report["files"][0]["error"].GetString(), "disabled")) << report["files"][0]["error"].GetString();
}

// In an update, the import removes again what it made that is left empty,
// and the user's objects it replaces; the report names both, and blames no
// record for what the host saw removed.
TEST_F(CliTest, ReportNamesWhatAnUpdateRemoved) {
  Ft50Writer f;
  ft50::Object(f, 5100, ft50::Named("Table"));
  ft50::Object(f, 5100, ft50::Named("Empty", 1));
  ft50::Object(f, 5100, ft50::Named("Mesh", 1), [](Ft50Writer &b) { ft50::Quad(b); });
  f.Terminator();
  const std::string room = std::string(TESSARO_SOURCE_DIR) + "/examples/room.json";
  ASSERT_EQ(Run("import " + Save(f, "f.ft50") + " --into " + room +
                " --mode update --object Table --kind geometry --report -"),
            EXIT_IMPORTED)
      << err_;
  rapidjson::Document report;
  report.Parse(out_.c_str(), out_.size());
  ASSERT_FALSE(report.HasParseError()) << out_;
  const rapidjson::Value &u = report["files"][0];
  EXPECT_TRUE(HasWarning(u, "object-removed", "'Empty' (polygon) was imported, then removed again"));
  EXPECT_FALSE(HasWarning(u, "object-removed", "'Mesh'"));
  EXPECT_TRUE(HasWarning(u, "user-object-removed", "the user's 'Top'"));
  EXPECT_FALSE(HasWarning(u, "objects-missing", "")) << out_;
  EXPECT_EQ(u["document"]["importedObjects"].GetUint64(), 1u);
}

}  // namespace

namespace {

// tessaro undo: a merge and an update, each in a run of its own, undone
// from their document files, one step or several, give the user's document
// back; a document with nothing to undo says so.
TEST_F(CliTest, UndoGivesTheDocumentBackAcrossRuns) {
  const std::string scene = std::string(TESSARO_SOURCE_DIR) + "/examples/scene.ft50";
  const std::string room = std::string(TESSARO_SOURCE_DIR) + "/examples/room.json";
  // The room as the host writes it: read and written once.
  ASSERT_EQ(Run("import " TESSARO_SOURCE_DIR "/examples/empty.ft50 --into " + room + " --mode merge --out " +
                dir_.File("room.json")),
            EXIT_IMPORTED)
      << err_;
  const std::string original = ReadText(dir_.File("room.json"));
  ASSERT_EQ(Run("import " + scene + " --into " + dir_.File("room.json") + " --mode merge --out " + dir_.File("1.json")),
            EXIT_IMPORTED)
      << err_;
  ASSERT_EQ(Run("import " + scene + " --into " + dir_.File("1.json") +
                " --mode update --object Table --kind geometry --out " + dir_.File("2.json")),
            EXIT_IMPORTED)
      << err_;
  ASSERT_EQ(Run("undo " + dir_.File("2.json") + " --out " + dir_.File("back1.json")), EXIT_IMPORTED) << err_;
  ASSERT_EQ(Run("undo " + dir_.File("back1.json") + " --out " + dir_.File("back0.json")), EXIT_IMPORTED) << err_;
  EXPECT_EQ(ReadText(dir_.File("back0.json")), original);
  ASSERT_EQ(Run("undo " + dir_.File("2.json") + " --steps 2 --out -"), EXIT_IMPORTED) << err_;
  EXPECT_EQ(out_, original) << "two steps at once";
  // The merge undone alone: the update's document minus its last step is the merge's.
  const std::string once = ReadText(dir_.File("back1.json"));
  const std::string merged = ReadText(dir_.File("1.json"));
  EXPECT_EQ(once.substr(0, once.find("\"undo\"")), merged.substr(0, merged.find("\"undo\"")));

  EXPECT_EQ(Run("undo " + dir_.File("back0.json") + " --out " + dir_.File("x.json")), EXIT_USAGE);
  EXPECT_TRUE(Has(err_, "has 0 undo steps")) << err_;
  EXPECT_FALSE(testsupport::fs::exists(dir_.File("x.json")));
  EXPECT_EQ(Run("undo " + dir_.File("2.json") + " --steps 3 --out " + dir_.File("x.json")), EXIT_USAGE);
  EXPECT_EQ(Run("undo " + dir_.File("2.json")), EXIT_USAGE) << "--out is needed";
  EXPECT_EQ(Run("undo " + dir_.File("2.json") + " --out " + dir_.File("x.glb")), EXIT_USAGE) << "undo writes documents";
  // Entries that keep nothing to restore (as earlier versions wrote them):
  // the step is not undone in part.
  WriteText(dir_.File("old.json"), R"({"objects": [{"type": 5140, "name": "A"}],
      "undo": [[{"type": 40, "kind": "object", "name": "A"}]]})");
  EXPECT_EQ(Run("undo " + dir_.File("old.json") + " --out " + dir_.File("x.json")), EXIT_USAGE);
  EXPECT_TRUE(Has(err_, "1 entry that cannot be undone")) << err_;
  EXPECT_FALSE(testsupport::fs::exists(dir_.File("x.json")));
}

}  // namespace

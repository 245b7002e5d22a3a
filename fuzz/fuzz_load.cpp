// libFuzzer target: the whole load of one input through the stand-in host
// and the plug-in's code, in a mode chosen by the input, with the host's
// leak and misuse checks after every load, and the document's glTF export.
//
// Byte 4 of the input (inside the 12 header bytes the loader never reads)
// picks the mode: new, merge, or an update of "Target" with each kind.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "document_text.h"
#include "DocumentFile.h"
#include "GltfExport.h"
#include "Host.h"
#include "Report.h"
#include "Undo.h"
#include "mutator.h"
#include "user_document.h"

extern "C" int32_t c4d_main(int32_t action, void *p1, void *p2, void *p3);
extern "C" size_t LLVMFuzzerMutate(uint8_t *data, size_t size, size_t maxSize);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t *data, size_t size, size_t maxSize, unsigned seed) {
  return fuzzmutator::MutateRecords(data, size, maxSize, seed, LLVMFuzzerMutate);
}

namespace {

tessaro::Host *host = nullptr;
std::string path;

void Fail(const char *what) {
  std::fprintf(stderr, "fuzz_load: %s: %s\n", what, host->LeakReport().c_str());
  for (const std::string &m : host->misuse) std::fprintf(stderr, "  misuse: %s\n", m.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
  (void)argc, (void)argv;
  host = new tessaro::Host();
  std::string why;
  if (!host->LoadLinkedPlugin(c4d_main, TESSARO_SOURCE_DIR, &why)) {
    std::fprintf(stderr, "fuzz_load: %s\n", why.c_str());
    std::abort();
  }
  // A memory-backed folder where there is one: every run writes its input.
  std::error_code ec;
  std::filesystem::path dir = std::filesystem::is_directory("/dev/shm", ec) ? std::filesystem::path("/dev/shm")
                                                                             : std::filesystem::temp_directory_path();
  path = (dir / ("tessaro-fuzz-" + std::to_string(getpid()) + ".ft50")).string();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
  }
  tessaro::DialogAnswers answers;
  const int mode = size > 4 ? data[4] % 6 : 0;
  const int32_t kinds[] = {KIND_GEOMETRY, KIND_CAMERAS, KIND_MATERIALS, KIND_LIGHTS};
  if (mode == 0) answers.mode = MODE_NEW;
  if (mode == 1) answers.mode = MODE_MERGE;
  if (mode >= 2) {
    answers.mode = MODE_UPDATE;
    answers.object = "Target";
    answers.kind = kinds[mode - 2];
  }
  tessaro::Document *userDoc = testsupport::MakeUserDocument(*host);
  // Merge and update must be undone exactly; the check writes the document
  // twice, so only smaller inputs take it.
  const bool checkUndo = mode >= 1 && size <= 65536;
  const std::string userBefore = checkUndo ? testsupport::DocumentContent(*userDoc) : std::string();
  const size_t blocks = host->LiveBlocks(), handles = host->LiveHandles();
  const tessaro::ImportResult result = host->Import(path, answers);
  if (host->LiveBlocks() != blocks || host->LiveHandles() != handles || host->LooseElements() != 0)
    Fail("the load leaked");
  if (!host->misuse.empty()) Fail("the plug-in misused the host");
  // The document file takes whatever the load made; large documents only
  // cost time here, their writer is the same.
  std::FILE *sink = size <= 65536 ? std::fopen("/dev/null", "wb") : nullptr;
  if (sink) {
    tessaro::WriteDocument(*host->ActiveDocument(), sink);
    std::fclose(sink);
    // The glTF export too: it must take any document without failing.
    std::string why;
    if (!tessaro::WriteGltfFile(*host->ActiveDocument(), path + ".glb", &why)) {
      std::fprintf(stderr, "fuzz_load: the export failed: %s\n", why.c_str());
      std::abort();
    }
  }
  // The report: the document's counts, the file's walk and what it left out.
  tessaro::ReportEntry entry;
  entry.document = tessaro::DescribeDocument(*host->ActiveDocument(), result.firstSerial);
  tessaro::FileFacts facts;
  tessaro::LeftOutFinder finder(host->confirmed);
  facts.onObject = [&](const tessaro::FileFacts::ObjectRecord &o) { finder.Object(o); };
  std::string why;
  if (tessaro::InspectFile(path, nullptr, &why, &facts) >= 0) entry.warnings = finder.Finish(facts, *entry.document, host->removedDuringLoad);
  if (size <= 65536 && !tessaro::WriteReport({entry}, path + ".json", &why)) {
    std::fprintf(stderr, "fuzz_load: the report failed: %s\n", why.c_str());
    std::abort();
  }
  if (checkUndo && host->IsDocument(userDoc)) {
    tessaro::Document *user = userDoc;
    std::string why;
    if (!user->undo.empty() && !tessaro::UndoLastStep(*host, *user, &why)) {
      std::fprintf(stderr, "fuzz_load: the undo failed: %s\n", why.c_str());
      std::abort();
    }
    if (testsupport::DocumentContent(*user) != userBefore) Fail("undo did not give the user's document back");
  }
  while (host->Documents().size() > 1) host->KillDocument(host->Documents().front().get());
  host->warnings.clear();
  host->messages.clear();
  return 0;
}

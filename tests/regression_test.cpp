// Every file that once broke the importer (tests/regressions, each with a
// line in NOTES) is imported in every mode on a small user document.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "c4d_symbols.h"
#include "DocumentFile.h"
#include "support.h"
#include "user_document.h"

namespace {

namespace fs = std::filesystem;

class RegressionTest : public testsupport::HostTest {};

TEST_F(RegressionTest, EveryFileImportsInEveryModeWithoutHarm) {
  const fs::path dir = fs::path(TESSARO_SOURCE_DIR) / "tests" / "regressions";
  const std::string notes = testsupport::ReadText((dir / "NOTES").string());
  size_t files = 0;
  for (const auto &entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() != ".ft50") continue;
    ++files;
    const std::string name = entry.path().filename().string();
    EXPECT_NE(notes.find(name + ":"), std::string::npos) << name << " has no note of what it broke";
    for (int mode = 0; mode < 6; ++mode) {
      SCOPED_TRACE(name + " in mode " + std::to_string(mode));
      tessaro::DialogAnswers answers = testsupport::Mode(mode == 0 ? MODE_NEW : mode == 1 ? MODE_MERGE : MODE_UPDATE);
      if (mode >= 2) {
        answers.object = "Target";
        answers.kind = KIND_GEOMETRY + (mode - 2);
      }
      testsupport::MakeUserDocument(*host_);
      ImportPath(entry.path().string(), answers);
      EXPECT_TRUE(host_->misuse.empty());
      std::string why;
      EXPECT_TRUE(tessaro::WriteDocumentFile(*host_->ActiveDocument(), dir_.File("out.json"), &why)) << why;
    }
    // The program's report walks the file as the inspector does.
    const std::string run = std::string(TESSARO_TESSARO) + " import '" + entry.path().string() +
                            "' --mode new --prefs none -q --out none --report " + dir_.File("report.json") +
                            " >/dev/null 2>&1";
    const int rc = std::system(run.c_str());
    EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) != 1 && WEXITSTATUS(rc) < 8) << name << ": " << rc;
  }
  EXPECT_GT(files, 0u);
}

}  // namespace

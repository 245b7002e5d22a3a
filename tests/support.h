// Shared test helpers: temporary folders, a host with the real plug-in
// loaded, and the leak check every load must pass.
#ifndef TESSARO_TESTS_SUPPORT_H
#define TESSARO_TESTS_SUPPORT_H

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "Host.h"
#include "ft50_writer.h"

namespace testsupport {

namespace fs = std::filesystem;

// A fresh folder under the build's test area, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string &Path() const { return path_; }
  std::string File(const std::string &name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// The plug-in folder the build produced.
std::string PluginDir();
// A copy of the plug-in folder whose resource can then be changed.
std::string CopyPlugin(const TempDir &dir);
void WriteText(const std::string &path, const std::string &text);
std::string ReadText(const std::string &path);

// Answers that pick a mode, a kind, ...
tessaro::DialogAnswers Mode(int32_t mode);

// A host with the real plug-in library loaded from its folder.
class HostTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes the stream to a file and imports it, checking that the load
  // leaked nothing.
  tessaro::ImportResult Import(const Ft50Writer &file, const tessaro::DialogAnswers &answers = {});
  tessaro::ImportResult ImportPath(const std::string &path, const tessaro::DialogAnswers &answers = {});
  // Adds a top-level object to the active document, as a user would have.
  tessaro::Object *AddUserObject(const std::string &name, int32_t type = 5140);
  void StartHost(const std::string &plugins, const std::string &prefs = "");

  TempDir dir_;
  std::unique_ptr<tessaro::Host> host_;
  int imports_ = 0;
};

}  // namespace testsupport

#endif

// Shared test helpers: temporary folders, a host with the real plug-in
// loaded, and the leak check every load must pass.
#ifndef TESSARO_TESTS_SUPPORT_H
#define TESSARO_TESTS_SUPPORT_H

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

#include "Host.h"
#include "ft50_writer.h"

// Comparisons and printing of the boundary's plain structs, for assertions.
inline bool operator==(const th_vector &a, const th_vector &b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
inline bool operator==(const th_polygon &a, const th_polygon &b) {
  return a.a == b.a && a.b == b.b && a.c == b.c && a.d == b.d;
}
inline std::ostream &operator<<(std::ostream &o, const th_vector &v) {
  return o << "(" << v.x << ", " << v.y << ", " << v.z << ")";
}
inline std::ostream &operator<<(std::ostream &o, const th_polygon &p) {
  return o << "(" << p.a << ", " << p.b << ", " << p.c << ", " << p.d << ")";
}

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
tessaro::DialogAnswers Update(const std::string &object, int32_t kind);

// Building a user's document by hand, as the host's model holds it.
tessaro::Object *AddObject(tessaro::Host &host, const std::string &name, int32_t type = 5140,
                           tessaro::Object *parent = nullptr);
tessaro::Tag *AddTag(tessaro::Host &host, tessaro::Object *o, int32_t type);

// Reading documents back.
std::vector<std::string> Names(const tessaro::ElementList &list);
tessaro::Object *Find(const tessaro::ElementList &list, const std::string &name);
tessaro::Object *Find(tessaro::Document *doc, const std::string &name);
const tessaro::Tag *TagOf(const tessaro::Object *o, int32_t type);
std::vector<int32_t> TagTypes(const tessaro::Object *o);
template <class T>
std::vector<T> TagData(const tessaro::Tag *t) {
  if (!t) return {};
  const T *p = reinterpret_cast<const T *>(t->payload.data());
  return std::vector<T>(p, p + t->entries);
}


// A host with the real plug-in library loaded from its folder.
class HostTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes the stream to a file and imports it, checking that the load
  // leaked nothing.
  tessaro::ImportResult Import(const Ft50Writer &file, const tessaro::DialogAnswers &answers = {});
  tessaro::ImportResult ImportPath(const std::string &path, const tessaro::DialogAnswers &answers = {});
  // Adds an object to the active document, as a user would have.
  tessaro::Object *AddUserObject(const std::string &name, int32_t type = 5140, tessaro::Object *parent = nullptr);
  tessaro::Material *AddUserMaterial(const std::string &name);
  tessaro::Tag *AddUserTexture(tessaro::Object *o, tessaro::Material *m, float offset);
  void AddUserPoints(tessaro::Object *o, int count);
  void StartHost(const std::string &plugins, const std::string &prefs = "");
  // The document in front: after an import into a new document, that one.
  tessaro::Document *Doc() { return host_->ActiveDocument(); }

  TempDir dir_;
  std::unique_ptr<tessaro::Host> host_;
  int imports_ = 0;
};

}  // namespace testsupport

#endif

#include "support.h"

#include <fstream>
#include <random>
#include <sstream>

namespace testsupport {

TempDir::TempDir() {
  std::random_device rd;
  fs::path base = fs::temp_directory_path() / "tessaro-tests";
  fs::create_directories(base);
  for (;;) {
    fs::path p = base / ("t" + std::to_string(rd()));
    if (fs::create_directory(p)) {
      path_ = p.string();
      break;
    }
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string PluginDir() { return TESSARO_PLUGIN_DIR; }

std::string CopyPlugin(const TempDir &dir) {
  std::string target = dir.File("plugins/TessaroImport");
  fs::create_directories(target);
  fs::copy(fs::path(PluginDir()) / "TessaroImport", target, fs::copy_options::recursive);
  return dir.File("plugins");
}

void WriteText(const std::string &path, const std::string &text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

std::string ReadText(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

tessaro::DialogAnswers Mode(int32_t mode) {
  tessaro::DialogAnswers a;
  a.mode = mode;
  return a;
}

void HostTest::StartHost(const std::string &plugins, const std::string &prefs) {
  host_.reset();
  host_ = std::make_unique<tessaro::Host>(prefs);
  std::string why;
  if (!prefs.empty()) host_->LoadPrefs(&why);
  ASSERT_TRUE(host_->LoadPlugins(plugins, &why)) << why;
}

void HostTest::SetUp() { StartHost(PluginDir()); }

void HostTest::TearDown() {
  if (!host_) return;
  EXPECT_TRUE(host_->misuse.empty()) << host_->misuse.front();
  host_->Shutdown();
  // After the end action nothing the plug-in allocated may remain.
  EXPECT_EQ(host_->LiveBlocks(), 0u) << host_->LeakReport();
  EXPECT_EQ(host_->LiveHandles(), 0u) << host_->LeakReport();
  host_.reset();
}

tessaro::ImportResult HostTest::ImportPath(const std::string &path, const tessaro::DialogAnswers &answers) {
  size_t blocks = host_->LiveBlocks(), handles = host_->LiveHandles();
  tessaro::ImportResult r = host_->Import(path, answers);
  EXPECT_EQ(host_->LiveBlocks(), blocks) << "the load leaked: " << host_->LeakReport();
  EXPECT_EQ(host_->LiveHandles(), handles) << "the load leaked: " << host_->LeakReport();
  EXPECT_EQ(host_->LooseElements(), 0u) << "the load leaked: " << host_->LeakReport();
  return r;
}

tessaro::ImportResult HostTest::Import(const Ft50Writer &file, const tessaro::DialogAnswers &answers) {
  std::string path = dir_.File("import" + std::to_string(imports_++) + ".ft50");
  file.Save(path);
  return ImportPath(path, answers);
}

tessaro::Object *HostTest::AddUserObject(const std::string &name, int32_t type) {
  auto *o = new tessaro::Object(type);
  o->name = name;
  host_->TrackElement(o);
  tessaro::Document *doc = host_->ActiveDocument();
  tessaro::ListInsert(doc->objects, nullptr, o, doc->objects.last);
  tessaro::SetDocument(o, doc);
  return o;
}

}  // namespace testsupport

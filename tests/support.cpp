#include "c4d_symbols.h"
#include "support.h"

#include <cstdlib>
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
  // The Windows build is compared with this one on every file the tests write.
  if (const char *keep = std::getenv("TESSARO_KEEP_FT50")) {
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name() + "." + std::to_string(imports_);
    file.Save(std::string(keep) + "/" + name + ".ft50");
  }
  return ImportPath(path, answers);
}

tessaro::Object *AddObject(tessaro::Host &host, const std::string &name, int32_t type, tessaro::Object *parent) {
  auto *o = host.Elements().Make<tessaro::Object>(type);
  o->name = name;
  host.ActiveDocument()->AppendObject(*o, parent);
  return o;
}

tessaro::Tag *AddTag(tessaro::Host &host, tessaro::Object *o, int32_t type) {
  auto *t = host.Elements().Make<tessaro::Tag>(type);
  o->AppendTag(*t);
  return t;
}

tessaro::Object *HostTest::AddUserObject(const std::string &name, int32_t type, tessaro::Object *parent) {
  return AddObject(*host_, name, type, parent);
}

tessaro::Material *HostTest::AddUserMaterial(const std::string &name) {
  auto *m = host_->Elements().Make<tessaro::Material>(5703);
  m->name = name;
  host_->ActiveDocument()->AppendMaterial(*m);
  return m;
}

tessaro::Tag *HostTest::AddUserTexture(tessaro::Object *o, tessaro::Material *m, float offset) {
  tessaro::Tag *t = AddTag(*host_, o, 5616);
  t->material = m;
  t->materialSerial = m ? m->serial : 0;
  t->params["1000"] = tessaro::Value::OfReal(offset);
  t->pos = {offset, 0, 0};
  t->ml.off = {0, offset, 0};
  return t;
}

void HostTest::AddUserPoints(tessaro::Object *o, int count) {
  tessaro::Tag *t = AddTag(*host_, o, 5600);
  t->entries = count;
  t->payload.assign(sizeof(th_vector) * static_cast<size_t>(count), 0);
}

tessaro::DialogAnswers Update(const std::string &object, int32_t kind) {
  tessaro::DialogAnswers a;
  a.mode = MODE_UPDATE;
  a.object = object;
  a.kind = kind;
  return a;
}

std::vector<std::string> Names(const tessaro::ElementList &list) {
  std::vector<std::string> out;
  for (const tessaro::Element *e = list.first; e; e = e->next) out.push_back(e->name);
  return out;
}

tessaro::Object *Find(const tessaro::ElementList &list, const std::string &name) {
  for (tessaro::Element *e = list.first; e; e = e->next) {
    auto *o = static_cast<tessaro::Object *>(e);
    if (o->name == name) return o;
    if (tessaro::Object *inner = Find(o->children, name)) return inner;
  }
  return nullptr;
}

tessaro::Object *Find(tessaro::Document *doc, const std::string &name) { return Find(doc->objects, name); }

const tessaro::Tag *TagOf(const tessaro::Object *o, int32_t type) {
  if (!o) return nullptr;
  for (const tessaro::Element *t = o->tags.first; t; t = t->next)
    if (t->type == type) return static_cast<const tessaro::Tag *>(t);
  return nullptr;
}

std::vector<int32_t> TagTypes(const tessaro::Object *o) {
  std::vector<int32_t> out;
  for (const tessaro::Element *t = o->tags.first; t; t = t->next) out.push_back(t->type);
  return out;
}

}  // namespace testsupport

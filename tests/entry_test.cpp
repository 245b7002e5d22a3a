// The library's entry point driven directly, action by action.
#include <cstring>

#include "Library.h"
#include "support.h"

namespace {

using testsupport::PluginDir;
using tessaro::Op;

class EntryTest : public ::testing::Test {
 protected:
  void SetUp() override { Open(PluginDir()); }
  void TearDown() override {
    host_->Shutdown();
    host_.reset();
    lib_.Close();
  }
  void Open(const std::string &plugins) {
    if (host_) TearDown();
    host_ = std::make_unique<tessaro::Host>();
    folder_ = plugins + "/TessaroImport";
    std::string why;
    ASSERT_TRUE(lib_.Open(folder_ + "/TessaroImport" + tessaro::PluginSuffix(), &why)) << why;
  }
  int32_t Main(int32_t action, void *p1 = nullptr, void *p3 = nullptr) { return lib_.main(action, p1, nullptr, p3); }
  int32_t Init(const th_host_interface *hi) { return Main(1, const_cast<th_host_interface *>(hi), Path()); }
  int32_t Init() { return Init(host_->Interface()); }
  int32_t Message(intptr_t id) { return Main(6, reinterpret_cast<void *>(id)); }
  void *Path() { return const_cast<char *>(folder_.c_str()); }
  // Initialise, load the resource and start, as the host does.
  void Start(int32_t expected = 1) {
    ASSERT_EQ(Init(), 1);
    ASSERT_EQ(Message(1), 1);
    ASSERT_EQ(Main(2), expected);
  }

  // Declared first so that it outlives the host, which frees the plug-in's
  // registered objects through the library's code.
  tessaro::PluginLibrary lib_;
  std::unique_ptr<tessaro::Host> host_;
  std::string folder_;
  testsupport::TempDir dir_;
};

TEST_F(EntryTest, InitialiseRefusesOldHostsAndChecksOnlyOnce) {
  th_host_interface old = *host_->Interface();
  old.version = 7499;
  EXPECT_EQ(Init(&old), -3);
  // The counter was raised: a later initialise only counts.
  EXPECT_EQ(Init(), 1);
  EXPECT_EQ(Main(3), 1);
  EXPECT_EQ(Main(3), 1);
}

TEST_F(EntryTest, InitialiseRefusesMissingPathsTablesAndOverlongPaths) {
  EXPECT_EQ(Main(1, const_cast<th_host_interface *>(host_->Interface()), nullptr), -3);
  Open(PluginDir());
  EXPECT_EQ(Main(1, nullptr, Path()), -3);

  Open(PluginDir());
  th_host_interface small = *host_->Interface();
  th_file_table files = *small.file;
  files.size = offsetof(th_file_table, ReadTime);  // a host without one operation
  small.file = &files;
  EXPECT_EQ(Init(&small), -3);

  Open(PluginDir());
  std::string longPath(1024, 'p');
  EXPECT_EQ(Main(1, const_cast<th_host_interface *>(host_->Interface()), longPath.data()), -3);
  Open(PluginDir());
  std::string fits(1023, 'p');
  EXPECT_EQ(Main(1, const_cast<th_host_interface *>(host_->Interface()), fits.data()), 1);
}

TEST_F(EntryTest, ActionsAndMessagesAnswer) {
  ASSERT_EQ(Init(), 1);
  EXPECT_EQ(Main(4), 2);
  EXPECT_EQ(Main(0), -1);
  EXPECT_EQ(Main(5), -1);
  EXPECT_EQ(Main(7), -1);
  EXPECT_EQ(Message(0), 1);
  EXPECT_EQ(Message(2), -1);
  EXPECT_EQ(Message(1), 1);
  EXPECT_EQ(Message(1), 1);
  EXPECT_EQ(host_->Calls(Op::LoadResource), 1u) << "a later message 1 answers the remembered outcome";
  EXPECT_EQ(Main(3), 1);
}

TEST_F(EntryTest, ResourceThatCannotLoadAnswersMinusOne) {
  std::string plugins = testsupport::CopyPlugin(dir_);
  testsupport::fs::remove_all(plugins + "/TessaroImport/res");
  Open(plugins);
  ASSERT_EQ(Init(), 1);
  EXPECT_EQ(Message(1), -1);
  EXPECT_EQ(Message(1), -1);
  EXPECT_EQ(host_->Calls(Op::LoadResource), 1u);
  // Without the resource there is no display name: nothing is registered.
  EXPECT_EQ(Main(2), 1);
  EXPECT_TRUE(host_->Loaders().empty());
  EXPECT_TRUE(host_->MessagePlugins().empty());
  EXPECT_EQ(Main(3), 1);
}

TEST_F(EntryTest, StartRegistersLoaderThenMessagePlugin) {
  Start();
  ASSERT_EQ(host_->Loaders().size(), 1u);
  EXPECT_EQ(host_->Loaders()[0].id, 1012349);
  EXPECT_EQ(host_->Loaders()[0].name, "Tessaro Import");
  EXPECT_EQ(host_->Loaders()[0].description, "TessaroImport");
  EXPECT_EQ(host_->Descriptions().at(1012349), "TessaroImport");
  ASSERT_EQ(host_->MessagePlugins().size(), 1u);
  EXPECT_EQ(host_->MessagePlugins()[0].id, 1012350);
  EXPECT_EQ(host_->MessagePlugins()[0].name, "Tessaro Import");
  EXPECT_TRUE(host_->messages.empty());
  EXPECT_EQ(Main(3), 1);
}

TEST_F(EntryTest, EmptyDisplayNameRegistersNothing) {
  std::string plugins = testsupport::CopyPlugin(dir_);
  testsupport::WriteText(plugins + "/TessaroImport/res/strings_us/c4d_strings.str",
                         "STRINGTABLE { 10002 \"failed\"; }");
  Open(plugins);
  Start(1);
  EXPECT_TRUE(host_->Loaders().empty());
  EXPECT_TRUE(host_->MessagePlugins().empty());
  EXPECT_EQ(host_->Calls(Op::RegisterDescription), 0u);
  EXPECT_EQ(Main(3), 1);
}

TEST_F(EntryTest, RefusedRegistrationsShowTheFailureMessage) {
  struct Case {
    Op op;
    uint64_t nth;
    bool loaderStays;
    uint64_t messageRegistrations;
  };
  // Description refused; loader refused; message plug-in refused; the
  // message plug-in's object not creatable (the second block: the first is
  // the loader object the host allocates at registration).
  const Case cases[] = {{Op::RegisterDescription, 1, false, 0},
                        {Op::RegisterSceneLoader, 1, false, 0},
                        {Op::RegisterMessagePlugin, 1, true, 1},
                        {Op::GeAlloc, 2, true, 0}};
  for (const Case &c : cases) {
    SCOPED_TRACE(tessaro::OpName(c.op));
    Open(PluginDir());
    host_->FailNth(c.op, c.nth);
    Start(0);
    ASSERT_EQ(host_->messages.size(), 1u);
    EXPECT_EQ(host_->messages[0], "Tessaro Import could not register its plug-ins.");
    EXPECT_EQ(host_->Loaders().size(), c.loaderStays ? 1u : 0u);
    EXPECT_TRUE(host_->MessagePlugins().empty());
    EXPECT_EQ(host_->Calls(Op::RegisterMessagePlugin), c.messageRegistrations);
    // Only the registered loader's object remains allocated.
    EXPECT_EQ(host_->LiveBlocks(), c.loaderStays ? 1u : 0u);
    EXPECT_EQ(Main(3), 1);
  }
}

TEST_F(EntryTest, RefusedStartKeepsTheStoredScale) {
  // The scale is read only when both registrations succeeded; an end after
  // a refused start must not write the default over the user's value.
  const float saved = 2.5f;
  for (Op refused : {Op::RegisterSceneLoader, Op::RegisterMessagePlugin}) {
    SCOPED_TRACE(tessaro::OpName(refused));
    Open(PluginDir());
    host_->pluginData[1012349].assign(reinterpret_cast<const uint8_t *>(&saved),
                                      reinterpret_cast<const uint8_t *>(&saved) + 4);
    host_->FailNth(refused, 1);
    Start(0);
    EXPECT_EQ(Main(3), 1);
    float stored = 0;
    ASSERT_EQ(host_->pluginData[1012349].size(), 4u);
    std::memcpy(&stored, host_->pluginData[1012349].data(), 4);
    EXPECT_EQ(stored, saved);
  }
}

TEST_F(EntryTest, OnlyTheLastEndStoresTheScaleAndReleasesTheResource) {
  ASSERT_EQ(Init(), 1);
  ASSERT_EQ(Init(), 1);
  ASSERT_EQ(Message(1), 1);
  ASSERT_EQ(Main(2), 1);
  size_t handles = host_->LiveHandles();
  EXPECT_EQ(Main(3), 1);
  EXPECT_TRUE(host_->pluginData.empty());
  EXPECT_EQ(host_->LiveHandles(), handles) << "the resource stays loaded";
  EXPECT_EQ(Main(3), 1);
  ASSERT_EQ(host_->pluginData.count(1012349), 1u);
  float stored;
  ASSERT_EQ(host_->pluginData[1012349].size(), 4u);
  std::memcpy(&stored, host_->pluginData[1012349].data(), 4);
  EXPECT_EQ(stored, 1.0f);
  EXPECT_EQ(host_->LiveHandles(), handles - 1) << "the resource is released";
}

}  // namespace

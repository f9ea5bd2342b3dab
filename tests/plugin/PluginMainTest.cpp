// The plug-in library as the host sees it: loaded by path, driven only
// through its exported PluginMain.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "host/AIFilePathSuite.h"
#include "host/AIFoldersSuite.h"
#include "host/AINotifierSuite.h"
#include "host/SPPluginsSuite.h"
#include "host/PluginCallers.h"
#include "host/SuitePointers.h"
#include "plugin/ShapePlugin.h"
#include "support/PluginHostEnvironment.h"

namespace {

using kztest::LoadedPluginTest;

struct HostSuite {
  const char* name;
  int32_t version;
};

#define KZ_SUITE_ROW(Id, Name, Version) HostSuite{Name, Version},
const std::vector<HostSuite> allSuites = {KZ_HOST_SUITES(KZ_SUITE_ROW)};
#undef KZ_SUITE_ROW

struct Message {
  const char* caller;
  const char* selector;
};

// Messages a running plug-in answers with 0 without changing the host.
const Message quietMessages[] = {
    {kSPInterfaceCaller, kSPInterfaceAboutSelector},
    {kSPCacheCaller, kSPPluginPurgeCachesSelector},
    {kSPPropertiesCaller, kSPPropertiesAcquireSelector},
    {kCallerAITool, kSelectorAIToolMouseDown},
    {kAIWorkspaceCaller, kAIWSWriteSelector},
    {"Some Caller", "Some Selector"},
    {kCallerAIMenu, "AI Goo"},
};

void ExpectEverySuiteHeld(const sim::SuiteBroker& broker, int times) {
  for (const HostSuite& suite : allSuites) EXPECT_EQ(broker.HeldCount(suite.name), times) << suite.name;
}

TEST_F(LoadedPluginTest, MessagesWithoutAPluginObjectReturnZeroAndTouchNothing) {
  auto sendAll = [&] {
    for (const Message& message : quietMessages)
      EXPECT_EQ(loader.Send(message.caller, message.selector), kNoErr) << message.caller << "/" << message.selector;
    EXPECT_EQ(loader.Notify(kAIApplicationStartedNotifier), kNoErr);
    EXPECT_EQ(loader.MenuGo(nullptr), kNoErr);
    EXPECT_EQ(loader.MenuUpdate(nullptr), kNoErr);
    EXPECT_EQ(loader.Unload(), kNoErr);
    EXPECT_EQ(loader.Reload(), kNoErr);
    EXPECT_EQ(loader.Shutdown(), kNoErr);
  };
  sendAll();  // before start-up
  EXPECT_EQ(broker.TotalAcquisitions(), 0);
  EXPECT_EQ(loader.Global(), nullptr);
  EXPECT_TRUE(registry.Notifiers().empty());

  ASSERT_EQ(loader.Startup(), kNoErr);
  ASSERT_EQ(loader.Shutdown(), kNoErr);
  const int acquisitions = broker.TotalAcquisitions();
  sendAll();  // after shut-down
  EXPECT_EQ(broker.TotalAcquisitions(), acquisitions);
  EXPECT_EQ(broker.TotalHeld(), 0);
  EXPECT_EQ(loader.Global(), nullptr);
  EXPECT_EQ(registry.Notifiers().size(), 5u);  // the plug-in's own four and the base's
}

TEST_F(LoadedPluginTest, StartupAcquiresTheWholeSuiteTableAndRegistersThePlugin) {
  ASSERT_EQ(loader.Startup(), kNoErr);
  EXPECT_NE(loader.Global(), nullptr);
  EXPECT_EQ(allSuites.size(), 130u);
  ExpectEverySuiteHeld(broker, 1);
  EXPECT_EQ(broker.TotalHeld(), 130);
  EXPECT_EQ(registry.PluginName(loader.Ref()), "Kartzmap4.5");
  ASSERT_EQ(registry.Notifiers().size(), 5u);
  EXPECT_EQ(registry.Notifiers()[0]->name, "Kartzmap4.5 App Started Notifier");
  EXPECT_EQ(registry.Notifiers()[0]->type, kAIApplicationStartedNotifier);
  EXPECT_EQ(registry.AccessLockCount(loader.Ref()), 1);

  for (const Message& message : quietMessages)
    EXPECT_EQ(loader.Send(message.caller, message.selector), kNoErr) << message.caller << "/" << message.selector;
  EXPECT_EQ(loader.MenuGo(nullptr), kNoErr);
  const int64_t contextEntries = host.UI().contextEntries;
  EXPECT_EQ(loader.Broadcast(kAIApplicationStartedNotifier), kNoErr);
  EXPECT_EQ(loader.Notify(kAIDocumentChangedNotifier), kNoErr);
  EXPECT_EQ(host.UI().contextEntries, contextEntries + 2);  // each notification within the plug-in's context
  EXPECT_TRUE(host.UI().contextStack.empty());
  // A second start-up builds no second object.
  void* object = loader.Global();
  EXPECT_EQ(loader.Startup(), kNoErr);
  EXPECT_EQ(loader.Global(), object);
  EXPECT_EQ(broker.TotalHeld(), 130);

  ASSERT_EQ(loader.Shutdown(), kNoErr);
  EXPECT_EQ(loader.Global(), nullptr);
  EXPECT_EQ(broker.TotalHeld(), 0);
}

// A suite the host cannot supply, wherever it stands in the table, fails
// start-up with the host's code, releases what was acquired and leaves no object.
class MissingSuiteTest : public LoadedPluginTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(MissingSuiteTest, FailsStartupAndLeavesNoObject) {
  broker.MakeUnavailable(GetParam());
  EXPECT_EQ(loader.Startup(), kSPSuiteNotFoundError);
  EXPECT_EQ(loader.Global(), nullptr);
  EXPECT_EQ(broker.TotalHeld(), 0);
  EXPECT_EQ(broker.HeldCount(GetParam()), 0);
  EXPECT_EQ(registry.PluginName(loader.Ref()), "");
  EXPECT_TRUE(registry.Notifiers().empty());
  EXPECT_EQ(registry.AccessLockCount(loader.Ref()), 0);
  EXPECT_EQ(loader.About(), kNoErr);

  // The host can start it again once the suite is there.
  broker.MakeAvailable(GetParam());
  ASSERT_EQ(loader.Startup(), kNoErr);
  ExpectEverySuiteHeld(broker, 1);
}

INSTANTIATE_TEST_SUITE_P(Suites, MissingSuiteTest,
                         ::testing::Values("SP Access Suite", "AI Folders Suite", "SP Blocks Suite", "AI Art Suite",
                                           "AI URL Suite", "ATE TextFrame Suite", "ATE ArrayComposerEngine Suite"),
                         [](const auto& info) {
                           std::string name;
                           for (const char* c = info.param; *c; ++c)
                             if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                           return name;
                         });

// A host service that refuses during start-up: its code comes back, the suites
// are released and there is no object.
struct RefusalCase {
  const char* operation;
  AIErr code;
};

void PrintTo(const RefusalCase& refusal, std::ostream* out) { *out << refusal.operation; }

class StartupRefusalTest : public LoadedPluginTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(StartupRefusalTest, ReturnsTheHostCode) {
  registry.SetFailure(GetParam().operation, GetParam().code);
  EXPECT_EQ(loader.Startup(), GetParam().code);
  EXPECT_EQ(loader.Global(), nullptr);
  EXPECT_EQ(broker.TotalHeld(), 0);
  EXPECT_EQ(registry.AccessLockCount(loader.Ref()), 0);
}

INSTANTIATE_TEST_SUITE_P(Operations, StartupRefusalTest,
                         ::testing::Values(RefusalCase{"SetPluginName", FourCC("NAME")},
                                           RefusalCase{"AddNotifier", FourCC("NOTE")}),
                         [](const auto& info) { return std::string(info.param.operation); });

TEST_F(LoadedPluginTest, UnloadReleasesTheSuitesAndReloadAcquiresThemAgain) {
  ASSERT_EQ(loader.Startup(), kNoErr);
  void* object = loader.Global();

  ASSERT_EQ(loader.Unload(), kNoErr);
  EXPECT_EQ(broker.TotalHeld(), 0);
  EXPECT_EQ(loader.Global(), object);  // the object stays in the host's slot
  const int acquisitions = broker.TotalAcquisitions();
  for (const Message& message : quietMessages) EXPECT_EQ(loader.Send(message.caller, message.selector), kNoErr);
  EXPECT_EQ(broker.TotalAcquisitions(), acquisitions);

  // A reload that cannot get a suite reports the host's code and keeps the object.
  broker.MakeUnavailable("AI Layer Suite");
  EXPECT_EQ(loader.Reload(), kSPSuiteNotFoundError);
  EXPECT_EQ(broker.TotalHeld(), 0);
  EXPECT_EQ(loader.Global(), object);

  broker.MakeAvailable("AI Layer Suite");
  ASSERT_EQ(loader.Reload(), kNoErr);
  ExpectEverySuiteHeld(broker, 1);
  EXPECT_EQ(loader.Global(), object);
  EXPECT_EQ(loader.About(), kNoErr);

  ASSERT_EQ(loader.Shutdown(), kNoErr);
  EXPECT_EQ(broker.TotalHeld(), 0);
}

// The plug-in class as an earlier copy of the library had it: this test
// program's own copy of the class, whose operations lie elsewhere.
class EarlierShapePlugin : public ShapePlugin {
 public:
  using ShapePlugin::ShapePlugin;
  AIErr OnReload(SPInterfaceMessage*) override { return FourCC("OLD!"); }
};

// After the library was unloaded and loaded again the object's operations are
// those of the library now loaded: the reload re-binds it before it runs.
TEST_F(LoadedPluginTest, ReloadRebindsTheObjectToTheLoadedLibrary) {
  ASSERT_EQ(loader.Startup(), kNoErr);
  void* object = loader.Global();
  void* loadedTable = nullptr;
  std::memcpy(&loadedTable, object, sizeof loadedTable);
  ASSERT_EQ(loader.Unload(), kNoErr);
  const EarlierShapePlugin earlier(nullptr);
  std::memcpy(object, static_cast<const void*>(&earlier), sizeof(void*));
  ASSERT_EQ(loader.Reload(), kNoErr);
  void* table = nullptr;
  std::memcpy(&table, object, sizeof table);
  EXPECT_EQ(table, loadedTable);
  ExpectEverySuiteHeld(broker, 1);
  ASSERT_EQ(loader.Shutdown(), kNoErr);
}

TEST_F(LoadedPluginTest, ShutdownAfterUnloadDestroysTheObject) {
  ASSERT_EQ(loader.Startup(), kNoErr);
  ASSERT_EQ(loader.Unload(), kNoErr);
  EXPECT_EQ(loader.Shutdown(), kNoErr);
  EXPECT_EQ(loader.Global(), nullptr);
  EXPECT_EQ(broker.TotalHeld(), 0);
}

TEST_F(LoadedPluginTest, PluginFileIsTheLoadedLibrary) {
  AIFilePathRef path = nullptr;
  const SPPluginsSuite* plugins = nullptr;
  ASSERT_EQ(broker.Acquire(kSPPluginsSuite, kSPPluginsSuiteVersion, reinterpret_cast<const void**>(&plugins)), kNoErr);
  ASSERT_EQ(plugins->GetPluginFilePath(loader.Ref(), &path), kNoErr);
  char buffer[4096];
  size_t needed = 0;
  ASSERT_EQ(sAIFilePath->GetPlatformPath(path, buffer, sizeof buffer, &needed), kNoErr);
  EXPECT_EQ(std::string(buffer), loader.Path());
  EXPECT_TRUE(std::filesystem::equivalent(buffer, KZ_PLUGIN_FILE));
  sAIFilePath->Dispose(path);
  broker.Release(kSPPluginsSuite, kSPPluginsSuiteVersion);
}

TEST_F(LoadedPluginTest, FoldersLieWhereTheHostKeepsThem) {
  const std::filesystem::path root = std::filesystem::path(::testing::TempDir()) / "kz-folders";
  std::filesystem::remove_all(root);
  registry.SetFolderRoot(root);
  const AIFoldersSuite* folders = nullptr;
  ASSERT_EQ(broker.Acquire(kAIFoldersSuite, kAIFoldersSuiteVersion, reinterpret_cast<const void**>(&folders)), kNoErr);
  auto find = [&](AIFolderType type, bool create) {
    AIFilePathRef path = nullptr;
    EXPECT_EQ(folders->FindFolder(type, create, &path), kNoErr);
    char buffer[4096] = {};
    size_t needed = 0;
    sAIFilePath->GetPlatformPath(path, buffer, sizeof buffer, &needed);
    sAIFilePath->Dispose(path);
    return std::filesystem::path(buffer);
  };
  EXPECT_TRUE(std::filesystem::equivalent(find(kAIPluginsFolderType, false),
                                          std::filesystem::path(KZ_PLUGIN_FILE).parent_path()));
  EXPECT_FALSE(std::filesystem::exists(find(kAIPreferencesFolderType, false)));
  const std::filesystem::path preferences = find(kAIPreferencesFolderType, true);
  EXPECT_TRUE(std::filesystem::is_directory(preferences));
  EXPECT_EQ(preferences.parent_path(), root);
  broker.Release(kAIFoldersSuite, kAIFoldersSuiteVersion);
  std::filesystem::remove_all(root);
}

TEST(PluginLoaderTest, RefusesWhatIsNotAPluginLibrary) {
  for (const char* path : {"/nonexistent/Kartzmap.so", "libm.so.6"}) {
    kztest::PluginHostEnvironment environment;
    EXPECT_FALSE(environment.loader.Load(path)) << path;
    EXPECT_FALSE(environment.loader.LoadError().empty()) << path;
    EXPECT_EQ(environment.loader.Startup(), kBadParameterErr) << path;
  }
}

}  // namespace

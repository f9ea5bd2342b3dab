// The routing of host messages to the operations of Plugin, and the entry
// point's handling of results, observed on a recording plug-in object.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/AINotifierSuite.h"
#include "host/PluginCallers.h"
#include "plugin/Plugin.h"
#include "support/PluginHostEnvironment.h"
#include "tests/plugin/RecordingPlugin.h"

extern "C" AIErr PluginMain(const char* caller, const char* selector, void* message);

namespace {

using kztest::kHandled;
using kztest::RecordingPlugin;
using Calls = std::vector<std::string>;

struct Row {
  const char* caller;
  const char* selector;
  const char* handler;  // null: no operation is called
  AIErr result;         // what Dispatch returns when the handler answers kHandled
  AIErr defaultResult;  // what the base class's Dispatch returns
};

const Row routingTable[] = {
    {kSPAccessCaller, kSPAccessUnloadSelector, "OnUnload", kNoErr, kNoErr},
    {kSPAccessCaller, kSPAccessReloadSelector, "OnReload", kHandled, kNoErr},
    {kSPInterfaceCaller, kSPInterfaceAboutSelector, nullptr, kNoErr, kNoErr},
    {kSPInterfaceCaller, kSPInterfaceStartupSelector, nullptr, kNoErr, kNoErr},
    {kSPCacheCaller, kSPPluginPurgeCachesSelector, "Purge", kNoErr, kNoErr},
    {kSPPropertiesCaller, kSPPropertiesAcquireSelector, "OnPropertyAcquire", kHandled, kUnhandledMsgErr},
    {kSPPropertiesCaller, kSPPropertiesReleaseSelector, "OnPropertyRelease", kHandled, kUnhandledMsgErr},
    {kCallerAINotify, kSelectorAINotify, "OnNotify", kHandled, kNoErr},
    {kActionCaller, kDoActionSelector, "OnDoAction", kHandled, kNoErr},
    {kCallerAIMenu, kSelectorAIGoMenuItem, "OnMenuGo", kHandled, kUnhandledMsgErr},
    {kCallerAIMenu, kSelectorAIUpdateMenuItem, "OnMenuUpdate", kHandled, kUnhandledMsgErr},
    {kCallerAIFilter, kSelectorAIGetFilterParameters, "GetFilterParameters", kHandled, kUnhandledMsgErr},
    {kCallerAIFilter, kSelectorAIGoFilter, "GoFilter", kHandled, kUnhandledMsgErr},
    {kCallerAIPluginGroup, kSelectorAINotifyEdits, "PluginGroupNotify", kHandled, kUnhandledMsgErr},
    {kCallerAIPluginGroup, kSelectorAIUpdateArt, "PluginGroupUpdate", kHandled, kUnhandledMsgErr},
    {kCallerAIFileFormat, kSelectorAIGetFileFormatParameters, "GetFileFormatParameters", kHandled, kUnhandledMsgErr},
    {kCallerAIFileFormat, kSelectorAIGoFileFormat, "GoFileFormat", kHandled, kUnhandledMsgErr},
    {kCallerAIFileFormat, kSelectorAICheckFileFormat, "CheckFileFormat", kHandled, kUnhandledMsgErr},
    {kCallerAIFileFormat, kSelectorAIUpdateFileFormat, "FileFormatUpdate", kHandled, kUnhandledMsgErr},
    {kCallerAIFileFormat, kSelectorAIFileFormatDoAction, "FileFormatDoAction", kHandled, kUnhandledMsgErr},
    {kCallerAITool, kSelectorAIEditToolOptions, "EditTool", kHandled, kUnhandledMsgErr},
    {kCallerAITool, kSelectorAITrackToolCursor, "TrackToolCursor", kHandled, kUnhandledMsgErr},
    {kCallerAITool, kSelectorAIToolMouseDown, "ToolMouseDown", kHandled, kUnhandledMsgErr},
    {kCallerAITool, kSelectorAIToolMouseDrag, "ToolMouseDrag", kHandled, kUnhandledMsgErr},
    {kCallerAITool, kSelectorAIToolMouseUp, "ToolMouseUp", kHandled, kUnhandledMsgErr},
    {kCallerAITool, kSelectorAISelectTool, "SelectTool", kHandled, kUnhandledMsgErr},
    {kCallerAITool, kSelectorAIDeselectTool, "DeselectTool", kHandled, kUnhandledMsgErr},
    {kCallerAITool, kSelectorAIReselectTool, "ReselectTool", kHandled, kNoErr},
    {kCallerAITool, kSelectorAIToolDecreaseDiameter, "DecreaseDiameter", kHandled, kNoErr},
    {kCallerAITool, kSelectorAIToolIncreaseDiameter, "IncreaseDiameter", kHandled, kNoErr},
    {kCallerAILiveEffect, kSelectorAIEditLiveEffectParameters, "EditLiveEffectParameters", kHandled, kUnhandledMsgErr},
    {kCallerAILiveEffect, kSelectorAIGoLiveEffect, "GoLiveEffect", kHandled, kUnhandledMsgErr},
    {kCallerAILiveEffect, kSelectorAILiveEffectInterpolate, "LiveEffectInterpolate", kHandled, kUnhandledMsgErr},
    {kCallerAILiveEffect, kSelectorAILiveEffectInputType, "LiveEffectGetInputType", kHandled, kUnhandledMsgErr},
    {kCallerAILiveEffect, kSelectorAILiveEffectScaleParameters, "LiveEffectScaleParameters", kHandled, kUnhandledMsgErr},
    {kCallerAILiveEffect, kSelectorAILiveEffectConvertColorSpace, "LiveEffectConvertColorSpace", kHandled,
     kUnhandledMsgErr},
    {kCallerAILiveEffect, kSelectorAILiveEffectAdjustColors, "LiveEffectAdjustColors", kHandled, kUnhandledMsgErr},
    {kCallerAILiveEffect, kSelectorAILiveEffectHandleMerge, "LiveEffectHandleMerge", kHandled, kUnhandledMsgErr},
    {kCallerAITimer, kSelectorAIGoTimer, "GoTimer", kHandled, kUnhandledMsgErr},
    {kCallerAIClipboard, kSelectorAIGoClipboard, "GoClipboard", kHandled, kUnhandledMsgErr},
    {kCallerAIClipboard, kSelectorAICanCopyClipboard, "CanCopyClipboard", kHandled, kUnhandledMsgErr},
    {kCallerAIClipboard, kSelectorAICloneClipboard, "CloneClipboard", kHandled, kUnhandledMsgErr},
    {kCallerAIClipboard, kSelectorAIDisposeClipboard, "DisposeClipboard", kHandled, kUnhandledMsgErr},
    {kAIWorkspaceCaller, kAIWSWriteSelector, "WorkspaceWrite", kHandled, kUnhandledMsgErr},
    {kAIWorkspaceCaller, kAIWSRestoreSelector, "WorkspaceRestore", kHandled, kUnhandledMsgErr},
    {kAIWorkspaceCaller, kAIWSDefaultSelector, "WorkspaceDefault", kHandled, kUnhandledMsgErr},
};

// Near misses: a caller that matches with a selector that does not, callers
// that differ by case or a trailing space, another caller's selector, and
// the workspace selectors spelt the usual way.
const Row unmatched[] = {
    {kCallerAIMenu, "AI Goo", nullptr, kUnhandledMsgErr, kUnhandledMsgErr},
    {kCallerAIMenu, "", nullptr, kUnhandledMsgErr, kUnhandledMsgErr},
    {"AI Menu ", kSelectorAIGoMenuItem, nullptr, kUnhandledMsgErr, kUnhandledMsgErr},
    {"ai menu", kSelectorAIGoMenuItem, nullptr, kUnhandledMsgErr, kUnhandledMsgErr},
    {"Unknown Caller", kSelectorAIGoMenuItem, nullptr, kUnhandledMsgErr, kUnhandledMsgErr},
    {kCallerAIFilter, kSelectorAIUpdateArt, nullptr, kUnhandledMsgErr, kUnhandledMsgErr},
    {kCallerAITimer, kSelectorAIGoClipboard "!", nullptr, kUnhandledMsgErr, kUnhandledMsgErr},
    {kSPInterfaceCaller, kSPInterfaceShutdownSelector, nullptr, kUnhandledMsgErr, kUnhandledMsgErr},
    {kSPCacheCaller, "Plug-in purge", nullptr, kUnhandledMsgErr, kUnhandledMsgErr},
    {kAIWorkspaceCaller, "Write Workspace", nullptr, kUnhandledMsgErr, kUnhandledMsgErr},
};

// Every record type the routing may read starts with the header, so one
// notifier record (the largest) serves every row.
AINotifierMessage MessageFor(const Row& row) {
  AINotifierMessage message;
  message.type = kAIDocumentChangedNotifier;
  return message;
}

class DispatchTest : public ::testing::Test {
 protected:
  kztest::PluginHostEnvironment environment;
  SPPluginRef ref = environment.registry.AddPlugin("/plug-ins/Test.so");
};

TEST_F(DispatchTest, EveryRowReachesItsOperationOnly) {
  for (const auto& table : {std::vector<Row>(std::begin(routingTable), std::end(routingTable)),
                            std::vector<Row>(std::begin(unmatched), std::end(unmatched))}) {
    for (const Row& row : table) {
      RecordingPlugin plugin(ref);
      AINotifierMessage message = MessageFor(row);
      const AIErr result = plugin.Dispatch(row.caller, row.selector, &message);
      Calls expected = {"BeforeMessage"};
      if (row.handler) expected.push_back(row.handler);
      EXPECT_EQ(plugin.calls, expected) << row.caller << "/" << row.selector;
      EXPECT_EQ(result, row.result) << row.caller << "/" << row.selector;
    }
  }
}

TEST_F(DispatchTest, BaseOperationsGiveTheirDefaults) {
  for (const auto& table : {std::vector<Row>(std::begin(routingTable), std::end(routingTable)),
                            std::vector<Row>(std::begin(unmatched), std::end(unmatched))}) {
    for (const Row& row : table) {
      Plugin plugin(ref);
      AINotifierMessage message = MessageFor(row);
      EXPECT_EQ(plugin.Dispatch(row.caller, row.selector, &message), row.defaultResult)
          << row.caller << "/" << row.selector;
    }
  }
}

TEST_F(DispatchTest, PurgeAnswersWhetherSomethingWasFreed) {
  for (bool freed : {false, true}) {
    RecordingPlugin plugin(ref);
    plugin.purgeAnswer = freed;
    SPInterfaceMessage message;
    EXPECT_EQ(plugin.Dispatch(kSPCacheCaller, kSPPluginPurgeCachesSelector, &message),
              freed ? kSPPluginCachesFlushResponse : kNoErr);
  }
}

struct NotifyCase {
  const char* type;
  AIErr appStartedResult;
  Calls calls;
  AIErr result;
};

TEST_F(DispatchTest, ApplicationStartedNotificationCallsOnAppStartedFirst) {
  const AIErr failure = FourCC("FAIL");
  const NotifyCase cases[] = {
      {kAIApplicationStartedNotifier, kNoErr, {"BeforeMessage", "OnAppStarted", "OnNotify"}, kHandled},
      {kAIApplicationStartedNotifier, kUnhandledMsgErr, {"BeforeMessage", "OnAppStarted", "OnNotify"}, kHandled},
      {kAIApplicationStartedNotifier, failure, {"BeforeMessage", "OnAppStarted"}, failure},
      {kAIDocumentChangedNotifier, kNoErr, {"BeforeMessage", "OnNotify"}, kHandled},
      {kAIApplicationShutdownNotifier, kNoErr, {"BeforeMessage", "OnNotify"}, kHandled},
      {"AI Application Started", kNoErr, {"BeforeMessage", "OnNotify"}, kHandled},
  };
  for (const NotifyCase& test : cases) {
    RecordingPlugin plugin(ref);
    sim::Interface& ui = environment.host.UI();
    const int64_t entries = ui.contextEntries;
    std::vector<SPPluginRef> contextAtNotify;
    plugin.duringNotify = [&] { contextAtNotify = ui.contextStack; };
    plugin.results["OnAppStarted"] = test.appStartedResult;
    AINotifierMessage message;
    message.type = test.type;
    EXPECT_EQ(plugin.Dispatch(kCallerAINotify, kSelectorAINotify, &message), test.result) << test.type;
    EXPECT_EQ(plugin.calls, test.calls) << test.type;
    if (plugin.lastNotifyType) {
      EXPECT_STREQ(plugin.lastNotifyType, test.type);
      EXPECT_EQ(contextAtNotify, std::vector<SPPluginRef>{ref}) << "notified outside the application context";
    }
    EXPECT_EQ(ui.contextEntries, entries + 1) << test.type;
    EXPECT_TRUE(ui.contextStack.empty()) << test.type;
  }
}

// PluginMain with an object already in the host's global slot.
class EntryPointTest : public DispatchTest {
 protected:
  void SetUp() override {
    plugin = new RecordingPlugin(ref, &destroyed);
    SPInterfaceMessage message;
    ASSERT_EQ(plugin->OnStartup(&message), kNoErr);
  }
  void TearDown() override {
    if (destroyed.empty()) Send(kSPInterfaceCaller, kSPInterfaceShutdownSelector);
  }
  AIErr Send(const char* caller, const char* selector) {
    AIMenuMessage message;
    message.d.self = ref;
    message.d.globals = plugin;
    message.d.basic = environment.broker.Basic();
    const AIErr result = PluginMain(caller, selector, &message);
    global = message.d.globals;
    return result;
  }

  RecordingPlugin* plugin = nullptr;
  void* global = nullptr;
  Calls destroyed;
};

TEST_F(EntryPointTest, ResultsReachTheHostAsTheyShould) {
  const AIErr failure = FourCC("FAIL");
  struct Case {
    AIErr handlerResult;
    AIErr hostResult;
    std::vector<AIErr> reported;
  };
  const Case cases[] = {
      {kUnhandledMsgErr, kNoErr, {}},
      {kNoErr, kNoErr, {}},
      {failure, failure, {failure}},
      {kCanceledErr, kCanceledErr, {kCanceledErr}},  // silence is ReportError's business
  };
  for (const Case& test : cases) {
    plugin->calls.clear();
    plugin->reported.clear();
    plugin->results["OnMenuGo"] = test.handlerResult;
    EXPECT_EQ(Send(kCallerAIMenu, kSelectorAIGoMenuItem), test.hostResult);
    EXPECT_EQ(plugin->calls, (Calls{"BeforeMessage", "OnMenuGo"}));
    EXPECT_EQ(plugin->reported, test.reported);
    EXPECT_EQ(global, plugin);
  }
}

TEST_F(EntryPointTest, NothingIsDispatchedWhileTheSuitesAreReleased) {
  ASSERT_EQ(Send(kSPAccessCaller, kSPAccessUnloadSelector), kNoErr);
  EXPECT_EQ(plugin->calls, (Calls{"BeforeMessage", "OnUnload"}));
  EXPECT_FALSE(plugin->HoldsSuites());
  plugin->calls.clear();
  EXPECT_EQ(Send(kCallerAIMenu, kSelectorAIGoMenuItem), kNoErr);
  EXPECT_EQ(Send(kSPAccessCaller, kSPAccessUnloadSelector), kNoErr);
  EXPECT_TRUE(plugin->calls.empty());
  EXPECT_EQ(global, plugin);
}

TEST_F(EntryPointTest, ShutdownDestroysTheObjectAndClearsTheSlot) {
  ASSERT_EQ(Send(kSPInterfaceCaller, kSPInterfaceShutdownSelector), kNoErr);
  EXPECT_EQ(destroyed, (Calls{"destroyed"}));
  EXPECT_EQ(global, nullptr);
  EXPECT_EQ(environment.broker.TotalHeld(), 0);
}

TEST(EntryPointArgumentsTest, MissingArgumentsAreRefused) {
  SPInterfaceMessage message;
  EXPECT_EQ(PluginMain(nullptr, kSPInterfaceStartupSelector, &message), kBadParameterErr);
  EXPECT_EQ(PluginMain(kSPInterfaceCaller, nullptr, &message), kBadParameterErr);
  EXPECT_EQ(PluginMain(kSPInterfaceCaller, kSPInterfaceStartupSelector, nullptr), kBadParameterErr);
  EXPECT_EQ(message.d.globals, nullptr);
}

}  // namespace

// The plug-in object's own state: suites, lock, name, error reports, and the
// exception barrier of ShapePlugin.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

#include "host/AIError.h"
#include "host/PluginCallers.h"
#include "host/SuitePointers.h"
#include "plugin/ErrorReport.h"
#include "plugin/ShapePlugin.h"
#include "plugin/SuiteSet.h"
#include "support/PluginHostEnvironment.h"

namespace {

class PluginStateTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetDefaultErrorTrace(); }
  kztest::PluginHostEnvironment environment;
  SPPluginRef ref = environment.registry.AddPlugin("/plug-ins/Test.so");
};

TEST_F(PluginStateTest, LockCountTakesAndReleasesTheHostAccessLock) {
  Plugin plugin(ref);
  SPInterfaceMessage message;
  ASSERT_EQ(plugin.OnStartup(&message), kNoErr);
  struct Step {
    bool on;
    int32_t count;
    int hostLocks;
  };
  const Step steps[] = {{true, 2, 1}, {false, 1, 1}, {false, 0, 0}, {false, 0, 0}, {true, 1, 1}, {false, 0, 0}};
  EXPECT_EQ(plugin.LockCount(), 1);
  EXPECT_TRUE(environment.registry.IsAccessHandle(plugin.AccessRef()));
  for (const Step& step : steps) {
    EXPECT_EQ(plugin.Lock(step.on), kNoErr);
    EXPECT_EQ(plugin.LockCount(), step.count);
    EXPECT_EQ(environment.registry.AccessLockCount(ref), step.hostLocks);
    EXPECT_EQ(environment.registry.IsAccessHandle(plugin.AccessRef()), step.hostLocks == 1);
    EXPECT_EQ(plugin.AccessRef() == nullptr, step.count == 0);
  }
  plugin.OnShutdown(&message);
}

TEST_F(PluginStateTest, SuitesAreAcquiredOnceAndReleasedByTheLastSet) {
  ASSERT_EQ(SuiteSet::AcquisitionCount(), 0);
  auto first = std::make_unique<SuiteSet>();
  ASSERT_EQ(first->Error(), kNoErr);
  EXPECT_EQ(first->PluginSuiteCount(), 123);
  EXPECT_EQ(SuiteSet::AcquisitionCount(), 1);
  EXPECT_EQ(environment.broker.TotalHeld(), 130);
  EXPECT_NE(sAIArt, nullptr);
  EXPECT_NE(sSPAccess, nullptr);

  auto second = std::make_unique<SuiteSet>();
  EXPECT_EQ(SuiteSet::AcquisitionCount(), 2);
  EXPECT_EQ(environment.broker.TotalHeld(), 130);
  first.reset();
  EXPECT_EQ(environment.broker.TotalHeld(), 130);
  EXPECT_NE(sAIArt, nullptr);
  second.reset();
  EXPECT_EQ(SuiteSet::AcquisitionCount(), 0);
  EXPECT_EQ(environment.broker.TotalHeld(), 0);
  EXPECT_EQ(sAIArt, nullptr);
  EXPECT_EQ(sSPAccess, nullptr);
  EXPECT_EQ(sATEArrayComposerEngine, nullptr);
}

TEST_F(PluginStateTest, TheWalkStopsAtTheFirstMissingSuite) {
  environment.broker.MakeUnavailable("AI Document Suite");
  {
    SuiteSet set;
    EXPECT_EQ(set.Error(), kSPSuiteNotFoundError);
    EXPECT_EQ(SuiteSet::AcquisitionCount(), 0);
    EXPECT_EQ(environment.broker.HeldCount("AI Dictionary Iterator Suite"), 1);
    EXPECT_EQ(environment.broker.HeldCount("AI Document View Suite"), 0);
    EXPECT_EQ(sAIDocumentView, nullptr);
    SuiteSet::SetAcquisitionCount(1);  // as start-up does, so that the set releases what it took
  }
  EXPECT_EQ(environment.broker.TotalHeld(), 0);
  EXPECT_EQ(sAIDictionaryIterator, nullptr);
}

TEST_F(PluginStateTest, TheSuiteTableKeepsItsOrderAndVersions) {
  const SuiteEntry* base = SuiteSet::BaseSuites();
  const std::vector<std::pair<std::string, int32_t>> expectedBase = {
      {"SP Access Suite", 3}, {"SP Plug-ins Suite", 4}, {"AI Notifier Suite", 3}, {"AI Context Suite", 6},
      {"AI User Suite", 10},  {"AI File Path Suite", 3}, {"AI Folders Suite", 4}};
  ASSERT_EQ(SuiteSet::BaseSuiteCount(), 7);
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(base[i].name, expectedBase[i].first);
    EXPECT_EQ(base[i].version, expectedBase[i].second);
  }
  const SuiteEntry* own = SuiteSet::PluginSuites();
  EXPECT_STREQ(own[0].name, "SP Blocks Suite");
  EXPECT_STREQ(own[35].name, "AI URL Suite");
  EXPECT_STREQ(own[36].name, "ATE ApplicationPaint Suite");
  EXPECT_STREQ(own[122].name, "ATE ArrayComposerEngine Suite");
  EXPECT_EQ(own[123].name, nullptr);
  int at101 = 0;
  for (const SuiteEntry* entry = own + 36; entry->name; ++entry) {
    EXPECT_TRUE(entry->version == 1 || entry->version == 101) << entry->name;
    at101 += entry->version == 101;
  }
  EXPECT_EQ(at101, 8);
}

TEST_F(PluginStateTest, GetNameCopiesAtMostTheGivenLength) {
  ShapePlugin plugin(ref);
  struct Case {
    size_t length;
    const char* expected;
  };
  for (const Case& test : {Case{255, "Kartzmap4.5"}, Case{11, "Kartzmap4.5"}, Case{3, "Kar"}, Case{0, ""}}) {
    char buffer[256];
    std::fill(std::begin(buffer), std::end(buffer), 'x');
    EXPECT_EQ(plugin.GetName(buffer, test.length), kNoErr);
    EXPECT_STREQ(buffer, test.expected);
  }
  Plugin base(ref);
  char buffer[16];
  base.GetName(buffer, sizeof buffer - 1);
  EXPECT_STREQ(buffer, "Plugin");
}

// Exposes the error-report state that a real plug-in keeps to itself.
class ReportingPlugin : public Plugin {
 public:
  using Plugin::Plugin;
  void AgeLastReport(int64_t seconds) { lastErrorTime -= seconds; }
  void EnableTimeout(bool on) { errorTimeoutEnabled = on; }
};

TEST_F(PluginStateTest, SilentCodesAreNeverRecorded) {
  ReportingPlugin plugin(ref);
  int count = 0;
  for (const AIErr* code = SilentErrors(); *code; ++code) {
    plugin.ReportError(*code, kCallerAIMenu, kSelectorAIGoMenuItem, nullptr);
    ++count;
  }
  EXPECT_EQ(count, 17);
  EXPECT_EQ(DefaultErrorTrace().count, 0);
  EXPECT_TRUE(IsSilentError(361));
  EXPECT_TRUE(IsSilentError(kCanceledErr));
  EXPECT_FALSE(IsSilentError(kCantHappenErr));
  EXPECT_FALSE(IsSilentError(kNoErr));
}

TEST_F(PluginStateTest, ARepeatedCodeIsRecordedOnceWithinTheTimeout) {
  const AIErr a = FourCC("AAAA");
  const AIErr b = FourCC("BBBB");
  struct Case {
    const char* what;
    std::vector<AIErr> codes;
    bool timeoutOn;
    int64_t ageBetween;  // seconds the first report is made older before the second
    int recorded;
  };
  const Case cases[] = {
      {"same code twice", {a, a}, true, 0, 1},
      {"same code, 4 s apart", {a, a}, true, 4, 1},
      {"same code, 5 s apart", {a, a}, true, 5, 2},
      {"timeout off", {a, a}, false, 0, 2},
      {"two codes", {a, b}, true, 0, 2},
      {"back to the first", {a, b, a}, true, 0, 3},
  };
  for (const Case& test : cases) {
    ResetDefaultErrorTrace();
    ReportingPlugin plugin(ref);
    plugin.EnableTimeout(test.timeoutOn);
    for (size_t i = 0; i < test.codes.size(); ++i) {
      if (i > 0) plugin.AgeLastReport(test.ageBetween);
      plugin.ReportError(test.codes[i], kCallerAIMenu, kSelectorAIGoMenuItem, nullptr);
    }
    EXPECT_EQ(DefaultErrorTrace().count, test.recorded) << test.what;
    EXPECT_EQ(DefaultErrorTrace().lastCode, test.codes.back()) << test.what;
  }
}

// A ShapePlugin whose timer handler answers as a test tells it.
class TimerShapePlugin : public ShapePlugin {
 public:
  using ShapePlugin::ShapePlugin;
  enum class Answer { Code, HostError, OtherException };
  Answer answer = Answer::Code;
  AIErr code = kNoErr;
  std::vector<AIErr> reported;

  AIErr GoTimer(SPMessageData*) override {
    if (answer == Answer::HostError) throw ai::Error(code);
    if (answer == Answer::OtherException) throw std::runtime_error("lost");
    return code;
  }
  void ReportError(AIErr error, const char* caller, const char* selector, void* message) override {
    reported.push_back(error);
  }
};

TEST_F(PluginStateTest, ShapePluginDispatchMapsExceptionsToCodes) {
  using Answer = TimerShapePlugin::Answer;
  const AIErr failure = FourCC("FAIL");
  struct Case {
    Answer answer;
    AIErr code;
    AIErr result;
  };
  const Case cases[] = {
      {Answer::Code, kNoErr, kNoErr},
      {Answer::Code, kUnhandledMsgErr, kNoErr},
      {Answer::Code, failure, failure},
      {Answer::HostError, failure, failure},
      {Answer::HostError, kCanceledErr, kCanceledErr},
      {Answer::OtherException, kNoErr, kCantHappenErr},
  };
  for (const Case& test : cases) {
    TimerShapePlugin plugin(ref);
    plugin.answer = test.answer;
    plugin.code = test.code;
    SPInterfaceMessage message;
    EXPECT_EQ(plugin.Dispatch(kCallerAITimer, kSelectorAIGoTimer, &message), test.result);
    const std::vector<AIErr> expected = test.result ? std::vector<AIErr>{test.result} : std::vector<AIErr>{};
    EXPECT_EQ(plugin.reported, expected);
  }
}

// Stands for the class as an older copy of the library had it.
class StaleShapePlugin : public ShapePlugin {
 public:
  using ShapePlugin::ShapePlugin;
  bool Purge() override { return true; }
};

TEST_F(PluginStateTest, RebindPointsTheObjectAtTheCurrentOperations) {
  // Built in another unit, so that the compiler cannot know the object's class.
  std::unique_ptr<Plugin> owner(CreatePlugin(ref));
  Plugin* object = owner.get();
  const StaleShapePlugin stale(nullptr);
  std::memcpy(static_cast<void*>(object), static_cast<const void*>(&stale), sizeof(void*));
  ASSERT_TRUE(object->Purge());
  RebindPlugin(object);
  EXPECT_EQ(typeid(*object), typeid(ShapePlugin));
  EXPECT_FALSE(object->Purge());
  char name[32];
  object->GetName(name, 31);
  EXPECT_STREQ(name, "Kartzmap4.5");
}

TEST_F(PluginStateTest, CreatePluginMakesTheShapePlugin) {
  std::unique_ptr<Plugin> plugin(CreatePlugin(ref));
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(typeid(*plugin), typeid(ShapePlugin));
  EXPECT_EQ(plugin->PluginRef(), ref);
  EXPECT_FALSE(plugin->HoldsSuites());
  EXPECT_EQ(plugin->LockCount(), 0);
}

}  // namespace

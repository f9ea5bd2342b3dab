// Progress: each command the host runs starts with a fresh progress state,
// and the tool shows it as a bar on a terminal or as plain percentages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include "app/ProgressDisplay.h"
#include "support/PluginHostEnvironment.h"

namespace {

constexpr const char* kPanel = "KzEngineTest";
enum Item : uint32_t { kSucceed = 1, kFail, kLong };

class ProgressPerCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(loader.Load(KZ_ENGINE_TEST_PLUGIN)) << loader.LoadError();
    ASSERT_EQ(loader.Startup(), kNoErr);
    host.NewDocument();
    host.AddLayer("地図");
    panel = host.FindPanel(kPanel);
    ASSERT_NE(panel, nullptr);
  }

  sim::Host host;
  sim::PluginLoader loader{host.Broker(), host.Plugins()};
  sim::Panel* panel = nullptr;
};

TEST_F(ProgressPerCommand, ScriptedCancelEndsWithItsCommand) {
  sim::ProgressState& progress = host.User().progress;
  progress.cancelAt = 500;
  ASSERT_TRUE(host.ChooseFlyoutItem(*panel, kLong));
  EXPECT_TRUE(progress.cancelled);
  EXPECT_EQ(progress.current, 500);
  EXPECT_EQ(host.FindLayer("数え終わり"), nullptr);

  ASSERT_TRUE(host.ChooseFlyoutItem(*panel, kLong));
  EXPECT_FALSE(progress.cancelled);
  EXPECT_EQ(progress.current, 1000);
  EXPECT_NE(host.FindLayer("数え終わり"), nullptr);
}

TEST_F(ProgressPerCommand, CancelNeverReachedDoesNotCarryOver) {
  sim::ProgressState& progress = host.User().progress;
  progress.cancelAt = 500;
  ASSERT_TRUE(host.ChooseFlyoutItem(*panel, kSucceed));  // counts to 4 only
  EXPECT_FALSE(progress.cancelled);
  ASSERT_TRUE(host.ChooseFlyoutItem(*panel, kLong));
  EXPECT_FALSE(progress.cancelled);
  EXPECT_NE(host.FindLayer("数え終わり"), nullptr);
}

TEST_F(ProgressPerCommand, EachCommandStartsWithAnEmptyDisplay) {
  sim::ProgressState& progress = host.User().progress;
  ASSERT_TRUE(host.ChooseFlyoutItem(*panel, kLong));
  EXPECT_EQ(progress.updates, 1001);
  ASSERT_TRUE(host.ChooseFlyoutItem(*panel, kFail));  // shows no progress at all
  EXPECT_EQ(progress.updates, 0);
  EXPECT_TRUE(progress.texts.empty());
  EXPECT_EQ(progress.current, 0);
  EXPECT_EQ(progress.maximum, 0);
}

TEST_F(ProgressPerCommand, MenuCommandsToo) {
  sim::ProgressState& progress = host.User().progress;
  progress.cancelAt = 3;
  progress.cancelled = true;  // left over from work before
  sim::MenuItem* add = nullptr;
  for (auto& item : host.UI().menuItems)
    if (item->name == "KzEngineTest Add") add = item.get();
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(host.ChooseMenuItem(loader, *add), kNoErr);
  EXPECT_FALSE(progress.cancelled);
  EXPECT_FALSE(progress.cancelAt.has_value());
}

// What a display wrote while `run` fed it.
std::string Written(bool terminal, const std::function<void(kzmap::ProgressDisplay&)>& run) {
  std::FILE* out = std::tmpfile();
  {
    kzmap::ProgressDisplay display(out, terminal);
    run(display);
  }
  std::rewind(out);
  std::string text;
  for (int c; (c = std::fgetc(out)) != EOF;) text += static_cast<char>(c);
  std::fclose(out);
  return text;
}

// What the display wrote for the given updates of a run with one text.
std::string Shown(bool terminal, int32_t maximum, std::initializer_list<int32_t> updates) {
  return Written(terminal, [&](kzmap::ProgressDisplay& display) {
    sim::ProgressState progress;
    progress.texts.push_back("読み込んでいます");
    progress.maximum = maximum;
    for (int32_t current : updates) {
      progress.current = current;
      display.Show(progress);
    }
  });
}

TEST(ProgressDisplay, PlainOutputGetsALineAtEveryTenth) {
  EXPECT_EQ(Shown(false, 200, {0, 1, 19, 20, 21, 99, 100, 150, 199, 200}),
            "読み込んでいます: 0%\n読み込んでいます: 10%\n読み込んでいます: 49%\n"
            "読み込んでいます: 50%\n読み込んでいます: 75%\n読み込んでいます: 99%\n読み込んでいます: 100%\n");
  EXPECT_EQ(Shown(false, 0, {0, 5}), "読み込んでいます\n");  // no known size: the text only
}

// An export counts its objects in the text, on a second line.
std::string ShownCounting(bool terminal, int32_t count) {
  return Written(terminal, [count](kzmap::ProgressDisplay& display) {
    sim::ProgressState progress;
    progress.maximum = count;
    for (int32_t i = 0; i < count; ++i) {
      progress.texts.push_back("書き出しています[ 道路 ]\n" + std::to_string(i) + " / " + std::to_string(count));
      display.Show(progress);
      progress.current = i;
      display.Show(progress);
    }
  });
}

TEST(ProgressDisplay, CountingTextsGetALineAtEveryTenthOnly) {
  const std::string log = ShownCounting(false, 1000);
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 10) << log;
  EXPECT_EQ(log.rfind("書き出しています[ 道路 ] 0 / 1000: 0%\n", 0), 0u) << log;
  EXPECT_NE(log.find("書き出しています[ 道路 ] 900 / 1000: 90%\n"), std::string::npos) << log;
  const std::string bar = ShownCounting(true, 1000);
  EXPECT_EQ(std::count(bar.begin(), bar.end(), '\r'), 100) << bar;  // one redraw a percent
  EXPECT_EQ(std::count(bar.begin(), bar.end(), '\n'), 1);           // the bar's own line end only
}

TEST(ProgressDisplay, TerminalGetsOneBarRedrawnInPlace) {
  const std::string bar = Shown(true, 4, {0, 1, 1, 2, 4});
  EXPECT_EQ(bar,
            "\r\033[K[                              ]   0% 読み込んでいます"
            "\r\033[K[#######                       ]  25% 読み込んでいます"
            "\r\033[K[###############               ]  50% 読み込んでいます"
            "\r\033[K[##############################] 100% 読み込んでいます\n");
}

// Each phase is shown from 0 % and, once done, at 100 % with its counter at
// its end: the plug-in reports before each object, so its last report of a
// phase is one short. A cancelled phase stays where it stopped.
struct PhaseCase {
  const char* what;
  bool terminal;
  bool completed;
  const char* expected;
};

TEST(ProgressDisplay, EachPhaseRunsFromZeroToItsFullCount) {
  const PhaseCase cases[] = {
      {"log, completed", false, true,
       "道路 [ 0 / 4 ]: 0%\n道路 [ 1 / 4 ]: 25%\n道路 [ 2 / 4 ]: 50%\n道路 [ 3 / 4 ]: 75%\n道路 [ 4 / 4 ]: 100%\n"
       "鉄道 [ 1 / 3 ]: 0%\n鉄道 [ 2 / 3 ]: 50%\n鉄道 [ 3 / 3 ]: 100%\n"},
      {"log, cancelled in the second phase", false, false,
       "道路 [ 0 / 4 ]: 0%\n道路 [ 1 / 4 ]: 25%\n道路 [ 2 / 4 ]: 50%\n道路 [ 3 / 4 ]: 75%\n道路 [ 4 / 4 ]: 100%\n"
       "鉄道 [ 1 / 3 ]: 0%\n鉄道 [ 2 / 3 ]: 50%\n"},
      {"terminal, completed", true, true,
       "\r\033[K[                              ]   0% 道路 [ 0 / 4 ]"
       "\r\033[K[#######                       ]  25% 道路 [ 1 / 4 ]"
       "\r\033[K[###############               ]  50% 道路 [ 2 / 4 ]"
       "\r\033[K[######################        ]  75% 道路 [ 3 / 4 ]"
       "\r\033[K[##############################] 100% 道路 [ 4 / 4 ]\n"
       "\r\033[K[                              ]   0% 鉄道 [ 1 / 3 ]"
       "\r\033[K[###############               ]  50% 鉄道 [ 2 / 3 ]"
       "\r\033[K[##############################] 100% 鉄道 [ 3 / 3 ]\n"},
  };
  for (const PhaseCase& row : cases) {
    SCOPED_TRACE(row.what);
    const std::string shown = Written(row.terminal, [&row](kzmap::ProgressDisplay& display) {
      sim::ProgressState progress;
      // Four roads counted from 0, as an export counts them.
      progress.maximum = 4;
      for (int32_t i = 0; i < 4; ++i) {
        progress.current = i;
        progress.texts.push_back("道路 [ " + std::to_string(i) + " / 4 ]");
        display.Show(progress);
      }
      // Three railways whose first report comes after the first one.
      progress.maximum = 3;
      for (int32_t i = 1; i < 3; ++i) {
        progress.current = i;
        progress.texts.push_back("鉄道 [ " + std::to_string(i) + " / 3 ]");
        display.Show(progress);
      }
      display.Finish(row.completed);
    });
    EXPECT_EQ(shown, row.expected);
  }
}

// A batch names its next file while the count still stands at the last
// file's end: the new file starts at 0 %, not at a stale 100 %, and a file
// only ever seen at its end is still shown done.
TEST(ProgressDisplay, NextFileOfABatchStartsAtZero) {
  const std::string shown = Written(false, [](kzmap::ProgressDisplay& display) {
    sim::ProgressState progress;
    const auto report = [&](const char* text, int32_t maximum, int32_t current) {
      progress.texts.push_back(text);
      progress.maximum = maximum;
      progress.current = current;
      display.Show(progress);
    };
    for (int32_t i = 0; i <= 3; ++i) report("区域", 3, i);
    report("道路", 3, 3);
    for (int32_t i = 0; i <= 4; ++i) report("道路", 4, i);
    report("鉄道", 4, 4);
    display.Finish(true);
  });
  EXPECT_EQ(shown,
            "区域: 0%\n区域: 33%\n区域: 66%\n区域: 100%\n"
            "道路: 0%\n道路: 25%\n道路: 50%\n道路: 75%\n道路: 100%\n"
            "鉄道: 100%\n");
}

}  // namespace

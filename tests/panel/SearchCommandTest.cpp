// The search button: the dialog's modes and range checks, and which art a
// search selects.
#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>

#include "host/AIArtSetSuite.h"
#include "resources/DialogIds.h"
#include "sim/HostSuites.h"

#include "panel/PanelFixture.h"

namespace {

using kztest::PanelTest;
using kztest::WriteRow;
using sim::DialogAction;

using namespace dialog_ids::search;

class SearchTest : public PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    WriteRow(*layer->group, {{"VAL", 0, 20, 0, ""}});
    document->currentLayer = layer;
  }
  bool Selected(const sim::Art& art) const { return (art.userAttributes & kArtSelected) != 0; }
  // Values of the selected features, in document order.
  std::vector<std::string> SelectedValues() {
    std::vector<std::string> values;
    for (sim::Art* art : host.SelectedArt()) {
      if (kztest::HasRow(*art)) values.push_back(kztest::ValueOf(*art, "VAL"));
    }
    return values;
  }
  void Search(std::vector<DialogAction> actions) {
    SelectionChanged();
    host.Dialogs().Expect(dialog_ids::kSearch, std::move(actions));
    Click(kSearch);
  }
};

TEST_F(SearchTest, NumberSearchWithALowerBoundSelectsOnlyVisibleEditableMatches) {
  for (const char* value : {"10", "10.5", "1e3", "9.99", "abc", " 12abc"}) Feature(*layer->group, "VAL", value);
  sim::Art& hiddenGroup = host.AddGroup(*layer->group);
  hiddenGroup.userAttributes |= kArtHidden;
  Feature(hiddenGroup, "VAL", "50");
  sim::Art& lockedGroup = host.AddGroup(*layer->group);
  sim::Art& inner = host.AddGroup(lockedGroup);
  lockedGroup.userAttributes |= kArtLocked;
  Feature(inner, "VAL", "60");
  sim::Layer& hiddenSub = host.AddSublayer(*layer, "隠れた下位レイヤー");
  hiddenSub.visible = false;
  Feature(*hiddenSub.group, "VAL", "70");
  sim::Layer& lockedSub = host.AddSublayer(*layer, "ロックした下位レイヤー");
  lockedSub.editable = false;
  Feature(*lockedSub.group, "VAL", "80");
  // Visible, editable sublayers inside them are hidden or locked with them.
  Feature(*host.AddSublayer(hiddenSub, "中の下位レイヤー").group, "VAL", "75");
  Feature(*host.AddSublayer(lockedSub, "中の下位レイヤー").group, "VAL", "85");
  Feature(*layer->group, "VAL", "90").userAttributes |= kArtLocked;
  Feature(*layer->group, "VAL", "95").skipped = true;
  sim::Layer& hidden = host.AddLayer("隠れたレイヤー");
  hidden.visible = false;
  Feature(*hidden.group, "VAL", "100");
  sim::Art& before = Feature(*layer->group, "OTHER", "1");
  host.Select(before);

  Search({DialogAction::Click(kNumberMode), DialogAction::Check(kUseLower, true), DialogAction::SetText(kLower, "10"),
          DialogAction::OK()});
  EXPECT_EQ(SelectedValues(), (std::vector<std::string>{"10", "10.5", "1e3", " 12abc"}));
  EXPECT_FALSE(Selected(before));  // the old selection is cleared
  EXPECT_TRUE(AlertTexts().empty());
  const auto runs = host.Dialogs().RunsOf(dialog_ids::kSearch);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0]->caption, "属性値で検索");
  EXPECT_EQ(runs[0]->states[0].Control(kField).SelectedItem(), "VAL");
  EXPECT_EQ(runs[0]->states[0].Control(1).text, "検索して選択");
  EXPECT_TRUE(runs[0]->problems.empty());

  // The dialog remembers the search; an upper bound narrows it.
  Search({DialogAction::Check(kUseUpper, true), DialogAction::SetText(kUpper, "1.1e1"), DialogAction::OK()});
  EXPECT_TRUE(host.Dialogs().RunsOf(dialog_ids::kSearch)[1]->states[0].Control(kNumberMode).checked);
  EXPECT_EQ(host.Dialogs().RunsOf(dialog_ids::kSearch)[1]->states[0].Control(kLower).text, "10");
  EXPECT_EQ(SelectedValues(), (std::vector<std::string>{"10", "10.5"}));
}

TEST_F(SearchTest, TextSearchSelectsValuesThatContainTheText) {
  for (const char* value : {"東京都", "京都府", "大阪府", ""}) Feature(*layer->group, "VAL", value);
  Search({DialogAction::SetText(kText, "京都"), DialogAction::OK()});
  EXPECT_EQ(SelectedValues(), (std::vector<std::string>{"東京都", "京都府"}));
}

TEST_F(SearchTest, ModeButtonsAreOneGroupAndDriveTheEnabling) {
  std::vector<sim::DialogState> states;
  auto look = DialogAction::Inspect([&](const sim::DialogState& s) { states.push_back(s); });
  Search({look, DialogAction::Click(kNumberMode), look, DialogAction::Check(kUseUpper, true), look,
          DialogAction::Click(kTextMode), look, DialogAction::Cancel()});
  ASSERT_EQ(states.size(), 4u);
  struct Expected {
    bool text, number, textEdit, useLower, lower, useUpper, upper;
  };
  const Expected expected[] = {
      {true, false, true, false, false, false, false},  // a new search starts in text mode
      {false, true, false, true, false, true, false},
      {false, true, false, true, false, true, true},
      {true, false, true, false, false, false, false},
  };
  for (size_t i = 0; i < states.size(); ++i) {
    const sim::DialogState& s = states[i];
    const Expected& e = expected[i];
    EXPECT_EQ(s.Control(kTextMode).checked, e.text) << i;
    EXPECT_EQ(s.Control(kNumberMode).checked, e.number) << i;
    EXPECT_EQ(s.Control(kText).enabled, e.textEdit) << i;
    EXPECT_EQ(s.Control(kUseLower).enabled, e.useLower) << i;
    EXPECT_EQ(s.Control(kLower).enabled, e.lower) << i;
    EXPECT_EQ(s.Control(kUseUpper).enabled, e.useUpper) << i;
    EXPECT_EQ(s.Control(kUpper).enabled, e.upper) << i;
  }
}

struct RangeCase {
  const char* name;
  bool useLower;
  const char* lower;
  bool useUpper;
  const char* upper;
  const char* alert;
  int32_t focus;  // 0: not checked
};

void PrintTo(const RangeCase& c, std::ostream* out) { *out << c.name; }

class RangeCheckTest : public SearchTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(RangeCheckTest, RefusesTheRangeAndStaysOpen) {
  const RangeCase& c = GetParam();
  sim::Art& kept = Feature(*layer->group, "VAL", "5");
  host.Select(kept);
  std::vector<DialogAction> actions = {DialogAction::Click(kNumberMode)};
  if (c.useLower) actions.push_back(DialogAction::Check(kUseLower, true));
  if (c.useLower) actions.push_back(DialogAction::SetText(kLower, c.lower));
  if (c.useUpper) actions.push_back(DialogAction::Check(kUseUpper, true));
  if (c.useUpper) actions.push_back(DialogAction::SetText(kUpper, c.upper));
  actions.push_back(DialogAction::OK());
  int32_t focus = 0;
  actions.push_back(DialogAction::Inspect([&](const sim::DialogState& s) { focus = s.focus; }));
  actions.push_back(DialogAction::Cancel());
  Search(actions);

  const auto run = host.Dialogs().RunsOf(dialog_ids::kSearch).at(0);
  EXPECT_TRUE(run->problems.empty());  // still open after OK, so Cancel could end it
  EXPECT_EQ(run->result, 0x53544F50);
  ASSERT_EQ(AlertTexts(), std::vector<std::string>{c.alert});
  EXPECT_EQ(host.User().alerts[0].kind, sim::AlertRecord::Kind::Message);
  EXPECT_NE(host.User().alerts[0].modalParent, nullptr);  // over the dialog
  if (c.focus) {
    EXPECT_EQ(focus, c.focus);
  }
  EXPECT_TRUE(Selected(kept));  // nothing searched
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, RangeCheckTest,
    ::testing::Values(RangeCase{"NoBound", false, "", false, "", "検索する数値範囲を設定してください", 0},
                      RangeCase{"EmptyLower", true, "", false, "", "検索する数値範囲を設定してください", 0},
                      RangeCase{"EmptyUpper", true, "1", true, "", "検索する数値範囲を設定してください", 0},
                      RangeCase{"LowerNotANumber", true, "abc", false, "", "検索する数値範囲には数値を入力してください",
                                kLower},
                      RangeCase{"UpperPartlyANumber", true, "1", true, "20km",
                                "検索する数値範囲には数値を入力してください", kUpper},
                      RangeCase{"UpsideDown", true, "20", true, "10", "指定した数値範囲が正しくありません", 0}),
    [](const auto& info) { return info.param.name; });

TEST_F(SearchTest, WithoutFieldsSaysSo) {
  WriteRow(*layer->group, {});
  SelectionChanged();
  Click(kSearch);
  EXPECT_EQ(AlertTexts(), std::vector<std::string>{"属性フィールドがありません"});
  EXPECT_TRUE(host.Dialogs().Runs().empty());
}

}  // namespace

namespace {

// The art set suite with a layer walk that fails, or throws as a
// host-interface layer may: the search says so once and nothing reaches
// the platform or the host.
AIErr RefuseLayerArt(AILayerHandle, AIArtSet) { return kBadParameterErr; }
AIErr ThrowOnLayerArt(AILayerHandle, AIArtSet) { throw std::runtime_error("host interface"); }

class FailingSearchTest : public SearchTest, public ::testing::WithParamInterface<AIErr (*)(AILayerHandle, AIArtSet)> {
 protected:
  void SetUp() override {
    artSets = *sim::ArtSetSuite();
    artSets.LayerArtSet = GetParam();
    environment.broker.Register(kAIArtSetSuite, kAIArtSetSuiteVersion, &artSets);
    SearchTest::SetUp();
  }
  AIArtSetSuite artSets{};
};

TEST_P(FailingSearchTest, BecomesOneErrorAlert) {
  Feature(*layer->group, "VAL", "1");
  Search({DialogAction::OK()});
  ASSERT_EQ(AlertTexts(), std::vector<std::string>{"属性の処理でエラーが発生しました"});
  EXPECT_EQ(host.User().alerts[0].kind, sim::AlertRecord::Kind::Error);
  EXPECT_TRUE(host.UI().contextStack.empty());
  // The panel carries on.
  host.User().alerts.clear();
  Click(kDefine);
  EXPECT_EQ(host.Dialogs().RunsOf(dialog_ids::kFieldDefinition).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(LayerWalks, FailingSearchTest, ::testing::Values(RefuseLayerArt, ThrowOnLayerArt),
                         [](const auto& info) { return info.index == 0 ? "HostRefuses" : "HostInterfaceThrows"; });

}  // namespace

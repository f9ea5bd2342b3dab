// Dialog 108 played by the scripted user: what it shows on opening, which
// controls each click enables, the checks at OK in their order with their
// messages, and what it hands back.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "import/ImportCoordDialog.h"
#include "import/ImportCoordSettings.h"
#include "sim/DialogPlatform.h"
#include "support/HostEnvironment.h"

namespace {

using sim::DialogAction;
constexpr int32_t kDialog = 108;

class ImportCoordDialogTest : public kztest::HostTest {
 protected:
  ImportCoordDialogTest() : sim(host.Host()), dialogs(sim.Dialogs()) {
    sim.NewDocument();
    plugin = sim.Plugins().AddPlugin("/proc/self/exe");
    settings.SetExtent(139.5, 140.25, 35.25, 36.75);
  }
  AIErr Show() { return RunImportCoordDialog(plugin, settings); }
  AIErr Show(std::vector<DialogAction> actions) {
    dialogs.Expect(kDialog, std::move(actions));
    return Show();
  }
  const sim::DialogState& Opened() const { return dialogs.Runs().back().states.front(); }
  std::vector<std::string> Alerts() {
    std::vector<std::string> texts;
    for (const auto& alert : sim.User().alerts) texts.push_back(alert.text);
    return texts;
  }

  sim::Host& sim;
  sim::DialogPlatform& dialogs;
  SPPluginRef plugin = nullptr;
  ImportCoordSettings settings;
};

TEST_F(ImportCoordDialogTest, OpensWithTheExtentAndTheFixedFirstChoices) {
  settings.scale = 12500.4;
  settings.northUp = 0;
  settings.sourceDatum = kDatumTokyo;  // remembered values are not shown
  settings.sourceKind = kKindUtm;
  ASSERT_EQ(Show({DialogAction::Cancel()}), kCanceledErr);
  const sim::DialogState& open = Opened();
  EXPECT_EQ(open.caption, "読み込み座標の設定");
  EXPECT_EQ(open.Control(1145).text, "139.500000");
  EXPECT_EQ(open.Control(1146).text, "140.250000");
  EXPECT_EQ(open.Control(1144).text, "35.250000");
  EXPECT_EQ(open.Control(1143).text, "36.750000");
  EXPECT_EQ(open.Control(1079).text, "36.750000,139.500000");
  EXPECT_EQ(open.Control(1080).text, "35.250000,140.250000");
  EXPECT_EQ(open.Control(1114).text, "12500");
  EXPECT_EQ(open.Control(1178).text, "新たにデータフレームを作成します");
  for (int32_t id : {1123, 1125, 1127, 1129}) EXPECT_TRUE(open.Control(id).checked) << id;
  for (int32_t id : {1124, 1181, 1126, 1087, 1128, 1182, 1130, 1131, 1076, 1082})
    EXPECT_FALSE(open.Control(id).checked) << id;
  EXPECT_EQ(open.Control(1181).text, "世界測地系(JGD2011)");
  EXPECT_EQ(open.Control(1182).text, "世界測地系(JGD2011)");
  for (int32_t id : {1075, 1133}) {
    EXPECT_EQ(open.Control(id).items.size(), 61u);
    EXPECT_EQ(open.Control(id).items[0], "(座標帯を選択)");
    EXPECT_EQ(open.Control(id).items[54], "第54帯(138度E～144度E)");
    EXPECT_EQ(open.Control(id).droppedWidth, 180);
    EXPECT_EQ(open.Control(id).selection, 0);
  }
  for (int32_t id : {1115, 1132}) {
    EXPECT_EQ(open.Control(id).items.size(), 20u);
    EXPECT_EQ(open.Control(id).items[16], "16系（宮古列島・八重山列島）");
    EXPECT_EQ(open.Control(id).droppedWidth, 300);
    EXPECT_EQ(open.Control(id).selection, 0);
  }
  // Only what the first choices need is enabled.
  for (int32_t id : {1079, 1080, 1075, 1115, 1132, 1133}) EXPECT_FALSE(open.Control(id).enabled) << id;
  for (int32_t id : {1127, 1128, 1182, 1129, 1130, 1131, 1114, 1082, 1076}) EXPECT_TRUE(open.Control(id).enabled) << id;
  EXPECT_TRUE(dialogs.Faults().empty());
}

TEST_F(ImportCoordDialogTest, ModeTextAndTheNewMapGroupFollowTheMode) {
  const std::pair<int32_t, const char*> modes[] = {{kImportUseDataFrame, "現在のデータフレーム設定を使用します"},
                                                  {kImportFitToMarkers, "座標マーカーに合わせて読み込まれます"}};
  for (const auto& [mode, text] : modes) {
    settings.mode = mode;
    settings.scale = 0;  // not checked outside mode 2
    ASSERT_EQ(Show({DialogAction::Click(1130), DialogAction::OK()}), kNoErr) << mode;
    EXPECT_EQ(Opened().Control(1178).text, text);
    for (int32_t id = 1127; id <= 1133; ++id) EXPECT_FALSE(Opened().Control(id).enabled) << id;
    EXPECT_FALSE(Opened().Control(1082).enabled);
    EXPECT_FALSE(Opened().Control(1114).enabled);
    EXPECT_TRUE(Alerts().empty());
    ASSERT_EQ(dialogs.Runs().back().problems.size(), 1u);  // the disabled radio button could not be clicked
  }
}

TEST_F(ImportCoordDialogTest, EachClickRunsTheEnablingRules) {
  struct Step {
    DialogAction action;
    std::vector<int32_t> enabled, disabled;
  };
  const std::vector<Step> steps = {
      {DialogAction::Click(1076), {1079, 1080}, {}},
      {DialogAction::Click(1087), {1075}, {1115}},
      {DialogAction::Click(1126), {1115}, {1075}},
      {DialogAction::Click(1125), {}, {1075, 1115}},
      {DialogAction::Click(1130), {1132}, {1133}},
      {DialogAction::Click(1131), {1133}, {1132}},
      {DialogAction::Click(1129), {}, {1132, 1133}},
      {DialogAction::Click(1076), {}, {1079, 1080}},
  };
  std::vector<DialogAction> actions;
  for (const Step& step : steps) actions.push_back(step.action);
  actions.push_back(DialogAction::Cancel());
  ASSERT_EQ(Show(actions), kCanceledErr);
  const auto& states = dialogs.Runs().back().states;
  for (size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE(steps[i].action.Describe());
    for (int32_t id : steps[i].enabled) EXPECT_TRUE(states[i + 1].Control(id).enabled) << id;
    for (int32_t id : steps[i].disabled) EXPECT_FALSE(states[i + 1].Control(id).enabled) << id;
  }
}

struct OkCase {
  const char* what;
  std::vector<DialogAction> actions;
  const char* message;  // null: accepted
  std::function<void(const ImportCoordSettings&)> check;
};

class ImportCoordOkTest : public ImportCoordDialogTest, public ::testing::WithParamInterface<OkCase> {};

TEST_P(ImportCoordOkTest, ChecksInOrder) {
  const OkCase& c = GetParam();
  std::vector<DialogAction> actions = c.actions;
  actions.push_back(DialogAction::OK());
  if (c.message) actions.push_back(DialogAction::Cancel());
  const ImportCoordSettings before = settings;
  EXPECT_EQ(Show(actions), c.message ? kCanceledErr : kNoErr);
  if (c.message) {
    EXPECT_EQ(Alerts(), std::vector<std::string>{c.message});
    EXPECT_EQ(settings.sourceKind, before.sourceKind);
    EXPECT_EQ(settings.limitArea, before.limitArea);
  } else {
    EXPECT_TRUE(Alerts().empty()) << Alerts().front();
    if (c.check) c.check(settings);
  }
  EXPECT_TRUE(dialogs.Runs().back().problems.empty()) << dialogs.Runs().back().problems.front();
}

using A = DialogAction;
const char* const kNoSystem = "座標系を選択してください";
const char* const kNoZone = "UTMの座標帯を選択してください";
const char* const kBadScale = "縮尺指定が正しくありません";
const char* const kBadArea = "指定した座標範囲が無効です";

std::vector<DialogAction> Corners(const char* northWest, const char* southEast) {
  return {A::Click(1076), A::SetText(1079, northWest), A::SetText(1080, southEast)};
}

std::vector<DialogAction> Then(std::vector<DialogAction> first, const std::vector<DialogAction>& more) {
  first.insert(first.end(), more.begin(), more.end());
  return first;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ImportCoordOkTest,
    ::testing::Values(
        OkCase{"defaults", {}, nullptr,
               [](const ImportCoordSettings& s) {
                 EXPECT_EQ(s.Source(), (CoordRef{2, 1, 0, 0}));
                 EXPECT_EQ(s.Target(), (CoordRef{2, 1, 0, 0}));
                 EXPECT_EQ(s.scale, 25000.0);
                 EXPECT_EQ(s.northUp, 1);
                 EXPECT_EQ(s.limitArea, 0);
               }},
        OkCase{"Tokyo plane 9 to JGD2000 UTM 54 at 1:10000 without north-up",
               {A::Click(1124), A::Click(1126), A::Choose(1115, 9), A::Click(1131), A::Choose(1133, 54),
                A::SetText(1114, "10000"), A::Click(1082)},
               nullptr,
               [](const ImportCoordSettings& s) {
                 EXPECT_EQ(s.Source(), (CoordRef{1, 3, 9, 0}));
                 EXPECT_EQ(s.Target(), (CoordRef{2, 2, 0, 54}));
                 EXPECT_EQ(s.scale, 10000.0);
                 EXPECT_EQ(s.northUp, 0);
               }},
        OkCase{"UTM source zone 53", {A::Click(1087), A::Choose(1075, 53), A::Click(1128), A::Click(1130), A::Choose(1132, 2)},
               nullptr,
               [](const ImportCoordSettings& s) {
                 EXPECT_EQ(s.Source(), (CoordRef{2, 2, 0, 53}));
                 EXPECT_EQ(s.Target(), (CoordRef{1, 3, 2, 0}));
               }},
        OkCase{"JGD2011 plane 10 to JGD2011 UTM 54",
               {A::Click(1181), A::Click(1126), A::Choose(1115, 10), A::Click(1182), A::Click(1131),
                A::Choose(1133, 54)},
               nullptr,
               [](const ImportCoordSettings& s) {
                 EXPECT_EQ(s.Source(), (CoordRef{4, 3, 10, 0}));
                 EXPECT_EQ(s.Target(), (CoordRef{4, 2, 0, 54}));
               }},
        OkCase{"JGD2011 chosen, then Tokyo, then JGD2000: one datum per side",
               {A::Click(1181), A::Click(1124), A::Click(1182), A::Click(1128), A::Click(1127)},
               nullptr,
               [](const ImportCoordSettings& s) {
                 EXPECT_EQ(s.sourceDatum, kDatumTokyo);
                 EXPECT_EQ(s.targetDatum, kDatumJgd2000);
               }},
        OkCase{"source plane without a system", {A::Click(1126)}, kNoSystem, nullptr},
        OkCase{"source UTM without a zone", {A::Click(1087)}, kNoZone, nullptr},
        OkCase{"source checked before the scale", {A::Click(1087), A::SetText(1114, "0")}, kNoZone, nullptr},
        OkCase{"target plane without a system", {A::Click(1130)}, kNoSystem, nullptr},
        OkCase{"target UTM without a zone", {A::Click(1131)}, kNoZone, nullptr},
        OkCase{"scale 0", {A::SetText(1114, "0")}, kBadScale, nullptr},
        OkCase{"scale negative", {A::SetText(1114, "-5000")}, kBadScale, nullptr},
        OkCase{"scale no number", {A::SetText(1114, "abc")}, kBadScale, nullptr},
        OkCase{"scale inf", {A::SetText(1114, "inf")}, kBadScale, nullptr},
        OkCase{"scale nan", {A::SetText(1114, "nan")}, kBadScale, nullptr},
        OkCase{"scale beyond range", {A::SetText(1114, "1e999")}, kBadScale, nullptr},
        OkCase{"scale checked before the area", Then({A::SetText(1114, "0")}, Corners("1,1", "1,1")), kBadScale,
               nullptr},
        OkCase{"area corners", Corners("36.5,139.5", "35.5,140.5"), nullptr,
               [](const ImportCoordSettings& s) {
                 EXPECT_EQ(s.limitArea, 1);
                 EXPECT_EQ(s.areaYmax, 36.5);
                 EXPECT_EQ(s.areaXmin, 139.5);
                 EXPECT_EQ(s.areaYmin, 35.5);
                 EXPECT_EQ(s.areaXmax, 140.5);
                 EXPECT_EQ(s.extentXmin, 139.5);  // the extent stays
                 EXPECT_EQ(s.extentYmax, 36.75);
               }},
        OkCase{"equal northings", Corners("35.5,139.5", "35.5,140.5"), kBadArea, nullptr},
        OkCase{"west not less than east", Corners("36.5,140.5", "35.5,140.5"), kBadArea, nullptr},
        OkCase{"too short after the comma", Corners("36,0.5", "35,1"), kBadArea, nullptr},
        OkCase{"three characters after the comma", Corners("36,0.5", "35,1.0"), nullptr,
               [](const ImportCoordSettings& s) { EXPECT_EQ(s.areaXmax, 1.0); }},
        OkCase{"no comma", Corners("36.5 139.5", "35.5,140.5"), kBadArea, nullptr},
        OkCase{"inf corner", Corners("inf,139.5", "35.5,140.5"), kBadArea, nullptr},
        OkCase{"nan corner", Corners("36.5,139.5", "35.5,nan"), kBadArea, nullptr},
        OkCase{"limit cleared again keeps no area", Then(Corners("1,1", "1,1"), {A::Click(1076)}), nullptr,
               [](const ImportCoordSettings& s) { EXPECT_EQ(s.limitArea, 0); }}),
    [](const auto& info) {
      std::string name = info.param.what;
      for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name;
    });

TEST_F(ImportCoordDialogTest, WebMapButtonOpensThePageAndLeavesTheDialogOpen) {
  ASSERT_EQ(Show({A::Click(1077), A::Inspect([](const sim::DialogState& state) { EXPECT_FALSE(state.ended); }),
                  A::OK()}),
            kNoErr);
  EXPECT_EQ(dialogs.Opened(), std::vector<std::string>{kWebMapAddress});
}

TEST_F(ImportCoordDialogTest, AJgd2011ReferenceNamedByTheFilesIsChosenForTheUser) {
  settings.sourceDatum = kDatumJgd2011;
  settings.sourceKind = kKindPlane;
  settings.sourceSystem = 9;
  settings.sourceFromFiles = true;
  ASSERT_EQ(Show({A::OK()}), kNoErr);
  EXPECT_TRUE(Opened().Control(1181).checked);
  EXPECT_FALSE(Opened().Control(1123).checked);
  EXPECT_FALSE(Opened().Control(1124).checked);
  EXPECT_EQ(settings.Source(), (CoordRef{4, 3, 9, 0}));
}

TEST_F(ImportCoordDialogTest, AReferenceNamedByTheFilesIsChosenForTheUser) {
  settings.sourceDatum = kDatumTokyo;
  settings.sourceKind = kKindUtm;
  settings.sourceZone = 54;
  settings.sourceFromFiles = true;
  ASSERT_EQ(Show({A::OK()}), kNoErr);
  EXPECT_TRUE(Opened().Control(1124).checked);
  EXPECT_FALSE(Opened().Control(1123).checked);
  EXPECT_TRUE(Opened().Control(1087).checked);
  EXPECT_FALSE(Opened().Control(1125).checked);
  EXPECT_EQ(Opened().Control(1075).selection, 54);
  EXPECT_TRUE(Opened().Control(1075).enabled);
  EXPECT_EQ(settings.Source(), (CoordRef{1, 2, 0, 54}));
}

// Whether the user chose the source (so that it applies to every file) or
// left the one the files named: any click on a source radio or a new system
// or zone counts, the target and the area do not.
TEST_F(ImportCoordDialogTest, TheSourceIsChosenOnlyByTouchingIt) {
  struct Case {
    const char* what;
    std::vector<A> actions;
    bool chosen;
  };
  const Case cases[] = {
      {"left as opened", {}, false},
      {"target and area only",
       {A::Click(1182), A::Click(1130), A::Choose(1132, 9), A::Click(1076), A::SetText(1079, "36,139"),
        A::SetText(1080, "35,140")},
       false},
      {"the same datum clicked again", {A::Click(1181)}, true},
      {"JGD2000", {A::Click(1123)}, true},
      {"another system", {A::Choose(1115, 8)}, true},
      {"latitude/longitude", {A::Click(1125)}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    settings = ImportCoordSettings();
    settings.sourceDatum = kDatumJgd2011;
    settings.sourceKind = kKindPlane;
    settings.sourceSystem = 9;
    settings.sourceFromFiles = true;
    std::vector<A> actions = c.actions;
    actions.push_back(A::OK());
    ASSERT_EQ(Show(actions), kNoErr);
    EXPECT_TRUE(Opened().Control(1181).checked);
    EXPECT_EQ(settings.sourceChosen, c.chosen);
  }
}

TEST_F(ImportCoordDialogTest, PreferencesRoundTripAndKeepDefaultsWhenMissing) {
  ImportCoordSettings stored;
  stored.limitArea = 1;
  stored.sourceDatum = 1;
  stored.sourceKind = 3;
  stored.sourceSystem = 12;
  stored.sourceZone = 0;
  SaveImportPreferences(stored);
  EXPECT_EQ(sim.Preferences().Get<int32_t>("Kartzmap4.5", "importInXYKei"), 12);
  EXPECT_EQ(sim.Preferences().Get<bool>("Kartzmap4.5", "importLimitArea"), true);
  ImportCoordSettings loaded;
  LoadImportPreferences(loaded);
  EXPECT_EQ(loaded.Source(), (CoordRef{1, 3, 12, 0}));
  EXPECT_EQ(loaded.limitArea, 1);

  sim.Preferences().Clear();
  sim.Preferences().Put("Kartzmap4.5", "importInUTMZone", 53);
  ImportCoordSettings partial;
  LoadImportPreferences(partial);
  EXPECT_EQ(partial.Source(), (CoordRef{2, 1, 0, 53}));
  EXPECT_EQ(partial.limitArea, 0);
}

}  // namespace

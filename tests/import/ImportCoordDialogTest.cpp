// The import coordinate dialog played by the scripted user: what it shows on opening, which
// controls each click enables, the checks at OK in their order with their
// messages, and what it hands back.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "import/ImportCoordDialog.h"
#include "import/ImportCoordSettings.h"
#include "resources/DialogIds.h"
#include "sim/DialogPlatform.h"
#include "support/HostEnvironment.h"

namespace {

namespace ids = dialog_ids::import_coord;
using sim::DialogAction;

class ImportCoordDialogTest : public kztest::HostTest {
 protected:
  ImportCoordDialogTest() : sim(host.Host()), dialogs(sim.Dialogs()) {
    sim.NewDocument();
    plugin = sim.Plugins().AddPlugin("/proc/self/exe");
    settings.SetExtent(139.5, 140.25, 35.25, 36.75);
  }
  AIErr Show() { return RunImportCoordDialog(plugin, settings); }
  AIErr Show(std::vector<DialogAction> actions) {
    dialogs.Expect(dialog_ids::kImportCoordSettings, std::move(actions));
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
  EXPECT_EQ(open.Control(ids::kExtentLeft).text, "139.500000");
  EXPECT_EQ(open.Control(ids::kExtentRight).text, "140.250000");
  EXPECT_EQ(open.Control(ids::kExtentBottom).text, "35.250000");
  EXPECT_EQ(open.Control(ids::kExtentTop).text, "36.750000");
  EXPECT_EQ(open.Control(ids::kNorthWest).text, "36.750000,139.500000");
  EXPECT_EQ(open.Control(ids::kSouthEast).text, "35.250000,140.250000");
  EXPECT_EQ(open.Control(ids::kScale).text, "12500");
  EXPECT_EQ(open.Control(ids::kModeText).text, "新たにデータフレームを作成します");
  for (int32_t id : {ids::kSourceJgd2000, ids::kSourceLatLong, ids::kTargetJgd2000, ids::kTargetLatLong})
    EXPECT_TRUE(open.Control(id).checked) << id;
  for (int32_t id : {ids::kSourceTokyo, ids::kSourceJgd2011, ids::kSourcePlane, ids::kSourceUtm, ids::kTargetTokyo,
                     ids::kTargetJgd2011, ids::kTargetPlane, ids::kTargetUtm, ids::kLimitArea, ids::kNorthUp})
    EXPECT_FALSE(open.Control(id).checked) << id;
  EXPECT_EQ(open.Control(ids::kSourceJgd2011).text, "世界測地系(JGD2011)");
  EXPECT_EQ(open.Control(ids::kTargetJgd2011).text, "世界測地系(JGD2011)");
  for (int32_t id : {ids::kSourceZone, ids::kTargetZone}) {
    EXPECT_EQ(open.Control(id).items.size(), 61u);
    EXPECT_EQ(open.Control(id).items[0], "(座標帯を選択)");
    EXPECT_EQ(open.Control(id).items[54], "第54帯(138度E～144度E)");
    EXPECT_EQ(open.Control(id).droppedWidth, 180);
    EXPECT_EQ(open.Control(id).selection, 0);
  }
  for (int32_t id : {ids::kSourceSystem, ids::kTargetSystem}) {
    EXPECT_EQ(open.Control(id).items.size(), 20u);
    EXPECT_EQ(open.Control(id).items[16], "16系（宮古列島・八重山列島）");
    EXPECT_EQ(open.Control(id).droppedWidth, 300);
    EXPECT_EQ(open.Control(id).selection, 0);
  }
  // Only what the first choices need is enabled.
  for (int32_t id :
       {ids::kNorthWest, ids::kSouthEast, ids::kSourceZone, ids::kSourceSystem, ids::kTargetSystem, ids::kTargetZone})
    EXPECT_FALSE(open.Control(id).enabled) << id;
  for (int32_t id : {ids::kTargetJgd2000, ids::kTargetTokyo, ids::kTargetJgd2011, ids::kTargetLatLong,
                     ids::kTargetPlane, ids::kTargetUtm, ids::kScale, ids::kNorthUp, ids::kLimitArea})
    EXPECT_TRUE(open.Control(id).enabled) << id;
  EXPECT_TRUE(dialogs.Faults().empty());
}

TEST_F(ImportCoordDialogTest, ModeTextAndTheNewMapGroupFollowTheMode) {
  const std::pair<int32_t, const char*> modes[] = {{kImportUseDataFrame, "現在のデータフレーム設定を使用します"},
                                                  {kImportFitToMarkers, "座標マーカーに合わせて読み込まれます"}};
  for (const auto& [mode, text] : modes) {
    settings.mode = mode;
    settings.scale = 0;  // not checked outside mode 2
    ASSERT_EQ(Show({DialogAction::Click(ids::kTargetPlane), DialogAction::OK()}), kNoErr) << mode;
    EXPECT_EQ(Opened().Control(ids::kModeText).text, text);
    for (int32_t id : {ids::kTargetJgd2000, ids::kTargetTokyo, ids::kTargetLatLong, ids::kTargetPlane, ids::kTargetUtm,
                       ids::kTargetSystem, ids::kTargetZone})
      EXPECT_FALSE(Opened().Control(id).enabled) << id;
    EXPECT_FALSE(Opened().Control(ids::kNorthUp).enabled);
    EXPECT_FALSE(Opened().Control(ids::kScale).enabled);
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
      {DialogAction::Click(ids::kLimitArea), {ids::kNorthWest, ids::kSouthEast}, {}},
      {DialogAction::Click(ids::kSourceUtm), {ids::kSourceZone}, {ids::kSourceSystem}},
      {DialogAction::Click(ids::kSourcePlane), {ids::kSourceSystem}, {ids::kSourceZone}},
      {DialogAction::Click(ids::kSourceLatLong), {}, {ids::kSourceZone, ids::kSourceSystem}},
      {DialogAction::Click(ids::kTargetPlane), {ids::kTargetSystem}, {ids::kTargetZone}},
      {DialogAction::Click(ids::kTargetUtm), {ids::kTargetZone}, {ids::kTargetSystem}},
      {DialogAction::Click(ids::kTargetLatLong), {}, {ids::kTargetSystem, ids::kTargetZone}},
      {DialogAction::Click(ids::kLimitArea), {}, {ids::kNorthWest, ids::kSouthEast}},
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
  return {A::Click(ids::kLimitArea), A::SetText(ids::kNorthWest, northWest), A::SetText(ids::kSouthEast, southEast)};
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
               {A::Click(ids::kSourceTokyo), A::Click(ids::kSourcePlane), A::Choose(ids::kSourceSystem, 9),
                A::Click(ids::kTargetUtm), A::Choose(ids::kTargetZone, 54), A::SetText(ids::kScale, "10000"),
                A::Click(ids::kNorthUp)},
               nullptr,
               [](const ImportCoordSettings& s) {
                 EXPECT_EQ(s.Source(), (CoordRef{1, 3, 9, 0}));
                 EXPECT_EQ(s.Target(), (CoordRef{2, 2, 0, 54}));
                 EXPECT_EQ(s.scale, 10000.0);
                 EXPECT_EQ(s.northUp, 0);
               }},
        OkCase{"UTM source zone 53",
               {A::Click(ids::kSourceUtm), A::Choose(ids::kSourceZone, 53), A::Click(ids::kTargetTokyo),
                A::Click(ids::kTargetPlane), A::Choose(ids::kTargetSystem, 2)},
               nullptr,
               [](const ImportCoordSettings& s) {
                 EXPECT_EQ(s.Source(), (CoordRef{2, 2, 0, 53}));
                 EXPECT_EQ(s.Target(), (CoordRef{1, 3, 2, 0}));
               }},
        OkCase{"JGD2011 plane 10 to JGD2011 UTM 54",
               {A::Click(ids::kSourceJgd2011), A::Click(ids::kSourcePlane), A::Choose(ids::kSourceSystem, 10),
                A::Click(ids::kTargetJgd2011), A::Click(ids::kTargetUtm), A::Choose(ids::kTargetZone, 54)},
               nullptr,
               [](const ImportCoordSettings& s) {
                 EXPECT_EQ(s.Source(), (CoordRef{4, 3, 10, 0}));
                 EXPECT_EQ(s.Target(), (CoordRef{4, 2, 0, 54}));
               }},
        OkCase{"JGD2011 chosen, then Tokyo, then JGD2000: one datum per side",
               {A::Click(ids::kSourceJgd2011), A::Click(ids::kSourceTokyo), A::Click(ids::kTargetJgd2011),
                A::Click(ids::kTargetTokyo), A::Click(ids::kTargetJgd2000)},
               nullptr,
               [](const ImportCoordSettings& s) {
                 EXPECT_EQ(s.sourceDatum, kDatumTokyo);
                 EXPECT_EQ(s.targetDatum, kDatumJgd2000);
               }},
        OkCase{"source plane without a system", {A::Click(ids::kSourcePlane)}, kNoSystem, nullptr},
        OkCase{"source UTM without a zone", {A::Click(ids::kSourceUtm)}, kNoZone, nullptr},
        OkCase{"source checked before the scale", {A::Click(ids::kSourceUtm), A::SetText(ids::kScale, "0")}, kNoZone,
               nullptr},
        OkCase{"target plane without a system", {A::Click(ids::kTargetPlane)}, kNoSystem, nullptr},
        OkCase{"target UTM without a zone", {A::Click(ids::kTargetUtm)}, kNoZone, nullptr},
        OkCase{"scale 0", {A::SetText(ids::kScale, "0")}, kBadScale, nullptr},
        OkCase{"scale negative", {A::SetText(ids::kScale, "-5000")}, kBadScale, nullptr},
        OkCase{"scale no number", {A::SetText(ids::kScale, "abc")}, kBadScale, nullptr},
        OkCase{"scale inf", {A::SetText(ids::kScale, "inf")}, kBadScale, nullptr},
        OkCase{"scale nan", {A::SetText(ids::kScale, "nan")}, kBadScale, nullptr},
        OkCase{"scale beyond range", {A::SetText(ids::kScale, "1e999")}, kBadScale, nullptr},
        OkCase{"scale checked before the area", Then({A::SetText(ids::kScale, "0")}, Corners("1,1", "1,1")), kBadScale,
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
        OkCase{"limit cleared again keeps no area", Then(Corners("1,1", "1,1"), {A::Click(ids::kLimitArea)}), nullptr,
               [](const ImportCoordSettings& s) { EXPECT_EQ(s.limitArea, 0); }}),
    [](const auto& info) {
      std::string name = info.param.what;
      for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name;
    });

TEST_F(ImportCoordDialogTest, WebMapButtonOpensThePageAndLeavesTheDialogOpen) {
  ASSERT_EQ(Show({A::Click(ids::kWebMap), A::Inspect([](const sim::DialogState& state) { EXPECT_FALSE(state.ended); }),
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
  EXPECT_TRUE(Opened().Control(ids::kSourceJgd2011).checked);
  EXPECT_FALSE(Opened().Control(ids::kSourceJgd2000).checked);
  EXPECT_FALSE(Opened().Control(ids::kSourceTokyo).checked);
  EXPECT_EQ(settings.Source(), (CoordRef{4, 3, 9, 0}));
}

TEST_F(ImportCoordDialogTest, AReferenceNamedByTheFilesIsChosenForTheUser) {
  settings.sourceDatum = kDatumTokyo;
  settings.sourceKind = kKindUtm;
  settings.sourceZone = 54;
  settings.sourceFromFiles = true;
  ASSERT_EQ(Show({A::OK()}), kNoErr);
  EXPECT_TRUE(Opened().Control(ids::kSourceTokyo).checked);
  EXPECT_FALSE(Opened().Control(ids::kSourceJgd2000).checked);
  EXPECT_TRUE(Opened().Control(ids::kSourceUtm).checked);
  EXPECT_FALSE(Opened().Control(ids::kSourceLatLong).checked);
  EXPECT_EQ(Opened().Control(ids::kSourceZone).selection, 54);
  EXPECT_TRUE(Opened().Control(ids::kSourceZone).enabled);
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
       {A::Click(ids::kTargetJgd2011), A::Click(ids::kTargetPlane), A::Choose(ids::kTargetSystem, 9),
        A::Click(ids::kLimitArea), A::SetText(ids::kNorthWest, "36,139"), A::SetText(ids::kSouthEast, "35,140")},
       false},
      {"the same datum clicked again", {A::Click(ids::kSourceJgd2011)}, true},
      {"JGD2000", {A::Click(ids::kSourceJgd2000)}, true},
      {"another system", {A::Choose(ids::kSourceSystem, 8)}, true},
      {"latitude/longitude", {A::Click(ids::kSourceLatLong)}, true},
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
    EXPECT_TRUE(Opened().Control(ids::kSourceJgd2011).checked);
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

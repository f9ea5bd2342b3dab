// The field definition dialog played by the scripted user.
#include <gtest/gtest.h>

#include <string>

#include "AttributeHost.h"
#include "attributes/FieldDialog.h"
#include "host/AIUserSuite.h"
#include "resources/DialogIds.h"
#include "resources/DialogResources.h"

namespace {

using kztest::Field;
using sim::DialogAction;
namespace ids = dialog_ids::field;
constexpr int32_t kDialog = dialog_ids::kFieldDefinition;

class FieldDialogTest : public kztest::AttributeHost {
 protected:
  AIErr Show(int32_t mode) {
    params.field = &field;
    params.mode = mode;
    return FieldDialog::Show(params, ai::FilePath::FromPlatform("/proc/self/exe"), host.MainWindow());
  }
  const sim::DialogRun& Run() const { return dialogs.Runs().back(); }

  ShapeField field = Field("(新規属性)", 0, 48, 0);
  FieldDialogParams params;
};

TEST_F(FieldDialogTest, OpensWithTheFieldAndTheNameSelected) {
  dialogs.Expect(kDialog, {DialogAction::Cancel()});
  EXPECT_EQ(Show(kFieldDialogNewField), kCanceledErr);
  const sim::DialogState& open = Run().states[0];
  EXPECT_EQ(open.caption, "フィールド定義の編集");
  EXPECT_EQ(open.focus, ids::kName);
  EXPECT_EQ(open.Control(ids::kName).text, "(新規属性)");
  EXPECT_TRUE(open.Control(ids::kName).AllTextSelected());
  EXPECT_EQ(open.Control(ids::kName).textLimit, 10);
  EXPECT_EQ(open.Control(ids::kTotalDigits).text, "48");
  EXPECT_EQ(open.Control(ids::kTotalDigits).textLimit, 3);
  EXPECT_EQ(open.Control(ids::kDecimals).text, "0");
  EXPECT_EQ(open.Control(ids::kDecimals).textLimit, 2);
  EXPECT_EQ(open.Control(ids::kType).items, (std::vector<std::string>{"文字列", "整数", "実数"}));
  EXPECT_EQ(open.Control(ids::kType).selection, 0);
  EXPECT_FALSE(open.Control(ids::kDelete).visible);
  EXPECT_TRUE(dialogs.Faults().empty());
}

struct RangeCase {
  const char* label;
  int32_t typeItem;
  const char* totalDigits;
  const char* decimals;  // nullptr: left as it is
  const char* message;
  int32_t focus;
};

class FieldDialogRangeTest : public FieldDialogTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(FieldDialogRangeTest, RefusesWithTheMessageAndFocus) {
  const RangeCase& c = GetParam();
  std::vector<DialogAction> actions{DialogAction::Choose(ids::kType, c.typeItem),
                                    DialogAction::SetText(ids::kTotalDigits, c.totalDigits)};
  if (c.decimals != nullptr) actions.push_back(DialogAction::SetText(ids::kDecimals, c.decimals));
  actions.push_back(DialogAction::OK());
  actions.push_back(DialogAction::Cancel());
  dialogs.Expect(kDialog, actions);
  const ShapeField before = field;

  EXPECT_EQ(Show(kFieldDialogNewField), kCanceledErr);
  ASSERT_EQ(host.User().alerts.size(), 1u);
  const sim::AlertRecord& alert = host.User().alerts[0];
  EXPECT_EQ(alert.text, c.message);
  EXPECT_NE(alert.modalParent, nullptr);  // shown over the dialog
  EXPECT_EQ(host.UI().modalParent, nullptr);
  const sim::DialogState& afterOK = Run().states[Run().states.size() - 2];
  EXPECT_FALSE(afterOK.ended);
  EXPECT_EQ(afterOK.focus, c.focus);
  EXPECT_TRUE(field.IsSameField(before));
  EXPECT_TRUE(Run().problems.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Checks, FieldDialogRangeTest,
    ::testing::Values(
        RangeCase{"StringZero", 0, "0", nullptr, "文字列型の全桁数は1～254の間に設定してください", ids::kTotalDigits},
        RangeCase{"String255", 0, "255", nullptr, "文字列型の全桁数は1～254の間に設定してください", ids::kTotalDigits},
        RangeCase{"Integer11", 1, "11", nullptr, "整数型の全桁数は1～10の間に設定してください", ids::kTotalDigits},
        RangeCase{"IntegerNoNumber", 1, "x", nullptr, "整数型の全桁数は1～10の間に設定してください", ids::kTotalDigits},
        RangeCase{"Real20", 2, "20", "2", "実数型の全桁数は1～19の間に設定してください", ids::kTotalDigits},
        RangeCase{"RealDecimalsTooMany", 2, "5", "4", "実数型の精度が不適切です", ids::kDecimals},
        RangeCase{"RealDecimalsNegative", 2, "5", "-1", "実数型の精度が不適切です", ids::kDecimals}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(FieldDialogTest, OkWritesTheDefinitionByType) {
  dialogs.Expect(kDialog, {DialogAction::SetText(ids::kName, "道路の名前とその読み方"), DialogAction::Choose(ids::kType, 2),
                           DialogAction::SetText(ids::kTotalDigits, "5"), DialogAction::SetText(ids::kDecimals, "3"),
                           DialogAction::OK()});
  EXPECT_EQ(Show(kFieldDialogNewField), kNoErr);
  EXPECT_EQ(field.name.as_UTF8(), "道路の名前とその読み");  // the edit holds 10 characters
  EXPECT_EQ(field.type, kShapeFieldReal);
  EXPECT_EQ(field.totalDigits, 5);
  EXPECT_EQ(field.decimals, 3);
  EXPECT_TRUE(host.User().alerts.empty());

  field = Field("幅", 2, 8, 2);
  dialogs.Expect(kDialog, {DialogAction::Choose(ids::kType, 1), DialogAction::SetText(ids::kTotalDigits, "10"),
                           DialogAction::OK()});
  EXPECT_EQ(Show(kFieldDialogEditField), kNoErr);
  EXPECT_EQ(field.type, kShapeFieldInteger);
  EXPECT_EQ(field.totalDigits, 10);
  EXPECT_EQ(field.decimals, 0);
}

TEST_F(FieldDialogTest, EnablingFollowsTheTypeList) {
  auto enabled = [](const sim::DialogState& s) {
    std::string out;
    for (int32_t id : {ids::kName, ids::kTotalDigits, ids::kDecimals}) out += s.Control(id).enabled ? '1' : '0';
    return out;
  };
  field = Field("X", 100, 0, 0);
  std::vector<DialogAction> actions;
  for (int32_t item : {0, 1, 2, 4, 3}) actions.push_back(DialogAction::Choose(ids::kType, item));
  actions.push_back(DialogAction::OK());
  dialogs.Expect(kDialog, actions);
  EXPECT_EQ(Show(kFieldDialogTextColumn), kNoErr);
  const auto& states = Run().states;
  EXPECT_EQ(states[0].Control(ids::kType).items.size(), 5u);
  EXPECT_EQ(states[0].Control(ids::kType).items[3], "緯度(B)または平面直角X座標");
  EXPECT_EQ(states[0].Control(ids::kType).selection, 3);
  EXPECT_EQ(enabled(states[0]), "000");
  EXPECT_EQ(enabled(states[1]), "110");
  EXPECT_EQ(enabled(states[2]), "110");
  EXPECT_EQ(enabled(states[3]), "111");
  EXPECT_EQ(enabled(states[4]), "000");
  EXPECT_EQ(field.type, kShapeFieldLatitude);
  EXPECT_EQ(field.name.as_UTF8(), "X");
}

TEST_F(FieldDialogTest, TypeWithoutAnItemSelectsNothingAndStays) {
  field = Field("X", 101, 0, 0);
  dialogs.Expect(kDialog, {DialogAction::SetText(ids::kTotalDigits, "7"), DialogAction::SetText(ids::kDecimals, "2"),
                           DialogAction::OK()});
  EXPECT_EQ(Show(kFieldDialogEditField), kNoErr);
  EXPECT_EQ(Run().states[0].Control(ids::kType).selection, -1);
  EXPECT_EQ(field.type, 101);
  EXPECT_EQ(field.totalDigits, 7);
  EXPECT_EQ(field.decimals, 2);
}

TEST_F(FieldDialogTest, DeleteAsksAndEndsOnlyOnYes) {
  host.User().yesNoAnswers = {kAINoAnswer, kAIYesAnswer};
  dialogs.Expect(kDialog, {DialogAction::SetText(ids::kName, "別名"), DialogAction::Click(ids::kDelete),
                           DialogAction::Click(ids::kDelete)});
  const ShapeField before = field;
  EXPECT_EQ(Show(kFieldDialogEditField), kNoErr);
  EXPECT_TRUE(Run().states[0].Control(ids::kDelete).visible);
  EXPECT_EQ(params.deleteRequested, 1);
  EXPECT_TRUE(field.IsSameField(before));
  ASSERT_EQ(host.User().alerts.size(), 2u);
  for (const auto& alert : host.User().alerts) {
    EXPECT_EQ(alert.kind, sim::AlertRecord::Kind::YesNo);
    EXPECT_EQ(alert.text, "このフィールドをレイヤーから削除します。よろしいですか？");
    EXPECT_NE(alert.modalParent, nullptr);
  }
  EXPECT_FALSE(Run().states[2].ended);
  EXPECT_TRUE(Run().problems.empty());
}

TEST_F(FieldDialogTest, CancelChangesNothing) {
  dialogs.Expect(kDialog, {DialogAction::SetText(ids::kName, "新"), DialogAction::Choose(ids::kType, 2),
                           DialogAction::SetText(ids::kTotalDigits, "9"), DialogAction::Cancel()});
  const ShapeField before = field;
  EXPECT_EQ(Show(kFieldDialogEditField), kCanceledErr);
  EXPECT_TRUE(field.IsSameField(before));
  EXPECT_EQ(params.deleteRequested, 0);
  EXPECT_TRUE(dialogs.UnexpectedRuns().empty());
}

// Through the plug-in reference: the template is taken from the module that
// the plug-in's file is, and only from there.
using FieldDialogPluginTest = FieldDialogTest;

TEST_F(FieldDialogPluginTest, FindsTheTemplateInThePluginsOwnModule) {
  params.plugin = host.Plugins().AddPlugin("/proc/self/exe");
  params.field = &field;
  dialogs.Expect(kDialog, {DialogAction::OK()});
  EXPECT_EQ(FieldDialog::Show(params), kNoErr);
  EXPECT_EQ(dialogs.PendingScripts(), 0u);
  EXPECT_EQ(Run().owner, host.MainWindow());
}

TEST_F(FieldDialogPluginTest, APluginFileThatIsNotLoadedHasNoTemplates) {
  params.plugin = host.Plugins().AddPlugin(KZ_PLUGIN_FILE);  // built, but not loaded in this process
  params.field = &field;
  EXPECT_EQ(FieldDialog::Show(params), kResourceNotFoundErr);
  EXPECT_TRUE(dialogs.Runs().empty());
}

}  // namespace

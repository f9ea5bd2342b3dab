// The attribute panel as the host shows it: its controls, the list of the
// selection's attributes, its colours and size, and its four buttons and
// double-click, driven in the panel's window.
#include <gtest/gtest.h>

#include <array>

#include "host/AINotifierSuite.h"
#include "panel/PanelFixture.h"
#include "resources/DialogIds.h"

namespace {

namespace field_ids = dialog_ids::field;
namespace value_ids = dialog_ids::value;
using kztest::PanelTest;
using kztest::ReadRow;
using kztest::RowField;
using kztest::ValueOf;
using kztest::WriteRow;
using sim::DialogAction;

// 0x00BBGGRR, as the platform's colours.
constexpr uint32_t RGB(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

TEST_F(PanelTest, BuildsItsControlsInThePanelWindow) {
  const sim::DialogState state = Look();
  EXPECT_EQ(state.Control(kCaption).text, "選択範囲の属性:");
  const sim::ControlState& list = state.Control(kList);
  ASSERT_EQ(list.columns.size(), 2u);
  EXPECT_EQ(list.columns[0].title, "フィールド名");
  EXPECT_EQ(list.columns[0].width, 100);
  EXPECT_EQ(list.columns[1].title, "属性値");
  EXPECT_EQ(list.columns[1].width, 150);
  EXPECT_EQ(list.viewStyle, 0x10000u | 0x1u | 0x20u);  // selection always shown, grid lines, full rows
  const std::pair<int32_t, const char*> buttons[] = {
      {kAnnotate, "注記..."}, {kSearch, "検索..."}, {kDefine, "定義..."}, {kNewField, "新規..."}};
  for (const auto& [id, text] : buttons) EXPECT_EQ(state.Control(id).text, text) << id;
  EXPECT_TRUE(host.Dialogs().Faults().empty());
}

TEST_F(PanelTest, PaintsNamesWhiteOnGreyValuesBlackOnWhiteAndTheCaptionInTheTheme) {
  // The theme as the host has it before the first brightness change.
  const AIUIThemeColor back = host.UI().themeColors[{1, 0}];
  const AIUIThemeColor text = host.UI().themeColors[{1, 1}];
  sim::Art& art = Feature(*layer->group, "NAME", "東京");
  host.Select(art);
  SelectionChanged();
  const sim::DialogState state = Look();
  const auto& colours = state.Control(kList).colours;
  ASSERT_EQ(colours.size(), 1u);
  EXPECT_EQ(colours[0][0], (sim::CellColours{RGB(255, 255, 255), RGB(96, 96, 96)}));
  EXPECT_EQ(colours[0][1], (sim::CellColours{RGB(0, 0, 0), RGB(255, 255, 255)}));
  auto byte = [](AIReal c) { return static_cast<uint32_t>(c * 255); };
  ASSERT_TRUE(state.Control(kCaption).paintColours.has_value());
  EXPECT_EQ(state.Control(kCaption).paintColours->text, RGB(byte(text.red), byte(text.green), byte(text.blue)));
  EXPECT_EQ(state.Control(kCaption).paintColours->back, RGB(byte(back.red), byte(back.green), byte(back.blue)));

  // A brightness change repaints the caption in the new colours.
  host.UI().themeColors[{1, 0}] = {1, 1.0f, 0.5f, 0.0f};
  ASSERT_EQ(loader.Broadcast(kAIUIBrightnessChangedNotifier), kNoErr);
  EXPECT_EQ(Look().Control(kCaption).paintColours->back, RGB(255, 127, 0));
}

TEST_F(PanelTest, ShowsTheMixedMarkWhereSelectedObjectsDiffer) {
  sim::Art& a = host.AddPath(*layer->group, {{0, 0}, {10, 10}}, false);
  sim::Art& b = host.AddPath(*layer->group, {{0, 0}, {20, 20}}, false);
  WriteRow(a, {{"NAME", 0, 20, 0, "東京"}, {"CODE", 1, 5, 0, "13"}});
  WriteRow(b, {{"NAME", 0, 20, 0, "大阪"}, {"CODE", 1, 5, 0, "13"}});
  host.Select(a);
  host.Select(b);
  SelectionChanged();
  const std::vector<std::vector<std::string>> expected = {{"NAME", "(複数の属性値)"}, {"CODE", "13"}};
  EXPECT_EQ(ListRows(), expected);

  host.Select(b, false);
  SelectionChanged();
  const std::vector<std::vector<std::string>> one = {{"NAME", "東京"}, {"CODE", "13"}};
  EXPECT_EQ(ListRows(), one);
}

// Two layers with fields of their own: 東京 on the panel's layer (NAME), a
// library on 施設 (CODE). The selection moves from the first to the second
// while the panel is hidden.
class HiddenPanelTest : public PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    WriteRow(*layer->group, {{"NAME", 0, 20, 0, ""}});
    a = &Feature(*layer->group, "NAME", "東京");
    sim::Layer& facilities = host.AddLayer("施設");
    other = &facilities;
    WriteRow(*facilities.group, {{"CODE", 0, 20, 0, ""}});
    b = &Feature(*facilities.group, "CODE", "13");
    host.Select(*a);
    SelectionChanged();
    ASSERT_EQ(ListRows(), first);
  }
  void MoveSelectionWhileHidden() {
    host.ShowPanel(*Panel(), false);
    host.Select(*a, false);
    host.Select(*b);
    SelectionChanged();
    ASSERT_EQ(loader.Broadcast(kAIDocumentChangedNotifier), kNoErr);
    EXPECT_EQ(ListRows(), first);  // a hidden list is left alone
  }

  const std::vector<std::vector<std::string>> first = {{"NAME", "東京"}};
  const std::vector<std::vector<std::string>> second = {{"CODE", "13"}};
  sim::Art* a = nullptr;
  sim::Art* b = nullptr;
  sim::Layer* other = nullptr;
};

TEST_F(HiddenPanelTest, ShownAgainItShowsTheCurrentSelection) {
  MoveSelectionWhileHidden();
  host.ShowPanel(*Panel(), true);
  EXPECT_EQ(ListRows(), second);
  // The new field goes to the layer of the selection now.
  host.Dialogs().Expect(dialog_ids::kFieldDefinition,
                        {DialogAction::SetText(field_ids::kName, "WIDTH"), DialogAction::OK()});
  Click(kNewField);
  EXPECT_EQ(ReadRow(*other->group),
            (std::vector<RowField>{{"CODE", 0, 20, 0, ""}, {"WIDTH", 0, 48, 0, ""}}));
  EXPECT_EQ(ReadRow(*layer->group), (std::vector<RowField>{{"NAME", 0, 20, 0, ""}}));
}

// A panel that came back without its window hearing of it still shows the
// old list: the buttons catch up before they act.
TEST_F(HiddenPanelTest, ButtonsCatchUpBeforeTheyAct) {
  MoveSelectionWhileHidden();
  Panel()->shown = true;
  ASSERT_EQ(ListRows(), first);
  // The NAME row of the old list: the selected object's layer has no such field.
  Act(DialogAction::DoubleClickRow(kList, 0, 1));
  EXPECT_TRUE(host.Dialogs().RunsOf(dialog_ids::kAttributeValue).empty());
  EXPECT_EQ(ValueOf(*b, "NAME"), "(none)");
  EXPECT_EQ(ListRows(), second);
  EXPECT_TRUE(AlertTexts().empty());

  Panel()->shown = false;
  host.Select(*b, false);
  host.Select(*a);
  SelectionChanged();
  Panel()->shown = true;
  ASSERT_EQ(ListRows(), second);
  host.Dialogs().Expect(dialog_ids::kFieldDefinition,
                        {DialogAction::SetText(field_ids::kName, "AREA"), DialogAction::OK()});
  Click(kNewField);
  EXPECT_EQ(ReadRow(*layer->group), (std::vector<RowField>{{"NAME", 0, 20, 0, ""}, {"AREA", 0, 48, 0, ""}}));
  EXPECT_EQ(ReadRow(*other->group), (std::vector<RowField>{{"CODE", 0, 20, 0, ""}}));
}

TEST_F(PanelTest, ResizingKeepsTheButtonsAboveTheBottomAndStretchesTheValues) {
  host.ResizePanel(*Panel(), {300, 500});
  const sim::DialogState state = Look();
  EXPECT_EQ(state.Control(kList).columns[1].width, 300 - 100 - 1);
  EXPECT_TRUE(host.Dialogs().Faults().empty());
  auto placement = [&](int32_t id) {
    const sim::ControlState& c = state.Control(id);
    return std::array<int32_t, 4>{c.x, c.y, c.width, c.height};
  };
  EXPECT_EQ(placement(kList), (std::array<int32_t, 4>{0, 20, 300, 450}));
  const int32_t buttons[] = {kAnnotate, kSearch, kDefine, kNewField};
  const int32_t x[] = {2, 52, 102, 152};
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(placement(buttons[i]), (std::array<int32_t, 4>{x[i], 475, 48, 22}));
}

TEST_F(PanelTest, DoubleClickWithNothingSelectedSaysSo) {
  WriteRow(*layer->group, {{"NAME", 0, 20, 0, ""}});
  SelectionChanged();
  ASSERT_EQ(ListRows().size(), 1u);  // the current layer's fields
  Act(DialogAction::DoubleClickRow(kList, 0, 1));
  EXPECT_EQ(AlertTexts(), std::vector<std::string>{"オブジェクトが選択されていません"});
  EXPECT_TRUE(host.Dialogs().Runs().empty());
}

TEST_F(PanelTest, DoubleClickEditsTheValueOnEverySelectedObject) {
  sim::Art& a = host.AddPath(*layer->group, {{0, 0}, {10, 10}}, false);
  sim::Art& b = host.AddPath(*layer->group, {{0, 0}, {20, 20}}, false);
  sim::Art& other = host.AddPath(*layer->group, {{0, 0}, {30, 30}}, false);
  WriteRow(a, {{"AREA", 2, 8, 2, "1.50"}});
  WriteRow(b, {{"AREA", 2, 8, 2, "2.25"}});
  WriteRow(other, {{"AREA", 2, 8, 2, "9.00"}});
  host.Select(a);
  host.Select(b);
  SelectionChanged();

  sim::DialogState opened;
  host.Dialogs().Expect(dialog_ids::kAttributeValue,
                        {DialogAction::Inspect([&](const sim::DialogState& s) { opened = s; }),
                         DialogAction::SetText(value_ids::kValue, "3.14159"), DialogAction::OK()});
  Act(DialogAction::DoubleClickRow(kList, 0, 1));
  ASSERT_EQ(host.Dialogs().RunsOf(dialog_ids::kAttributeValue).size(), 1u);
  EXPECT_EQ(host.Dialogs().RunsOf(dialog_ids::kAttributeValue)[0]->caption, "属性値の編集");
  EXPECT_EQ(opened.Control(value_ids::kName).text, "AREA");
  EXPECT_EQ(opened.Control(value_ids::kType).text, "実数");
  EXPECT_EQ(opened.Control(value_ids::kTotalDigits).text, "8");
  EXPECT_EQ(opened.Control(value_ids::kDecimals).text, "2");
  EXPECT_EQ(opened.Control(value_ids::kValue).text, "");  // the objects differ
  EXPECT_EQ(opened.focus, value_ids::kValue);
  // Normalised to the field on every selected object, and nowhere else.
  EXPECT_EQ(ValueOf(a, "AREA"), "3.14");
  EXPECT_EQ(ValueOf(b, "AREA"), "3.14");
  EXPECT_EQ(ValueOf(other, "AREA"), "9.00");
  const std::vector<std::vector<std::string>> shown = {{"AREA", "3.14"}};
  EXPECT_EQ(ListRows(), shown);

  // Cancel changes nothing; a shared value starts the edit, all selected.
  host.Dialogs().Expect(dialog_ids::kAttributeValue,
                        {DialogAction::Inspect([&](const sim::DialogState& s) { opened = s; }),
                         DialogAction::SetText(value_ids::kValue, "7"), DialogAction::Cancel()});
  Act(DialogAction::DoubleClickRow(kList, 0, 1));
  EXPECT_EQ(opened.Control(value_ids::kValue).text, "3.14");
  EXPECT_TRUE(opened.Control(value_ids::kValue).AllTextSelected());
  EXPECT_EQ(ValueOf(a, "AREA"), "3.14");
  // The rounding of the first edit was told, once; the cancel says nothing.
  EXPECT_EQ(AlertTexts(), std::vector<std::string>{"「3.14159」はフィールド「AREA」（実数 8 桁）に収まらないため、「3.14」を設定しました"});
}

TEST_F(PanelTest, NewFieldNeedsADocumentAndAddsTheDefinitionToTheLayer) {
  host.CloseDocument();
  Click(kNewField);
  EXPECT_EQ(AlertTexts(), std::vector<std::string>{"新規ドキュメントを開いた状態で実行してください"});
  EXPECT_TRUE(host.Dialogs().Runs().empty());

  host.User().alerts.clear();
  host.NewDocument();
  sim::Layer& roads = host.AddLayer("道路");
  SelectionChanged();
  sim::DialogState opened;
  host.Dialogs().Expect(dialog_ids::kFieldDefinition,
                        {DialogAction::Inspect([&](const sim::DialogState& s) { opened = s; }),
                         DialogAction::SetText(field_ids::kName, "WIDTH"), DialogAction::Choose(field_ids::kType, 1),
                         DialogAction::SetText(field_ids::kTotalDigits, "4"), DialogAction::OK()});
  Click(kNewField);
  EXPECT_EQ(opened.Control(field_ids::kName).text, "(新規属性)");
  EXPECT_EQ(opened.Control(field_ids::kType).SelectedItem(), "文字列");
  EXPECT_EQ(opened.Control(field_ids::kTotalDigits).text, "48");
  EXPECT_FALSE(opened.Control(field_ids::kDelete).visible);  // a new field cannot be deleted
  EXPECT_EQ(ReadRow(*roads.group), (std::vector<RowField>{{"WIDTH", 1, 4, 0, ""}}));
  const std::vector<std::vector<std::string>> shown = {{"WIDTH", ""}};
  EXPECT_EQ(ListRows(), shown);
}

TEST_F(PanelTest, DefineEditsOrDeletesTheChosenRow) {
  Click(kDefine);
  EXPECT_EQ(AlertTexts(), std::vector<std::string>{"属性フィールドがありません"});

  sim::Art& art = host.AddPath(*layer->group, {{0, 0}, {10, 10}}, false);
  WriteRow(*layer->group, {{"NAME", 0, 20, 0, ""}, {"AREA", 2, 8, 2, ""}});
  WriteRow(art, {{"NAME", 0, 20, 0, "港"}, {"AREA", 2, 8, 2, "12.75"}});
  host.Select(art);
  SelectionChanged();
  Act(DialogAction::SelectRows(kList, {1}));
  host.Dialogs().Expect(dialog_ids::kFieldDefinition,
                        {DialogAction::Choose(field_ids::kType, 1), DialogAction::SetText(field_ids::kTotalDigits, "5"),
                         DialogAction::OK()});
  Click(kDefine);
  EXPECT_TRUE(host.Dialogs().RunsOf(dialog_ids::kFieldDefinition)[0]->Last().Control(field_ids::kDelete).visible);
  EXPECT_EQ(ReadRow(art)[1], (RowField{"AREA", 1, 5, 0, "12"}));

  host.User().yesNoAnswers.push_back(1);
  Act(DialogAction::SelectRows(kList, {0}));
  host.Dialogs().Expect(dialog_ids::kFieldDefinition, {DialogAction::Click(field_ids::kDelete)});
  Click(kDefine);
  EXPECT_EQ(ReadRow(art), (std::vector<RowField>{{"AREA", 1, 5, 0, "12"}}));
  const std::vector<std::vector<std::string>> shown = {{"AREA", "12"}};
  EXPECT_EQ(ListRows(), shown);
}

TEST_F(PanelTest, ShutdownRemovesTheControlsAndGivesTheWindowBack) {
  AIWindowRef window = Window();
  ASSERT_EQ(loader.Broadcast(kAIApplicationShutdownNotifier), kNoErr);
  EXPECT_TRUE(host.Dialogs().Snapshot(window).controls.empty());
  EXPECT_EQ(host.Dialogs().EventProc(window), nullptr);
  EXPECT_EQ(loader.Shutdown(), kNoErr);
  EXPECT_EQ(broker.TotalHeld(), 0);
}

}  // namespace

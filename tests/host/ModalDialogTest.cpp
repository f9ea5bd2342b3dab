// The dialog stand-in where it carries logic: radio groups, list view custom
// drawing, end results, the scripted user's limits, and templates found only
// through the plug-in's own module.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "host/ModalDialog.h"
#include "resources/DialogIds.h"
#include "resources/DialogResources.h"
#include "sim/DialogPlatform.h"
#include "support/HostEnvironment.h"

namespace {

using sim::DialogAction;

constexpr int32_t kRadioA = 10, kRadioB = 11, kRadioC = 12, kRadioD = 13, kCheck = 14, kEdit = 15, kList = 16,
                  kView = 17, kTrack = 18, kButton = 19;

const DialogControlTemplate kControls[] = {
    {kRadioA, DialogControlKind::RadioButton, "A", kDialogStyleGroup, 0, 0, 10, 10},
    {kRadioB, DialogControlKind::RadioButton, "B", 0, 0, 0, 10, 10},
    {kRadioC, DialogControlKind::RadioButton, "C", kDialogStyleGroup, 0, 0, 10, 10},
    {kRadioD, DialogControlKind::RadioButton, "D", 0, 0, 0, 10, 10},
    {kCheck, DialogControlKind::CheckBox, "チェック", kDialogStyleGroup, 0, 0, 10, 10},
    {kEdit, DialogControlKind::Edit, "", kDialogStyleGroup, 0, 0, 10, 10},
    {kList, DialogControlKind::DropDownList, "", kDialogStyleGroup, 0, 0, 10, 10},
    {kView, DialogControlKind::ListView, "", kDialogStyleGroup, 0, 0, 10, 10},
    {kTrack, DialogControlKind::TrackBar, "", kDialogStyleGroup, 0, 0, 10, 10},
    {kButton, DialogControlKind::PushButton, "押す", kDialogStyleGroup | kDialogStyleDisabled, 0, 0, 10, 10},
    {kDialogIdOK, DialogControlKind::DefaultPushButton, "OK", kDialogStyleGroup, 0, 0, 10, 10},
    {kDialogIdCancel, DialogControlKind::PushButton, "キャンセル", kDialogStyleGroup, 0, 0, 10, 10},
};
const DialogTemplate kTemplate{900, "試験", 100, 100, "MS Shell Dlg", 8, kControls, std::size(kControls)};

class TestDialog : public ModalDialog {
 public:
  bool acceptOK = true;
  std::vector<std::string> seen;
  int32_t okCount = 0;

 protected:
  void OnInit() override {
    CheckRadio(kRadioA, kRadioB, kRadioA);
    SetChecked(kRadioC, true);
    SetTextLimit(kEdit, 5);
    ListAdd(kList, "文字列");
    ListAdd(kList, "整数");
    ListSelect(kList, 0);
    ListSetDroppedWidth(kList, 200);
    ViewSetStyle(kView, kListViewGridLines | kListViewFullRowSelect);
    ViewInsertColumn(kView, 0, "名前", 100);
    ViewInsertColumn(kView, 1, "値", 150);
    for (const char* name : {"一", "二"}) {
      int32_t row = ViewAppendRow(kView, name);
      ViewSetCell(kView, row, 1, "x");
    }
    TrackSetRange(kTrack, 1, 9);
    TrackSetTickFrequency(kTrack, 1);
    TrackSetPosition(kTrack, 5);
    SetText(kEdit, "初期");
    SelectAllText(kEdit);
    SetFocus(kEdit);
  }
  void OnCommand(int32_t id, int32_t code) override {
    seen.push_back(std::to_string(id) + ":" + std::to_string(code));
    if (id == kCheck) Enable(kButton, IsChecked(kCheck));
  }
  bool OnOK() override {
    ++okCount;
    return acceptOK;
  }
  void OnDoubleClick(int32_t id, int32_t row, int32_t column) override {
    seen.push_back("double " + std::to_string(row) + "," + std::to_string(column));
  }
  void OnScroll(int32_t id, int32_t position) override { seen.push_back("scroll " + std::to_string(position)); }
  bool HasCellColours(int32_t id) const override { return id == kView; }
  void OnCellColours(int32_t id, int32_t row, int32_t column, uint32_t& text, uint32_t& back) override {
    if (column == 0) {
      text = PlatformRGB(255, 255, 255);
      back = PlatformRGB(64, 64, 64);
    }
  }
};

class ModalDialogTest : public kztest::HostTest {
 protected:
  ModalDialogTest() { platform.RegisterWith(host.Broker()); }

  int32_t Run(TestDialog& dialog) {
    int32_t result = -1;
    EXPECT_EQ(dialog.Run(kTemplate, nullptr, &result), kNoErr);
    return result;
  }

  sim::DialogPlatform platform;
};

TEST_F(ModalDialogTest, OkEndsWithZeroCancelWithStop) {
  TestDialog ok, cancel;
  platform.Expect(900, {DialogAction::OK()});
  platform.Expect(900, {DialogAction::Cancel()});
  EXPECT_EQ(Run(ok), 0);
  EXPECT_EQ(Run(cancel), kCanceledErr);
  EXPECT_EQ(platform.PendingScripts(), 0u);
  EXPECT_TRUE(platform.UnexpectedRuns().empty());
  EXPECT_TRUE(platform.Faults().empty());
  EXPECT_EQ(host.Broker().HeldCount(kPlatformDialogSuite), 0);
}

TEST_F(ModalDialogTest, RefusedOkKeepsTheDialogOpenUntilCancel) {
  TestDialog dialog;
  dialog.acceptOK = false;
  platform.Expect(900, {DialogAction::OK(), DialogAction::OK()});
  EXPECT_EQ(Run(dialog), kCanceledErr);
  EXPECT_EQ(dialog.okCount, 2);
  const sim::DialogRun& run = platform.Runs().back();
  ASSERT_EQ(run.problems.size(), 1u);
  EXPECT_EQ(run.problems[0], "the script ended with the dialog open");
}

TEST_F(ModalDialogTest, UnexpectedDialogIsCancelledAndRecorded) {
  TestDialog dialog;
  EXPECT_EQ(Run(dialog), kCanceledErr);
  ASSERT_EQ(platform.UnexpectedRuns().size(), 1u);
  EXPECT_EQ(platform.UnexpectedRuns()[0]->templateId, 900);
  EXPECT_EQ(platform.UnexpectedRuns()[0]->caption, "試験");
}

TEST_F(ModalDialogTest, RadioButtonsClearOnlyTheirOwnGroup) {
  TestDialog dialog;
  platform.Expect(900, {DialogAction::Click(kRadioB), DialogAction::Click(kRadioD), DialogAction::Click(kRadioA),
                        DialogAction::OK()});
  Run(dialog);
  const auto& states = platform.Runs().back().states;
  auto checks = [](const sim::DialogState& s) {
    std::string out;
    for (int32_t id : {kRadioA, kRadioB, kRadioC, kRadioD}) out += s.Control(id).checked ? '1' : '0';
    return out;
  };
  ASSERT_EQ(states.size(), 5u);
  EXPECT_EQ(checks(states[0]), "1010");
  EXPECT_EQ(checks(states[1]), "0110");
  EXPECT_EQ(checks(states[2]), "0101");
  EXPECT_EQ(checks(states[3]), "1001");
}

TEST_F(ModalDialogTest, ListViewColoursComeFromCustomDrawPerCell) {
  TestDialog dialog;
  platform.Expect(900, {DialogAction::DoubleClickRow(kView, 1, 1), DialogAction::OK()});
  Run(dialog);
  const sim::ControlState& view = platform.Runs().back().states[0].Control(kView);
  ASSERT_EQ(view.colours.size(), 2u);
  const sim::CellColours name{PlatformRGB(255, 255, 255), PlatformRGB(64, 64, 64)};
  const sim::CellColours plain{};
  for (const auto& row : view.colours) {
    ASSERT_EQ(row.size(), 2u);
    EXPECT_EQ(row[0], name);
    EXPECT_EQ(row[1], plain);
  }
  EXPECT_EQ(view.columns[1].title, "値");
  EXPECT_EQ(view.rows[1][0], "二");
  EXPECT_EQ(view.viewStyle, kListViewGridLines | kListViewFullRowSelect);
  EXPECT_EQ(dialog.seen, std::vector<std::string>{"double 1,1"});
  EXPECT_EQ(platform.Runs().back().states[1].Control(kView).selectedRows, std::set<int32_t>{1});
}

TEST_F(ModalDialogTest, UserTypesWithinTheLimitAndOnlyIntoEnabledControls) {
  TestDialog dialog;
  platform.Expect(900, {DialogAction::SetText(kEdit, "あいうえおかき"), DialogAction::Click(kButton),
                        DialogAction::Check(kCheck, true), DialogAction::Click(kButton),
                        DialogAction::Choose(kList, 1), DialogAction::SetTrackPosition(kTrack, 12),
                        DialogAction::OK()});
  EXPECT_EQ(Run(dialog), 0);
  const sim::DialogRun& run = platform.Runs().back();
  const sim::DialogState& open = run.states[0];
  EXPECT_EQ(open.focus, kEdit);
  EXPECT_TRUE(open.Control(kEdit).AllTextSelected());
  EXPECT_EQ(open.Control(kList).droppedWidth, 200);
  EXPECT_EQ(run.states[1].Control(kEdit).text, "あいうえお");
  ASSERT_EQ(run.problems.size(), 1u);
  EXPECT_EQ(run.problems[0], "click control 19: the control is disabled");
  EXPECT_EQ(run.Last().Control(kList).SelectedItem(), "整数");
  EXPECT_EQ(run.Last().Control(kTrack).trackPosition, 9);
  EXPECT_EQ(dialog.seen, (std::vector<std::string>{"15:2", "14:0", "19:0", "16:1", "scroll 9"}));
}

TEST_F(ModalDialogTest, TemplatesAreFoundOnlyThroughTheModuleThatHoldsThem) {
  const ModuleHandle self = FindLoadedModule("/proc/self/exe");
  ASSERT_NE(self, 0u);
  const DialogTemplate* field = FindDialogTemplate(self, dialog_ids::kFieldDefinition);
  ASSERT_NE(field, nullptr);
  EXPECT_STREQ(field->caption, "フィールド定義の編集");
  EXPECT_EQ(FindDialogTemplate(self, 999), nullptr);
  EXPECT_EQ(FindDialogTemplate(0, dialog_ids::kFieldDefinition), nullptr);
  EXPECT_EQ(FindDialogTemplate(ModuleOfAddress(reinterpret_cast<const void*>(&::write)), dialog_ids::kAbout), nullptr);
}

TEST(DialogTemplates, IdsAreUniqueAndRadioButtonsStartInAGroup) {
  size_t count = 0;
  const DialogTemplate* const* all = AllDialogTemplates(&count);
  EXPECT_EQ(count, 9u);
  for (size_t t = 0; t < count; ++t) {
    std::set<int32_t> ids;
    bool inRadioGroup = false;
    for (size_t i = 0; i < all[t]->controlCount; ++i) {
      const DialogControlTemplate& c = all[t]->controls[i];
      if (c.id != kDialogIdStatic) {
        EXPECT_TRUE(ids.insert(c.id).second) << all[t]->id << " " << c.id;
      }
      if (c.kind == DialogControlKind::RadioButton) {
        // The first radio button of a run must open a group, or it would join the controls before it.
        if (!inRadioGroup) {
          EXPECT_NE(c.style & kDialogStyleGroup, 0u) << all[t]->id << " " << c.id;
        }
        inRadioGroup = true;
      } else if (c.style & kDialogStyleGroup) {
        inRadioGroup = false;
      }
    }
  }
}

}  // namespace

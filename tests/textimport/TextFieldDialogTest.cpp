// The field settings of a coordinate text file, built from its first lines
// and worked through its field settings dialog by the scripted user.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/PlatformDialogSuite.h"
#include "import/GeoTextFieldSettings.h"
#include "import/TextFieldDialog.h"
#include "resources/DialogIds.h"
#include "sim/DialogPlatform.h"
#include "support/HostEnvironment.h"

namespace {

namespace ids = dialog_ids::text_fields;
using sim::DialogAction;
constexpr int32_t kDialog = dialog_ids::kTextFieldSettings;
constexpr const char* kNeedCoordinates = "縦方向と横方向の座標値フィールドを各1つ設定してください。";

class TextFieldDialogTest : public kztest::HostTest {
 protected:
  TextFieldDialogTest() : dialogs(host.Host().Dialogs()) {}

  void Lines(std::vector<const char*> lines, uint8_t delimiter) {
    for (const char* line : lines) settings.firstLines.push_back(ai::UnicodeString(line));
    settings.delimiter = delimiter;
  }
  AIErr Show() {
    return TextFieldDialog::Show(settings, ai::FilePath::FromPlatform("/proc/self/exe"), host.Host().MainWindow());
  }
  const sim::DialogRun& Run() const { return *dialogs.RunsOf(kDialog).back(); }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const ShapeField& column : settings.columns) names.push_back(column.name.as_UTF8());
    return names;
  }
  std::vector<std::string> Alerts() {
    std::vector<std::string> texts;
    for (const auto& alert : host.Host().User().alerts) texts.push_back(alert.text);
    return texts;
  }

  sim::DialogPlatform& dialogs;
  GeoTextFieldSettings settings;
};

using Rows = std::vector<std::vector<std::string>>;

TEST_F(TextFieldDialogTest, OpensWithTheColumnsAndTwoSampleRows) {
  Lines({"緯度,経度,名前,人口", "35.1,139.2,\"東京, 都\",100", "34.7,135.5,大阪,90"}, GeoTextFieldSettings::kComma);
  dialogs.Expect(kDialog, {DialogAction::OK()});
  ASSERT_EQ(Show(), kNoErr);

  const sim::DialogState& open = Run().states[0];
  EXPECT_EQ(open.caption, "座標付きテキストファイル - フィールドの設定");
  EXPECT_TRUE(open.Control(ids::kHeader).checked);
  EXPECT_TRUE(open.Control(ids::kComma).checked);
  EXPECT_FALSE(open.Control(ids::kTab).checked);
  const sim::ControlState& list = open.Control(ids::kColumns);
  EXPECT_EQ(list.viewStyle, kListViewGridLines | kListViewFullRowSelect);
  ASSERT_EQ(list.columns.size(), 4u);
  EXPECT_EQ(list.columns[0].title, "フィールド名");
  EXPECT_EQ(list.columns[1].width, 170);
  EXPECT_EQ(list.columns[3].title, "データ2行目");
  EXPECT_EQ(list.rows, (Rows{{"緯度", "緯度(B)または平面直角X座標", "35.1", "34.7"},
                             {"経度", "経度(L)または平面直角Y座標", "139.2", "135.5"},
                             {"名前", "文字列", "東京, 都", "大阪"},
                             {"人口", "文字列", "100", "90"}}));
  ASSERT_EQ(list.colours.size(), 4u);
  EXPECT_EQ(list.colours[2][0], (sim::CellColours{0xFFFFFF, 0x404040}));
  EXPECT_EQ(list.colours[2][1], (sim::CellColours{0x000000, 0xDCF0DC}));
  EXPECT_EQ(list.colours[2][3], (sim::CellColours{0x000000, 0xFFFFFF}));

  ASSERT_TRUE(settings.FindCoordinateColumns());
  EXPECT_EQ(settings.yColumn, 0);
  EXPECT_EQ(settings.xColumn, 1);
  EXPECT_EQ(settings.columns[2].totalDigits, 48);
  EXPECT_EQ(settings.columns[0].totalDigits, 0);
}

TEST_F(TextFieldDialogTest, HeaderBoxRenamesAndDelimiterRebuilds) {
  Lines({"a,b,c,d", "1,2,3,4", "5,6,7,8"}, GeoTextFieldSettings::kComma);
  std::vector<std::string> cleared, rebuilt;
  dialogs.Expect(kDialog, {DialogAction::Click(ids::kHeader),
                           DialogAction::Inspect([&](const sim::DialogState&) { cleared = Names(); }),
                           DialogAction::Click(ids::kTab), DialogAction::Click(ids::kComma),
                           DialogAction::Inspect([&](const sim::DialogState&) { rebuilt = Names(); }),
                           DialogAction::Click(ids::kHeader), DialogAction::OK()});
  ASSERT_EQ(Show(), kNoErr);
  EXPECT_EQ(cleared, (std::vector<std::string>{"FIELD1", "FIELD2", "FIELD3", "FIELD4"}));
  EXPECT_EQ(rebuilt, (std::vector<std::string>{"FIELD1", "FIELD2", "FIELD1", "FIELD2"}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(settings.headerFlag, 1);
  // Without the header the samples are the first two lines.
  const sim::DialogState& afterClear = Run().states[1];
  EXPECT_EQ(afterClear.Control(ids::kColumns).rows[0][2], "a");
}

TEST_F(TextFieldDialogTest, TabSplitsWhereCommaDoesNot) {
  Lines({"y\tx\tname,kana", "1\t2\tA,B"}, GeoTextFieldSettings::kTab);
  dialogs.Expect(kDialog, {DialogAction::Click(ids::kComma), DialogAction::Click(ids::kTab), DialogAction::OK()});
  ASSERT_EQ(Show(), kNoErr);
  EXPECT_EQ(Run().states[1].Control(ids::kColumns).rows.size(), 2u);  // "y\tx\tname" and "kana"
  EXPECT_EQ(Names(), (std::vector<std::string>{"y", "x", "name,kana"}));
}

TEST_F(TextFieldDialogTest, DoubleClickRedefinesAColumn) {
  Lines({"lat,lon,pop", "35,139,100"}, GeoTextFieldSettings::kComma);
  dialogs.Expect(kDialog, {DialogAction::DoubleClickRow(ids::kColumns, 2), DialogAction::OK()});
  dialogs.Expect(dialog_ids::kFieldDefinition,
                 {DialogAction::Choose(dialog_ids::field::kType, 1),
                  DialogAction::SetText(dialog_ids::field::kTotalDigits, "8"), DialogAction::OK()});
  ASSERT_EQ(Show(), kNoErr);
  const auto fieldRuns = dialogs.RunsOf(dialog_ids::kFieldDefinition);
  ASSERT_EQ(fieldRuns.size(), 1u);
  // The coordinate types are offered in this mode.
  EXPECT_EQ(fieldRuns[0]->states[0].Control(dialog_ids::field::kType).items.size(), 5u);
  // Owned by the settings dialog, over which it opens.
  EXPECT_NE(fieldRuns[0]->owner, host.Host().MainWindow());
  EXPECT_EQ(settings.columns[2].type, kShapeFieldInteger);
  EXPECT_EQ(settings.columns[2].totalDigits, 8);
  EXPECT_EQ(Run().states[1].Control(ids::kColumns).rows[2][1], "整数");
}

TEST_F(TextFieldDialogTest, OkRefusesColumnsWithoutOneOfEachCoordinate) {
  Lines({"lat,lon,pop", "35,139,100"}, GeoTextFieldSettings::kComma);
  // Column 2 made a second latitude: OK is refused until it is a string again.
  dialogs.Expect(kDialog, {DialogAction::DoubleClickRow(ids::kColumns, 1), DialogAction::OK(),
                           DialogAction::DoubleClickRow(ids::kColumns, 1), DialogAction::OK()});
  dialogs.Expect(dialog_ids::kFieldDefinition, {DialogAction::Choose(dialog_ids::field::kType, 3), DialogAction::OK()});
  dialogs.Expect(dialog_ids::kFieldDefinition, {DialogAction::Choose(dialog_ids::field::kType, 4), DialogAction::OK()});
  ASSERT_EQ(Show(), kNoErr);
  EXPECT_EQ(Alerts(), (std::vector<std::string>{kNeedCoordinates}));
  EXPECT_FALSE(Run().states[2].ended);
  EXPECT_NE(host.Host().User().alerts[0].modalParent, nullptr);
}

TEST_F(TextFieldDialogTest, FirstLineOfOneFieldGivesNoColumns) {
  Lines({"only", "35"}, GeoTextFieldSettings::kComma);
  dialogs.Expect(kDialog, {DialogAction::OK(), DialogAction::Cancel()});
  EXPECT_EQ(Show(), kCanceledErr);
  EXPECT_TRUE(Run().states[0].Control(ids::kColumns).rows.empty());
  EXPECT_EQ(Alerts(), (std::vector<std::string>{kNeedCoordinates}));
}

// Attribute fields: the columns' definitions, each name once.
struct NamesCase {
  const char* label;
  std::vector<const char*> names;  // the columns after the two coordinates
  std::vector<const char*> fields;
};

class AttributeNamesTest : public kztest::HostTest, public ::testing::WithParamInterface<NamesCase> {};

TEST_P(AttributeNamesTest, NamesAreUnique) {
  GeoTextFieldSettings settings;
  settings.columns = {ShapeField{"y", kShapeFieldLatitude, 0, 0, ""}, ShapeField{"x", kShapeFieldLongitude, 0, 0, ""}};
  for (const char* name : GetParam().names) settings.columns.push_back(ShapeField{name, kShapeFieldString, 48, 0, ""});
  std::vector<size_t> columns;
  std::vector<std::string> names;
  for (const ShapeField& field : settings.AttributeFields(columns)) names.push_back(field.name.as_UTF8());
  EXPECT_EQ(names, std::vector<std::string>(GetParam().fields.begin(), GetParam().fields.end()));
  ASSERT_EQ(columns.size(), GetParam().names.size());
  EXPECT_EQ(columns.front(), 2u);
}

const NamesCase kNamesCases[] = {
    {"Distinct", {"名前", "人口"}, {"名前", "人口"}},
    {"Repeated", {"名前", "名前", "名前"}, {"名前", "名前_2", "名前_3"}},
    {"Empty", {"", "a", ""}, {"FIELD3", "a", "FIELD5"}},
    {"EmptyMeetsItsNumber", {"FIELD4", ""}, {"FIELD4", "FIELD4_2"}},
};

INSTANTIATE_TEST_SUITE_P(Columns, AttributeNamesTest, ::testing::ValuesIn(kNamesCases),
                         [](const ::testing::TestParamInfo<NamesCase>& info) { return info.param.label; });

}  // namespace

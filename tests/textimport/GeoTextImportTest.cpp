// The coordinate text import as the host runs it, on comma- and
// tab-separated files with quotes, doubled quotes, blank lines and Japanese
// text in Shift-JIS, UTF-8 (with and without a byte-order mark) and UTF-16:
// attribute values equal what ogrinfo reads from the same text, points lie
// where PROJ puts them (to 1 mm).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "../kml/ImportCheck.h"
#include "resources/DialogIds.h"

namespace {

namespace coord_ids = dialog_ids::import_coord;
using namespace importtest;
using importcheck::Point;
using sim::DialogAction;

constexpr uint32_t kTextItem = 2;
constexpr double kMillimetre = 0.001;
constexpr double kScale = 5000;
constexpr int32_t kFieldsDialog = dialog_ids::kTextFieldSettings;

const char* const kCsv =
    "緯度,経度,名前,人口,メモ\r\n"
    "35.66,139.74,\"東京, タワー\",100,\"\"\"展望\"\" 台\"\r\n"
    "\r\n"
    "35.6712,139.7513,大阪,,\r\n"
    "abc,139.7,悪い,1,x\r\n"
    "\r\n"
    "35.6655,139.7621,\"a\"\"b\"\"c\",7,\"x,y\"\r\n"
    "35.699,139.7801,北,-3,最後の行\n";

const char* const kTsv =
    "緯度\t経度\t名前\t人口\tメモ\n"
    "35.66\t139.74\t\"東京\t タワー\"\t100\t\"\"\"展望\"\" 台\"\n"
    "\n"
    "35.6712\t139.7513\t大阪, 城\t\t\n"
    "35.6655\t139.7621\t\"a\"\"b\"\t7\t\"x\ty\"\n";

struct EncodingCase {
  const char* label;
  const char* text;       // UTF-8
  const char* extension;  // for ogrinfo and for the import
  const char* iconvTo;    // null: the UTF-8 bytes as they are
  const char* mark;       // bytes put before the text
  const char* choice;     // the encoding entry of the open-file dialog
  size_t badLines;
};

class GeoTextImport : public importcheck::ItemScenario, public ::testing::WithParamInterface<EncodingCase> {
 protected:
  // The text in the case's encoding, written as data.<extension>.
  std::string WriteEncoded(const EncodingCase& c) {
    const std::string utf8 = folder / (std::string("reference.") + c.extension);
    std::ofstream(utf8, std::ios::binary) << c.text;
    const std::string path = folder / (std::string("data.") + c.extension);
    std::ofstream(path, std::ios::binary) << c.mark;
    if (c.iconvTo == nullptr) {
      std::ofstream(path, std::ios::binary | std::ios::app) << c.text;
    } else {
      const CommandResult made = RunMerged("iconv -f UTF-8 -t " + std::string(c.iconvTo) + " " + Quote(utf8) + " >> " + Quote(path));
      EXPECT_EQ(made.status, 0) << made.out;
    }
    return path;
  }
};

TEST_P(GeoTextImport, ValuesAsOgrinfoReadsThemAndPositionsAsProj) {
  const EncodingCase& c = GetParam();
  const std::string path = WriteEncoded(c);
  const std::vector<importcheck::OgrFeature> reference =
      importcheck::OgrFeatures(folder / (std::string("reference.") + c.extension));

  AnswerFiles({path}, c.choice);
  dialogs.Expect(kFieldsDialog, {DialogAction::OK()});
  AnswerNewPlaneMap(9, "5000");
  ASSERT_TRUE(ImportItem(kTextItem));
  ExpectCleanDialogs();

  std::vector<std::string> expectedAlerts;
  if (c.badLines > 0) {
    expectedAlerts.push_back(std::string("data.") + c.extension + " の " + std::to_string(c.badLines) +
                             " 行は座標値が数値でないため、読み込んでいません");
  }
  EXPECT_EQ(AlertTextsBesidesArtboardAdvice(), expectedAlerts);
  EXPECT_EQ(CurrentLayerTitle(), "data");

  // Every line whose coordinates are numbers, in file order.
  std::vector<importcheck::OgrFeature> rows;
  for (const auto& feature : reference) {
    char* end = nullptr;
    const std::string lat = feature.fields.at("緯度").value;
    std::strtod(lat.c_str(), &end);
    if (end != lat.c_str() && *end == '\0') rows.push_back(feature);
  }
  ASSERT_EQ(rows.size() + c.badLines, reference.size());

  std::vector<sim::Art*> points = LayerArt(host, "data");
  std::reverse(points.begin(), points.end());
  ASSERT_EQ(points.size(), rows.size());
  std::vector<AIRealPoint> drawn;
  std::vector<Point> geographic;
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(i);
    const auto row = StoredRow(*points[i]);
    ASSERT_TRUE(row);
    ASSERT_EQ(row->size(), 3u);  // the coordinate columns are not attributes
    for (const auto& field : *row) {
      EXPECT_EQ(field.type, 0);
      EXPECT_EQ(field.totalDigits, 48);
      EXPECT_EQ(field.value, rows[i].fields.at(field.name).value) << field.name;
    }
    drawn.push_back(importcheck::Centre(*points[i]));
    geographic.push_back({std::stod(rows[i].fields.at("経度").value), std::stod(rows[i].fields.at("緯度").value)});
  }
  const double worst = importcheck::WorstDistanceError(drawn, geographic, importcheck::kToPlane9, kScale);
  EXPECT_LT(worst, kMillimetre);
  std::printf("[ measured ] %zu points, worst distance difference from PROJ: %.3f mm\n", drawn.size(), worst * 1000);

  // The layer lists the attribute columns.
  const auto fields = StoredRow(*host.FindLayer("data")->group);
  ASSERT_TRUE(fields);
  ASSERT_EQ(fields->size(), 3u);
  EXPECT_EQ((*fields)[0].name, "名前");
  EXPECT_EQ((*fields)[2].name, "メモ");
}

const EncodingCase kEncodingCases[] = {
    {"Utf8WithMarkCsv", kCsv, "csv", nullptr, "\xEF\xBB\xBF", "UTF-8", 1},
    {"Utf8Csv", kCsv, "csv", nullptr, "", "UTF-8", 1},
    {"ShiftJisCsv", kCsv, "csv", "CP932", "", "シフトJIS", 1},
    {"Utf16LittleEndianCsv", kCsv, "csv", "UTF-16LE", "\xFF\xFE", "UTF-16", 1},
    {"Utf16BigEndianTsv", kTsv, "tsv", "UTF-16BE", "\xFE\xFF", "UTF-16", 0},
    {"ShiftJisTsv", kTsv, "tsv", "CP932", "", "シフトJIS", 0},
};

INSTANTIATE_TEST_SUITE_P(Encodings, GeoTextImport, ::testing::ValuesIn(kEncodingCases),
                         [](const ::testing::TestParamInfo<EncodingCase>& info) { return info.param.label; });

class GeoTextScenario : public importcheck::ItemScenario {
 protected:
  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = folder / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
};

TEST_F(GeoTextScenario, TypedColumnsAreNormalisedAndEmptyCellsStayEmpty) {
  const std::string path = Write("typed.csv", "lat,lon,pop,area\n35.66,139.74,12345,3.14159\n35.67,139.75,,2\n");
  AnswerFiles({path}, "UTF-8");
  dialogs.Expect(kFieldsDialog, {DialogAction::DoubleClickRow(dialog_ids::text_fields::kColumns, 2),
                                 DialogAction::DoubleClickRow(dialog_ids::text_fields::kColumns, 3), DialogAction::OK()});
  dialogs.Expect(dialog_ids::kFieldDefinition, {DialogAction::Choose(dialog_ids::field::kType, 1),
                                                DialogAction::SetText(dialog_ids::field::kTotalDigits, "3"),
                                                DialogAction::OK()});
  dialogs.Expect(dialog_ids::kFieldDefinition,
                 {DialogAction::Choose(dialog_ids::field::kType, 2), DialogAction::SetText(dialog_ids::field::kTotalDigits, "8"),
                  DialogAction::SetText(dialog_ids::field::kDecimals, "2"), DialogAction::OK()});
  AnswerNewPlaneMap(9, "5000");
  ASSERT_TRUE(ImportItem(kTextItem));
  ExpectCleanDialogs();
  std::vector<sim::Art*> points = LayerArt(host, "typed");
  ASSERT_EQ(points.size(), 2u);
  // 12345 does not fit three digits: the largest that does; pi to two decimals.
  const auto first = *StoredRow(*points[1]);
  EXPECT_EQ(importcheck::Value(first, "pop"), "999");
  EXPECT_EQ(importcheck::Value(first, "area"), "3.14");
  const auto second = *StoredRow(*points[0]);
  EXPECT_EQ(importcheck::Value(second, "pop"), "");
  EXPECT_EQ(importcheck::Value(second, "area"), "2.00");
}

TEST_F(GeoTextScenario, PointOnTheWesternBoundIsDrawn) {
  const std::string path = Write("area.csv", "lat,lon\n35.66,139.74\n35.67,139.7399\n35.68,139.75\n");
  AnswerFiles({path}, "UTF-8");
  dialogs.Expect(kFieldsDialog, {DialogAction::OK()});
  AnswerCoords({DialogAction::Check(coord_ids::kLimitArea, true),
                DialogAction::SetText(coord_ids::kNorthWest, "35.7,139.74"),
                DialogAction::SetText(coord_ids::kSouthEast, "35.6,139.8"),
                DialogAction::Click(coord_ids::kTargetPlane), DialogAction::Choose(coord_ids::kTargetSystem, 9),
                DialogAction::SetText(coord_ids::kScale, "5000"), DialogAction::OK()});
  ASSERT_TRUE(ImportItem(kTextItem));
  ExpectCleanDialogs();
  EXPECT_EQ(LayerArt(host, "area").size(), 2u);
}

TEST_F(GeoTextScenario, FileWithoutDataLinesSaysSoAndStops) {
  const std::string path = Write("header.csv", "lat,lon,name\nx,y,z\n\n");
  AnswerFiles({path}, "UTF-8");
  dialogs.Expect(kFieldsDialog, {DialogAction::OK()});
  ASSERT_TRUE(ImportItem(kTextItem));
  // Nothing to draw is a failure, not a notice.
  EXPECT_EQ(ErrorTexts(), (std::vector<std::string>{
                              "header.csv には座標値を読めるデータ行がないため、座標範囲がありません（読めない行 1）"}));
  EXPECT_EQ(AlertTexts().size(), 1u);
  EXPECT_TRUE(dialogs.RunsOf(dialog_ids::kImportCoordSettings).empty());
  EXPECT_EQ(host.FindLayer("header"), nullptr);
}

TEST_F(GeoTextScenario, CancelInTheFieldSettingsStopsSilently) {
  const std::string path = Write("cancel.txt", "lat\tlon\n35\t139\n");
  AnswerFiles({path}, "UTF-8");
  dialogs.Expect(kFieldsDialog, {DialogAction::Cancel()});
  ASSERT_TRUE(ImportItem(kTextItem));
  EXPECT_TRUE(AlertTexts().empty());
  EXPECT_TRUE(dialogs.RunsOf(dialog_ids::kImportCoordSettings).empty());
  // A .txt file is split at tabs.
  EXPECT_TRUE(dialogs.RunsOf(kFieldsDialog)[0]->states[0].Control(dialog_ids::text_fields::kTab).checked);
}

}  // namespace

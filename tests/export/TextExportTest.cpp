// Coordinate text exports end to end: bytes of each encoding, numbers in any
// C locale, quoting read back by Python's csv module, file names, cancelling.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "ExportTestHost.h"
#include "export/CGeoTextFileExporter.h"
#include "georef/GeorefLayers.h"
#include "resources/DialogIds.h"

namespace {

using kztest::ExportTest;
using kztest::Field;
using kztest::Quote;
using kztest::ReadFile;
using kztest::RunCommand;
using sim::DialogAction;
namespace ids = dialog_ids::export_settings;

std::string Bytes(std::u16string_view text) {
  std::string bytes;
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

class TextExportTest : public ExportTest {
 protected:
  TextExportTest() : layer(host.AddLayer("地点")) {}

  // Four markers on the artboard square (0, 0)-(100, 100) at 139°-140°E, 35°-36°N.
  void AddLatLongMarkers() {
    const char* texts[] = {"35.000000&139.000000", "36.000000&139.000000", "36.000000&140.000000",
                           "35.000000&140.000000"};
    const AIRealPoint anchors[] = {{0, 0}, {0, 100}, {100, 100}, {100, 0}};
    for (int i = 0; i < 4; ++i) {
      sim::Layer& marker = host.AddLayer(kFourPointMarkerTitles[static_cast<size_t>(i)]);
      host.AddPointText(*marker.group, anchors[i], texts[i]);
    }
  }
  // A symbol centred on the artboard point.
  sim::Art& Symbol(sim::Layer& on, float x, float y) { return host.AddSymbol(*on.group, {x - 1, y + 1, x + 1, y - 1}); }

  AIErr Export(std::vector<DialogAction> actions, const std::string& name) {
    AnswerExport(std::move(actions), Scratch(name).string());
    CGeoTextFileExporter exporter(plugin);
    return exporter.Run();
  }

  sim::Layer& layer;
};

TEST_F(TextExportTest, Utf16Layout) {
  AddLatLongMarkers();
  SetLayerFields(layer, {Field("名前", 0, 20)});
  SetAttributes(Symbol(layer, 50, 25), {Field("名前", 0, 20, 0, "橋")});
  ASSERT_EQ(Export({DialogAction::Choose(ids::kEncoding, 2), DialogAction::Click(ids::kTab)}, "p.txt"), kNoErr);
  const std::string expected = "\xFF\xFE" + Bytes(u"緯度(B)\t経度(L)\t名前\tAI_TEXT\r\n") +
                               Bytes(u"35.250000000\t139.500000000\t橋\t\r\n");
  EXPECT_EQ(ReadFile(Scratch("p.txt")), expected);
  EXPECT_TRUE(AlertTexts().empty());
}

TEST_F(TextExportTest, EightBitEncodingsAndAnyLocale) {
  AddLatLongMarkers();
  SetAttributes(Symbol(layer, 50, 25), {Field("名前", 0, 20, 0, "橋")});
  SetLayerFields(layer, {Field("名前", 0, 20)});
  // A C locale whose decimal mark is a comma, made for this test.
  const std::string locales = Scratch("locales").string();
  std::filesystem::create_directories(locales);
  ASSERT_EQ(RunCommand("localedef -i de_DE -f UTF-8 " + Quote(locales + "/de_DE.UTF-8")).status, 0);
  setenv("LOCPATH", locales.c_str(), 1);
  ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr);
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.1f", 1.5);
  EXPECT_STREQ(probe, "1,5");

  const std::string body = "緯度(B)\t経度(L)\t名前\tAI_TEXT\r\n35.250000000\t139.500000000\t橋\t\r\n";
  ASSERT_EQ(Export({DialogAction::Choose(ids::kEncoding, 1)}, "u.txt"), kNoErr);
  EXPECT_EQ(ReadFile(Scratch("u.txt")), "\xEF\xBB\xBF" + body);
  ASSERT_EQ(Export({DialogAction::Choose(ids::kEncoding, 0)}, "s.txt"), kNoErr);
  std::setlocale(LC_NUMERIC, "C");
  unsetenv("LOCPATH");
  const auto sjis = RunCommand("printf '%s' " + Quote(body) + " | iconv -f UTF-8 -t CP932");
  ASSERT_EQ(sjis.status, 0);
  EXPECT_EQ(ReadFile(Scratch("s.txt")), sjis.out);
}

TEST_F(TextExportTest, QuotingReadBackByPython) {
  AddPlaneFrame(1000, 2000);
  const std::vector<ShapeField> fields{Field("名,前", 0, 20), Field("memo", 0, 40), Field("n", 1, 5)};
  SetLayerFields(layer, fields);
  // Each added below the one before; the rows come from the back.
  // A quote with no delimiter nearby is quoted in both forms: a reader
  // takes a field that starts with one for a quoted field.
  SetAttributes(Symbol(layer, 50, 60), {Field("memo", 0, 40, 0, "\"A\" 地点")});
  SetAttributes(Symbol(layer, 30, 40), {Field("memo", 0, 40, 0, "tab\there")});
  SetAttributes(Symbol(layer, 10, 20),
                {Field("名,前", 0, 20, 0, "a,b"), Field("memo", 0, 40, 0, "say \"hi\"\r\nagain"), Field("n", 1, 5, 0, "7")});
  const char* script =
      "import csv,sys\n"
      "rows=list(csv.reader(open(sys.argv[1],encoding='utf-8-sig',newline=''),delimiter=sys.argv[2]))\n"
      "print(repr(rows))\n";
  const std::string expected =
      "[['平面直角X座標(m)', '平面直角Y座標(m)', '名,前', 'memo', 'n', 'AI_TEXT'], "
      "['2025.400000000', '1012.700000000', 'a,b', 'say \"hi\"\\r\\nagain', '7', ''], "
      "['2050.800000000', '1038.100000000', '', 'tab\\there', '', ''], "
      "['2076.200000000', '1063.500000000', '', '\"A\" 地点', '', '']]\n";
  for (const char* delimiter : {",", "\t"}) {
    const bool comma = delimiter[0] == ',';
    ASSERT_EQ(Export({DialogAction::Choose(ids::kEncoding, 1), DialogAction::Click(comma ? ids::kComma : ids::kTab)},
                     "q.csv"),
              kNoErr);
    const auto read = RunCommand("python3 -c " + Quote(script) + " " + Quote(Scratch("q.csv").string()) + " " +
                                 Quote(delimiter));
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, expected) << "delimiter " << (comma ? "comma" : "tab");
  }
}

TEST_F(TextExportTest, NamesAndFilters) {
  AddPlaneFrame();
  Symbol(layer, 1, 1);
  Symbol(host.AddLayer("地点"), 2, 2);  // the same title
  Symbol(host.AddLayer("a/b:c"), 3, 3);
  ASSERT_EQ(Export({DialogAction::Click(ids::kComma)}, "single.txt"), kNoErr);
  const sim::FileDialogRecord& save = host.User().fileDialogs.back();
  EXPECT_EQ(save.defaultName, "Export.txt");  // never saved
  constexpr char16_t kFilter[] = u"CSVファイル(*.csv)\0*.csv\0すべてのファイル(*.*)\0*.*\0";  // and the literal's own 0
  EXPECT_EQ(save.filter, std::u16string(kFilter, std::size(kFilter)));

  ASSERT_EQ(Export({DialogAction::Choose(ids::kTarget, 2), DialogAction::Check(ids::kOneFilePerLayer, true)}, "."),
            kNoErr);
  for (const char* name : {"地点.csv", "地点_2.csv", "a_b_c.csv"})
    EXPECT_TRUE(std::filesystem::exists(Scratch(name))) << name;
}

TEST_F(TextExportTest, UnencodableValuesAreReportedOncePerFile) {
  AddPlaneFrame();
  SetLayerFields(layer, {Field("名前", 0, 20)});
  SetAttributes(Symbol(layer, 1, 1), {Field("名前", 0, 20, 0, "𠮷野家")});
  SetAttributes(Symbol(layer, 2, 2), {Field("名前", 0, 20, 0, "한국")});
  ASSERT_EQ(Export({}, "s.txt"), kNoErr);
  ASSERT_EQ(AlertTexts().size(), 1u);
  EXPECT_EQ(AlertTexts()[0], "s.txt: 文字コードで表せない文字を含む値が 2 個あり、その文字は「?」になりました");
}

TEST_F(TextExportTest, CancelKeepsFinishedFilesAndLeavesTheRestAlone) {
  AddPlaneFrame();
  Symbol(layer, 1, 1);
  sim::Layer& second = host.AddLayer("二");
  Symbol(second, 2, 2);
  Symbol(second, 3, 3);
  Symbol(host.AddLayer("三"), 4, 4);
  const std::string earlier = "an earlier file\r\n";
  {
    std::ofstream out(Scratch("二.txt"), std::ios::binary);
    out << earlier;
  }
  host.User().progress.cancelAt = 1;  // the second object of the second layer
  EXPECT_EQ(Export({DialogAction::Choose(ids::kTarget, 2), DialogAction::Check(ids::kOneFilePerLayer, true),
                    DialogAction::Click(ids::kTab)},
                   "."),
            kCanceledErr);
  EXPECT_EQ(ReadFile(Scratch("地点.txt")).substr(0, 3), "\x95\xbd\x96");  // Shift-JIS 平面..., complete
  EXPECT_EQ(ReadFile(Scratch("二.txt")), earlier);
  EXPECT_FALSE(std::filesystem::exists(Scratch("三.txt")));
  for (const auto& entry : std::filesystem::directory_iterator(scratch))
    EXPECT_NE(entry.path().extension(), ".part") << entry.path();
  EXPECT_TRUE(AlertTexts().empty());
}

// The coordinates are found by their column names, as a user's program finds
// them, and agree with PROJ for each kind of output.
TEST_F(TextExportTest, CoordinateColumnsReadByNameAgreeWithProj) {
  AddLatLongMarkers();
  Symbol(layer, 50, 25);  // 35.25°N 139.5°E
  struct Case {
    std::vector<DialogAction> actions;
    const char* north;  // the column names
    const char* east;
    std::string target;  // PROJ's definition of the output; empty: latitude/longitude
    double tolerance;
  };
  const std::vector<Case> cases{
      {{DialogAction::Click(ids::kOutputUtm), DialogAction::Choose(ids::kOutputUtmZone, 54)}, "UTM N座標(m)",
       "UTM E座標(m)", "+proj=utm +zone=54 +ellps=GRS80", 1e-3},
      {{DialogAction::Click(ids::kOutputPlane), DialogAction::Choose(ids::kOutputPlaneSystem, 9)}, "平面直角X座標(m)",
       "平面直角Y座標(m)", "+proj=tmerc +lat_0=36 +lon_0=139.8333333333333 +k=0.9999 +ellps=GRS80", 1e-3},
      {{DialogAction::Click(ids::kOutputLatLong)}, "緯度(B)", "経度(L)", "", 1e-9},
  };
  const char* script =
      "import csv,sys\n"
      "row=next(csv.DictReader(open(sys.argv[1],encoding='utf-8-sig',newline='')))\n"
      "print(row[sys.argv[2]],row[sys.argv[3]])\n";
  for (const Case& c : cases) {
    std::vector<DialogAction> actions{DialogAction::Choose(ids::kEncoding, 1), DialogAction::Click(ids::kComma),
                                      DialogAction::Click(ids::kConvert)};
    actions.insert(actions.end(), c.actions.begin(), c.actions.end());
    ASSERT_EQ(Export(actions, "named.csv"), kNoErr) << c.north;
    const auto read = RunCommand("python3 -c " + Quote(script) + " " + Quote(Scratch("named.csv").string()) + " " +
                                 Quote(c.north) + " " + Quote(c.east));
    ASSERT_EQ(read.status, 0) << read.err;
    double north = 0, east = 0;
    ASSERT_EQ(std::sscanf(read.out.c_str(), "%lf %lf", &north, &east), 2) << read.out;
    double expectedEast = 139.5, expectedNorth = 35.25;
    if (!c.target.empty()) {
      const auto proj = RunCommand("echo 139.5 35.25 | cs2cs -f %.6f +proj=longlat +ellps=GRS80 +to " + c.target);
      ASSERT_EQ(proj.status, 0) << proj.err;
      ASSERT_EQ(std::sscanf(proj.out.c_str(), "%lf %lf", &expectedEast, &expectedNorth), 2) << proj.out;
    }
    EXPECT_NEAR(north, expectedNorth, c.tolerance) << c.north;
    EXPECT_NEAR(east, expectedEast, c.tolerance) << c.east;
  }
}

// Layers that define a name differently share its column in a text file;
// a field named like a coordinate column gets a header of its own, and the
// user is told.
TEST_F(TextExportTest, HeadersAreUniqueAndRenamesAreTold) {
  AddPlaneFrame(1000, 2000);
  SetLayerFields(layer, {Field("名称", 0, 20), Field("平面直角X座標(m)", 0, 10)});
  SetAttributes(Symbol(layer, 10, 20), {Field("名称", 0, 20, 0, "東口"), Field("平面直角X座標(m)", 0, 10, 0, "古い")});
  sim::Layer& other = host.AddLayer("施設");
  SetLayerFields(other, {Field("名称", 0, 40), Field("番号", 1, 5)});
  SetAttributes(Symbol(other, 30, 40), {Field("名称", 0, 40, 0, "図書館"), Field("番号", 1, 5, 0, "12")});
  ASSERT_EQ(Export({DialogAction::Choose(ids::kTarget, 2), DialogAction::Choose(ids::kEncoding, 1),
                    DialogAction::Click(ids::kComma)},
                   "all.csv"),
            kNoErr);
  const char* script =
      "import csv,sys\n"
      "rows=list(csv.reader(open(sys.argv[1],encoding='utf-8-sig',newline='')))\n"
      "print(repr([rows[0]]+[r[2:] for r in rows[1:]]))\n";
  const auto read = RunCommand("python3 -c " + Quote(script) + " " + Quote(Scratch("all.csv").string()));
  ASSERT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(read.out,
            "[['平面直角X座標(m)', '平面直角Y座標(m)', '名称', '平面直角X座標(m)_1', '番号', 'AI_TEXT'], "
            "['東口', '古い', '', ''], ['図書館', '', '12', '']]\n");
  EXPECT_EQ(AlertTexts(), std::vector<std::string>{
                              "all.csv: 見出しが重なるため、名前を変えた列が 1 個あります: 平面直角X座標(m) → "
                              "平面直角X座標(m)_1"});
}

}  // namespace

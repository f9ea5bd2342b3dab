// Shapefile exports end to end, read back by GDAL: geometry, values in both
// encodings, the coordinate system of the .prj, file names, failures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <regex>

#include "ExportTestHost.h"
#include "export/CShapeFileExporter.h"
#include "export/EsriProjection.h"
#include "formats/CShapeFileReader.h"
#include "resources/DialogIds.h"

namespace {

using kztest::ExportTest;
using kztest::Field;
using kztest::Quote;
using kztest::ReadFile;
using kztest::RunCommand;
using sim::DialogAction;
namespace ids = dialog_ids::export_settings;

class ShapeExportTest : public ExportTest {
 protected:
  ShapeExportTest() : roads(host.AddLayer("道路")) {}

  AIErr Export(std::vector<DialogAction> actions, const std::string& name) {
    AnswerExport(std::move(actions), Scratch(name).string());
    CShapeFileExporter exporter(plugin);
    return exporter.Run();
  }
  // Everything ogrinfo says of the file, failing on anything it warns about.
  std::string OgrInfo(const std::string& name, const std::string& options = "-al") {
    const auto info = RunCommand("ogrinfo -ro " + options + " " + Quote(Scratch(name).string()));
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.err, "");
    return info.out;
  }

  sim::Layer& roads;
};

// The geometry lines of ogrinfo's report, in order, each with its numbers
// rounded to micrometres (GDAL prints 1000.0000000000001 as "1000.0").
std::vector<std::string> Geometries(const std::string& info) {
  std::vector<std::string> lines;
  const std::regex geometry(R"(^\s+((POINT|LINESTRING|POLYGON|MULTI\w+) .*)$)");
  const std::regex number(R"(-?[0-9]+(\.[0-9]+)?)");
  std::smatch match;
  std::istringstream in(info);
  for (std::string line; std::getline(in, line);) {
    if (!std::regex_match(line, match, geometry)) continue;
    std::string text = match[1], rounded;
    auto end = std::sregex_iterator();
    size_t last = 0;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), number); it != end; ++it) {
      rounded += text.substr(last, static_cast<size_t>(it->position()) - last);
      char digits[64];
      std::snprintf(digits, sizeof digits, "%.6g", std::round(std::stod(it->str()) * 1e6) / 1e6);
      rounded += digits;
      last = static_cast<size_t>(it->position() + it->length());
    }
    lines.push_back(rounded + text.substr(last));
  }
  return lines;
}

TEST_F(ShapeExportTest, PolygonsWithHolesAndIslandsReadByGdal) {
  AddPlaneFrame(1000, 2000);  // 1.27 m a point
  SetLayerFields(roads, {Field("名前", 0, 20), Field("幅", 2, 8, 2)});
  // Each object added below the one before: from the back, the outer ring,
  // the hole, the island, and the lake behind the square.
  sim::Art& lake = host.AddCompoundPath(*roads.group);
  host.AddPath(lake, {{200, 0}, {300, 0}, {300, 100}}, true);
  host.AddPath(lake, {{20, 20}, {20, 40}, {40, 40}, {40, 20}}, true);
  host.AddPath(lake, {{0, 0}, {100, 0}, {100, 100}, {0, 100}}, true);
  SetAttributes(lake, {Field("名前", 0, 20, 0, "湖と島"), Field("幅", 2, 8, 2, "12.50")});
  sim::Art& square = host.AddPath(*roads.group, {{0, 0}, {0, 10}, {10, 10}, {10, 0}}, true);
  host.EditStyle(&square, [&](AIPathStyle& style) {
    style.fillPaint = true;
  });
  SetAttributes(square, {Field("名前", 0, 20, 0, "四角")});

  for (int encoding : {0, 1}) {
    ASSERT_EQ(Export({DialogAction::Click(ids::kPolygon), DialogAction::Choose(ids::kEncoding, encoding),
                      DialogAction::Check(ids::kExpandBezier, false), DialogAction::Check(ids::kAddLayerField, true)},
                     "lake.shp"),
              kNoErr);
    EXPECT_EQ(ReadFile(Scratch("lake.cpg")), encoding == 0 ? "CP932" : "UTF-8");
    const std::string info = OgrInfo("lake.shp");
    EXPECT_NE(info.find("Geometry: Polygon"), std::string::npos);
    EXPECT_NE(info.find("名前 (String) = 湖と島"), std::string::npos) << info;
    EXPECT_NE(info.find("幅 (Real) = 12.50"), std::string::npos) << info;
    EXPECT_NE(info.find("AI_LAYER (String) = 道路"), std::string::npos) << info;
    EXPECT_NE(info.find("名前 (String) = 四角"), std::string::npos) << info;
    // (x, y) = (1000 + 1.27 h, 2000 + 1.27 v); outer rings clockwise, the hole counter-clockwise.
    EXPECT_EQ(Geometries(info),
              (std::vector<std::string>{
                  "POLYGON ((1000 2000,1000 2012.7,1012.7 2012.7,1012.7 2000,1000 2000))",
                  "MULTIPOLYGON (((1000 2000,1000 2127,1127 2127,1127 2000,1000 2000),"
                  "(1025.4 2025.4,1050.8 2025.4,1050.8 2050.8,1025.4 2050.8,1025.4 2025.4)),"
                  "((1254 2000,1381 2127,1381 2000,1254 2000)))"}));
  }
}

TEST_F(ShapeExportTest, PolylinesAndPointsWithTheirLayerNames) {
  AddPlaneFrame(1000, 2000);
  sim::Art& line = host.AddCompoundPath(*roads.group);
  host.AddPath(line, {{0, 10}, {10, 20}, {20, 10}}, false);  // in front of
  host.AddPath(line, {{0, 0}, {10, 0}}, false);
  ASSERT_EQ(Export({DialogAction::Click(ids::kPolyline), DialogAction::Check(ids::kAddLayerField, true)}, "l.shp"),
            kNoErr);
  EXPECT_EQ(Geometries(OgrInfo("l.shp")),
            std::vector<std::string>{"MULTILINESTRING ((1000 2000,1012.7 2000),(1000 2012.7,1012.7 2025.4,1025.4 2012.7))"});
  // Shift-JIS is the layer title's bytes in code page 932.
  const std::string dbf = ReadFile(Scratch("l.dbf"));
  EXPECT_NE(dbf.find("\x93\xb9\x98\x48"), std::string::npos);  // 道路

  host.AddSymbol(*roads.group, {10, 40, 30, 20});
  ASSERT_EQ(Export({DialogAction::Click(ids::kPoint), DialogAction::Check(ids::kSymbols, true)}, "p.shp"), kNoErr);
  EXPECT_EQ(Geometries(OgrInfo("p.shp")),
            (std::vector<std::string>{"POINT (1025.4 2038.1)", "POINT (1012.7 2012.7)"}));  // the line's box centre too
}

TEST_F(ShapeExportTest, ProjectionFileNamesTheSystem) {
  // Every system the dialog offers, as GDAL identifies its .prj.
  struct Case {
    CoordRef ref;
    int epsg;
  };
  std::vector<Case> cases{{{2, 1, 0, 0}, 4612}, {{1, 1, 0, 0}, 4301}, {{4, 1, 0, 0}, 6668}, {{5, 1, 0, 0}, 4326}};
  for (int system = 1; system <= 19; ++system) {
    cases.push_back({{2, 3, system, 0}, 2442 + system});
    cases.push_back({{1, 3, system, 0}, 30160 + system});
    cases.push_back({{4, 3, system, 0}, 6668 + system});
  }
  for (int zone = 51; zone <= 55; ++zone) {
    cases.push_back({{2, 2, 0, zone}, 3046 + zone});
    cases.push_back({{1, 2, 0, zone}, 3041 + zone});
    cases.push_back({{4, 2, 0, zone}, 6637 + zone});
  }
  for (int zone = 51; zone <= 56; ++zone) cases.push_back({{5, 2, 0, zone}, 32600 + zone});
  // GDAL's own identification (what gdalsrsinfo -e does), in one process.
  std::string files;
  for (size_t i = 0; i < cases.size(); ++i) {
    const std::string text = EsriProjectionText(cases[i].ref);
    ASSERT_FALSE(text.empty()) << cases[i].epsg;
    std::ofstream(Scratch(std::to_string(i) + ".prj")) << text;
    files += " " + Quote(Scratch(std::to_string(i) + ".prj").string());
  }
  const char* script =
      "import sys\n"
      "from osgeo import osr\n"
      "for name in sys.argv[1:]:\n"
      "  s = osr.SpatialReference()\n"
      "  s.ImportFromESRI([open(name).read()])\n"
      "  m = [x for x in s.FindMatches() if x[1] == 100]\n"
      "  print('EPSG:' + m[0][0].GetAuthorityCode(None) if len(m) == 1 else 'no single match')\n";
  const auto identified = RunCommand("/usr/bin/python3 -c " + Quote(script) + files);
  ASSERT_EQ(identified.status, 0) << identified.err;
  std::string expected;
  for (const Case& c : cases) expected += "EPSG:" + std::to_string(c.epsg) + "\n";
  EXPECT_EQ(identified.out, expected);

  // A UTM zone without an EPSG code still describes the zone, and a plane
  // system on WGS 84 its origin.
  std::ofstream(Scratch("z56.prj")) << EsriProjectionText({2, 2, 0, 56});
  const auto proj4 = RunCommand("gdalsrsinfo -o proj4 " + Quote(Scratch("z56.prj").string()));
  EXPECT_NE(proj4.out.find("+proj=utm +zone=56 +ellps=GRS80"), std::string::npos) << proj4.out;
  std::ofstream(Scratch("w9.prj")) << EsriProjectionText({5, 3, 9, 0});
  const auto plane = RunCommand("gdalsrsinfo -o proj4 " + Quote(Scratch("w9.prj").string()));
  EXPECT_NE(plane.out.find("+proj=tmerc +lat_0=36 +lon_0=139.833333333333 +k=0.9999 +x_0=0 +y_0=0 +datum=WGS84"),
            std::string::npos)
      << plane.out;

  // And the exported file carries it.
  AddPlaneFrame(1000, 2000, 9, 2);
  host.AddSymbol(*roads.group, {0, 1, 1, 0});
  ASSERT_EQ(Export({}, "p.shp"), kNoErr);
  const auto srs = RunCommand("gdalsrsinfo -e " + Quote(Scratch("p.prj").string()) + " | grep ^EPSG");
  EXPECT_EQ(srs.out, "EPSG:2451\n");
}

TEST_F(ShapeExportTest, FileNames) {
  AddPlaneFrame();
  host.AddSymbol(*roads.group, {0, 1, 1, 0});
  host.AddSymbol(*host.AddLayer("河川").group, {0, 1, 1, 0});
  host.AddSymbol(*host.AddLayer("道路").group, {0, 1, 1, 0});
  host.AddSymbol(*host.AddLayer("..").group, {0, 1, 1, 0});
  ASSERT_EQ(Export({DialogAction::Choose(ids::kTarget, 2), DialogAction::Check(ids::kOneFilePerLayer, true)}, "."),
            kNoErr);
  for (const char* stem : {"道路", "河川", "道路_2", "_"}) {
    for (const char* extension : {".shp", ".shx", ".dbf", ".cpg", ".prj"})
      EXPECT_TRUE(std::filesystem::exists(Scratch(std::string(stem) + extension))) << stem << extension;
  }
  EXPECT_EQ(host.User().fileDialogs.back().kind, sim::FileDialogRecord::Kind::Folder);

  ASSERT_EQ(Export({}, "a.shp"), kNoErr);
  EXPECT_EQ(host.User().fileDialogs.back().defaultName, "Export.shp");
  document->filePath = (scratch / "Map.ai").string();
  ASSERT_EQ(Export({}, "a.shp"), kNoErr);
  EXPECT_EQ(host.User().fileDialogs.back().defaultName, "Map.shp");
  EXPECT_EQ(host.User().fileDialogs.back().initial, scratch.string());  // where the last export went
  constexpr char16_t kFilter[] = u"Shapefiles(*.shp)\0*.shp\0";
  EXPECT_EQ(host.User().fileDialogs.back().filter, std::u16string(kFilter, std::size(kFilter)));
}

TEST_F(ShapeExportTest, FailuresLeaveEarlierFilesAlone) {
  AddPlaneFrame();
  host.AddSymbol(*roads.group, {0, 1, 1, 0});
  host.AddSymbol(*roads.group, {0, 2, 2, 0});
  ASSERT_EQ(Export({}, "p.shp"), kNoErr);
  const std::string before = ReadFile(Scratch("p.shp"));

  host.User().progress.cancelAt = 1;
  host.AddSymbol(*roads.group, {0, 3, 3, 0});
  EXPECT_EQ(Export({}, "p.shp"), kCanceledErr);
  EXPECT_EQ(ReadFile(Scratch("p.shp")), before);
  for (const auto& entry : std::filesystem::directory_iterator(scratch))
    EXPECT_EQ(entry.path().stem().string(), "p") << entry.path();

  host.User().progress.cancelAt.reset();
  host.User().progress.Reset();
  EXPECT_EQ(Export({}, "missing/p.shp"), kNoErr);
  // The file, then the system's reason.
  EXPECT_EQ(AlertTexts(), std::vector<std::string>{"出力ファイルを開けません\n" + Scratch("missing/p.shp").string() +
                                                   "\n" + Scratch("missing/p.shp").string() +
                                                   ": No such file or directory"});
}

TEST_F(ShapeExportTest, LongFlattenedPathsKeepEveryPoint) {
  AddPlaneFrame();
  // 16000 curved segments of length 10: 6 pieces each at accuracy 5.
  std::vector<AIPathSegment> segments;
  for (int i = 0; i <= 16000; ++i) {
    const float x = 10.0f * static_cast<float>(i);
    segments.push_back(AIPathSegment{{x, 0}, {x - 10.0f / 3, 0}, {x + 10.0f / 3, 0}, true});
  }
  host.AddCurvedPath(*roads.group, segments, false);
  ASSERT_EQ(Export({DialogAction::Click(ids::kPolyline), DialogAction::Check(ids::kExpandBezier, true)}, "long.shp"),
            kNoErr);
  CShapeFileReader reader;
  ASSERT_TRUE(reader.Open(Scratch("long.shp").string()));
  ShapeRecordHeader header;
  ShapePolyRecord record;
  ASSERT_TRUE(reader.ReadRecordHeader(header));
  ASSERT_TRUE(reader.ReadPoly(record));
  ASSERT_EQ(record.parts.size(), 1u);
  EXPECT_EQ(record.parts[0].size(), 1u + 16000u * 6u);
}

// A dBASE column name holds 10 bytes: every field whose column the writer had
// to name otherwise is told with the name GDAL reads from the file.
TEST_F(ShapeExportTest, RenamedColumnsAreTold) {
  AddPlaneFrame(1000, 2000);
  const std::vector<ShapeField> fields{Field("人口総数2015", 1, 9), Field("人口総数2020", 1, 9),
                                       Field("名称", 0, 20)};
  SetLayerFields(roads, fields);
  SetAttributes(host.AddSymbol(*roads.group, {0, 1, 1, 0}),
                {Field("人口総数2015", 1, 9, 0, "1200"), Field("人口総数2020", 1, 9, 0, "1100"),
                 Field("名称", 0, 20, 0, "北町")});
  const std::regex definition(R"(^(\S+): (String|Integer|Integer64|Real) )");
  for (int encoding : {0, 1}) {
    const size_t before = AlertTexts().size();
    ASSERT_EQ(Export({DialogAction::Choose(ids::kEncoding, encoding)}, "people.shp"), kNoErr);
    std::vector<std::string> names;
    std::istringstream in(OgrInfo("people.shp", "-al -so"));
    std::smatch match;
    for (std::string line; std::getline(in, line);) {
      if (std::regex_search(line, match, definition)) names.push_back(match[1]);
    }
    ASSERT_EQ(names.size(), 4u) << encoding;
    EXPECT_EQ(names[2], "名称");
    EXPECT_EQ(names[3], "AI_TEXT");
    if (encoding == 1) EXPECT_EQ(names[0] + " " + names[1], "人口総 人口_1");
    else EXPECT_EQ(names[0] + " " + names[1], "人口総数20 人口総数_1");
    const std::vector<std::string> alerts = AlertTexts();
    ASSERT_EQ(alerts.size(), before + 1) << encoding;
    EXPECT_EQ(alerts.back(), "people.shp: 列名が10バイトを超えるか重なるため、名前を変えた列が 2 個あります: 人口総数2015 → " +
                                 names[0] + ", 人口総数2020 → " + names[1]);
    EXPECT_NE(OgrInfo("people.shp").find(names[1] + " (Integer) = 1100"), std::string::npos) << encoding;
  }
}

// Layers that define AI_LAYER each their own way (a text on one, a number
// on the other) still give the file one AI_LAYER column, of layer titles.
TEST_F(ShapeExportTest, OneLayerColumnWhateverTheLayersDefined) {
  AddPlaneFrame(1000, 2000);
  SetLayerFields(roads, {Field("AI_LAYER", 0, 8)});
  SetAttributes(host.AddSymbol(*roads.group, {0, 1, 1, 0}), {Field("AI_LAYER", 0, 8, 0, "古い")});
  sim::Layer& rivers = host.AddLayer("河川の長い名前");
  SetLayerFields(rivers, {Field("AI_LAYER", 1, 5)});
  SetAttributes(host.AddSymbol(*rivers.group, {0, 1, 1, 0}), {Field("AI_LAYER", 1, 5, 0, "7")});
  ASSERT_EQ(Export({DialogAction::Choose(ids::kTarget, 1), DialogAction::Choose(ids::kEncoding, 1),
                    DialogAction::Check(ids::kAddLayerField, true), DialogAction::Check(ids::kTexts, false)},
                   "layers.shp"),
            kNoErr);
  const std::string info = OgrInfo("layers.shp");
  EXPECT_EQ(info.find("_1 "), std::string::npos) << info;
  EXPECT_NE(info.find("AI_LAYER (String) = 道路"), std::string::npos) << info;
  EXPECT_NE(info.find("AI_LAYER (String) = 河川の長い名前"), std::string::npos) << info;
  EXPECT_EQ(info.find("古い"), std::string::npos) << info;
  EXPECT_TRUE(AlertTexts().empty());
}

}  // namespace

// What was imported comes back out: Shapefiles made by GDAL (points,
// multi-part polylines, polygons with a hole and a polygon of two islands;
// Shift-JIS and UTF-8 tables) are imported into a new plane rectangular,
// UTM or latitude/longitude map by the loaded plug-in, exported again in
// the files' own system through the data frame or through the markers, and
// read by ogrinfo on both sides: every coordinate within 1 mm, every value
// the same, every record and part in its order. The points come out once
// more as a CSV file in JGD2000 latitude/longitude, read by Python's csv
// module and compared with PROJ's conversion of the file's points.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ExportTestHost.h"
#include "resources/DialogIds.h"
#include "support/PluginHostEnvironment.h"

namespace {

namespace coord_ids = dialog_ids::import_coord;
using kztest::Feature;
using kztest::Features;
using kztest::Quote;
using kztest::RunCommand;
using sim::DialogAction;
namespace ids = dialog_ids::export_settings;

constexpr uint32_t kImportItem = 1;
constexpr uint32_t kShapefileExportItem = 5;
constexpr uint32_t kTextExportItem = 6;
constexpr double kMetresPerDegree = 111320;  // of latitude, and more than of longitude in Japan

// Plane rectangular system IX on JGD2000 (EPSG:2451): easting, northing.
const char* const kPoints =
    "WKT,NAME,ID,W\n"
    "\"POINT (-5000.125 -35000.5)\",東京駅,1,12.5\n"
    "\"POINT (-4900.75 -34950.25)\",皇居外苑,2,3.25\n";
const char* const kLines =
    "WKT,NAME,ID\n"
    "\"MULTILINESTRING ((-5000 -35000,-4950.5 -34980.25,-4900 -35010),(-4990 -34990,-4960.125 -34970))\",大通り,1\n"
    "\"LINESTRING (-5010 -35020,-4890.5 -35015.75)\",裏道,2\n";
const char* const kPolygons =
    "WKT,NAME,ID\n"
    "\"POLYGON ((-5000 -35000,-5000 -34900,-4900 -34900,-4900 -35000,-5000 -35000),"
    "(-4980 -34980,-4920 -34980,-4920 -34920,-4980 -34920,-4980 -34980))\",池のある公園,1\n"
    "\"MULTIPOLYGON (((-4790 -35000,-4790 -34980,-4770 -34980,-4770 -35000,-4790 -35000)),"
    "((-4850 -35000,-4850 -34950,-4800 -34950,-4800 -35000,-4850 -35000)))\",二つの島,2\n";

struct Layer {
  const char* name;
  const char* csv;
  int32_t typeButton;
};
const Layer kLayers[] = {{"points", kPoints, ids::kPoint},
                         {"lines", kLines, ids::kPolyline},
                         {"polygons", kPolygons, ids::kPolygon}};


struct MapCase {
  const char* label;
  std::vector<DialogAction> newMap;  // the import's coordinate dialog
  bool markers;                      // export through the markers (the data frame removed)
  std::vector<DialogAction> georeference;  // the export dialog's georeference and output
  const char* encoding;                    // "CP932" or "UTF-8"
};

std::vector<DialogAction> BackToPlane9() {
  return {DialogAction::Click(ids::kConvert), DialogAction::Click(ids::kOutputJgd),
          DialogAction::Click(ids::kOutputPlane), DialogAction::Choose(ids::kOutputPlaneSystem, 9)};
}

std::vector<DialogAction> With(std::vector<DialogAction> first, const std::vector<DialogAction>& then) {
  first.insert(first.end(), then.begin(), then.end());
  return first;
}

class RoundTripTest : public ::testing::TestWithParam<MapCase> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(environment.loader.Load(KZ_PLUGIN_FILE)) << environment.loader.LoadError();
    ASSERT_EQ(environment.loader.Startup(), kNoErr);
    host.NewDocument({0, 1190, 842, 0});
  }
  std::string Path(const std::string& name) const { return (folder / name).string(); }
  bool Choose(uint32_t item) { return host.ChooseFlyoutItem(*host.FindPanel("Kartzmap"), item); }
  std::string OgrInfo(const std::string& path) {
    const auto info = RunCommand("ogrinfo -ro -al " + Quote(path));
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.err, "") << path;
    return info.out;
  }

  // The points layer as a CSV file in JGD2000 latitude/longitude, read by
  // Python's csv module, against PROJ's latitude and longitude of the source
  // points (plane system IX).
  void ExpectCsvAgreesWithProj(const MapCase& c) {
    host.CurrentDocument()->currentLayer = host.FindLayer("points");
    host.Dialogs().Expect(
        dialog_ids::kExportSettings,
        With({DialogAction::Choose(ids::kTarget, 0), DialogAction::Click(ids::kComma),
              DialogAction::Check(ids::kAddLayerField, false), DialogAction::Check(ids::kAddTextField, false),
              DialogAction::Choose(ids::kEncoding, std::string(c.encoding) == "UTF-8" ? 1 : 0)},
             With(c.georeference, {DialogAction::Click(ids::kConvert), DialogAction::Click(ids::kOutputJgd),
                                   DialogAction::Click(ids::kOutputLatLong), DialogAction::OK()})));
    const std::string csv = Path("back-points.csv");
    host.User().fileDialogAnswers.push_back(csv);
    ASSERT_TRUE(Choose(kTextExportItem));
    ASSERT_TRUE(host.User().alerts.empty()) << host.User().alerts[0].text;

    const std::string script =
        "import csv,sys\n"
        "for row in csv.reader(open(sys.argv[1],encoding=sys.argv[2],newline='')): print('\\t'.join(row))\n";
    const auto read = RunCommand("python3 -c " + Quote(script) + " " + Quote(csv) + " " +
                                 (std::string(c.encoding) == "UTF-8" ? "utf-8-sig" : "cp932"));
    ASSERT_EQ(read.status, 0) << read.err;
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(read.out);
    for (std::string line; std::getline(lines, line);) {
      rows.emplace_back();
      std::istringstream cells(line);
      for (std::string cell; std::getline(cells, cell, '\t');) rows.back().push_back(cell);
    }
    const std::vector<Feature> source = Features(OgrInfo(Path("points.shp")));
    ASSERT_EQ(rows.size(), source.size() + 1);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"緯度(B)", "経度(L)", "NAME", "ID", "W"}));
    std::string input;
    for (const Feature& f : source) input += std::to_string(f.numbers[0]) + " " + std::to_string(f.numbers[1]) + "\n";
    const auto proj = RunCommand("printf %s " + Quote(input) +
                                 " | cs2cs -f %.12f +proj=tmerc +lat_0=36 +lon_0=139.8333333333333 +k=0.9999 "
                                 "+ellps=GRS80 +to +proj=longlat +ellps=GRS80");
    ASSERT_EQ(proj.status, 0) << proj.err;
    std::istringstream expected(proj.out);
    for (size_t i = 0; i < source.size(); ++i) {
      const std::vector<std::string>& row = rows[i + 1];
      ASSERT_EQ(row.size(), 5u);
      double longitude = 0, latitude = 0;
      ASSERT_TRUE(expected >> longitude >> latitude) << proj.out;
      EXPECT_NEAR(std::stod(row[0]), latitude, 0.001 / kMetresPerDegree) << row[2];
      EXPECT_NEAR(std::stod(row[1]), longitude, 0.001 / kMetresPerDegree) << row[2];
      csvMaxError = std::max({csvMaxError, std::fabs(std::stod(row[0]) - latitude) * kMetresPerDegree,
                           std::fabs(std::stod(row[1]) - longitude) * kMetresPerDegree});
      std::string rest;
      expected >> rest;  // cs2cs's height
      EXPECT_EQ((std::vector<std::string>{"NAME=" + row[2], "ID=" + row[3], "W=" + row[4]}), source[i].fields);
    }
  }

  kztest::PluginHostEnvironment environment;
  sim::Host& host = environment.host;
  kztest::ScratchFolder scratch;
  const std::filesystem::path folder = scratch.Path();
  double maxError = 0;     // metres, over every coordinate of the Shapefiles
  double csvMaxError = 0;  // metres, over the CSV file's coordinates
};

TEST_P(RoundTripTest, CoordinatesAndValuesComeBack) {
  const MapCase& c = GetParam();
  std::vector<std::string> sources;
  for (const Layer& layer : kLayers) {
    std::ofstream(Path(std::string(layer.name) + ".csv")) << layer.csv;
    const auto made = RunCommand("ogr2ogr -f 'ESRI Shapefile' " + Quote(Path(std::string(layer.name) + ".shp")) + " " +
                                 Quote(Path(std::string(layer.name) + ".csv")) +
                                 " -oo GEOM_POSSIBLE_NAMES=WKT -oo KEEP_GEOM_COLUMNS=NO -oo AUTODETECT_TYPE=YES"
                                 " -a_srs EPSG:2451 -lco ENCODING=" + c.encoding);
    ASSERT_EQ(made.status, 0) << made.err;
    sources.push_back(Path(std::string(layer.name) + ".shp"));
  }

  host.Dialogs().ExpectOpenFile(sim::OpenFileAnswer::Choose(sources, {}));
  host.Dialogs().Expect(dialog_ids::kImportCoordSettings,
                        With(c.newMap, {DialogAction::SetText(coord_ids::kScale, "1000"), DialogAction::OK()}));
  ASSERT_TRUE(Choose(kImportItem));
  ASSERT_TRUE(host.User().alerts.empty()) << host.User().alerts[0].text;
  if (c.markers) host.CurrentDocument()->DeleteLayer(host.FindLayer("Kartzmap DataFrame"));

  for (const Layer& layer : kLayers) {
    sim::Layer* drawn = host.FindLayer(layer.name);
    ASSERT_NE(drawn, nullptr) << layer.name;
    host.CurrentDocument()->currentLayer = drawn;
    const std::string out = Path(std::string("back-") + layer.name + ".shp");
    host.Dialogs().Expect(
        dialog_ids::kExportSettings,
        With({DialogAction::Choose(ids::kTarget, 0), DialogAction::Click(layer.typeButton),
              DialogAction::Check(ids::kUnfilledPaths, true), DialogAction::Check(ids::kFilledPaths, true),
              DialogAction::Check(ids::kElementByElement, false), DialogAction::Check(ids::kAddLayerField, false),
              DialogAction::Check(ids::kAddTextField, false),
              DialogAction::Choose(ids::kEncoding, std::string(c.encoding) == "UTF-8" ? 1 : 0)},
             With(c.georeference, {DialogAction::OK()})));
    host.User().fileDialogAnswers.push_back(out);
    ASSERT_TRUE(Choose(kShapefileExportItem));
    ASSERT_TRUE(host.User().alerts.empty()) << host.User().alerts[0].text;

    const std::vector<Feature> before = Features(OgrInfo(Path(std::string(layer.name) + ".shp")));
    const std::vector<Feature> after = Features(OgrInfo(out));
    ASSERT_EQ(after.size(), before.size()) << layer.name;
    for (size_t i = 0; i < before.size(); ++i) {
      EXPECT_EQ(after[i].fields, before[i].fields) << layer.name;
      ASSERT_EQ(after[i].shape, before[i].shape) << layer.name;
      for (size_t n = 0; n < before[i].numbers.size(); ++n) {
        EXPECT_NEAR(after[i].numbers[n], before[i].numbers[n], 0.001) << layer.name << " number " << n;
        maxError = std::max(maxError, std::fabs(after[i].numbers[n] - before[i].numbers[n]));
      }
    }
    EXPECT_EQ(kztest::ReadFile(Path(std::string("back-") + layer.name + ".cpg")), c.encoding);
  }
  ExpectCsvAgreesWithProj(c);
  RecordProperty("shapefile_max_error_mm", std::to_string(maxError * 1000));
  RecordProperty("csv_max_error_mm", std::to_string(csvMaxError * 1000));
  EXPECT_TRUE(host.Dialogs().UnexpectedRuns().empty());
}

// The import's coordinate dialog: a new map in plane system IX, UTM zone 54
// or latitude/longitude; the export's georeference and output.
const std::vector<DialogAction> kPlaneMap{DialogAction::Click(coord_ids::kTargetPlane),
                                          DialogAction::Choose(coord_ids::kTargetSystem, 9)};
const std::vector<DialogAction> kUtmMap{DialogAction::Click(coord_ids::kTargetUtm),
                                        DialogAction::Choose(coord_ids::kTargetZone, 54)};
const std::vector<DialogAction> kLatLongMap{DialogAction::Click(coord_ids::kTargetLatLong)};
const std::vector<DialogAction> kPlaneMarkers{DialogAction::Click(ids::kUseMarkers), DialogAction::Click(ids::kMarkerJgd),
                                              DialogAction::Click(ids::kMarkerPlane),
                                              DialogAction::Choose(ids::kMarkerPlaneSystem, 9)};
const std::vector<DialogAction> kLatLongMarkers{DialogAction::Click(ids::kUseMarkers),
                                                DialogAction::Click(ids::kMarkerJgd),
                                                DialogAction::Click(ids::kMarkerLatLong)};

INSTANTIATE_TEST_SUITE_P(
    Maps, RoundTripTest,
    ::testing::Values(
        MapCase{"PlaneFrame", kPlaneMap, false, {DialogAction::Click(ids::kNoConversion)}, "CP932"},
        MapCase{"PlaneMarkers", kPlaneMap, true, With(kPlaneMarkers, {DialogAction::Click(ids::kNoConversion)}),
                "UTF-8"},
        MapCase{"UtmFrame", kUtmMap, false, BackToPlane9(), "UTF-8"},
        MapCase{"UtmMarkers", kUtmMap, true, With(kLatLongMarkers, BackToPlane9()), "CP932"},
        MapCase{"LatLongFrame", kLatLongMap, false, BackToPlane9(), "CP932"},
        MapCase{"LatLongMarkers", kLatLongMap, true, With(kLatLongMarkers, BackToPlane9()), "UTF-8"}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace

// Features of several parts made by GDAL (a polygon with a hole, a
// multipolygon of two outer rings, a multilinestring), as Shapefiles and as
// KML, through the tool: imported, searched, labelled, and the labels
// exported as points. Each feature gets exactly one label, centred on the
// extent of all its parts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/CsvCells.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;
using kztest::CommandResult;
using kztest::Quote;
using kztest::RunMerged;

// Coordinates in the plane rectangular system IX (EPSG:2451), easting first
// as WKT has them; `east` and `north` are the middle of each extent, read
// off the coordinates by hand.
struct Feature {
  const char* name;
  const char* wkt;
  double east, north;
};

const Feature kAreas[] = {
    {"穴あき",
     "POLYGON ((-5000 30000,-4000 30000,-4000 30600,-5000 30600,-5000 30000),"
     "(-4700 30200,-4700 30400,-4300 30400,-4300 30200,-4700 30200))",
     -4500, 30300},
    {"二つの島",
     "MULTIPOLYGON (((-3000 30000,-2800 30000,-2800 30200,-3000 30200,-3000 30000)),"
     "((-2500 30500,-2200 30500,-2200 30900,-2500 30900,-2500 30500)))",
     -2600, 30450},
    {"一枚", "POLYGON ((-1000 30000,-600 30000,-600 30300,-1000 30300,-1000 30000))", -800, 30150},
};

const Feature kLines[] = {
    {"二本線", "MULTILINESTRING ((-5000 29000,-4000 29100),(-4800 28500,-3900 28800))", -4450, 28800},
    {"一本線", "LINESTRING (-3000 29000,-2000 29400)", -2500, 29200},
};

// A label is centred on the feature, its baseline 4.56 points (0.38 of its
// 12 points) below the middle: at 1:25000 a point is 25000 × 0.0254 / 72 m.
const double kBaselineMetres = 4.56 * 25000 * 0.0254 / 72;

struct Placed {
  double north, east;
};

// Every label of a comma-separated export by its text (the last column),
// each place it stands.
std::map<std::string, std::vector<Placed>> ReadLabels(const fs::path& file) {
  std::map<std::string, std::vector<Placed>> placed;
  for (const kztest::ExportedLabel& label : kztest::ReadExportedLabels(file))
    placed[label.text].push_back({label.first, label.second});  // northing first
  return placed;
}

// The one label of the feature, or null (a failure) when it has none or more.
const Placed* OnlyLabel(const std::map<std::string, std::vector<Placed>>& labels, const char* name) {
  const auto found = labels.find(name);
  if (found == labels.end()) {
    ADD_FAILURE() << name << " has no label";
    return nullptr;
  }
  if (found->second.size() != 1) {
    ADD_FAILURE() << name << " labelled " << found->second.size() << " times";
    return nullptr;
  }
  return &found->second[0];
}

class GdalFeatures : public ::testing::Test {
 protected:
  // A Shapefile of the features in EPSG:2451 made by ogr2ogr, or KML made
  // from it by ogr2ogr (longitude and latitude).
  std::string Make(const std::string& name, const Feature* features, size_t count, const char* type, bool kml) {
    const fs::path csv = folder / (name + ".csv");
    std::ofstream out(csv);
    out << "WKT,Name\n";
    for (size_t i = 0; i < count; ++i) out << '"' << features[i].wkt << "\"," << features[i].name << "\n";
    out.close();
    const std::string shp = (folder / (name + ".shp")).string();
    CommandResult made = RunMerged("ogr2ogr -f 'ESRI Shapefile' -a_srs EPSG:2451 -nlt " + std::string(type) +
                                   " -lco ENCODING=UTF-8 " + Quote(shp) + " " + Quote(csv.string()));
    EXPECT_EQ(made.status, 0) << made.out;
    if (!kml) return shp;
    const std::string converted = (folder / (name + ".kml")).string();
    made = RunMerged("ogr2ogr -f KML " + Quote(converted) + " " + Quote(shp));
    EXPECT_EQ(made.status, 0) << made.out;
    return converted;
  }

  CommandResult Kzmap(const std::string& arguments) {
    return RunMerged("HOME=" + Quote(folder.string()) + " XDG_CONFIG_HOME= " + Quote(KZ_TOOL_FILE) + " " + arguments);
  }

  kztest::ScratchFolder scratch;
  const fs::path folder = scratch.Path();
};

class MultiPartLabelGdalTest : public GdalFeatures, public ::testing::WithParamInterface<const char*> {
 protected:
  std::string Make(const std::string& name, const Feature* features, size_t count, const char* type) {
    return GdalFeatures::Make(name, features, count, type, std::string(GetParam()) == "kml");
  }
};

TEST_P(MultiPartLabelGdalTest, EachFeatureGetsOneLabelOnTheMiddleOfItsParts) {
  const std::string areas = Make("areas", kAreas, std::size(kAreas), "PROMOTE_TO_MULTI");
  const std::string lines = Make("lines", kLines, std::size(kLines), "PROMOTE_TO_MULTI");
  const std::string map = Quote((folder / "地図.kzmap").string());
  CommandResult run = Kzmap("import " + map + " " + Quote(areas) + " " + Quote(lines) + " --to jgd2000:xy9");
  ASSERT_EQ(run.status, 0) << run.out;
  run = Kzmap("attr " + map + " search Name --text ''");
  ASSERT_EQ(run.status, 0) << run.out;
  run = Kzmap("attr " + map + " label Name");
  ASSERT_EQ(run.status, 0) << run.out;
  const size_t features = std::size(kAreas) + std::size(kLines);
  EXPECT_NE(run.out.find(std::to_string(features) + " labels placed\n"), std::string::npos) << run.out;
  // The labels are the selection now; exported in the map's own system.
  const fs::path csv = folder / "labels.csv";
  run = Kzmap("export " + map + " " + Quote(csv.string()) +
              " --target selection --kinds texts --text-field --encoding utf8");
  ASSERT_EQ(run.status, 0) << run.out;

  const std::map<std::string, std::vector<Placed>> labels = ReadLabels(csv);
  EXPECT_EQ(labels.size(), features);
  double worst = 0;
  std::vector<Feature> all(std::begin(kAreas), std::end(kAreas));
  all.insert(all.end(), std::begin(kLines), std::end(kLines));
  for (const Feature& feature : all) {
    const Placed* label = OnlyLabel(labels, feature.name);
    if (!label) continue;
    const double north = label->north - feature.north, east = label->east - feature.east;
    // The map may be turned a hair to true north: the distance is checked,
    // and that it points south.
    EXPECT_NEAR(std::hypot(north, east), kBaselineMetres, 0.5) << feature.name << " " << north << " " << east;
    EXPECT_LT(north, 0) << feature.name;
    EXPECT_LT(std::fabs(east), 1) << feature.name;
    worst = std::max(worst, std::fabs(std::hypot(north, east) - kBaselineMetres));
  }
  RecordProperty("worstPlacementErrorMetres", std::to_string(worst));
}

INSTANTIATE_TEST_SUITE_P(Sources, MultiPartLabelGdalTest, ::testing::Values("shp", "kml"),
                         [](const auto& info) { return std::string(info.param); });

// A record of several points is one point feature: its marks get one
// label, beside the easternmost mark and level with the middle of them all,
// and `--at point` takes it for a point. The map is kept grid north up, so
// that the middle of the marks on the paper is the middle on the ground.
const Feature kPoints[] = {
    {"一点", "MULTIPOINT ((-5000 30000))", -5000, 30000},
    {"二点", "MULTIPOINT ((-3000 30000),(-2000 30500))", -2000, 30250},
};

// A point's label starts 3.75 points east of the point (the mark's half
// side and half stroke, 1.75, and a gap of 2), its baseline 4.56 points
// below it.
const double kPointsToMetres = 25000 * 0.0254 / 72;

TEST_F(GdalFeatures, MarksOfOneRecordGetOneLabelBesideThem) {
  const std::string points = Make("points", kPoints, std::size(kPoints), "MULTIPOINT", false);
  const std::string areas = Make("areas", kAreas, std::size(kAreas), "PROMOTE_TO_MULTI", false);
  const std::string map = Quote((folder / "地図.kzmap").string());
  CommandResult run =
      Kzmap("import " + map + " " + Quote(points) + " " + Quote(areas) + " --to jgd2000:xy9 --no-north-up");
  ASSERT_EQ(run.status, 0) << run.out;
  run = Kzmap("attr " + map + " search Name --text ''");
  ASSERT_EQ(run.status, 0) << run.out;
  run = Kzmap("attr " + map + " label Name --at point");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find(std::to_string(std::size(kPoints)) + " labels placed\n"), std::string::npos) << run.out;
  const fs::path csv = folder / "labels.csv";
  run = Kzmap("export " + map + " " + Quote(csv.string()) +
              " --target selection --kinds texts --text-field --encoding utf8");
  ASSERT_EQ(run.status, 0) << run.out;

  const std::map<std::string, std::vector<Placed>> labels = ReadLabels(csv);
  EXPECT_EQ(labels.size(), std::size(kPoints));
  for (const Feature& feature : kPoints) {
    const Placed* label = OnlyLabel(labels, feature.name);
    if (!label) continue;
    EXPECT_NEAR(label->east - feature.east, 3.75 * kPointsToMetres, 0.05) << feature.name;
    EXPECT_NEAR(label->north - feature.north, -4.56 * kPointsToMetres, 0.05) << feature.name;
  }
}

}  // namespace

// From a GDAL-made Shapefile through the panel and back out, checked by GDAL:
// import, search, export the selection and let ogrinfo count it; label the
// points, export the labels as CSV and find each label where its point was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "panel/PanelFixture.h"
#include "resources/DialogIds.h"
#include "support/CsvCells.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

namespace annotation_ids = dialog_ids::annotation;
namespace coord_ids = dialog_ids::import_coord;
namespace export_ids = dialog_ids::export_settings;
namespace search_ids = dialog_ids::search;
namespace fs = std::filesystem;
using sim::DialogAction;

using kztest::CommandResult;
using kztest::Quote;
using kztest::RunMerged;

// The features of a Shapefile as ogrinfo reads them: their IDs and their count.
void ExpectFeatures(const fs::path& shp, const std::multiset<std::string>& expected) {
  const CommandResult info = RunMerged("ogrinfo -ro -al -q " + Quote(shp.string()));
  ASSERT_EQ(info.status, 0) << info.out;
  std::multiset<std::string> ids;
  std::istringstream lines(info.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("  ID (String) = ", 0) == 0) ids.insert(line.substr(16));
  }
  EXPECT_EQ(ids, expected);
  const CommandResult count = RunMerged("ogrinfo -ro -so -al " + Quote(shp.string()));
  EXPECT_NE(count.out.find("Feature Count: " + std::to_string(expected.size()) + "\n"), std::string::npos)
      << count.out;
}

// Points in the plane rectangular system IX (metres), with a text field
// whose values are numbers, or not.
struct Site {
  const char* id;
  const char* value;
  double x, y;  // easting, northing
};

const Site kSites[] = {
    {"A", "10", -5000, 30000},  {"B", "10.5", -4200, 31500}, {"C", "1e3", -3000, 29000},
    {"D", "9.99", -6100, 30500}, {"E", "abc", -4800, 28700},  {"F", "250", -3500, 30800},
};

class SearchExportGdalTest : public kztest::PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
  }

  std::string MakeSites() {
    std::ofstream csv(folder / "sites.csv");
    csv << "ID,VAL,X,Y\n";
    for (const Site& site : kSites) csv << site.id << "," << site.value << "," << site.x << "," << site.y << "\n";
    csv.close();
    const std::string shp = (folder / "sites.shp").string();
    const CommandResult made = RunMerged("ogr2ogr -f 'ESRI Shapefile' -a_srs EPSG:2451 -oo X_POSSIBLE_NAMES=X "
                              "-oo Y_POSSIBLE_NAMES=Y " + Quote(shp) + " " + Quote((folder / "sites.csv").string()));
    EXPECT_EQ(made.status, 0) << made.out;
    return shp;
  }

  void Import(const std::string& shp) {
    host.Dialogs().ExpectOpenFile(sim::OpenFileAnswer::Choose({shp}));
    host.Dialogs().Expect(
        dialog_ids::kImportCoordSettings,
        {DialogAction::Click(coord_ids::kTargetPlane), DialogAction::Choose(coord_ids::kTargetSystem, 9),
         DialogAction::SetText(coord_ids::kScale, "25000"), DialogAction::OK()});
    ASSERT_TRUE(host.ChooseFlyoutItem(*Panel(), 1));
    ASSERT_EQ(host.FindLayer("sites") != nullptr, true) << (AlertTexts().empty() ? "" : AlertTexts().front());
  }

  // Exports the selection as points through flyout item 5 or 6.
  void ExportSelection(uint32_t item, const fs::path& file, std::vector<DialogAction> more = {}) {
    std::vector<DialogAction> actions = {DialogAction::ChooseText(export_ids::kTarget, "選択されているオブジェクト"),
                                         DialogAction::Click(export_ids::kPoint)};
    actions.insert(actions.end(), more.begin(), more.end());
    actions.push_back(DialogAction::OK());
    host.Dialogs().Expect(dialog_ids::kExportSettings, actions);
    host.User().fileDialogAnswers.push_back(file.string());
    ASSERT_TRUE(host.ChooseFlyoutItem(*Panel(), item));
    ASSERT_TRUE(host.Dialogs().RunsOf(dialog_ids::kExportSettings).back()->problems.empty())
        << host.Dialogs().RunsOf(dialog_ids::kExportSettings).back()->problems[0];
  }

  kztest::ScratchFolder scratch;
  const fs::path folder = scratch.Path();
};

TEST_F(SearchExportGdalTest, ExportedSelectionHoldsExactlyTheMatches) {
  Import(MakeSites());
  host.Dialogs().Expect(
      dialog_ids::kSearch,
      {DialogAction::ChooseText(search_ids::kField, "VAL"), DialogAction::Click(search_ids::kNumberMode),
       DialogAction::Check(search_ids::kUseLower, true), DialogAction::SetText(search_ids::kLower, "10"),
       DialogAction::Check(search_ids::kUseUpper, true), DialogAction::SetText(search_ids::kUpper, "500"),
       DialogAction::OK()});
  Click(kSearch);
  ExportSelection(5, folder / "found.shp");
  EXPECT_TRUE(AlertTexts().empty()) << AlertTexts().front();

  // 10, 10.5 and 250 lie in [10, 500]; 1e3 is above, 9.99 below, abc reads as 0.
  ExpectFeatures(folder / "found.shp", {"A", "B", "F"});
}

// The label texts of a comma-separated export with the two coordinates of each.
std::map<std::string, std::pair<double, double>> ReadLabels(const fs::path& file) {
  std::map<std::string, std::pair<double, double>> placed;
  for (const kztest::ExportedLabel& label : kztest::ReadExportedLabels(file))
    placed[label.text] = {label.first, label.second};  // northing or latitude first
  return placed;
}

// The sites in JGD2000 latitude/longitude, by PROJ.
std::map<std::string, std::pair<double, double>> SitesByProj(const fs::path& folder) {
  std::ofstream input(folder / "sites.xy");
  for (const Site& site : kSites) input << site.y << " " << site.x << "\n";  // the system's axis order: X north
  input.close();
  const CommandResult out = RunMerged("cs2cs -f %.10f EPSG:2451 EPSG:4612 < " + Quote((folder / "sites.xy").string()));
  EXPECT_EQ(out.status, 0) << out.out;
  std::map<std::string, std::pair<double, double>> expected;
  std::istringstream lines(out.out);
  for (const Site& site : kSites) {
    double latitude = 0, longitude = 0, height = 0;
    lines >> latitude >> longitude >> height;
    expected[site.id] = {latitude, longitude};
  }
  return expected;
}

// Each label of a latitude/longitude export lies where PROJ puts its site;
// the largest distance in metres.
// A point's label starts beside its mark: 3.75 points right of the point
// (the mark's half side and half stroke, 1.75, and a gap of 2) with its
// baseline 4.56 points below it (0.38 of the 12-point text). At 1:25000 a
// point is 25000 × 0.0254 / 72 m on the ground; the map may be turned a
// little to true north, so the distance is checked, and its direction
// roughly (east and south of the point).
const double kLabelOffsetMetres = std::hypot(3.75, 4.56) * 25000 * 0.0254 / 72;

void ExpectBeside(const std::string& id, double north, double east) {
  EXPECT_NEAR(std::hypot(north, east), kLabelOffsetMetres, 0.5) << id << " " << north << " " << east;
  EXPECT_GT(east, 0) << id;
  EXPECT_LT(north, 0) << id;
}

double ExpectSitesByProj(const fs::path& folder, const fs::path& labels) {
  auto degrees = ReadLabels(labels);
  auto expected = SitesByProj(folder);
  EXPECT_EQ(degrees.size(), std::size(kSites));
  double worst = 0;
  for (const Site& site : kSites) {
    if (!degrees.count(site.id)) {
      ADD_FAILURE() << site.id << " has no label";
      continue;
    }
    constexpr double kMetresPerDegree = 111320;
    const double latitude = degrees[site.id].first, longitude = degrees[site.id].second;
    const double north = (latitude - expected[site.id].first) * kMetresPerDegree;
    const double east = (longitude - expected[site.id].second) * kMetresPerDegree * std::cos(latitude * M_PI / 180);
    ExpectBeside(site.id, north, east);
    worst = std::max(worst, std::fabs(std::hypot(north, east) - kLabelOffsetMetres));
  }
  return worst;
}

const std::vector<DialogAction> kTextsAsCsv = {
    DialogAction::Check(export_ids::kGroups, false),      DialogAction::Check(export_ids::kUnfilledPaths, false),
    DialogAction::Check(export_ids::kFilledPaths, false), DialogAction::Check(export_ids::kTexts, true),
    DialogAction::Check(export_ids::kAddTextField, true), DialogAction::Click(export_ids::kComma)};

TEST_F(SearchExportGdalTest, LabelsLieBesideTheirPoints) {
  Import(MakeSites());
  for (sim::Art* art : host.ArtOfLayer(*host.FindLayer("sites"))) host.Select(*art);
  SelectionChanged();
  host.Dialogs().Expect(dialog_ids::kAnnotation,
                        {DialogAction::ChooseText(annotation_ids::kField, "ID"), DialogAction::OK()});
  Click(kAnnotate);
  // The labels are the selection now: texts, exported as points with their text,
  // first in the frame's own plane system, then as JGD2000 latitude/longitude.
  ExportSelection(6, folder / "labels.csv", kTextsAsCsv);
  std::vector<DialogAction> toDegrees = kTextsAsCsv;
  toDegrees.insert(toDegrees.end(),
                   {DialogAction::Click(export_ids::kConvert), DialogAction::Click(export_ids::kOutputJgd),
                    DialogAction::Click(export_ids::kOutputLatLong)});
  ExportSelection(6, folder / "labels-bl.csv", toDegrees);

  auto plane = ReadLabels(folder / "labels.csv");
  ASSERT_EQ(plane.size(), std::size(kSites));
  double worstPlane = 0;
  for (const Site& site : kSites) {
    ASSERT_EQ(plane.count(site.id), 1u) << site.id;
    // Artboard points are single precision: at 1:25000 a point is 8.8 m and
    // its float steps are millimetres here; half a metre is a tenth of a point.
    const double north = plane[site.id].first - site.y, east = plane[site.id].second - site.x;
    ExpectBeside(site.id, north, east);
    worstPlane = std::max(worstPlane, std::fabs(std::hypot(north, east) - kLabelOffsetMetres));
  }
  RecordProperty("worstPlaneErrorMetres", std::to_string(worstPlane));
  RecordProperty("worstDegreesErrorMetres", std::to_string(ExpectSitesByProj(folder, folder / "labels-bl.csv")));
}

// The same road through the tool, one command after another on a map file,
// the way a user would script it.
TEST_F(SearchExportGdalTest, TheToolChainsImportSearchExportAndLabel) {
  const std::string shp = MakeSites();
  const std::string map = Quote((folder / "地図.kzmap").string());
  const auto kzmap = [this](const std::string& arguments) {
    return RunMerged("HOME=" + Quote(folder.string()) + " XDG_CONFIG_HOME= " + Quote(KZ_TOOL_FILE) + " " + arguments);
  };
  CommandResult run = kzmap("import " + map + " " + Quote(shp) + " --to jgd2000:xy9");
  ASSERT_EQ(run.status, 0) << run.out;
  run = kzmap("attr " + map + " search VAL --min 10 --max 500");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("3 objects selected"), std::string::npos) << run.out;
  run = kzmap("export " + map + " " + Quote((folder / "found.shp").string()) + " --target selection");
  ASSERT_EQ(run.status, 0) << run.out;
  ExpectFeatures(folder / "found.shp", {"A", "B", "F"});

  run = kzmap("attr " + map + " search ID --text ''");  // every site
  ASSERT_EQ(run.status, 0) << run.out;
  run = kzmap("attr " + map + " label ID");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("6 labels placed"), std::string::npos) << run.out;
  run = kzmap("export " + map + " " + Quote((folder / "labels.csv").string()) +
              " --target selection --kinds texts --text-field --to jgd2000:bl --encoding utf8");
  ASSERT_EQ(run.status, 0) << run.out;
  RecordProperty("worstDegreesErrorMetres", std::to_string(ExpectSitesByProj(folder, folder / "labels.csv")));
}

}  // namespace

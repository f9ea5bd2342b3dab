// From a GDAL-made Shapefile through the panel and back out, checked by GDAL:
// import, search, export the selection and let ogrinfo count it; label the
// points, export the labels as CSV and find each label where its point was.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

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

namespace {

namespace fs = std::filesystem;
using sim::DialogAction;

struct Output {
  int status = -1;
  std::string text;
};

Output Shell(const std::string& line) {
  Output output;
  FILE* pipe = popen((line + " 2>&1").c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  size_t read = 0;
  while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.text.append(buffer, read);
  const int status = pclose(pipe);
  output.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return output;
}

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The features of a Shapefile as ogrinfo reads them: their IDs and their count.
void ExpectFeatures(const fs::path& shp, const std::multiset<std::string>& expected) {
  const Output info = Shell("ogrinfo -ro -al -q " + Quote(shp.string()));
  ASSERT_EQ(info.status, 0) << info.text;
  std::multiset<std::string> ids;
  std::istringstream lines(info.text);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("  ID (String) = ", 0) == 0) ids.insert(line.substr(16));
  }
  EXPECT_EQ(ids, expected);
  const Output count = Shell("ogrinfo -ro -so -al " + Quote(shp.string()));
  EXPECT_NE(count.text.find("Feature Count: " + std::to_string(expected.size()) + "\n"), std::string::npos)
      << count.text;
}

// The comma-separated cells of a line without its line end.
std::vector<std::string> Cells(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::vector<std::string> cells;
  std::istringstream in(line);
  for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
  if (!line.empty() && line.back() == ',') cells.emplace_back();
  return cells;
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
    folder = fs::temp_directory_path() / ("kz_panel_gdal." + std::to_string(getpid()) + "." +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  std::string MakeSites() {
    std::ofstream csv(folder / "sites.csv");
    csv << "ID,VAL,X,Y\n";
    for (const Site& site : kSites) csv << site.id << "," << site.value << "," << site.x << "," << site.y << "\n";
    csv.close();
    const std::string shp = (folder / "sites.shp").string();
    const Output made = Shell("ogr2ogr -f 'ESRI Shapefile' -a_srs EPSG:2451 -oo X_POSSIBLE_NAMES=X "
                              "-oo Y_POSSIBLE_NAMES=Y " + Quote(shp) + " " + Quote((folder / "sites.csv").string()));
    EXPECT_EQ(made.status, 0) << made.text;
    return shp;
  }

  void Import(const std::string& shp) {
    host.Dialogs().ExpectOpenFile(sim::OpenFileAnswer::Choose({shp}));
    host.Dialogs().Expect(108, {DialogAction::Click(1130), DialogAction::Choose(1132, 9),
                                DialogAction::SetText(1114, "25000"), DialogAction::OK()});
    ASSERT_TRUE(host.ChooseFlyoutItem(*Panel(), 1));
    ASSERT_EQ(host.FindLayer("sites") != nullptr, true) << (AlertTexts().empty() ? "" : AlertTexts().front());
  }

  // Exports the selection as points through flyout item 5 or 6.
  void ExportSelection(uint32_t item, const fs::path& file, std::vector<DialogAction> more = {}) {
    std::vector<DialogAction> actions = {DialogAction::ChooseText(1116, "選択されているオブジェクト"),
                                         DialogAction::Click(1117)};
    actions.insert(actions.end(), more.begin(), more.end());
    actions.push_back(DialogAction::OK());
    host.Dialogs().Expect(115, actions);
    host.User().fileDialogAnswers.push_back(file.string());
    ASSERT_TRUE(host.ChooseFlyoutItem(*Panel(), item));
    ASSERT_TRUE(host.Dialogs().RunsOf(115).back()->problems.empty()) << host.Dialogs().RunsOf(115).back()->problems[0];
  }

  fs::path folder;
};

TEST_F(SearchExportGdalTest, ExportedSelectionHoldsExactlyTheMatches) {
  Import(MakeSites());
  host.Dialogs().Expect(114, {DialogAction::ChooseText(1075, "VAL"), DialogAction::Click(1090),
                              DialogAction::Check(1076, true), DialogAction::SetText(1080, "10"),
                              DialogAction::Check(1091, true), DialogAction::SetText(1092, "500"), DialogAction::OK()});
  Click(kSearch);
  ExportSelection(5, folder / "found.shp");
  EXPECT_TRUE(AlertTexts().empty()) << AlertTexts().front();

  // 10, 10.5 and 250 lie in [10, 500]; 1e3 is above, 9.99 below, abc reads as 0.
  ExpectFeatures(folder / "found.shp", {"A", "B", "F"});
}

// The label texts of a comma-separated export with the two coordinates of each.
std::map<std::string, std::pair<double, double>> ReadLabels(const fs::path& file) {
  std::map<std::string, std::pair<double, double>> placed;
  std::ifstream csv(file);
  std::string header;
  EXPECT_TRUE(std::getline(csv, header)) << file;
  // The coordinates, the layer's fields, and the label's text in the last column.
  const std::vector<std::string> columns = Cells(header);
  EXPECT_TRUE(!columns.empty() && columns.back() == "AI_TEXT") << header;
  for (std::string line; std::getline(csv, line);) {
    const std::vector<std::string> cells = Cells(line);
    EXPECT_EQ(cells.size(), columns.size()) << line;
    if (cells.size() < 3) continue;
    placed[cells.back()] = {std::stod(cells[0]), std::stod(cells[1])};  // northing or latitude first
  }
  return placed;
}

// The sites in JGD2000 latitude/longitude, by PROJ.
std::map<std::string, std::pair<double, double>> SitesByProj(const fs::path& folder) {
  std::ofstream input(folder / "sites.xy");
  for (const Site& site : kSites) input << site.y << " " << site.x << "\n";  // the system's axis order: X north
  input.close();
  const Output out = Shell("cs2cs -f %.10f EPSG:2451 EPSG:4612 < " + Quote((folder / "sites.xy").string()));
  EXPECT_EQ(out.status, 0) << out.text;
  std::map<std::string, std::pair<double, double>> expected;
  std::istringstream lines(out.text);
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
    DialogAction::Check(1122, false), DialogAction::Check(1125, false), DialogAction::Check(1094, false),
    DialogAction::Check(1096, true),  DialogAction::Check(1121, true),  DialogAction::Click(1086)};

TEST_F(SearchExportGdalTest, LabelsLieBesideTheirPoints) {
  Import(MakeSites());
  for (sim::Art* art : host.ArtOfLayer(*host.FindLayer("sites"))) host.Select(*art);
  SelectionChanged();
  host.Dialogs().Expect(113, {DialogAction::ChooseText(1075, "ID"), DialogAction::OK()});
  Click(kAnnotate);
  // The labels are the selection now: texts, exported as points with their text,
  // first in the frame's own plane system, then as JGD2000 latitude/longitude.
  ExportSelection(6, folder / "labels.csv", kTextsAsCsv);
  std::vector<DialogAction> toDegrees = kTextsAsCsv;
  toDegrees.insert(toDegrees.end(), {DialogAction::Click(1108), DialogAction::Click(1109), DialogAction::Click(1111)});
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
    return Shell("HOME=" + Quote(folder.string()) + " XDG_CONFIG_HOME= " + Quote(KZ_TOOL_FILE) + " " + arguments +
                 " < /dev/null");
  };
  Output run = kzmap("import " + map + " " + Quote(shp) + " --to jgd2000:xy9");
  ASSERT_EQ(run.status, 0) << run.text;
  run = kzmap("attr " + map + " search VAL --min 10 --max 500");
  ASSERT_EQ(run.status, 0) << run.text;
  EXPECT_NE(run.text.find("3 objects selected"), std::string::npos) << run.text;
  run = kzmap("export " + map + " " + Quote((folder / "found.shp").string()) + " --target selection");
  ASSERT_EQ(run.status, 0) << run.text;
  ExpectFeatures(folder / "found.shp", {"A", "B", "F"});

  run = kzmap("attr " + map + " search ID --text ''");  // every site
  ASSERT_EQ(run.status, 0) << run.text;
  run = kzmap("attr " + map + " label ID");
  ASSERT_EQ(run.status, 0) << run.text;
  EXPECT_NE(run.text.find("6 labels placed"), std::string::npos) << run.text;
  run = kzmap("export " + map + " " + Quote((folder / "labels.csv").string()) +
              " --target selection --kinds texts --text-field --to jgd2000:bl --encoding utf8");
  ASSERT_EQ(run.status, 0) << run.text;
  RecordProperty("worstDegreesErrorMetres", std::to_string(ExpectSitesByProj(folder, folder / "labels.csv")));
}

}  // namespace

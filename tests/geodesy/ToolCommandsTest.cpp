// kzmap convert and kzmap grid build, run as a user runs them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include "OutputLines.h"
#include "geodesy/CoordConverter.h"
#include "geodesy/DatumGrid.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

using geodesytest::Lines;
using geodesytest::NumbersByLine;
using kztest::RunShell;

const std::string kTool = KZ_TOOL_FILE;

// Shifts linear in latitude and longitude over 35..36°N, 139..140.5°E, as the
// published text: two header lines, then "code dB dL" per cell.
std::string ParameterText() {
  std::ostringstream text;
  text << "JGD2000 TKY2JGD test grid\r\nMeshCode dB(sec) dL(sec)\r\n";
  text.precision(10);
  for (int i = 35 * 120; i <= 36 * 120; ++i)
    for (int j = 39 * 80; j <= 40 * 80 + 40; ++j) {
      const int32_t code =
          (i / 80) * 1000000 + (j / 80) * 10000 + (i % 80 / 10) * 1000 + (j % 80 / 10) * 100 + (i % 10) * 10 + j % 10;
      const double lat = i / 120.0, lon = 100 + j / 80.0;
      text << code << "   " << 11.6 + 0.2 * (lat - 35) << "  " << -11.8 + 0.3 * (lon - 139) << "\r\n";
    }
  return text.str();
}

class ToolCommands : public ::testing::Test {
 protected:
  void SetUp() override { folder = kztest::FreshFolder("tool"); }
  void TearDown() override { std::filesystem::remove_all(folder); }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = folder + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::string BuildGrid(const std::string& name = "TKY2JGD_Win.dat") {
    const std::string grid = folder + "/" + name;
    const auto run = RunShell(kTool + " grid build '" + Write("TKY2JGD.par", ParameterText()) + "' '" + grid + "'", "");
    EXPECT_EQ(run.status, 0) << run.err;
    return grid;
  }

  std::string folder;
};

TEST_F(ToolCommands, ConvertsEachLineAndReportsTheBadOnes) {
  const std::string input =
      "139.7671 35.6812\n"
      "\n"
      "139.5,35.25\r\n"
      "\t139.9\t36.1  \n"
      "abc 35\n"
      "139 35 7\n"
      "139.2 95\n"
      "1e999 35\n";
  const auto run = RunShell(kTool + " convert --from jgd2000:bl --to jgd2000:xy9", input);
  ASSERT_EQ(run.status, 0) << run.err;
  const auto lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 8u) << run.out;

  CoordConverter converter;
  ASSERT_TRUE(converter.Configure(CoordRef{2, 1, 0, 0}, CoordRef{2, 3, 9, 0}));
  auto expected = [&](double lon, double lat) {
    double x = 0, y = 0;
    EXPECT_TRUE(converter.Convert(lon, lat, x, y));
    char text[100];
    std::snprintf(text, sizeof text, "%.9f %.9f", x, y);
    return std::string(text);
  };
  EXPECT_EQ(lines[0], expected(139.7671, 35.6812));
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2], expected(139.5, 35.25));
  EXPECT_EQ(lines[3], expected(139.9, 36.1));
  for (size_t i : {4u, 5u, 6u, 7u}) EXPECT_EQ(lines[i], "* *") << i;
  for (const char* number : {"line 5", "line 6", "line 7", "line 8"})
    EXPECT_NE(run.err.find(number), std::string::npos) << number << "\n" << run.err;
}

// Degrees are no exception: a northing beyond the pole is a failed point.
TEST_F(ToolCommands, DegreesTargetRefusesLatitudesBeyondThePole) {
  const auto run = RunShell(kTool + " convert --from jgd2000:xy9 --to jgd2000:bl", "0 10000000\n0 0\n");
  ASSERT_EQ(run.status, 0) << run.err;
  const auto lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "* *");
  EXPECT_EQ(lines[1], "139.833333333333 36.000000000000");
  EXPECT_NE(run.err.find("line 1: the point cannot be converted"), std::string::npos) << run.err;
}

TEST_F(ToolCommands, VerboseAddsConvergenceAndScale) {
  const auto run = RunShell(kTool + " convert --verbose --from jgd2000:xy9 --to tokyo:utm54 --grid " +
                                kztest::Quote(BuildGrid()),
                            "0 0\n20000 -30000\n");
  ASSERT_EQ(run.status, 0) << run.err;
  const auto rows = NumbersByLine(run.out);
  ASSERT_EQ(rows.size(), 2u);
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 4u);
    EXPECT_GT(row[2], 0);  // west of 141°E: positive convergence
    EXPECT_NEAR(row[3], 0.9996, 5e-4);
  }
}

TEST_F(ToolCommands, DegreesTargetGoesThroughTheGrid) {
  const std::string grid = BuildGrid();
  const auto run = RunShell(kTool + " convert --from tokyo:bl --to jgd2000:bl --grid '" + grid + "'",
                            "139.25 35.5\n139.9 35.9\n150 40\n");
  ASSERT_EQ(run.status, 0) << run.err;
  const auto rows = NumbersByLine(run.out);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_NEAR(rows[0][0], 139.25 + (-11.8 + 0.3 * 0.25) / 3600, 2e-9);
  EXPECT_NEAR(rows[0][1], 35.5 + (11.6 + 0.2 * 0.5) / 3600, 2e-9);
  EXPECT_NEAR(rows[1][1], 35.9 + (11.6 + 0.2 * 0.9) / 3600, 2e-9);
  // Outside the grid: the geocentric shift.
  double lat = 0, lon = 0;
  DatumGrid::TokyoToJgdGeocentric(40, 150, lat, lon);
  EXPECT_NEAR(rows[2][0], lon, 2e-9);
  EXPECT_NEAR(rows[2][1], lat, 2e-9);

  // And back again.
  std::ostringstream jgd;
  jgd.precision(17);
  jgd << rows[0][0] << ' ' << rows[0][1] << '\n';
  const auto back = RunShell(kTool + " convert --from jgd2000:bl --to tokyo:bl --grid '" + grid + "'", jgd.str());
  const auto backRows = NumbersByLine(back.out);
  ASSERT_EQ(backRows.size(), 1u);
  EXPECT_NEAR(backRows[0][0], 139.25, 2e-9);
  EXPECT_NEAR(backRows[0][1], 35.5, 2e-9);
}

TEST_F(ToolCommands, GridIsLookedForBesideThePlugin) {
  BuildGrid();
  const std::string plugin = folder + "/Kartzmap.so";
  const auto found = RunShell("KZMAP_PLUGIN='" + plugin + "' " + kTool + " convert --from tokyo:xy9 --to jgd2000:xy9",
                              "0 0\n");
  EXPECT_EQ(found.status, 0) << found.err;
  EXPECT_EQ(NumbersByLine(found.out).size(), 1u);

  const auto missing = RunShell("KZMAP_PLUGIN='" + folder + "/elsewhere/Kartzmap.so' " + kTool +
                                   " convert --from tokyo:xy9 --to jgd2000:xy9",
                               "0 0\n");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find(kDatumGridAlert), std::string::npos) << missing.err;
  EXPECT_EQ(missing.out, "");
}

TEST_F(ToolCommands, BadArgumentsExitTwo) {
  for (const char* arguments : {"", "--from jgd2000:bl", "--from jgd2000:xy20 --to jgd2000:bl",
                                "--from wgs72:bl --to jgd2000:bl", "--from tokyo:utm0 --to tokyo:bl",
                                "--from tokyo:utm61 --to tokyo:bl", "--from tokyo:xy --to tokyo:bl",
                                "--from tokyo:bl --to tokyo:bl --fast", "--from tokyo:bl --to"}) {
    const auto run = RunShell(kTool + " convert " + arguments, "");
    EXPECT_EQ(run.status, 2) << arguments;
    EXPECT_NE(run.err.find("usage"), std::string::npos) << arguments;
  }
}

// An EPSG code in any case, a WKT text or a .prj file (as projinfo writes
// them) names the same reference as the tool's own form.
TEST_F(ToolCommands, ReferencesByCodeWktOrPrjFile) {
  const std::string prj = folder + "/6668.prj";
  ASSERT_EQ(RunShell("projinfo -q -o WKT1_ESRI EPSG:6668 > " + kztest::Quote(prj)).status, 0);
  const std::pair<std::string, std::string> cases[] = {
      {"jgd2011:xy9", "EPSG:6677"},     {"JGD2000:UTM54", "epsg:3100"}, {"JGD2000:XY19", "EPSG:2461"},
      {"wgs84:utm54", "EPSG:32654"},    {"jgd2011:bl", "'" + prj + "'"}, {"jgd2011:utm51", "EPSG:6688"},
      {"wgs84:bl", "'GEOGCS[\"GCS_WGS_1984\",DATUM[\"D_WGS_1984\",SPHEROID[\"WGS_1984\",6378137.0,298.257223563]],"
                   "PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]]'"},
  };
  for (const auto& [own, other] : cases) {
    const auto a = RunShell(kTool + " convert --from jgd2000:bl --to " + own, "139.7 35.6\n");
    const auto b = RunShell(kTool + " convert --from jgd2000:bl --to " + other, "139.7 35.6\n");
    EXPECT_EQ(a.status, 0) << own << a.err;
    EXPECT_EQ(b.status, 0) << other << b.err;
    EXPECT_EQ(a.out, b.out) << own << " " << other;
    EXPECT_NE(a.out, "") << own;
  }
}

TEST_F(ToolCommands, GridBuildWritesOneRecordPerCell) {
  const std::string grid = folder + "/out.dat";
  const auto run = RunShell(kTool + " grid build '" +
                               Write("in.par", "header one\nheader two\n52394000 11.5 -12.25\n\n52394001\t1\t2\n") +
                               "' '" + grid + "'",
                           "");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "2 records written\n");
  std::ifstream in(grid, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size(), 2 * kGridRecordSize);
  unsigned char record[kGridRecordSize];
  std::memcpy(record, bytes.data(), kGridRecordSize);
  const GridRecord first = DecodeGridRecord(record);
  EXPECT_EQ(first.meshCode, 52394000);
  EXPECT_EQ(first.shift.dB, 11.5);
  EXPECT_EQ(first.shift.dL, -12.25);
}

TEST_F(ToolCommands, GridBuildStopsAtAMalformedLine) {
  struct Row {
    const char* body;
    const char* line;
  };
  for (const Row& row : {Row{"52394000 11.5 -12.25\n52394001 abc 2\n", "line 4"},
                         Row{"52394000 11.5\n", "line 3"},
                         Row{"52394000 1 2\n52394001 1 2 3\n", "line 4"},
                         Row{"99999999999 1 2\n", "line 3"},
                         Row{"52394000 nan 2\n", "line 3"},
                         Row{"5239.4 1 2\n", "line 3"}}) {
    const std::string grid = folder + "/bad.dat";
    const auto run = RunShell(
        kTool + " grid build '" + Write("bad.par", std::string("h1\nh2\n") + row.body) + "' '" + grid + "'", "");
    EXPECT_EQ(run.status, 1) << row.body;
    EXPECT_NE(run.err.find(row.line), std::string::npos) << row.body << run.err;
    EXPECT_FALSE(std::filesystem::exists(grid)) << row.body;
  }
  const auto missing = RunShell(kTool + " grid build '" + folder + "/none.par' '" + folder + "/x.dat'", "");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(RunShell(kTool + " grid build only-one", "").status, 2);
}

}  // namespace

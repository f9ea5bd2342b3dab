// The JGD2000 to JGD2011 earthquake correction: the parameter text reader, and
// the shifts against PROJ's hgridshift on a GeoTIFF grid that GDAL builds from
// the same numbers (an independent bilinear interpolation).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "OutputLines.h"
#include "geodesy/CoordConverter.h"
#include "geodesy/DatumGridText.h"
#include "host/FilePath.h"
#include "support/HostEnvironment.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

using geodesytest::NumbersByLine;
using kztest::RunShell;

// Grid nodes counted in 30" of latitude and 45" of longitude from 0°N, 100°E.
int32_t CodeOfNode(int latNode, int lonNode) {
  const int p = latNode / 80, q = latNode % 80 / 10, r = latNode % 10;
  const int u = lonNode / 80, v = lonNode % 80 / 10, w = lonNode % 10;
  return p * 1000000 + u * 10000 + q * 1000 + v * 100 + r * 10 + w;
}

struct Node {
  int lat, lon;  // node numbers as above
  double dB, dL;
};

// Shifts of a few tenths of a second that bend from node to node, rounded to
// the file's five decimals, over a block off Miyagi that crosses second-order
// mesh edges (every ten nodes) in both directions.
std::vector<Node> SyntheticNodes(int firstLat, int lats, int firstLon, int lons) {
  std::vector<Node> nodes;
  for (int i = firstLat; i < firstLat + lats; ++i)
    for (int j = firstLon; j < firstLon + lons; ++j) {
      const double dB = std::round((-0.2 + 0.05 * std::sin(i * 0.7) + 0.03 * std::cos(j * 1.3)) * 1e5) / 1e5;
      const double dL = std::round((0.15 + 0.04 * std::cos(i * 0.9) - 0.02 * std::sin(j * 0.4)) * 1e5) / 1e5;
      nodes.push_back({i, j, dB, dL});
    }
  return nodes;
}

constexpr int kFirstLat = 38 * 120 - 6;  // 37°57′N
constexpr int kLats = 17;
constexpr int kFirstLon = 40 * 80 + 35;  // 140°26′15″E
constexpr int kLons = 14;

std::string ParText(const std::vector<Node>& nodes, bool heights) {
  std::ostringstream text;
  text << "JGD2000 to JGD2011 test parameters\r\n";
  for (int i = 2; i <= 15; ++i) text << "header line " << i << "\r\n";
  text << "MeshCode   dB(sec)   dL(sec)" << (heights ? "   dH(m)" : "") << "\r\n";
  char line[80];
  for (const Node& node : nodes) {
    if (heights)
      std::snprintf(line, sizeof line, "%08d %9.5f %9.5f %9.5f\r\n", CodeOfNode(node.lat, node.lon), node.dB, node.dL,
                    -0.123);
    else
      std::snprintf(line, sizeof line, "%08d %9.5f %9.5f\r\n", CodeOfNode(node.lat, node.lon), node.dB, node.dL);
    text << line;
  }
  return text.str();
}

DatumGridTextResult ReadText(const std::string& text, std::vector<GridRecord>& records) {
  std::FILE* in = fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
  if (!in) return {};
  const DatumGridTextResult result = ReadCorrectionGridText(in, records);
  std::fclose(in);
  return result;
}

// A GeoTIFF horizontal offset grid for PROJ, written by GDAL from XYZ text
// (one value per node, nodes at pixel centres) through a VRT that names the
// bands the way PROJ's grid format asks.
std::string WriteShiftGrid(const std::string& folder, const std::string& name, const std::vector<Node>& nodes,
                           int lats, int lons) {
  std::ofstream latXyz(folder + "/" + name + "_lat.xyz"), lonXyz(folder + "/" + name + "_lon.xyz");
  latXyz.precision(17);
  lonXyz.precision(17);
  // Rows from north to south, each from west to east.
  for (int row = lats - 1; row >= 0; --row)
    for (int column = 0; column < lons; ++column) {
      const Node& node = nodes[static_cast<size_t>(row * lons + column)];
      const double lat = node.lat / 120.0, lon = 100 + node.lon / 80.0;
      latXyz << lon << ' ' << lat << ' ' << node.dB << '\n';
      lonXyz << lon << ' ' << lat << ' ' << node.dL << '\n';
    }
  latXyz.close();
  lonXyz.close();
  const std::string base = folder + "/" + name;
  const std::string build =
      "gdalbuildvrt -q -separate '" + base + "_raw.vrt' '" + base + "_lat.xyz' '" + base + "_lon.xyz'";
  EXPECT_EQ(RunShell(build, "").status, 0);
  std::ifstream rawFile(base + "_raw.vrt");
  std::string vrt((std::istreambuf_iterator<char>(rawFile)), std::istreambuf_iterator<char>());
  auto replace = [&vrt](const std::string& from, const std::string& to) {
    const size_t at = vrt.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) vrt.replace(at, from.size(), to);
  };
  replace("<GeoTransform>",
          "<SRS>EPSG:6668</SRS><Metadata><MDI key=\"TYPE\">HORIZONTAL_OFFSET</MDI></Metadata><GeoTransform>");
  replace("band=\"1\">",
          "band=\"1\"><Description>latitude_offset</Description>"
          "<Metadata><MDI key=\"UNITTYPE\">arc-second</MDI></Metadata>");
  replace("band=\"2\">",
          "band=\"2\"><Description>longitude_offset</Description>"
          "<Metadata><MDI key=\"UNITTYPE\">arc-second</MDI></Metadata>");
  std::ofstream(base + ".vrt") << vrt;
  EXPECT_EQ(RunShell("gdal_translate -q -ot Float64 '" + base + ".vrt' '" + base + ".tif'", "").status, 0);
  return base + ".tif";
}

std::string Pipeline(const std::vector<std::string>& grids, bool inverse) {
  std::string steps = "+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad";
  for (const std::string& grid : grids)
    steps += std::string(" +step") + (inverse ? " +inv" : "") + " +proj=hgridshift +grids=" + grid;
  return steps + " +step +proj=unitconvert +xy_in=rad +xy_out=deg";
}

// Points inside the block, away from its outer cells' edges only by chance.
std::vector<std::pair<double, double>> InsidePoints() {
  std::vector<std::pair<double, double>> points;
  const double south = kFirstLat / 120.0, west = 100 + kFirstLon / 80.0;
  const double north = (kFirstLat + kLats - 1) / 120.0, east = 100 + (kFirstLon + kLons - 1) / 80.0;
  for (int i = 0; i <= 12; ++i)
    for (int j = 0; j <= 12; ++j)
      points.push_back({south + (north - south) * (0.003 + 0.99 * i / 12.0 + 0.0005 * j),
                        west + (east - west) * (0.004 + 0.99 * j / 12.0 + 0.0003 * i)});
  return points;
}

TEST(CorrectionGridText, ReadsCellLinesAfterSixteenHeaderLines) {
  const std::vector<Node> nodes = SyntheticNodes(kFirstLat, 3, kFirstLon, 2);
  for (bool heights : {false, true}) {
    std::vector<GridRecord> records;
    const DatumGridTextResult result = ReadText(ParText(nodes, heights), records);
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(records.size(), nodes.size());
    EXPECT_EQ(result.recordsWritten, nodes.size());
    for (size_t i = 0; i < nodes.size(); ++i) {
      EXPECT_EQ(records[i].meshCode, CodeOfNode(nodes[i].lat, nodes[i].lon));
      EXPECT_EQ(records[i].shift.dB, nodes[i].dB);
      EXPECT_EQ(records[i].shift.dL, nodes[i].dL);
    }
  }
}

TEST(CorrectionGridText, BadLinesStopTheReadingAndKeepNothing) {
  std::string header;
  for (int i = 1; i <= 16; ++i) header += "57400000 1.0 2.0\n";  // header lines are never records
  struct Row {
    std::string body;
    bool ok;
    size_t records, errorLine;
  };
  const Row rows[] = {
      {"", true, 0, 0},
      {"57400000 0.1 0.2\n\n   \n57400001 -0.1 0.3", true, 2, 0},  // blank lines, no final line end
      {"57400000 0.1 0.2 -0.05\n", true, 1, 0},                   // a height shift
      {"57400000 0.1\n", false, 0, 17},
      {"57400000 0.1 0.2\n57400000 0.1 0.2 0.3 0.4\n", false, 0, 18},
      {"57400000 0.1 0.2 x\n", false, 0, 17},
      {"5740000x 0.1 0.2\n", false, 0, 17},
      {"57400000 nan 0.2\n", false, 0, 17},
      {"57400000 0.1 inf\n", false, 0, 17},
      {"99999999999 0.1 0.2\n", false, 0, 17},
  };
  for (const Row& row : rows) {
    std::vector<GridRecord> records{{1, {2, 3}}};
    const DatumGridTextResult result = ReadText(header + row.body, records);
    EXPECT_EQ(result.ok, row.ok) << row.body;
    EXPECT_EQ(records.size(), row.records) << row.body;
    EXPECT_EQ(result.errorLine, row.errorLine) << row.body;
    EXPECT_EQ(result.error.empty(), row.ok) << row.body;
  }
  // A file that ends inside its header has no cells.
  std::vector<GridRecord> records;
  EXPECT_TRUE(ReadText("one\ntwo\n", records).ok);
  EXPECT_TRUE(records.empty());
}

// A damaged file's shifts may be any finite number: a point they would carry
// off the globe is no point, not an infinity.
TEST(CorrectionGrid, AbsurdShiftsFailTheConversion) {
  DatumGrid grid;
  grid.Assign({{57414000, {1e308, -1e308}},
               {57414001, {-1e308, 1e308}},
               {57414010, {1e308, 1e308}},
               {57414011, {-1e308, -1e308}}});
  double lat = 7, lon = 7;
  EXPECT_FALSE(grid.AddCorrection(38.34, 141.005, lat, lon));
  EXPECT_FALSE(grid.RemoveCorrection(38.34, 141.005, lat, lon));
  EXPECT_EQ(lat, 7);
  EXPECT_EQ(lon, 7);
}

class CorrectionAgainstProj : public kztest::HostTest {
 protected:
  void SetUp() override {
    folder = kztest::FreshFolder("grid");
    nodes = SyntheticNodes(kFirstLat, kLats, kFirstLon, kLons);
    std::vector<GridRecord> records;
    ASSERT_TRUE(ReadText(ParText(nodes, true), records).ok);
    grid.Assign(records);
    tif = WriteShiftGrid(folder, "touhoku", nodes, kLats, kLons);
  }

  std::string folder;
  std::vector<Node> nodes;
  DatumGrid grid;
  std::string tif;
};

TEST_F(CorrectionAgainstProj, ShiftsEqualHgridshiftBothWays) {
  const auto points = InsidePoints();
  std::ostringstream input;
  input.precision(17);
  for (const auto& [lat, lon] : points) input << lon << ' ' << lat << " 0 0\n";
  const auto forward = NumbersByLine(RunShell("cct -d 14 " + Pipeline({tif}, false), input.str()).out);
  const auto inverse = NumbersByLine(RunShell("cct -d 14 " + Pipeline({tif}, true), input.str()).out);
  ASSERT_EQ(forward.size(), points.size());
  ASSERT_EQ(inverse.size(), points.size());
  double worst = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    const auto [lat, lon] = points[i];
    double outLat = 0, outLon = 0;
    ASSERT_TRUE(grid.AddCorrection(lat, lon, outLat, outLon));
    // Shifts in seconds, to 1e-6″.
    EXPECT_NEAR((outLat - lat) * 3600, (forward[i][1] - lat) * 3600, 1e-6) << lat << " " << lon;
    EXPECT_NEAR((outLon - lon) * 3600, (forward[i][0] - lon) * 3600, 1e-6) << lat << " " << lon;
    worst = std::max({worst, std::fabs(outLat - forward[i][1]) * 3600, std::fabs(outLon - forward[i][0]) * 3600});
    ASSERT_TRUE(grid.RemoveCorrection(lat, lon, outLat, outLon));
    EXPECT_NEAR((outLat - lat) * 3600, (inverse[i][1] - lat) * 3600, 1e-6) << lat << " " << lon;
    EXPECT_NEAR((outLon - lon) * 3600, (inverse[i][0] - lon) * 3600, 1e-6) << lat << " " << lon;
    // And the inverse undoes the forward shift to well under a micrometre.
    double backLat = 0, backLon = 0;
    ASSERT_TRUE(grid.AddCorrection(outLat, outLon, backLat, backLon));
    EXPECT_NEAR(backLat, lat, 1e-11);
    EXPECT_NEAR(backLon, lon, 1e-11);
  }
  std::printf("largest difference from hgridshift: %.3g arc-seconds over %zu points\n", worst, points.size());
}

TEST_F(CorrectionAgainstProj, PointsOutsideTheMeshKeepTheirCoordinates) {
  const double north = (kFirstLat + kLats - 1) / 120.0, east = 100 + (kFirstLon + kLons - 1) / 80.0;
  const double rows[][2] = {
      {35.0, 139.0},                                  // Tokyo: no cells at all
      {north + 0.001, 140.5},                         // the last row of nodes has no cells north of it
      {38.0, east + 0.001},                           // east of the last column
      {38.0, 100 + kFirstLon / 80.0 - 1e-9},          // a hair west of the first
      {10.0, 140.0},                                  // south of every mesh
  };
  for (const auto& row : rows) {
    double lat = 0, lon = 0;
    ASSERT_TRUE(grid.AddCorrection(row[0], row[1], lat, lon));
    EXPECT_EQ(lat, row[0]);
    EXPECT_EQ(lon, row[1]);
    ASSERT_TRUE(grid.RemoveCorrection(row[0], row[1], lat, lon));
    EXPECT_EQ(lat, row[0]);
    EXPECT_EQ(lon, row[1]);
  }
  double lat = 7, lon = 7;
  EXPECT_FALSE(grid.AddCorrection(91, 140, lat, lon));
  EXPECT_FALSE(grid.RemoveCorrection(38, std::nan(""), lat, lon));
  EXPECT_EQ(lat, 7);
  EXPECT_EQ(lon, 7);
}

// Tokyo to JGD2011 runs the TKY2JGD grid and then the correction: the same as
// PROJ running both grids one after the other.
TEST_F(CorrectionAgainstProj, TokyoToJgd2011ChainsBothGrids) {
  // A Tokyo grid over the block and 0.2° around it, bending gently (the
  // reverse Tokyo shift is a two-pass estimate, exact only where it is smooth).
  const int tokyoFirstLat = kFirstLat - 24, tokyoLats = kLats + 48;
  const int tokyoFirstLon = kFirstLon - 16, tokyoLons = kLons + 32;
  std::vector<Node> tokyo = SyntheticNodes(tokyoFirstLat, tokyoLats, tokyoFirstLon, tokyoLons);
  for (Node& node : tokyo) {
    node.dB = std::round((11.8 + 0.02 * std::sin(node.lat * 0.3) + node.dB) * 1e5) / 1e5;
    node.dL = std::round((-11.95 + 0.01 * std::cos(node.lon * 0.5) + node.dL) * 1e5) / 1e5;
  }
  std::vector<GridRecord> tokyoRecords;
  for (const Node& node : tokyo) tokyoRecords.push_back({CodeOfNode(node.lat, node.lon), {node.dB, node.dL}});
  DatumGrid tokyoGrid;
  tokyoGrid.Assign(tokyoRecords);
  const std::string tokyoTif = WriteShiftGrid(folder, "tky2jgd", tokyo, tokyoLats, tokyoLons);

  // Tokyo points that land inside the correction block.
  std::vector<std::pair<double, double>> points;
  const double south = kFirstLat / 120.0, west = 100 + kFirstLon / 80.0;
  const double north = (kFirstLat + kLats - 1) / 120.0, east = 100 + (kFirstLon + kLons - 1) / 80.0;
  for (const auto& [lat, lon] : InsidePoints())
    if (lat - south > 0.01 && north - lat > 0.01 && lon - west > 0.01 && east - lon > 0.01)
      points.push_back({lat - 0.003, lon + 0.003});
  std::ostringstream input;
  input.precision(17);
  for (const auto& [lat, lon] : points) input << lon << ' ' << lat << " 0 0\n";
  const auto expected = NumbersByLine(RunShell("cct -d 14 " + Pipeline({tokyoTif, tif}, false), input.str()).out);
  ASSERT_EQ(expected.size(), points.size());

  CoordConverter converter;
  converter.UseDatumGrid(tokyoGrid);
  converter.UseCorrectionGrid(grid);
  ASSERT_TRUE(
      converter.Configure(CoordRef{kDatumTokyo, kKindLatLong, 0, 0}, CoordRef{kDatumJgd2011, kKindLatLong, 0, 0}));
  CoordConverter back;
  back.UseDatumGrid(tokyoGrid);
  back.UseCorrectionGrid(grid);
  ASSERT_TRUE(
      back.Configure(CoordRef{kDatumJgd2011, kKindLatLong, 0, 0}, CoordRef{kDatumTokyo, kKindLatLong, 0, 0}));
  size_t corrected = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    const auto [lat, lon] = points[i];
    double outLat = 0, outLon = 0;
    ASSERT_TRUE(converter.ShiftDatum(lat, lon, outLat, outLon));
    EXPECT_NEAR(outLat * 3600, expected[i][1] * 3600, 1e-6) << lat << " " << lon;
    EXPECT_NEAR(outLon * 3600, expected[i][0] * 3600, 1e-6) << lat << " " << lon;
    // The correction took part: JGD2000 alone is off by its shift.
    double jgd2000Lat = 0, jgd2000Lon = 0;
    ASSERT_TRUE(tokyoGrid.TokyoToJgd(lat, lon, jgd2000Lat, jgd2000Lon));
    if (std::fabs(jgd2000Lat - outLat) * 3600 > 0.05) ++corrected;
    double backLat = 0, backLon = 0;
    ASSERT_TRUE(back.ShiftDatum(outLat, outLon, backLat, backLon));
    EXPECT_NEAR(backLat, lat, 1e-8);
    EXPECT_NEAR(backLon, lon, 1e-8);
  }
  EXPECT_EQ(corrected, points.size());
}

}  // namespace

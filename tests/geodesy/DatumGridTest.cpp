#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>

#include "geodesy/DatumGrid.h"
#include "host/FilePath.h"
#include "support/HostEnvironment.h"
#include "support/ScratchFolder.h"

namespace {

// Synthetic shifts linear in latitude and longitude: bilinear interpolation
// reproduces them exactly anywhere inside the grid.
GridShift LinearShift(double lat, double lon) {
  return {11.5 + 0.3 * (lat - 35) - 0.2 * (lon - 139), -12.25 + 0.1 * (lat - 35) + 0.45 * (lon - 139)};
}

int32_t CodeOfCell(int latCell, int lonCell) {  // cells counted in 30" and 45" steps from 0°N, 100°E
  const int p = latCell / 80, q = latCell % 80 / 10, r = latCell % 10;
  const int u = lonCell / 80, v = lonCell % 80 / 10, w = lonCell % 10;
  return p * 1000000 + u * 10000 + q * 1000 + v * 100 + r * 10 + w;
}

std::vector<GridRecord> LinearGrid(double south, double north, double west, double east) {
  std::vector<GridRecord> records;
  for (int i = static_cast<int>(std::lround(south * 120)); i <= std::lround(north * 120); ++i)
    for (int j = static_cast<int>(std::lround((west - 100) * 80)); j <= std::lround((east - 100) * 80); ++j)
      records.push_back({CodeOfCell(i, j), LinearShift(i / 120.0, 100 + j / 80.0)});
  return records;
}

TEST(MeshOfPoint, KnownCells) {
  struct Row {
    double lat, lon;
    int32_t code;
    double latFraction, lonFraction;
  };
  const Row rows[] = {
      {35.0, 139.0, 52394000, 0, 0},
      {35.6812, 139.7671, 53394611, 0.744, 0.368},  // Tokyo station
      {26.2125, 127.68, 39272554, 0.5, 0.4},
      {45.52, 141.9375, 68412725, 0.4, 0.0},
  };
  for (const Row& row : rows) {
    MeshPosition at;
    ASSERT_TRUE(DatumGrid::MeshOfPoint(row.lat, row.lon, at)) << row.lat;
    EXPECT_EQ(at.meshCode, row.code) << row.lat << " " << row.lon;
    EXPECT_NEAR(at.latFraction, row.latFraction, 1e-9);
    EXPECT_NEAR(at.lonFraction, row.lonFraction, 1e-9);
    EXPECT_EQ(at.firstOrderCode, row.code / 10000);
    EXPECT_EQ(at.secondOrderCode, row.code / 100 % 100);
    EXPECT_EQ(at.thirdOrderCode, row.code % 100);
  }
}

// Every cell edge over the grid's area, and points a hair either side of it:
// rounding there may give a third-order digit of 10, which must carry into the
// next cell. Whichever cell is chosen, code and fraction must give the point back.
TEST(MeshOfPoint, CellEdgesCarryIntoTheNextCell) {
  int checked = 0;
  for (double offset : {0.0, -1e-13, 1e-13, -1e-10}) {
    for (int i = 20 * 120; i <= 46 * 120; ++i) {
      const int j = (i * 7) % (34 * 80) + 20 * 80;  // a spread of longitudes
      for (int lonCell : {j, 20 * 80 + i % 80, 54 * 80 - (i % 10)}) {
        const double lat = i / 120.0 + offset;
        const double lon = 100 + lonCell / 80.0 + offset;
        MeshPosition at;
        ASSERT_TRUE(DatumGrid::MeshOfPoint(lat, lon, at)) << i << " " << lonCell << " " << offset;
        EXPECT_GE(at.latFraction, -1e-9);
        EXPECT_LE(at.latFraction, 1 + 1e-9);
        EXPECT_GE(at.lonFraction, -1e-9);
        EXPECT_LE(at.lonFraction, 1 + 1e-9);
        EXPECT_NEAR((80 * at.p + 10 * at.q + at.r + at.latFraction) / 120, lat, 1e-12);
        EXPECT_NEAR(100 + (80 * at.u + 10 * at.v + at.w + at.lonFraction) / 80, lon, 1e-12);
        if (offset == 0) {
          EXPECT_EQ(at.meshCode, CodeOfCell(i, lonCell)) << i << " " << lonCell;
        }
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 30000);
}

// A few units in the last place below an edge, the second-order index can
// come out one low while the third-order one comes out as 10: the point
// still lies in a cell (the one below the edge or above it), never nowhere.
TEST(MeshOfPoint, JustBelowAnEdgeStillFindsACell) {
  int carried = 0;
  for (int i = 20 * 120; i <= 46 * 120; i += 10) {
    double lat = i / 120.0;
    double lon = 100 + (i % (34 * 80) + 20 * 80) / 80.0;
    for (int ulps = 1; ulps <= 12; ++ulps) {
      lat = std::nextafter(lat, 0.0);
      lon = std::nextafter(lon, 0.0);
      MeshPosition at;
      ASSERT_TRUE(DatumGrid::MeshOfPoint(lat, lon, at)) << std::hexfloat << lat << " " << lon;
      EXPECT_NEAR((80 * at.p + 10 * at.q + at.r + at.latFraction) / 120, lat, 1e-12);
      EXPECT_NEAR(100 + (80 * at.u + 10 * at.v + at.w + at.lonFraction) / 80, lon, 1e-12);
      carried += at.latFraction < 0.5;
    }
  }
  EXPECT_GT(carried, 0) << "some points must have been carried into the cell above";
}

TEST(MeshOfPoint, RejectsPointsOutsideTheMesh) {
  MeshPosition at;
  for (auto [lat, lon] : {std::pair{-1.0, 139.0}, {35.0, 99.0}, {std::nan(""), 139.0}, {35.0, 1e300}, {1e300, 139.0}})
    EXPECT_FALSE(DatumGrid::MeshOfPoint(lat, lon, at)) << lat << " " << lon;
}

TEST(NeighbourMeshes, CarryAcrossSecondAndFirstOrderEdges) {
  struct Row {
    int32_t code;
    int32_t east, north, northEast;
  };
  const Row rows[] = {
      {52394000, 52394001, 52394010, 52394011},
      {52394009, 52394100, 52394019, 52394110},  // w 9 -> v + 1
      {52394709, 52404000, 52394719, 52404010},  // v 7 -> u + 1
      {52394090, 52394091, 52395000, 52395001},  // r 9 -> q + 1
      {52397790, 52397791, 53390700, 53390701},  // q 7 -> p + 1
      {52397799, 52407090, 53390709, 53400000},  // all of them at once
      {52397779, 52407070, 52397789, 52407080},
  };
  for (const Row& row : rows) {
    MeshPosition at;
    at.p = row.code / 1000000;
    at.u = row.code / 10000 % 100;
    at.q = row.code / 1000 % 10;
    at.v = row.code / 100 % 10;
    at.r = row.code / 10 % 10;
    at.w = row.code % 10;
    const NeighbourCodes around = DatumGrid::NeighbourMeshes(at);
    EXPECT_EQ(around.east, row.east) << row.code;
    EXPECT_EQ(around.north, row.north) << row.code;
    EXPECT_EQ(around.northEast, row.northEast) << row.code;
  }
}

class GridTest : public ::testing::Test {
 protected:
  void SetUp() override { grid.Assign(LinearGrid(34.5, 36.5, 138.5, 141)); }
  DatumGrid grid;
};

TEST_F(GridTest, BilinearInterpolationReproducesALinearShift) {
  for (double lat = 34.6; lat < 36.4; lat += 0.0371)
    for (double lon = 138.6; lon < 140.9; lon += 0.0533) {
      GridShift shift;
      ASSERT_TRUE(grid.InterpolateShift(lat, lon, shift));
      const GridShift expected = LinearShift(lat, lon);
      EXPECT_NEAR(shift.dB, expected.dB, 1e-9);
      EXPECT_NEAR(shift.dL, expected.dL, 1e-9);
    }
}

TEST_F(GridTest, CornerOfACellGivesItsOwnShift) {
  std::vector<GridRecord> records = LinearGrid(34.5, 36.5, 138.5, 141);
  for (auto& record : records)
    if (record.meshCode == 52394000) record.shift = {99.5, -77.25};
  grid.Assign(records);
  GridShift shift;
  ASSERT_TRUE(grid.InterpolateShift(35.0, 139.0, shift));
  EXPECT_EQ(shift.dB, 99.5);
  EXPECT_EQ(shift.dL, -77.25);
}

TEST_F(GridTest, ShiftsBothWaysThroughTheGrid) {
  for (auto [lat, lon] : {std::pair{35.6812, 139.7671}, {35.01, 138.9}, {36.3, 140.8}}) {
    double jgdLat = 0, jgdLon = 0, backLat = 0, backLon = 0;
    ASSERT_TRUE(grid.TokyoToJgd(lat, lon, jgdLat, jgdLon));
    const GridShift shift = LinearShift(lat, lon);
    EXPECT_NEAR(jgdLat, lat + shift.dB / 3600, 1e-12);
    EXPECT_NEAR(jgdLon, lon + shift.dL / 3600, 1e-12);
    ASSERT_TRUE(grid.JgdToTokyo(jgdLat, jgdLon, backLat, backLon));
    EXPECT_NEAR(backLat, lat, 1e-9);
    EXPECT_NEAR(backLon, lon, 1e-9);
  }
}

// JGD2000 to Tokyo guesses the Tokyo position 12" south and east, then
// interpolates again where that guess says. A steep synthetic grid makes the
// guess matter; the expected values follow those two steps by hand.
TEST(GridSteep, JgdToTokyoStartsFromTheSouthEasternGuess) {
  const auto shift = [](double lat, double lon) { return GridShift{2000 * (lat - 35), -1500 * (lon - 139)}; };
  std::vector<GridRecord> records;
  for (int i = 34 * 120; i <= 37 * 120; ++i)
    for (int j = 38 * 80; j <= 41 * 80; ++j) records.push_back({CodeOfCell(i, j), shift(i / 120.0, 100 + j / 80.0)});
  DatumGrid grid;
  grid.Assign(records);
  const double guess = 12.0 / 3600;
  for (auto [lat, lon] : {std::pair{35.3, 139.4}, {35.6, 139.1}}) {
    const GridShift first = shift(lat - guess, lon + guess);
    const GridShift second = shift(lat - first.dB / 3600, lon - first.dL / 3600);
    double tokyoLat = 0, tokyoLon = 0;
    ASSERT_TRUE(grid.JgdToTokyo(lat, lon, tokyoLat, tokyoLon));
    EXPECT_NEAR(tokyoLat, lat - second.dB / 3600, 1e-9);
    EXPECT_NEAR(tokyoLon, lon - second.dL / 3600, 1e-9);
  }
}

TEST_F(GridTest, MissingNeighbourFallsBackToTheGeocentricShift) {
  struct Row {
    double lat, lon;
  };
  // Outside the grid, on its northern and eastern rows, and at the limits of the range test.
  for (const Row& row : {Row{33.0, 139.0}, Row{36.5, 139.0}, Row{35.0, 141.0}, Row{46.0, 140.0}, Row{35.0, 154.0},
                         Row{19.9, 139.0}}) {
    GridShift shift;
    EXPECT_FALSE(grid.InterpolateShift(row.lat, row.lon, shift)) << row.lat << " " << row.lon;
    double lat = 0, lon = 0, expectedLat = 0, expectedLon = 0;
    ASSERT_TRUE(grid.TokyoToJgd(row.lat, row.lon, lat, lon));
    DatumGrid::TokyoToJgdGeocentric(row.lat, row.lon, expectedLat, expectedLon);
    EXPECT_EQ(lat, expectedLat);
    EXPECT_EQ(lon, expectedLon);
    // From the northern row the first guess, 12" south, lies inside the grid.
    if (row.lat == 36.5) continue;
    ASSERT_TRUE(grid.JgdToTokyo(row.lat, row.lon, lat, lon));
    DatumGrid::JgdToTokyoGeocentric(row.lat, row.lon, expectedLat, expectedLon);
    EXPECT_EQ(lat, expectedLat);
    EXPECT_EQ(lon, expectedLon);
  }
}

TEST_F(GridTest, OutOfRangePointsFailAndLeaveTheOutputsAlone) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (auto [lat, lon] : {std::pair{90.5, 139.0}, {-91.0, 0.0}, {35.0, 180.5}, {35.0, -181.0}, {nan, 139.0}, {35.0, nan}}) {
    double outLat = 7, outLon = 8;
    EXPECT_FALSE(grid.TokyoToJgd(lat, lon, outLat, outLon));
    EXPECT_FALSE(grid.JgdToTokyo(lat, lon, outLat, outLon));
    EXPECT_EQ(outLat, 7);
    EXPECT_EQ(outLon, 8);
  }
}

class GridFileTest : public kztest::HostTest {
 protected:
  std::string WriteFile(const std::string& bytes) {
    const std::string path = kztest::FreshFolder("grid") + "/TKY2JGD_Win.dat";
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  static std::string Record(int32_t code, double dB, double dL) {
    unsigned char bytes[kGridRecordSize];
    EncodeGridRecord({code, {dB, dL}}, bytes);
    return std::string(reinterpret_cast<char*>(bytes), sizeof bytes);
  }
};

TEST_F(GridFileTest, ReadsLittleEndianRecordsLaterDuplicatesWin) {
  const std::string bytes = Record(52394001, 1.5, -2.5) + Record(52394000, 3.25, 4.75) + Record(52394001, 9, 10) +
                            Record(52394002, std::nan(""), 0) + std::string("\x01\x02\x03", 3);
  // The layout: code, then dB and dL as IEEE doubles, all little-endian.
  EXPECT_EQ(bytes.substr(0, 4), std::string("\x11\x78\x1f\x03", 4));
  EXPECT_EQ(bytes.substr(4, 8), std::string("\x00\x00\x00\x00\x00\x00\xf8\x3f", 8));
  DatumGrid grid;
  ASSERT_TRUE(grid.LoadDatumGrid(ai::FilePath::FromPlatform(WriteFile(bytes))));
  EXPECT_EQ(grid.Size(), 2u);
  ASSERT_TRUE(grid.Find(52394001));
  EXPECT_EQ(grid.Find(52394001)->dB, 9);
  EXPECT_EQ(grid.Find(52394001)->dL, 10);
  EXPECT_EQ(grid.Find(52394000)->dB, 3.25);
  EXPECT_FALSE(grid.Find(52394002));  // a shift that is not a number counts as missing
}

TEST_F(GridFileTest, EmptyFileGivesEmptyGridMissingFileFails) {
  DatumGrid grid;
  grid.Assign(LinearGrid(35, 35.1, 139, 139.1));
  ASSERT_TRUE(grid.LoadDatumGrid(ai::FilePath::FromPlatform(WriteFile(""))));
  EXPECT_EQ(grid.Size(), 0u);
  grid.Assign(LinearGrid(35, 35.1, 139, 139.1));
  EXPECT_FALSE(grid.LoadDatumGrid(ai::FilePath::FromPlatform("/nonexistent/TKY2JGD_Win.dat")));
  EXPECT_EQ(grid.Size(), 0u);
}

}  // namespace

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>

#include "OutputLines.h"
#include "geodesy/Angles.h"
#include "geodesy/CoordConverter.h"
#include "support/HostEnvironment.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

TEST(CoordConverter, EqualPlaneSystemsOrZonesOnOneDatumAreIdentity) {
  struct Row {
    CoordRef source, target;
    bool identity;
  };
  const Row rows[] = {
      {{2, 3, 9, 0}, {2, 3, 9, 0}, true},
      {{1, 2, 0, 54}, {1, 2, 0, 54}, true},
      {{2, 3, 9, 0}, {2, 3, 8, 0}, false},
      {{2, 2, 0, 54}, {2, 2, 0, 53}, false},
      {{2, 1, 0, 0}, {2, 1, 0, 0}, false},  // runs through the latitude/longitude plane
      {{2, 3, 9, 0}, {2, 2, 0, 54}, false},
  };
  for (const Row& row : rows) {
    CoordConverter converter;
    ASSERT_TRUE(converter.Configure(row.source, row.target));
    EXPECT_EQ(converter.IsIdentity(), row.identity);
    if (!row.identity) continue;
    double x = 0, y = 0, convergence = 9, scale = 9;
    ASSERT_TRUE(converter.Convert(-12345.678, 23456.789, x, y, &convergence, &scale));
    EXPECT_EQ(x, -12345.678);
    EXPECT_EQ(y, 23456.789);
    EXPECT_EQ(convergence, 0);
    EXPECT_EQ(scale, 1);
  }
}

TEST(CoordConverter, SetIdentityPassesPointsThrough) {
  CoordConverter converter;
  ASSERT_TRUE(converter.Configure(CoordRef{2, 3, 9, 0}, CoordRef{2, 2, 0, 54}));
  converter.SetIdentity();
  double x = 0, y = 0;
  ASSERT_TRUE(converter.Convert(1, 2, x, y));
  EXPECT_EQ(x, 1);
  EXPECT_EQ(y, 2);
}

TEST(CoordConverter, LatitudeLongitudePlaneOnJgd2000) {
  CoordConverter converter;
  ASSERT_TRUE(converter.Configure(CoordRef{2, 1, 0, 0}, CoordRef{2, 1, 0, 0}));
  double x = 0, y = 0, convergence = 9;
  ASSERT_TRUE(converter.Convert(135, 35, x, y, &convergence));
  const double radius = 6378137 * (3 - 1 / 298.257222101) / 3;
  EXPECT_NEAR(x, 135 * 3.14159265358979 / 180 * radius, 1e-6);
  EXPECT_NEAR(y, 35 * 3.14159265358979 / 180 * radius, 1e-6);
  EXPECT_EQ(convergence, 0);

  // Kind 5 takes those metres back to degrees.
  CoordConverter back;
  ASSERT_TRUE(back.Configure(CoordRef{2, 5, 0, 0}, CoordRef{2, 3, 6, 0}));
  double lat = 0, lon = 0;
  ASSERT_TRUE(back.ToGeographic(y, x, lat, lon));
  EXPECT_NEAR(lat, 35, 1e-12);
  EXPECT_NEAR(lon, 135, 1e-12);
}

TEST(CoordConverter, PlaneToUtmIsInverseThenForward) {
  CoordConverter converter;
  ASSERT_TRUE(converter.Configure(CoordRef{2, 3, 9, 0}, CoordRef{2, 2, 0, 54}));
  TMProjection plane, utm;
  ASSERT_TRUE(plane.SetupPlaneSystem(9, 2));
  ASSERT_TRUE(utm.SetupUtmZone(54, 2));
  GeographicPoint geographic;
  ASSERT_TRUE(plane.InversePlane(-35000, 12000, geographic));
  ProjectedPoint expected;
  ASSERT_TRUE(utm.ForwardUtm(geographic.latitude, geographic.longitude, expected));
  double x = 0, y = 0, convergence = 0, scale = 0;
  ASSERT_TRUE(converter.Convert(12000, -35000, x, y, &convergence, &scale));
  EXPECT_EQ(x, expected.easting);
  EXPECT_EQ(y, expected.northing);
  EXPECT_EQ(convergence, expected.convergence);
  EXPECT_EQ(scale, expected.scale);
  // The stages one by one, northing first into ToGeographic.
  double lat = 0, lon = 0;
  ASSERT_TRUE(converter.ToGeographic(-35000, 12000, lat, lon));
  EXPECT_EQ(lat, geographic.latitude);
  EXPECT_EQ(lon, geographic.longitude);
  ASSERT_TRUE(converter.ShiftDatum(lat, lon, lat, lon));
  EXPECT_EQ(lat, geographic.latitude);
  ASSERT_TRUE(converter.FromGeographic(lat, lon, x, y));
  EXPECT_EQ(x, expected.easting);
}

TEST(CoordConverter, BadReferencesFailToConfigure) {
  const CoordRef bad[] = {{2, 3, 0, 0}, {2, 3, 20, 0}, {2, 2, 0, 0}, {2, 2, 0, 61}, {7, 3, 9, 0}, {2, 4, 0, 0}};
  for (const CoordRef& ref : bad) {
    CoordConverter asSource, asTarget;
    EXPECT_FALSE(asSource.Configure(ref, CoordRef{ref.datum, 1, 0, 0})) << ref.kind << " " << ref.system;
    EXPECT_FALSE(asTarget.Configure(CoordRef{ref.datum, 1, 0, 0}, ref)) << ref.kind << " " << ref.system;
    double x = 5, y = 6;
    EXPECT_FALSE(asTarget.Convert(139, 35, x, y));
    EXPECT_EQ(x, 5);
  }
}

// A point that cannot be converted is reported, and the outputs keep what the
// caller had in them.
TEST(CoordConverter, FailedPointsAreReported) {
  CoordConverter converter;
  DatumGrid empty;
  converter.UseDatumGrid(empty);
  ASSERT_TRUE(converter.Configure(CoordRef{1, 1, 0, 0}, CoordRef{2, 3, 9, 0}));
  struct Row {
    double x, y;
  };
  for (const Row& row : {Row{139, 95}, Row{139, -90.5}, Row{kNan, 35}, Row{139, kNan}}) {
    double x = 5, y = 6, convergence = 7, scale = 8, lat = 1, lon = 2;
    EXPECT_FALSE(converter.Convert(row.x, row.y, x, y, &convergence, &scale)) << row.x << " " << row.y;
    EXPECT_FALSE(converter.ShiftDatum(row.y, row.x, lat, lon));
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 6);
    EXPECT_EQ(convergence, 7);
    EXPECT_EQ(scale, 8);
    EXPECT_EQ(lat, 1);
    EXPECT_EQ(lon, 2);
  }

  CoordConverter fromPlane;
  ASSERT_TRUE(fromPlane.Configure(CoordRef{2, 3, 9, 0}, CoordRef{2, 2, 0, 54}));
  double x = 5, y = 6, lat = 1, lon = 2;
  EXPECT_FALSE(fromPlane.Convert(0, 1e300, x, y));
  EXPECT_FALSE(fromPlane.Convert(kNan, 0, x, y));
  EXPECT_FALSE(fromPlane.ToGeographic(kNan, 0, lat, lon));
  EXPECT_FALSE(fromPlane.FromGeographic(90.5, 139, x, y));
  EXPECT_FALSE(fromPlane.FromGeographic(-95, 139, x, y));
  EXPECT_EQ(x, 5);
  EXPECT_EQ(lat, 1);
}

// A target in degrees gets no latitude beyond the poles: an easting or a
// northing far outside its system inverts to a number that only looks like one.
TEST(CoordConverter, InverseBeyondThePoleIsNoPoint) {
  for (const CoordRef& source : {CoordRef{2, 3, 9, 0}, CoordRef{2, 2, 0, 54}, CoordRef{1, 3, 1, 0}}) {
    SCOPED_TRACE(source.kind);
    CoordConverter converter;
    ASSERT_TRUE(converter.Configure(source, CoordRef{source.datum, 1, 0, 0}));
    double lat = 1, lon = 2;
    // 10,000 km north of 36°N (or of the equator): further than the pole is.
    EXPECT_FALSE(converter.ToGeographic(1e7 + (source.kind == 2 ? 6e6 : 0), 0, lat, lon));
    EXPECT_FALSE(converter.ToGeographic(-1.6e7, 0, lat, lon));
    EXPECT_EQ(lat, 1);
    EXPECT_EQ(lon, 2);
    ASSERT_TRUE(converter.ToGeographic(0, 0, lat, lon));
    EXPECT_LT(std::fabs(lat), 90);
  }
}

// A longitude and the same plus or minus 360° are one meridian; a point a
// quarter turn or more from the central meridian has no projected position.
TEST(CoordConverter, LongitudesAreTakenRoundTheCircle) {
  CoordConverter converter;
  ASSERT_TRUE(converter.Configure(CoordRef{2, 1, 0, 0}, CoordRef{2, 3, 9, 0}));
  double x = 0, y = 0;
  ASSERT_TRUE(converter.Convert(139.7, 35.6, x, y));
  for (double turns : {-2.0, -1.0, 1.0, 3.0}) {
    double x2 = 0, y2 = 0;
    ASSERT_TRUE(converter.Convert(139.7 + 360 * turns, 35.6, x2, y2)) << turns;
    EXPECT_NEAR(x2, x, 1e-6);
    EXPECT_NEAR(y2, y, 1e-6);
  }
  // The first stage keeps the turn it was given; only the target chooses one.
  double lat = 0, lon = 0;
  ASSERT_TRUE(converter.ToGeographic(35.6, 499.7, lat, lon));
  EXPECT_EQ(lon, 499.7);
  ASSERT_TRUE(converter.ToGeographic(35.6, -180, lat, lon));
  EXPECT_EQ(lon, -180);
  // Across the 180th meridian from zone 60's central meridian (177°E): 4.5°
  // east of it, where PROJ puts the point too.
  CoordConverter zone60;
  ASSERT_TRUE(zone60.Configure(CoordRef{2, 1, 0, 0}, CoordRef{2, 2, 0, 60}));
  const auto proj = kztest::RunShell("cs2cs -f %.4f +proj=longlat +ellps=GRS80 +to +proj=utm +zone=60 +ellps=GRS80",
                                         "181.5 52\n");
  const auto rows = geodesytest::NumbersByLine(proj.out);
  ASSERT_EQ(rows.size(), 1u) << proj.out << proj.err;
  for (double lon : {181.5, -178.5}) {
    ASSERT_TRUE(zone60.Convert(lon, 52, x, y)) << lon;
    EXPECT_NEAR(x, rows[0][0], 2e-3);
    EXPECT_NEAR(y, rows[0][1], 2e-3);
  }
  x = y = 5;
  EXPECT_FALSE(converter.Convert(139.8333 + 95, 35, x, y));
  EXPECT_FALSE(converter.Convert(139.8333 - 100, 35, x, y));
  EXPECT_EQ(x, 5);
}

// A grid that shifts every point of 35–36° N, 139–140° E by +11.6″ in
// latitude and −11.8″ in longitude.
DatumGrid UniformShiftGrid() {
  std::vector<GridRecord> records;
  for (int i = 35 * 120; i <= 36 * 120; ++i)
    for (int j = 39 * 80; j <= 40 * 80; ++j) {
      const int32_t code =
          (i / 80) * 1000000 + (j / 80) * 10000 + (i % 80 / 10) * 1000 + (j % 80 / 10) * 100 + (i % 10) * 10 + j % 10;
      records.push_back({code, {11.6, -11.8}});
    }
  DatumGrid grid;
  grid.Assign(records);
  return grid;
}

// Plane system IX on the datum back to Tokyo latitude/longitude gives the
// point of the uniform shift grid's tests again.
void ExpectBackToTokyo(const DatumGrid& grid, int32_t datum, double x, double y) {
  CoordConverter reverse;
  reverse.UseDatumGrid(grid);
  ASSERT_TRUE(reverse.Configure(CoordRef{datum, 3, 9, 0}, CoordRef{1, 1, 0, 0}));
  double lat = 0, lon = 0;
  ASSERT_TRUE(reverse.ToGeographic(y, x, lat, lon));
  ASSERT_TRUE(reverse.ShiftDatum(lat, lon, lat, lon));
  EXPECT_NEAR(lat, 35.6, 1e-9);
  EXPECT_NEAR(lon, 139.7, 1e-9);
}

// Equal systems on different datums are no identity: the shift of some
// hundreds of metres between Tokyo and JGD2000 must be applied. Outside the
// grid it is the geocentric shift, which PROJ computes from the same three
// parameters.
TEST(CoordConverter, SameSystemOnAnotherDatumIsShifted) {
  const std::string tokyo = " +a=6377397.155 +rf=299.152813 +towgs84=-146.414,507.337,680.507";
  const std::string jgd = " +a=6378137 +rf=298.257222101 +towgs84=0,0,0";
  const std::string system9 = "+proj=tmerc +lat_0=36 +lon_0=139.833333333333333 +k=0.9999 +x_0=0 +y_0=0";
  const std::string zone54 = "+proj=utm +zone=54";
  struct Case {
    CoordRef source, target;
    std::string from, to;
    double easting, northing;
  } cases[] = {
      {{1, 3, 9, 0}, {2, 3, 9, 0}, system9 + tokyo, system9 + jgd, -10000, 20000},
      {{2, 2, 0, 54}, {1, 2, 0, 54}, zone54 + jgd, zone54 + tokyo, 380000, 3940000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from);
    CoordConverter converter;
    converter.UseDatumGrid(DatumGrid{});  // every point takes the geocentric shift
    ASSERT_TRUE(converter.Configure(c.source, c.target));
    EXPECT_FALSE(converter.IsIdentity());
    double x = 0, y = 0;
    ASSERT_TRUE(converter.Convert(c.easting, c.northing, x, y));
    const auto proj = kztest::RunShell("cs2cs -f %.4f " + c.from + " +to " + c.to,
                                           std::to_string(c.easting) + " " + std::to_string(c.northing) + "\n");
    const auto rows = geodesytest::NumbersByLine(proj.out);
    ASSERT_EQ(rows.size(), 1u) << proj.out << proj.err;
    EXPECT_GT(std::hypot(rows[0][0] - c.easting, rows[0][1] - c.northing), 300);
    EXPECT_NEAR(x, rows[0][0], 0.05);
    EXPECT_NEAR(y, rows[0][1], 0.05);
  }
}

TEST(CoordConverter, DatumShiftThroughTheGrid) {
  const DatumGrid grid = UniformShiftGrid();
  CoordConverter converter;
  converter.UseDatumGrid(grid);
  ASSERT_TRUE(converter.Configure(CoordRef{1, 1, 0, 0}, CoordRef{2, 3, 9, 0}));
  EXPECT_TRUE(converter.ShiftsDatum());
  double x = 0, y = 0;
  ASSERT_TRUE(converter.Convert(139.7, 35.6, x, y));
  TMProjection plane;
  ASSERT_TRUE(plane.SetupPlaneSystem(9, 2));
  ProjectedPoint expected;
  ASSERT_TRUE(plane.ForwardPlane(35.6 + 11.6 / 3600, 139.7 - 11.8 / 3600, expected));
  EXPECT_NEAR(x, expected.easting, 1e-6);
  EXPECT_NEAR(y, expected.northing, 1e-6);

  // JGD2000 back to Tokyo undoes it.
  ExpectBackToTokyo(grid, kDatumJgd2000, x, y);
}

// Tokyo reaches JGD2011 through JGD2000; with no earthquake correction in
// place the JGD2011 result is the JGD2000 one, on the same ellipsoid.
TEST(CoordConverter, TokyoToJgd2011ChainsThroughJgd2000) {
  const DatumGrid grid = UniformShiftGrid();
  CoordConverter converter;
  converter.UseDatumGrid(grid);
  ASSERT_TRUE(converter.Configure(CoordRef{1, 1, 0, 0}, CoordRef{4, 3, 9, 0}));
  double x = 0, y = 0;
  ASSERT_TRUE(converter.Convert(139.7, 35.6, x, y));
  // cs2cs +proj=longlat +ellps=GRS80 +to +proj=tmerc +lat_0=36 +lon_0=139.833333333333 +k=0.9999 +ellps=GRS80
  // for 139.7-11.8/3600 35.6+11.6/3600
  EXPECT_NEAR(x, -12377.5319, 1e-3);
  EXPECT_NEAR(y, -44011.6158, 1e-3);

  ExpectBackToTokyo(grid, kDatumJgd2011, x, y);
}

// A longitude given with another turn keeps it through the datum shift: the
// grid is read at the place, and the turn comes back unchanged.
TEST(CoordConverter, DatumShiftKeepsTheTurnOfTheLongitude) {
  const DatumGrid grid = UniformShiftGrid();
  CoordConverter converter;
  converter.UseDatumGrid(grid);
  ASSERT_TRUE(converter.Configure(CoordRef{1, 1, 0, 0}, CoordRef{2, 1, 0, 0}));
  for (double turn : {-720.0, -360.0, 0.0, 360.0}) {
    double lat = 0, lon = 0;
    ASSERT_TRUE(converter.ShiftDatum(35.6, 139.7 + turn, lat, lon)) << turn;
    EXPECT_NEAR(lat, 35.6 + 11.6 / 3600, 1e-9) << turn;
    EXPECT_NEAR(lon, 139.7 + turn - 11.8 / 3600, 1e-9) << turn;
  }
}

// On a latitude/longitude map every longitude takes the turn nearest the
// map's central longitude: a map at the 180th meridian stays in one piece.
TEST(CoordConverter, LatitudeLongitudeTargetTakesTheTurnNearestItsCentre) {
  CoordConverter converter;
  ASSERT_TRUE(converter.Configure(CoordRef{2, 1, 0, 0}, CoordRef{2, 1, 0, 0}));
  const double radius = 6378137 * (3 - 1 / 298.257222101) / 3;
  const double metresPerDegree = 0.0174532925199433 * radius;
  struct Row {
    double centre, longitude, drawn;
  } rows[] = {
      {0, 139.7, 139.7},        {0, 499.7, 139.7},        {0, -180, 180},           {0, 180, 180},
      {-179.9, -180, -180},
      {-179.9, 180, -180},      {-179.9, 179.9, -180.1},  {-179.9, -179.8, -179.8}, {179.9, -179.8, 180.2},
      {139.8, -220.3, 139.7},   {139.8, 139.7, 139.7},
  };
  for (const Row& row : rows) {
    converter.SetCentralLongitude(row.centre);
    double x = 0, y = 0;
    ASSERT_TRUE(converter.Convert(row.longitude, 35, x, y));
    EXPECT_NEAR(x / metresPerDegree, row.drawn, 1e-9) << row.centre << ' ' << row.longitude;
    EXPECT_NEAR(converter.PlaneLongitude(x), row.drawn, 1e-9) << row.centre << ' ' << row.longitude;
  }
  // A longitude already within 180° of the centre is drawn exactly as given.
  converter.SetCentralLongitude(139.8);
  double x = 0, y = 0;
  ASSERT_TRUE(converter.Convert(135.123456789, 35, x, y));
  EXPECT_EQ(x, 0.0174532925199433 * 135.123456789 * radius);
}

// Far from the central meridian the projection is still exact, but the map is
// much distorted there: the converter counts such points for the caller to tell.
TEST(CoordConverter, CountsPointsFarFromTheCentralMeridian) {
  CoordConverter converter;
  ASSERT_TRUE(converter.Configure(CoordRef{2, 1, 0, 0}, CoordRef{2, 3, 9, 0}));
  double x = 0, y = 0;
  for (double lon : {139.8, 155.0, 159.0, 120.0}) ASSERT_TRUE(converter.Convert(lon, 35, x, y)) << lon;
  EXPECT_EQ(converter.DistantPoints(), 0u);
  for (double lon : {160.9, 118.0, 139.8 + 360 + 25}) ASSERT_TRUE(converter.Convert(lon, 35, x, y)) << lon;
  EXPECT_EQ(converter.DistantPoints(), 3u);

  CoordConverter inverse;
  ASSERT_TRUE(inverse.Configure(CoordRef{2, 2, 0, 54}, CoordRef{2, 1, 0, 0}));
  double lat = 0, lon = 0;
  ASSERT_TRUE(inverse.ToGeographic(4000000, 500000 + 2400000, lat, lon));
  EXPECT_GT(lon, 141 + 20);
  EXPECT_EQ(inverse.DistantPoints(), 1u);
  ASSERT_TRUE(inverse.Configure(CoordRef{2, 2, 0, 54}, CoordRef{2, 1, 0, 0}));
  EXPECT_EQ(inverse.DistantPoints(), 0u) << "every configuration starts afresh";
}

// Code 3 is read as Bessel: it stands on the Tokyo side of the grid, so it
// shifts to JGD2000 as Tokyo does and not at all to Tokyo.
TEST(CoordConverter, ReservedBesselCodeConvertsAsTokyo) {
  DatumGrid grid;
  grid.Assign({{53394611, {11.6, -11.8}}, {53394612, {11.6, -11.8}}, {53394621, {11.6, -11.8}},
               {53394622, {11.6, -11.8}}});
  const double lat = 35.6812, lon = 139.7671;  // in cell 53394611
  struct Row {
    int32_t from, to;
    double dB, dL;
  };
  for (const Row& row : {Row{3, 2, 11.6, -11.8}, Row{3, 4, 11.6, -11.8}, Row{3, 1, 0, 0}, Row{1, 3, 0, 0}}) {
    CoordConverter converter;
    converter.UseDatumGrid(grid);
    ASSERT_TRUE(converter.Configure(CoordRef{row.from, 1, 0, 0}, CoordRef{row.to, 1, 0, 0}));
    double outLat = 0, outLon = 0;
    ASSERT_TRUE(converter.ShiftDatum(lat, lon, outLat, outLon));
    EXPECT_NEAR((outLat - lat) * 3600, row.dB, 1e-9) << row.from << "->" << row.to;
    EXPECT_NEAR((outLon - lon) * 3600, row.dL, 1e-9) << row.from << "->" << row.to;
  }
}

class CoordConverterGridFile : public kztest::HostTest {};

TEST_F(CoordConverterGridFile, MissingGridFailsEveryTimeAndLoadsOnceFound) {
  CoordConverter converter;
  const std::string folder = kztest::FreshFolder("grid");
  const std::string path = folder + "/" + kDatumGridFileName;
  converter.SetGridFile(ai::FilePath::FromPlatform(path));
  EXPECT_FALSE(converter.Configure(CoordRef{1, 3, 9, 0}, CoordRef{2, 3, 9, 0}));
  EXPECT_FALSE(converter.GridLoaded());
  // Without a datum shift no grid is needed.
  EXPECT_TRUE(converter.Configure(CoordRef{2, 3, 9, 0}, CoordRef{2, 3, 9, 0}));

  unsigned char bytes[kGridRecordSize];
  EncodeGridRecord({52394000, {1, 2}}, bytes);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes), sizeof bytes);
  ASSERT_TRUE(converter.Configure(CoordRef{1, 3, 9, 0}, CoordRef{2, 3, 9, 0}));
  EXPECT_TRUE(converter.GridLoaded());
  EXPECT_EQ(converter.Grid().Size(), 1u);

  // Loaded once per converter: a later configuration does not read the file again.
  std::ofstream(path, std::ios::binary | std::ios::trunc).close();
  ASSERT_TRUE(converter.Configure(CoordRef{2, 1, 0, 0}, CoordRef{1, 3, 9, 0}));
  EXPECT_EQ(converter.Grid().Size(), 1u);
}

TEST_F(CoordConverterGridFile, CorrectionFileNamedByTheCallerIsReadOnce) {
  const std::string folder = kztest::FreshFolder("correction");
  const std::string path = folder + "/other.par";
  {
    std::ofstream text(path, std::ios::binary);
    for (int i = 0; i < 16; ++i) text << "h\n";
    text << "57414000 -0.1 0.2\n";
  }
  CoordConverter converter;
  converter.SetCorrectionFile(ai::FilePath::FromPlatform(path));
  ASSERT_TRUE(converter.Configure(CoordRef{4, 1, 0, 0}, CoordRef{2, 3, 10, 0}));
  EXPECT_TRUE(converter.CorrectionLoaded());
  EXPECT_EQ(converter.CorrectionGrid().Size(), 1u);
  // Read once per converter, like the Tokyo grid.
  std::ofstream(path, std::ios::binary | std::ios::trunc).close();
  ASSERT_TRUE(converter.Configure(CoordRef{2, 1, 0, 0}, CoordRef{4, 3, 10, 0}));
  EXPECT_EQ(converter.CorrectionGrid().Size(), 1u);
}

}  // namespace

#include <gtest/gtest.h>

#include <cmath>

#include "geodesy/TMProjection.h"

namespace {

class OriginOfEverySystem : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(OriginOfEverySystem, ProjectsToZeroWithOriginScale) {
  const auto [system, datum] = GetParam();
  TMProjection projection;
  ASSERT_TRUE(projection.SetupPlaneSystem(system, datum));
  const auto [lat, lon] = projection.Origins()[system];
  ProjectedPoint forward;
  ASSERT_TRUE(projection.ForwardPlane(lat, lon, forward));
  EXPECT_EQ(forward.northing, 0);
  EXPECT_EQ(forward.easting, 0);
  EXPECT_EQ(forward.convergence, 0);
  EXPECT_EQ(forward.scale, 0.9999);
  GeographicPoint inverse;
  ASSERT_TRUE(projection.InversePlane(0, 0, inverse));
  EXPECT_NEAR(inverse.latitude, lat, 1e-12);
  EXPECT_NEAR(inverse.longitude, lon, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(AllSystems, OriginOfEverySystem,
                         ::testing::Combine(::testing::Range(1, 20), ::testing::Values(1, 2)));

TEST(TMProjection, UtmCentralMeridianHasFalseEastingAndOriginScale) {
  TMProjection projection;
  ASSERT_TRUE(projection.SetupUtmZone(54, 2));
  ProjectedPoint point;
  ASSERT_TRUE(projection.ForwardUtm(35.5, 141, point));
  EXPECT_EQ(point.easting, 500000);
  EXPECT_EQ(point.scale, 0.9996);
}

TEST(TMProjection, ConvergenceIsNegativeEastOfTheCentralMeridian) {
  TMProjection projection;
  ASSERT_TRUE(projection.SetupPlaneSystem(9, 2));
  ProjectedPoint east, west;
  ASSERT_TRUE(projection.ForwardPlane(36.2, 140.5, east));
  ASSERT_TRUE(projection.ForwardPlane(36.2, 139.2, west));
  EXPECT_LT(east.convergence, 0);
  EXPECT_GT(east.easting, 0);
  EXPECT_GT(west.convergence, 0);
  EXPECT_GT(east.scale, 0.9999);
}

TEST(TMProjection, RoundTripsInsideEverySystem) {
  for (int datum : {1, 2}) {
    for (int system = 1; system <= 19; ++system) {
      TMProjection projection;
      ASSERT_TRUE(projection.SetupPlaneSystem(system, datum));
      const auto [lat0, lon0] = projection.Origins()[system];
      for (double dLat : {-1.5, -0.7, 0.0, 0.9, 1.5}) {
        for (double dLon : {-2.0, -1.1, 0.3, 2.0}) {
          ProjectedPoint forward;
          GeographicPoint back;
          ASSERT_TRUE(projection.ForwardPlane(lat0 + dLat, lon0 + dLon, forward));
          ASSERT_TRUE(projection.InversePlane(forward.northing, forward.easting, back));
          EXPECT_NEAR(back.latitude, lat0 + dLat, 1e-9) << system;
          EXPECT_NEAR(back.longitude, lon0 + dLon, 1e-9) << system;
        }
      }
    }
  }
}

TEST(TMProjection, BadSetUpKeepsThePreviousOne) {
  TMProjection projection;
  ASSERT_TRUE(projection.SetupPlaneSystem(9, 2));
  ProjectedPoint before, after;
  ASSERT_TRUE(projection.ForwardPlane(35.7, 139.7, before));
  EXPECT_FALSE(projection.SetupPlaneSystem(0, 2));
  EXPECT_FALSE(projection.SetupPlaneSystem(20, 2));
  EXPECT_FALSE(projection.SetupUtmZone(0, 2));
  EXPECT_FALSE(projection.SetupUtmZone(61, 2));
  ASSERT_TRUE(projection.ForwardPlane(35.7, 139.7, after));
  EXPECT_EQ(before.northing, after.northing);
  EXPECT_EQ(before.easting, after.easting);
}

TEST(TMProjection, WithoutEllipsoidNothingProjects) {
  TMProjection fresh;
  ProjectedPoint forward;
  GeographicPoint inverse;
  EXPECT_FALSE(fresh.ForwardPlane(35, 139, forward));
  EXPECT_FALSE(fresh.InversePlane(0, 0, inverse));

  TMProjection unknownDatum;
  EXPECT_FALSE(unknownDatum.SetupPlaneSystem(9, 5));
  EXPECT_FALSE(unknownDatum.ForwardPlane(35, 139, forward));
  EXPECT_FALSE(unknownDatum.InverseUtm(0, 500000, inverse));
}

TEST(TMProjection, InverseFailsWhenTheFootpointDoesNotConverge) {
  TMProjection projection;
  ASSERT_TRUE(projection.SetupPlaneSystem(9, 2));
  GeographicPoint point;
  point.latitude = 12345;
  EXPECT_FALSE(projection.InversePlane(std::nan(""), 0, point));
  EXPECT_FALSE(projection.InversePlane(1e300, 0, point));
  EXPECT_FALSE(projection.InversePlane(0, std::numeric_limits<double>::infinity(), point));
  EXPECT_EQ(point.latitude, 12345);  // outputs untouched
}

TEST(TMProjection, MeanRadiusAndLatitudeLongitudePlane) {
  TMProjection projection;
  double radius = 0;
  ASSERT_TRUE(projection.MeanRadius(2, radius));
  EXPECT_DOUBLE_EQ(radius, 6378137 * (3 - 1 / 298.257222101) / 3);
  GeographicPoint point;
  ASSERT_TRUE(projection.LatLongPlaneInverse(135 * 0.0174532925199433 * radius, 35 * 0.0174532925199433 * radius, 2,
                                             point));
  EXPECT_NEAR(point.longitude, 135, 1e-12);
  EXPECT_NEAR(point.latitude, 35, 1e-12);
  EXPECT_FALSE(projection.LatLongPlaneInverse(0, 0, 9, point));
  EXPECT_FALSE(projection.MeanRadius(0, radius));
  EXPECT_EQ(radius, 0);
}

TEST(TMProjection, GeocentricToGeodeticRecoversAKnownPoint) {
  const Ellipsoid grs80 = EllipsoidTable()[kEllipsoidGrs80];
  struct Row {
    double lat, lon, h;
  };
  for (const Row& row : {Row{35.68, 139.77, 0}, Row{26.2, 127.7, 250}, Row{45.5, -141.9, -30}, Row{-33, 151, 10}}) {
    const double phi = row.lat * 0.0174532925199433, lambda = row.lon * 0.0174532925199433;
    const double n = grs80.a / std::sqrt(1 - grs80.e2 * std::sin(phi) * std::sin(phi));
    const double x = (n + row.h) * std::cos(phi) * std::cos(lambda);
    const double y = (n + row.h) * std::cos(phi) * std::sin(lambda);
    const double z = (n * (1 - grs80.e2) + row.h) * std::sin(phi);
    double lat = 0, lon = 0, h = 0;
    TMProjection::GeocentricToGeodetic(x, y, z, grs80, lat, lon, h);
    EXPECT_NEAR(lat * 57.2957795130823, row.lat, 1e-10);
    EXPECT_NEAR(lon * 57.2957795130823, row.lon, 1e-10);
    EXPECT_NEAR(h, row.h, 1e-4);
  }
}

}  // namespace

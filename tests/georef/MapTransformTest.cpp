#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "georef/MapTransform.h"
#include "georef/Units.h"

namespace {

DataFrameParams Frame(double rotation, double scale, float anchorX, float anchorY) {
  DataFrameParams p;
  p.datum = 2;
  p.kind = 3;
  p.system = 9;
  p.originX = -35000;
  p.originY = -5000;
  p.rotation = rotation;
  p.scale = scale;
  p.anchorX = anchorX;
  p.anchorY = anchorY;
  return p;
}

TEST(MapTransformTest, OneInchAtOneTo25000IsSixHundredThirtyFiveMetres) {
  MapTransform t;
  ASSERT_TRUE(t.SetFromDataFrame(Frame(0, 25000, 300, 400)));
  EXPECT_EQ(t.Mode(), MapTransform::kDataFrame);
  double x = 0, y = 0;
  ASSERT_TRUE(t.ArtboardToMap(372, 400, x, y));
  EXPECT_NEAR(x, -35000 + 635, 1e-9);
  EXPECT_NEAR(y, -5000, 1e-9);
  float ax = 0, ay = 0;
  ASSERT_TRUE(t.MapToArtboard(-35000 + 635, -5000, ax, ay));
  EXPECT_FLOAT_EQ(ax, 372);
  EXPECT_FLOAT_EQ(ay, 400);
}

TEST(MapTransformTest, RotationTurnsTheArtboardClockwiseOnTheMap) {
  // The map is drawn turned by R, so an artboard step east is a map step of R
  // degrees clockwise from east.
  struct Case {
    double rotation, expectX, expectY;
  };
  for (const Case& c : {Case{90, 0, -635}, Case{-90, 0, 635}, Case{180, -635, 0}, Case{30, 635 * std::cos(M_PI / 6),
                                                                                       -635 * std::sin(M_PI / 6)}}) {
    SCOPED_TRACE(c.rotation);
    MapTransform t;
    ASSERT_TRUE(t.SetFromDataFrame(Frame(c.rotation, 25000, 300, 400)));
    double x = 0, y = 0;
    t.ArtboardToMap(372, 400, x, y);
    EXPECT_NEAR(x - -35000, c.expectX, 1e-9);
    EXPECT_NEAR(y - -5000, c.expectY, 1e-9);
  }
}

class DataFrameRoundTrip : public ::testing::TestWithParam<std::tuple<double, double>> {};

TEST_P(DataFrameRoundTrip, ArtboardToMapAndBack) {
  const auto [rotation, scale] = GetParam();
  MapTransform t;
  ASSERT_TRUE(t.SetFromDataFrame(Frame(rotation, scale, 306.5f, 421.25f)));
  for (float ax = -2000; ax <= 2000; ax += 333.3f) {
    for (float ay = -1500; ay <= 3000; ay += 417.7f) {
      double mx = 0, my = 0;
      ASSERT_TRUE(t.ArtboardToMap(ax, ay, mx, my));
      float bx = 0, by = 0;
      ASSERT_TRUE(t.MapToArtboard(mx, my, bx, by));
      // Single precision at a few thousand points: a few ulps.
      EXPECT_NEAR(bx, ax, 2e-3) << ax << "," << ay;
      EXPECT_NEAR(by, ay, 2e-3) << ax << "," << ay;
      // Distances are kept: the mapping is a similarity with factor S·0.0254/72.
      const double d = std::hypot(mx - -35000, my - -5000);
      EXPECT_NEAR(d, std::hypot(ax - 306.5, ay - 421.25) * scale * kMetresPerPoint, 1e-6 * scale);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Frames, DataFrameRoundTrip,
                         ::testing::Combine(::testing::Values(0.0, 0.35, -1.2, 17.5, 90.0, -179.0),
                                            ::testing::Values(1000.0, 25000.0, 2500000.0)));

TEST(MapTransformTest, UnusableFrameScales) {
  for (double scale : {0.0, -25000.0, double(NAN), double(INFINITY)}) {
    MapTransform t;
    EXPECT_FALSE(t.SetFromDataFrame(Frame(0, scale, 0, 0))) << scale;
    EXPECT_FALSE(t.IsUsable());
    double x = 7, y = 8;
    EXPECT_FALSE(t.ArtboardToMap(1, 2, x, y));
    EXPECT_EQ(x, 7);
  }
}

TEST(MapTransformTest, UnitConversions) {
  EXPECT_DOUBLE_EQ(PointsToMetres(72), 0.0254);
  EXPECT_DOUBLE_EQ(MetresToPoints(0.0254), 72);
  EXPECT_DOUBLE_EQ(kMetresPerPoint * kPointsPerMetre, 1.0);
}

// A known affine mapping from artboard to map, to check the marker engines.
Point2D KnownAffine(double x, double y) {
  return {139.5 + 0.0021 * x - 0.0003 * y, 35.25 + 0.0004 * x + 0.0019 * y};
}

MarkerSet ThreePointSet(std::array<ArtboardPoint, 3> anchors) {
  MarkerSet s;
  s.kind = MarkerSet::kThreePoint;
  for (int i = 0; i < 3; ++i) {
    s.anchors[i] = anchors[i];
    s.map[i] = KnownAffine(anchors[i].x, anchors[i].y);
  }
  return s;
}

TEST(MapTransformTest, ThreePointAffineReproducesTheMappingBothWays) {
  MapTransform t;
  ASSERT_TRUE(t.SetFromMarkers(ThreePointSet({{{100, 100}, {700, 180}, {250, 900}}})));
  EXPECT_EQ(t.Mode(), MapTransform::kMarkers);
  for (float ax : {-500.0f, 0.0f, 123.25f, 700.0f, 4000.0f}) {
    for (float ay : {-300.0f, 0.0f, 512.5f, 2000.0f}) {
      double mx = 0, my = 0;
      ASSERT_TRUE(t.ArtboardToMap(ax, ay, mx, my));
      const Point2D expect = KnownAffine(ax, ay);
      EXPECT_NEAR(mx, expect.x, 1e-11);
      EXPECT_NEAR(my, expect.y, 1e-11);
      float bx = 0, by = 0;
      ASSERT_TRUE(t.MapToArtboard(mx, my, bx, by));
      EXPECT_NEAR(bx, ax, 1e-3);
      EXPECT_NEAR(by, ay, 1e-3);
    }
  }
}

TEST(MapTransformTest, CollinearThreePointSetsAreNotUsable) {
  MapTransform t;
  EXPECT_FALSE(t.SetFromMarkers(ThreePointSet({{{100, 100}, {200, 200}, {400, 400}}})));
  EXPECT_FALSE(t.SetFromMarkers(ThreePointSet({{{100, 100}, {100, 100}, {400, 300}}})));
  EXPECT_FALSE(t.IsUsable());
  double x = 1, y = 2;
  EXPECT_FALSE(t.ArtboardToMap(5, 5, x, y));
  float ax = 3, ay = 4;
  EXPECT_FALSE(t.MapToArtboard(5, 5, ax, ay));
  EXPECT_EQ(x, 1);
  EXPECT_EQ(ax, 3);

  // Anchors fine, map points on one line: no way back to the artboard.
  MarkerSet s = ThreePointSet({{{100, 100}, {700, 180}, {250, 900}}});
  s.map = {{{0, 0}, {1, 1}, {3, 3}, {}}};
  EXPECT_FALSE(t.SetFromMarkers(s));
}

MarkerSet FourPointSet(std::array<ArtboardPoint, 4> anchors, double west, double east, double south, double north) {
  MarkerSet s;
  s.kind = MarkerSet::kFourPoint;
  s.anchors = anchors;
  s.map = {{{west, south}, {west, north}, {east, north}, {east, south}}};
  return s;
}

TEST(MapTransformTest, FourPointOnAnAxisParallelRectangleIsLinear) {
  MapTransform t;
  ASSERT_TRUE(t.SetFromMarkers(
      FourPointSet({{{100, 200}, {100, 900}, {600, 900}, {600, 200}}}, -36000, -34000, -6000, -3000)));
  for (float ax : {-250.0f, 100.0f, 217.5f, 600.0f, 1333.0f}) {
    for (float ay : {-10.0f, 200.0f, 512.25f, 900.0f, 2500.0f}) {
      double mx = 0, my = 0;
      ASSERT_TRUE(t.ArtboardToMap(ax, ay, mx, my));
      EXPECT_NEAR(mx, -36000 + (ax - 100) / 500.0 * 2000, 1e-9) << ax << "," << ay;
      EXPECT_NEAR(my, -6000 + (ay - 200) / 700.0 * 3000, 1e-9) << ax << "," << ay;
      float bx = 0, by = 0;
      ASSERT_TRUE(t.MapToArtboard(mx, my, bx, by));
      EXPECT_NEAR(bx, ax, 1e-3);
      EXPECT_NEAR(by, ay, 1e-3);
    }
  }
}

TEST(MapTransformTest, FourPointOnATiltedScanRoundTrips) {
  // A scanned sheet placed slightly turned and sheared: the anchors are a
  // general convex quadrilateral.
  const std::array<ArtboardPoint, 4> anchors{{{112, 95}, {80, 870}, {655, 905}, {640, 120}}};
  MapTransform t;
  ASSERT_TRUE(t.SetFromMarkers(FourPointSet(anchors, 139.5, 139.75, 35.5, 35.75)));
  const std::array<Point2D, 4> corners{{{139.5, 35.5}, {139.5, 35.75}, {139.75, 35.75}, {139.75, 35.5}}};
  for (int i = 0; i < 4; ++i) {
    double mx = 0, my = 0;
    t.ArtboardToMap(anchors[i].x, anchors[i].y, mx, my);
    EXPECT_NEAR(mx, corners[i].x, 1e-12) << i;
    EXPECT_NEAR(my, corners[i].y, 1e-12) << i;
    float ax = 0, ay = 0;
    t.MapToArtboard(corners[i].x, corners[i].y, ax, ay);
    EXPECT_FLOAT_EQ(ax, anchors[i].x) << i;
    EXPECT_FLOAT_EQ(ay, anchors[i].y) << i;
  }
  for (float ax = 100; ax <= 640; ax += 45.5f) {
    for (float ay = 110; ay <= 860; ay += 62.5f) {
      double mx = 0, my = 0;
      t.ArtboardToMap(ax, ay, mx, my);
      float bx = 0, by = 0;
      t.MapToArtboard(mx, my, bx, by);
      EXPECT_NEAR(bx, ax, 1e-3) << ax << "," << ay;
      EXPECT_NEAR(by, ay, 1e-3) << ax << "," << ay;
    }
  }
  // The middle of the sheet is the mean of the four corners on a bilinear patch.
  double mx = 0, my = 0;
  t.ArtboardToMap((112 + 80 + 655 + 640) / 4.0f, (95 + 870 + 905 + 120) / 4.0f, mx, my);
  EXPECT_NEAR(mx, 139.625, 1e-9);
  EXPECT_NEAR(my, 35.625, 1e-9);
}

TEST(MapTransformTest, FourPointSetsWithoutAProperQuadrilateralAreNotUsable) {
  struct Case {
    const char* what;
    std::array<ArtboardPoint, 4> anchors;
  };
  const Case cases[] = {
      {"all on one line", {{{0, 0}, {0, 100}, {0, 200}, {0, 300}}}},
      {"crossed (bow tie)", {{{0, 0}, {0, 100}, {100, 0}, {100, 100}}}},
      {"concave", {{{0, 0}, {0, 100}, {30, 30}, {100, 0}}}},
  };
  for (const Case& c : cases) {
    MapTransform t;
    EXPECT_FALSE(t.SetFromMarkers(FourPointSet(c.anchors, 0, 10, 0, 10))) << c.what;
    EXPECT_FALSE(t.IsUsable()) << c.what;
  }
  MapTransform t;
  EXPECT_FALSE(t.SetFromMarkers(FourPointSet({{{0, 0}, {0, 100}, {100, 100}, {100, 0}}}, 5, 5, 0, 10)))
      << "map rectangle of no width";
}

}  // namespace

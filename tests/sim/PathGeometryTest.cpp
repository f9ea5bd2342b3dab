#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "sim/PathGeometry.h"

namespace {

using sim::BezierLength;
using sim::BezierPointAt;
using sim::OutlineBounds;
using sim::OutlineLength;
using sim::SignedArea;

AIPathSegment Corner(AIReal h, AIReal v) { return AIPathSegment{{h, v}, {h, v}, {h, v}, true}; }

std::vector<AIPathSegment> Polygon(std::initializer_list<AIRealPoint> points) {
  std::vector<AIPathSegment> segments;
  for (const AIRealPoint& p : points) segments.push_back(Corner(p.h, p.v));
  return segments;
}

// A circle of radius r about the origin made of four curves, clockwise from the top.
std::vector<AIPathSegment> Circle(AIReal r) {
  const AIReal k = r * 0.5522847498f;
  return {{{0, r}, {-k, r}, {k, r}, false},
          {{r, 0}, {r, k}, {r, -k}, false},
          {{0, -r}, {k, -r}, {-k, -r}, false},
          {{-r, 0}, {-r, -k}, {-r, k}, false}};
}

// Reference arc length by dense sampling.
double SampledLength(const AIRealBezier& b) {
  double length = 0;
  AIRealPoint last = b.p0;
  for (int i = 1; i <= 20000; ++i) {
    const AIRealPoint p = BezierPointAt(b, i / 20000.0);
    length += std::hypot(double(p.h) - last.h, double(p.v) - last.v);
    last = p;
  }
  return length;
}

struct AreaCase {
  const char* name;
  std::vector<AIPathSegment> segments;
  double area;
  double tolerance;
};

TEST(PathGeometryTest, SignedAreaIsPositiveClockwiseOnThePage) {
  const double pi = 3.14159265358979;
  const std::vector<AreaCase> cases = {
      {"clockwise square", Polygon({{0, 10}, {10, 10}, {10, 0}, {0, 0}}), 100, 1e-9},
      {"counter-clockwise square", Polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}}), -100, 1e-9},
      {"open triangle counts as closed", Polygon({{0, 0}, {0, 4}, {3, 0}}), 6, 1e-9},
      {"two anchors enclose nothing", Polygon({{0, 0}, {5, 5}}), 0, 1e-9},
      {"single anchor", Polygon({{3, 4}}), 0, 1e-9},
      {"circle of radius 10", Circle(10), pi * 100, pi * 100 * 3e-4},
  };
  for (const AreaCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NEAR(SignedArea(c.segments), c.area, c.tolerance);
  }
}

struct BoundsCase {
  const char* name;
  std::vector<AIPathSegment> segments;
  bool closed;
  AIRealRect bounds;
};

TEST(PathGeometryTest, BoundsFollowTheCurveNotItsControlPoints) {
  const std::vector<BoundsCase> cases = {
      {"straight polyline", Polygon({{1, 2}, {5, -3}, {-2, 4}}), false, {-2, 4, 5, -3}},
      {"single point", Polygon({{7, 8}}), false, {7, 8, 7, 8}},
      {"circle", Circle(10), true, {-10, 10, 10, -10}},
      // An arch whose handles reach 40 above the anchors peaks at 30.
      {"arch", {{{0, 0}, {0, 0}, {0, 40}, false}, {{10, 0}, {10, 40}, {10, 0}, false}}, false, {0, 30, 10, 0}},
      // The closing curve of an open outline does not count.
      {"open lens", {{{0, 0}, {0, -40}, {0, 0}, false}, {{10, 0}, {10, 0}, {10, -40}, false}}, false, {0, 0, 10, 0}},
      {"closed lens", {{{0, 0}, {0, -40}, {0, 0}, false}, {{10, 0}, {10, 0}, {10, -40}, false}}, true, {0, 0, 10, -30}},
  };
  for (const BoundsCase& c : cases) {
    SCOPED_TRACE(c.name);
    AIRealRect bounds;
    ASSERT_TRUE(OutlineBounds(c.segments, c.closed, &bounds));
    EXPECT_NEAR(bounds.left, c.bounds.left, 1e-3);
    EXPECT_NEAR(bounds.top, c.bounds.top, 1e-3);
    EXPECT_NEAR(bounds.right, c.bounds.right, 1e-3);
    EXPECT_NEAR(bounds.bottom, c.bounds.bottom, 1e-3);
  }
  AIRealRect unused;
  EXPECT_FALSE(OutlineBounds({}, true, &unused));
}

TEST(PathGeometryTest, OutlineLengthCountsTheClosingSegmentOnlyWhenClosed) {
  const auto square = Polygon({{0, 0}, {0, 10}, {10, 10}, {10, 0}});
  EXPECT_DOUBLE_EQ(OutlineLength(square, false, 1), 30);
  EXPECT_DOUBLE_EQ(OutlineLength(square, true, 1), 40);
  EXPECT_NEAR(OutlineLength(Circle(10), true, 1), 2 * 3.14159265358979 * 10, 0.02);
  EXPECT_EQ(OutlineLength(Polygon({{4, 4}}), true, 1), 0);
}

TEST(PathGeometryTest, BezierLengthAgreesWithDenseSampling) {
  const std::vector<AIRealBezier> curves = {
      {{0, 0}, {0, 0}, {10, 0}, {10, 0}},        // straight, handles on the anchors
      {{0, 0}, {3, 0}, {7, 0}, {10, 0}},         // straight, handles inside
      {{0, 0}, {0, 40}, {10, 40}, {10, 0}},      // arch
      {{0, 0}, {30, 30}, {-20, 30}, {10, 0}},    // loop-like S
      {{0, 0}, {100, 0}, {0, 0}, {1, 0}},        // doubles back on itself
  };
  for (const AIRealBezier& curve : curves) {
    const double reference = SampledLength(curve);
    EXPECT_NEAR(BezierLength(curve, 1.0), reference, reference * 1e-4 + 1e-4);
  }
}

TEST(PathGeometryTest, PointAtParameterFollowsTheCurve) {
  const AIRealBezier arch{{0, 0}, {0, 40}, {10, 40}, {10, 0}};
  struct Case {
    double t;
    AIRealPoint point;
  };
  for (const Case& c : std::vector<Case>{{0, {0, 0}}, {1, {10, 0}}, {0.5, {5, 30}}, {0.25, {1.5625, 22.5}}}) {
    SCOPED_TRACE(c.t);
    const AIRealPoint p = BezierPointAt(arch, c.t);
    EXPECT_NEAR(p.h, c.point.h, 1e-5);
    EXPECT_NEAR(p.v, c.point.v, 1e-5);
  }
}

}  // namespace

// SVG geometry: path data, transform lists, points lists and basic shapes.
// Hand-worked values for the grammar and for transforms; the curves that
// arcs, shapes and transforms make are compared with what rsvg-convert and
// Inkscape make of the same SVG.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "support/Process.h"
#include "support/ScratchFolder.h"
#include "sim/SvgGeometry.h"

namespace {

using kztest::ScratchFolder;
using kztest::Quote;
using sim::svg::Matrix;
using sim::svg::Piece;
using sim::svg::Point;
using sim::svg::Subpath;

std::string Number(double v) {
  if (std::fabs(v) < 5e-7) v = 0;
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

std::string PointText(Point p) { return Number(p.x) + "," + Number(p.y); }

// "M x,y L x,y C x,y x,y x,y Z | M ..." with 6 significant digits.
std::string Describe(const std::vector<Subpath>& subpaths) {
  std::string out;
  for (const Subpath& sub : subpaths) {
    if (!out.empty()) out += " | ";
    out += "M" + PointText(sub.start);
    for (const Piece& piece : sub.pieces) {
      if (piece.straight) {
        out += " L" + PointText(piece.end);
      } else {
        out += " C" + PointText(piece.c1) + " " + PointText(piece.c2) + " " + PointText(piece.end);
      }
    }
    if (sub.closed) out += " Z";
  }
  return out;
}

std::vector<Subpath> Parse(const std::string& data) {
  std::vector<Subpath> out;
  std::string problem;
  EXPECT_TRUE(sim::svg::ParsePathData(data, out, problem)) << data << ": " << problem;
  return out;
}

Point CubicAt(Point p0, const Piece& piece, double t) {
  const double u = 1 - t;
  const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
  return {a * p0.x + b * piece.c1.x + c * piece.c2.x + d * piece.end.x,
          a * p0.y + b * piece.c1.y + c * piece.c2.y + d * piece.end.y};
}

// Each subpath as a fine polyline (closed ones back to their start).
std::vector<std::vector<Point>> Flatten(const std::vector<Subpath>& subpaths) {
  std::vector<std::vector<Point>> lines;
  for (const Subpath& sub : subpaths) {
    std::vector<Point> line{sub.start};
    Point from = sub.start;
    for (const Piece& piece : sub.pieces) {
      for (int i = 1; i <= 64; ++i) line.push_back(CubicAt(from, piece, i / 64.0));
      from = piece.end;
    }
    if (sub.closed) line.push_back(sub.start);
    lines.push_back(line);
  }
  return lines;
}

double SegmentDistance(Point p, Point a, Point b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// The largest distance from a point of one outline to the other, both ways.
double Deviation(const std::vector<Subpath>& a, const std::vector<Subpath>& b) {
  const auto linesA = Flatten(a), linesB = Flatten(b);
  auto oneWay = [](const std::vector<std::vector<Point>>& from, const std::vector<std::vector<Point>>& to) {
    double worst = 0;
    for (const auto& line : from) {
      for (const Point& p : line) {
        double best = INFINITY;
        for (const auto& other : to) {
          if (other.size() == 1) best = std::min(best, std::hypot(p.x - other[0].x, p.y - other[0].y));
          for (size_t i = 1; i < other.size(); ++i) best = std::min(best, SegmentDistance(p, other[i - 1], other[i]));
        }
        worst = std::max(worst, best);
      }
    }
    return worst;
  };
  if (linesA.empty() != linesB.empty()) return INFINITY;
  return std::max(oneWay(linesA, linesB), oneWay(linesB, linesA));
}

// ---------------------------------------------------------------------------
// Path data grammar

struct PathCase {
  const char* data;
  const char* expected;
};

class PathDataTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(PathDataTest, ReadsEveryCommandAndNumberForm) {
  const PathCase& c = GetParam();
  std::vector<Subpath> out;
  std::string problem;
  EXPECT_TRUE(sim::svg::ParsePathData(c.data, out, problem)) << problem;
  EXPECT_EQ(problem, "");
  EXPECT_EQ(Describe(out), c.expected) << c.data;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, PathDataTest,
    ::testing::Values(
        PathCase{"", ""}, PathCase{" \t\r\n", ""},
        PathCase{"M 10 20 L 30 40", "M10,20 L30,40"},
        PathCase{"m 10 20 l 5 5 h 10 v -5 H 0 V 0 z", "M10,20 L15,25 L25,25 L25,20 L0,20 L0,0 Z"},
        // Pairs after a moveto are linetos, relative after a relative one.
        PathCase{"M 1 2 3 4 5 6", "M1,2 L3,4 L5,6"}, PathCase{"m 1 2 3 4 5 6", "M1,2 L4,6 L9,12"},
        PathCase{"M 1 2 L 3 4 5 6 H 7 8 V 9 10", "M1,2 L3,4 L5,6 L7,6 L8,6 L8,9 L8,10"},
        PathCase{"M 1 2 l 3 4 5 6 h 7 8 v 9 10", "M1,2 L4,6 L9,12 L16,12 L24,12 L24,21 L24,31"},
        // Numbers run together as the grammar allows.
        PathCase{"M.5.5-1-2", "M0.5,0.5 L-1,-2"}, PathCase{"M1e-3 2E1L+3,1.e1", "M0.001,20 L3,10"},
        PathCase{"M0,0L1.5e+1-2.5E-1", "M0,0 L15,-0.25"}, PathCase{"M-0-0", "M0,0"},
        PathCase{"M1e-400 5", "M0,5"},
        PathCase{"M1\t,\n2\r\n,3 4", "M1,2 L3,4"},
        // After closepath the current point is the subpath's start.
        PathCase{"M 10 10 l 10 0 z l 0 10", "M10,10 L20,10 Z | M10,10 L10,20"},
        PathCase{"M 10 10 l 10 0 z m 5 5 l 1 0", "M10,10 L20,10 Z | M15,15 L16,15"},
        PathCase{"M 10 10 L 20 10 Z Z", "M10,10 L20,10 Z"},
        PathCase{"M 1 1 M 2 2 L 3 3", "M1,1 | M2,2 L3,3"},
        // Cubics, and smooth ones reflecting the previous second control.
        PathCase{"M 0 0 C 1 2 3 4 5 6", "M0,0 C1,2 3,4 5,6"},
        PathCase{"M 1 1 c 1 2 3 4 5 6", "M1,1 C2,3 4,5 6,7"},
        PathCase{"M0 0c1 1 2 2 3 3 1 1 2 2 3 3", "M0,0 C1,1 2,2 3,3 C4,4 5,5 6,6"},
        PathCase{"M 0 0 C 0 10 10 10 10 0 S 20 -10 20 0", "M0,0 C0,10 10,10 10,0 C10,-10 20,-10 20,0"},
        PathCase{"M 0 0 c 0 10 10 10 10 0 s 10 -10 10 0", "M0,0 C0,10 10,10 10,0 C10,-10 20,-10 20,0"},
        PathCase{"M 0 0 L 10 0 S 20 10 20 0", "M0,0 L10,0 C10,0 20,10 20,0"},
        PathCase{"M 0 0 Q 5 5 10 0 S 20 10 20 0",
                 "M0,0 C3.33333,3.33333 6.66667,3.33333 10,0 C10,0 20,10 20,0"},
        // Quadratics become the exact cubic; smooth ones reflect the control.
        PathCase{"M 0 0 Q 3 6 6 0", "M0,0 C2,4 4,4 6,0"}, PathCase{"M 1 1 q 3 6 6 0", "M1,1 C3,5 5,5 7,1"},
        PathCase{"M 0 0 Q 3 6 6 0 T 12 0", "M0,0 C2,4 4,4 6,0 C8,-4 10,-4 12,0"},
        PathCase{"M 0 0 q 3 6 6 0 t 6 0", "M0,0 C2,4 4,4 6,0 C8,-4 10,-4 12,0"},
        PathCase{"M 0 0 q 3 6 6 0 6 -6 6 0", "M0,0 C2,4 4,4 6,0 C10,-4 12,-4 12,0"},
        PathCase{"M 0 0 L 3 0 T 6 3", "M0,0 L3,0 C3,0 4,1 6,3"},
        PathCase{"M 0 0 C 1 1 2 2 3 0 T 6 3", "M0,0 C1,1 2,2 3,0 C3,0 4,1 6,3"},
        // Arcs: a half circle in two quarter turns; zero radius is a line;
        // no arc to the same point; radii too small grow; signs dropped.
        PathCase{"M 0 0 A 5 5 0 0 1 10 0", "M0,0 C0,-2.76142 2.23858,-5 5,-5 C7.76142,-5 10,-2.76142 10,0"},
        PathCase{"M0 0a5 5 0 0110 0", "M0,0 C0,-2.76142 2.23858,-5 5,-5 C7.76142,-5 10,-2.76142 10,0"},
        PathCase{"M0,0A5,5,0,0,1,10,0", "M0,0 C0,-2.76142 2.23858,-5 5,-5 C7.76142,-5 10,-2.76142 10,0"},
        PathCase{"M 0 0 A 1 1 0 0 1 10 0", "M0,0 C0,-2.76142 2.23858,-5 5,-5 C7.76142,-5 10,-2.76142 10,0"},
        PathCase{"M 0 0 A -5 -5 0 0 1 10 0", "M0,0 C0,-2.76142 2.23858,-5 5,-5 C7.76142,-5 10,-2.76142 10,0"},
        PathCase{"M 0 0 A 5 5 0 1 0 10 0", "M0,0 C0,2.76142 2.23858,5 5,5 C7.76142,5 10,2.76142 10,0"},
        PathCase{"M 0 0 A 0 5 0 0 1 10 0", "M0,0 L10,0"}, PathCase{"M 0 0 a 5 0 0 0 1 10 0", "M0,0 L10,0"},
        PathCase{"M 3 4 A 5 5 0 0 1 3 4", "M3,4"},
        // A quarter of a circle of radius 10 about (0,10), then on round.
        PathCase{"M 0 0 A 10 10 0 0 1 10 10 10 10 0 0 1 0 20",
                 "M0,0 C5.52285,0 10,4.47715 10,10 C10,15.5228 5.52285,20 0,20"}));

struct BadPathCase {
  const char* data;
  const char* kept;
  const char* where;  // the character the problem names
};

class BadPathDataTest : public ::testing::TestWithParam<BadPathCase> {};

TEST_P(BadPathDataTest, StopsAtTheFaultKeepingWhatCameBefore) {
  const BadPathCase& c = GetParam();
  std::vector<Subpath> out;
  std::string problem;
  EXPECT_FALSE(sim::svg::ParsePathData(c.data, out, problem)) << c.data;
  EXPECT_EQ(Describe(out), c.kept) << c.data;
  EXPECT_NE(problem.find(std::string("at character ") + c.where + ":"), std::string::npos) << problem;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BadPathDataTest,
    ::testing::Values(BadPathCase{"L 10 10", "", "1"}, BadPathCase{"10 10", "", "1"},
                      BadPathCase{"M 10 10 L 20", "M10,10", "13"},
                      BadPathCase{"M 10 10 L 20 20 X 30 30", "M10,10 L20,20", "17"},
                      BadPathCase{"M 0 0 z 5 5", "M0,0 Z", "9"},
                      BadPathCase{"M 0 0 L 1 1,", "M0,0 L1,1", "13"},
                      BadPathCase{"M 0 0 L 1 1, L 2 2", "M0,0 L1,1", "14"},
                      BadPathCase{"M 0 0 L 1,,1", "M0,0", "11"},
                      BadPathCase{"M 0 0 L,1 1", "M0,0", "8"},
                      BadPathCase{"M 0 0 A 5 5 0 2 1 10 0", "M0,0", "15"},
                      BadPathCase{"M 0 0 L 1 1 e", "M0,0 L1,1", "13"},
                      BadPathCase{"M 0 0 L 1e 1", "M0,0", "10"},
                      BadPathCase{"M 0 0 L . 1", "M0,0", "9"},
                      BadPathCase{"M 0 0 C 1 1 2 2", "M0,0", "16"},
                      BadPathCase{"M 0 0 L 1 1 L", "M0,0 L1,1", "14"},
                      BadPathCase{"M 1e999 0", "", "3"},
                      BadPathCase{"M 1e308 0 l 1e308 0", "M1e+308,0", "20"},
                      BadPathCase{"M,0 0", "", "2"},
                      BadPathCase{"M 0 0 L 1 1 \xE3\x80\x80", "M0,0 L1,1", "13"}));

TEST(PathData, ReplacesWhatTheListHeld) {
  std::vector<Subpath> out = Parse("M 1 1 L 2 2");
  std::string problem;
  ASSERT_TRUE(sim::svg::ParsePathData("M 5 5", out, problem));
  EXPECT_EQ(Describe(out), "M5,5");
}

// Every point of a non-degenerate arc lies on its ellipse, on the side that
// the flags choose. Half-chord 5, radius 10: centre 8.66025 off the chord.
struct ArcCase {
  const char* data;
  Point centre;
  Point middle;  // the point halfway along the arc
  size_t pieces;  // quarter turns at most: 60° is one piece, 300° four
};

class ArcTest : public ::testing::TestWithParam<ArcCase> {};

TEST_P(ArcTest, FlagsChooseCentreAndSide) {
  const ArcCase& c = GetParam();
  const auto subpaths = Parse(c.data);
  ASSERT_EQ(subpaths.size(), 1u);
  for (const auto& line : Flatten(subpaths)) {
    for (const Point& p : line) EXPECT_NEAR(std::hypot(p.x - c.centre.x, p.y - c.centre.y), 10, 0.003) << c.data;
  }
  double nearest = INFINITY;
  const auto lines = Flatten(subpaths);
  for (const Point& p : lines[0]) nearest = std::min(nearest, std::hypot(p.x - c.middle.x, p.y - c.middle.y));
  EXPECT_LT(nearest, 0.01) << c.data;
  EXPECT_EQ(subpaths[0].pieces.size(), c.pieces) << c.data;
}

INSTANTIATE_TEST_SUITE_P(Flags, ArcTest,
                         ::testing::Values(ArcCase{"M 0 0 A 10 10 0 0 1 10 0", {5, 8.660254}, {5, -1.339746}, 1},
                                           ArcCase{"M 0 0 A 10 10 0 1 1 10 0", {5, -8.660254}, {5, -18.660254}, 4},
                                           ArcCase{"M 0 0 A 10 10 0 0 0 10 0", {5, -8.660254}, {5, 1.339746}, 1},
                                           ArcCase{"M 0 0 A 10 10 0 1 0 10 0", {5, 8.660254}, {5, 18.660254}, 4}));

// ---------------------------------------------------------------------------
// Transforms

struct TransformCase {
  const char* text;
  Point in, out;
};

class TransformTest : public ::testing::TestWithParam<TransformCase> {};

TEST_P(TransformTest, MapsPointsAsWorkedByHand) {
  const TransformCase& c = GetParam();
  Matrix m;
  std::string problem;
  ASSERT_TRUE(sim::svg::ParseTransform(c.text, m, problem)) << c.text << ": " << problem;
  const Point p = m.Apply(c.in);
  EXPECT_NEAR(p.x, c.out.x, 1e-9) << c.text;
  EXPECT_NEAR(p.y, c.out.y, 1e-9) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Lists, TransformTest,
    ::testing::Values(TransformCase{"", {3, 4}, {3, 4}}, TransformCase{"translate(10)", {1, 1}, {11, 1}},
                      TransformCase{"translate(10,20)", {1, 1}, {11, 21}},
                      TransformCase{"scale(2)", {1, 3}, {2, 6}}, TransformCase{"scale(2 -3)", {1, 3}, {2, -9}},
                      TransformCase{"rotate(90)", {1, 0}, {0, 1}}, TransformCase{"rotate(-90)", {1, 0}, {0, -1}},
                      TransformCase{"rotate(450)", {1, 0}, {0, 1}},
                      TransformCase{"rotate(90 10 10)", {20, 10}, {10, 20}},
                      TransformCase{"rotate(180,5,0)", {0, 0}, {10, 0}},
                      TransformCase{"skewX(45)", {0, 1}, {1, 1}}, TransformCase{"skewY(45)", {1, 0}, {1, 1}},
                      TransformCase{"matrix(1 2 3 4 5 6)", {1, 1}, {9, 12}},
                      TransformCase{"matrix(1,2,3,4,5,6)", {2, 0}, {7, 10}},
                      // The transform written last applies to the point first.
                      TransformCase{"translate(10,20) scale(2)", {1, 1}, {12, 22}},
                      TransformCase{"scale(2) translate(10,20)", {1, 1}, {22, 42}},
                      TransformCase{"translate(10 20),scale(2)", {1, 1}, {12, 22}},
                      TransformCase{"translate(10 20)scale(2)", {1, 1}, {12, 22}},
                      TransformCase{" translate ( 10 , 20 ) , rotate(90) ", {1, 0}, {10, 21}},
                      TransformCase{"rotate(90) translate(10 20)", {1, 0}, {-20, 11}},
                      TransformCase{"scale(2) rotate(90) translate(1)", {0, 0}, {0, 2}},
                      TransformCase{"translate(-.5-.5)", {0, 0}, {-0.5, -0.5}}));

class BadTransformTest : public ::testing::TestWithParam<const char*> {};

TEST_P(BadTransformTest, RefusesAndGivesTheIdentity) {
  Matrix m{2, 0, 0, 2, 1, 1};
  std::string problem;
  EXPECT_FALSE(sim::svg::ParseTransform(GetParam(), m, problem)) << GetParam();
  EXPECT_TRUE(m.IsIdentity()) << GetParam();
  EXPECT_NE(problem, "");
}

INSTANTIATE_TEST_SUITE_P(Faults, BadTransformTest,
                         ::testing::Values("translate(1 2", "rotate(1 2)", "foo(1)", "scale()", "translate(1,)",
                                           "translate(1) ,", "matrix(1 0 0 1 0)", "matrix(1 0 0 1 0 0 0)",
                                           "matrix(1e999 0 0 1 0 0)", "scale(1e300) scale(1e300)",
                                           "translate 1 2", "(1 2)", "translate(1 2) x", "skewX(1 2)"));

TEST(Matrix, ThenAppliesThisFirst) {
  const Matrix scale{2, 0, 0, 2, 0, 0};
  const Matrix move{1, 0, 0, 1, 10, 0};
  const Point a = scale.Then(move).Apply({1, 1});
  const Point b = move.Then(scale).Apply({1, 1});
  EXPECT_DOUBLE_EQ(a.x, 12);
  EXPECT_DOUBLE_EQ(a.y, 2);
  EXPECT_DOUBLE_EQ(b.x, 22);
  EXPECT_DOUBLE_EQ(b.y, 2);
  EXPECT_TRUE(Matrix{}.IsIdentity());
  EXPECT_FALSE(move.IsIdentity());
}

TEST(Transform, MovesControlsAsWellAsEnds) {
  auto subpaths = Parse("M 0 0 C 1 0 2 1 2 2 L 3 3 Z");
  sim::svg::Transform(subpaths, Matrix{0, 1, -1, 0, 10, 0});  // a quarter turn, then 10 right
  EXPECT_EQ(Describe(subpaths), "M10,0 C10,1 9,2 8,2 L7,3 Z");
}

// ---------------------------------------------------------------------------
// Points lists and shapes

struct PointsCase {
  const char* text;
  bool ok;
  const char* expected;  // as an open polyline
};

class PointsTest : public ::testing::TestWithParam<PointsCase> {};

TEST_P(PointsTest, ReadsPairs) {
  const PointsCase& c = GetParam();
  std::vector<Point> points;
  std::string problem;
  EXPECT_EQ(sim::svg::ParsePoints(c.text, points, problem), c.ok) << c.text;
  EXPECT_EQ(problem.empty(), c.ok) << problem;
  EXPECT_EQ(Describe(sim::svg::PolylinePath(points, false)), c.expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Lists, PointsTest,
                         ::testing::Values(PointsCase{"1,2 3,4", true, "M1,2 L3,4"},
                                           PointsCase{" 1 2,3 4 \n5,6 ", true, "M1,2 L3,4 L5,6"},
                                           PointsCase{"1-2-3-4", true, "M1,-2 L-3,-4"},
                                           PointsCase{"", true, ""}, PointsCase{"1,2", true, "M1,2"},
                                           PointsCase{"1,2 3,4 5", false, "M1,2 L3,4"},
                                           PointsCase{"1,2 3,4,", false, "M1,2 L3,4"},
                                           PointsCase{"1,2 x", false, "M1,2"},
                                           PointsCase{"1,2 3,1e999", false, "M1,2"}));

TEST(ParsePoints, SaysWhenACoordinateHasNoPartner) {
  std::vector<Point> points;
  std::string problem;
  EXPECT_FALSE(sim::svg::ParsePoints("1,2 3,4 5", points, problem));
  EXPECT_NE(problem.find("odd number of coordinates"), std::string::npos) << problem;
}

TEST(PolylinePath, ClosesPolygons) {
  EXPECT_EQ(Describe(sim::svg::PolylinePath({{0, 0}, {4, 0}, {4, 3}}, true)), "M0,0 L4,0 L4,3 Z");
}

struct RectCase {
  double x, y, width, height, rx, ry;
  const char* expected;
};

class RectTest : public ::testing::TestWithParam<RectCase> {};

// Corners are quarter ellipses with controls 0.5522847 of the radius out.
TEST_P(RectTest, FollowsTheCornerRadiusRules) {
  const RectCase& c = GetParam();
  EXPECT_EQ(Describe(sim::svg::RectPath(c.x, c.y, c.width, c.height, c.rx, c.ry)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Corners, RectTest,
    ::testing::Values(
        RectCase{1, 2, 10, 20, -1, -1, "M1,2 L11,2 L11,22 L1,22 Z"},
        RectCase{1, 2, 10, 20, 0, 0, "M1,2 L11,2 L11,22 L1,22 Z"},
        RectCase{0, 0, 10, 20, 2, -1,
                 "M2,0 L8,0 C9.10457,0 10,0.895431 10,2 L10,18 C10,19.1046 9.10457,20 8,20 L2,20 "
                 "C0.895431,20 0,19.1046 0,18 L0,2 C0,0.895431 0.895431,0 2,0 Z"},
        RectCase{0, 0, 10, 20, -1, 2,
                 "M2,0 L8,0 C9.10457,0 10,0.895431 10,2 L10,18 C10,19.1046 9.10457,20 8,20 L2,20 "
                 "C0.895431,20 0,19.1046 0,18 L0,2 C0,0.895431 0.895431,0 2,0 Z"},
        // Radii beyond half a side are held to it: the rect is an ellipse.
        RectCase{0, 0, 10, 20, 8, 30,
                 "M5,0 C7.76142,0 10,4.47715 10,10 C10,15.5228 7.76142,20 5,20 C2.23858,20 0,15.5228 0,10 "
                 "C0,4.47715 2.23858,0 5,0 Z"},
        RectCase{0, 0, 0, 20, 1, 1, ""}, RectCase{0, 0, 10, -1, 1, 1, ""}));

TEST(EllipsePath, FourQuartersClockwiseFromTheRight) {
  EXPECT_EQ(Describe(sim::svg::EllipsePath(0, 0, 2, 1)),
            "M2,0 C2,0.552285 1.10457,1 0,1 C-1.10457,1 -2,0.552285 -2,0 C-2,-0.552285 -1.10457,-1 0,-1 "
            "C1.10457,-1 2,-0.552285 2,0 Z");
  EXPECT_EQ(Describe(sim::svg::EllipsePath(0, 0, 0, 1)), "");
  EXPECT_EQ(Describe(sim::svg::EllipsePath(0, 0, 1, -1)), "");
}

// ---------------------------------------------------------------------------
// Against outside renderers

std::string RunCommand(const std::string& command) {
  const int status = std::system(command.c_str());
  return status == 0 ? "" : "failed (" + std::to_string(status) + "): " + command;
}

// The d attribute of every path element, in document order, with its id.
std::vector<std::pair<std::string, std::string>> PathElements(const std::string& svg) {
  std::vector<std::pair<std::string, std::string>> out;
  static const std::regex element(R"(<path\b([^>]*)>)");
  static const std::regex id(R"(\bid="([^"]*)\")");
  static const std::regex data(R"(\bd="([^"]*)\")");
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), element); it != std::sregex_iterator(); ++it) {
    const std::string attributes = (*it)[1];
    std::smatch idMatch, dataMatch;
    std::regex_search(attributes, idMatch, id);
    if (!std::regex_search(attributes, dataMatch, data)) continue;
    out.emplace_back(idMatch.empty() ? "" : idMatch[1].str(), dataMatch[1].str());
  }
  return out;
}

struct DrawnPath {
  const char* transform;
  const char* data;
};

// Path data of every kind under transforms, filled by rsvg-convert into
// cairo's SVG, where every curve is a cubic in page units. The page is 100
// times the view box so that cairo's 1/256 unit grid is fine enough.
TEST(AgainstRsvg, CurvesArcsAndTransformsMatchItsCubics) {
  const DrawnPath paths[] = {
      {"", "M 250 250 A 30 20 30 1 0 320 260"},
      {"", "M 250 250 A 30 20 30 0 0 320 260"},
      {"", "M 250 250 A 30 20 -30 1 1 320 260"},
      {"", "M 250 250 A 30 20 200 0 1 320 260"},
      {"", "M 100 100 a 5 5 0 0 1 60 0 q 10 10 20 0 t 20 0 s 5 5 10 0 z m 5 5 h 10 v 10 H 100 V 100"},
      {"", "M 0 0 A 10 5 90 0 1 10 0 A 10 5 90 1 0 30 10"},
      {"", "m 50,50 c 10,0 20,10 20,20 s 10,20 20,20 20,-20 30,-20 q 5,-10 10,0 t 10,0 10,0"},
      {"rotate(30 10 10) skewX(20)", "M 0 0 L 10 0 L 10 10 A 5 8 10 1 1 40 30"},
      {"translate(100,20) scale(1.5,-0.5)", "M 0 0 C 10 -20 30 -20 40 0 Q 50 20 60 0 Z"},
      {"matrix(0.8 0.6 -0.6 0.8 200 10) skewY(-15)", "M 10 10 l 30 0 a 15 15 0 1 1 -30 0 z"},
  };
  std::string svg =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40000\" height=\"40000\" viewBox=\"0 0 400 400\">\n";
  for (const DrawnPath& p : paths)
    svg += std::string("<path transform=\"") + p.transform + "\" d=\"" + p.data +
           "\"/>\n";
  svg += "</svg>\n";
  ScratchFolder folder;
  const std::string in = folder.Write("in.svg", svg), out = folder.Path("out.svg");
  ASSERT_EQ(RunCommand("rsvg-convert -f svg -o " + Quote(out) + " " + Quote(in)), "");
  const auto drawn = PathElements(ScratchFolder::Read(out));
  ASSERT_EQ(drawn.size(), std::size(paths));
  double worst = 0;
  for (size_t i = 0; i < drawn.size(); ++i) {
    auto theirs = Parse(drawn[i].second);
    sim::svg::Transform(theirs, Matrix{0.01, 0, 0, 0.01, 0, 0});
    // cairo ends each closed subpath with a move back to its start.
    std::erase_if(theirs, [](const Subpath& s) { return s.pieces.empty(); });
    auto mine = Parse(paths[i].data);
    Matrix m;
    std::string problem;
    ASSERT_TRUE(sim::svg::ParseTransform(paths[i].transform, m, problem)) << problem;
    sim::svg::Transform(mine, m);
    ASSERT_EQ(mine.size(), theirs.size()) << paths[i].data;
    const double deviation = Deviation(mine, theirs);
    worst = std::max(worst, deviation);
    EXPECT_LT(deviation, 0.002) << paths[i].transform << " " << paths[i].data;
  }
  RecordProperty("worst_deviation", std::to_string(worst));
}

// Inkscape turns shapes into its own path data, and after a move writes the
// moved geometry of paths and transforms in its own path data (relative
// commands, implicit repeats, arcs kept as arcs).
TEST(AgainstInkscape, ShapesAndMovedPathsMatchItsPathData) {
  struct Drawn {
    const char* id;
    const char* element;
  };
  const Drawn drawn[] = {
      {"r1", "<rect id=\"r1\" x=\"10\" y=\"20\" width=\"100\" height=\"50\"/>"},
      {"r2", "<rect id=\"r2\" x=\"10\" y=\"100\" width=\"100\" height=\"50\" rx=\"15\"/>"},
      {"r3", "<rect id=\"r3\" x=\"10\" y=\"200\" width=\"100\" height=\"50\" ry=\"12\"/>"},
      {"r4", "<rect id=\"r4\" x=\"150\" y=\"200\" width=\"100\" height=\"50\" rx=\"80\" ry=\"10\"/>"},
      {"c1", "<circle id=\"c1\" cx=\"200\" cy=\"50\" r=\"30\"/>"},
      {"e1", "<ellipse id=\"e1\" cx=\"200\" cy=\"150\" rx=\"40\" ry=\"20\"/>"},
      {"l1", "<line id=\"l1\" x1=\"1\" y1=\"2\" x2=\"30\" y2=\"40\"/>"},
      {"p1", "<polyline id=\"p1\" points=\"300,10 320,40 350,15\"/>"},
      {"p2", "<polygon id=\"p2\" points=\"300,60 320,90 350,65\"/>"},
  };
  std::string svg =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"400\" height=\"400\" viewBox=\"0 0 400 400\">\n";
  for (const Drawn& d : drawn) svg += std::string(d.element) + "\n";
  const DrawnPath moved[] = {
      {"", "M 250 250 A 30 20 30 1 0 320 260"},
      {"", "M 250 300 a 5 5 0 0 1 60 0 q 10 10 20 0 t 20 0 s 5 5 10 0 z m 5 5 h 10 v 10 H 250 V 300"},
      {"rotate(30) skewX(10)", "M 10 10 C 20 0 30 0 40 10 S 60 30 70 10 L 70 40 Z"},
      {"matrix(1 0.2 0.3 1.1 -5 7)", "M 100 300 Q 120 280 140 300 T 180 300 A 10 20 45 0 1 200 310"},
  };
  for (size_t i = 0; i < std::size(moved); ++i)
    svg += "<path id=\"m" + std::to_string(i) + "\" transform=\"" + moved[i].transform + "\" d=\"" + moved[i].data +
           "\"/>\n";
  svg += "</svg>\n";

  ScratchFolder folder;
  const std::string in = folder.Write("in.svg", svg), out = folder.Path("out.svg");
  std::filesystem::create_directories(folder.Path("home"));
  std::string select;
  for (size_t i = 0; i < std::size(moved); ++i) select += (i ? "," : "") + std::string("m") + std::to_string(i);
  const std::string actions = "select-all;object-to-path;select-clear;select-by-id:" + select +
                              ";transform-translate:7,-3;export-filename:" + out + ";export-plain-svg;export-do";
  ASSERT_EQ(RunCommand("HOME=" + Quote(folder.Path("home")) + " inkscape " + Quote("--actions=" + actions) + " " +
                Quote(in) + " > /dev/null 2>&1"),
            "");
  std::map<std::string, std::string> theirs;
  for (const auto& [id, data] : PathElements(ScratchFolder::Read(out))) theirs[id] = data;

  auto compare = [&](const std::string& id, const std::vector<Subpath>& mine, double tolerance) {
    EXPECT_EQ(theirs.count(id), 1u) << id << " not written as a path";
    const double deviation = Deviation(mine, Parse(theirs[id]));
    EXPECT_LT(deviation, tolerance) << id << ": " << theirs[id];
    RecordProperty("deviation_" + id, std::to_string(deviation));
    return deviation;
  };
  // Inkscape rounds corners with controls 0.554 of the radius out, a little
  // beyond the circle's 0.5523: up to 0.001 of the radius apart.
  compare("r1", sim::svg::RectPath(10, 20, 100, 50, -1, -1), 1e-6);
  compare("r2", sim::svg::RectPath(10, 100, 100, 50, 15, -1), 0.02);
  compare("r3", sim::svg::RectPath(10, 200, 100, 50, -1, 12), 0.02);
  compare("r4", sim::svg::RectPath(150, 200, 100, 50, 80, 10), 0.03);
  compare("c1", sim::svg::EllipsePath(200, 50, 30, 30), 1e-4);
  compare("e1", sim::svg::EllipsePath(200, 150, 40, 20), 1e-4);
  compare("l1", sim::svg::PolylinePath({{1, 2}, {30, 40}}, false), 1e-6);
  compare("p1", sim::svg::PolylinePath({{300, 10}, {320, 40}, {350, 15}}, false), 1e-6);
  compare("p2", sim::svg::PolylinePath({{300, 60}, {320, 90}, {350, 65}}, true), 1e-6);

  double worst = 0;
  for (size_t i = 0; i < std::size(moved); ++i) {
    auto mine = Parse(moved[i].data);
    Matrix m;
    std::string problem;
    ASSERT_TRUE(sim::svg::ParseTransform(std::string("translate(7,-3) ") + moved[i].transform, m, problem));
    sim::svg::Transform(mine, m);
    // Inkscape writes 8 significant digits, and an arc whose radii just
    // reach its end moves by the square root of that rounding.
    worst = std::max(worst, compare("m" + std::to_string(i), mine, 0.01));
  }
  RecordProperty("worst_moved_deviation", std::to_string(worst));
}

}  // namespace

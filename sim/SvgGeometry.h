// SVG geometry read from a drawing application's files: path data, shapes and
// transforms, in user units.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sim::svg {

struct Point {
  double x = 0, y = 0;
};

// SVG's matrix(a b c d e f): x' = a x + c y + e, y' = b x + d y + f.
struct Matrix {
  double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
  Point Apply(Point p) const;
  // This transform applied first, then outer (outer × this).
  Matrix Then(const Matrix& outer) const;
  bool IsIdentity() const;
};

// One piece of a subpath: a cubic Bézier from the previous end point. A
// straight piece has its controls at its two ends and straight set.
struct Piece {
  Point c1, c2, end;
  bool straight = false;
};

// A closed subpath implies a straight line from its last end back to start
// when the two differ. A moveto with nothing after it is a subpath without
// pieces.
struct Subpath {
  Point start;
  std::vector<Piece> pieces;
  bool closed = false;
};

// Path data ("d") to subpaths, replacing what out held. On bad data, parsing
// stops there, what was read before is kept (as SVG renderers do), and
// problem says what and where; returns false then. Quadratics become their
// exact cubics, arcs cubics of at most a quarter turn each.
bool ParsePathData(std::string_view data, std::vector<Subpath>& out, std::string& problem);

// A transform list ("translate(10 0) rotate(45 5 5)") to one matrix; false
// with problem on bad text (out is then the identity).
bool ParseTransform(std::string_view text, Matrix& out, std::string& problem);

// A points list ("1,2 3,4") of polyline/polygon; false with problem.
bool ParsePoints(std::string_view text, std::vector<Point>& out, std::string& problem);

// Shapes as subpaths; nothing for a shape that draws nothing (a side or
// radius not above zero) or whose outline would not hold in doubles.
// RectPath takes a negative rx or ry as not given.
std::vector<Subpath> RectPath(double x, double y, double width, double height, double rx, double ry);
std::vector<Subpath> EllipsePath(double cx, double cy, double rx, double ry);
std::vector<Subpath> PolylinePath(const std::vector<Point>& points, bool closed);

// Every point of the subpaths transformed (controls too).
void Transform(std::vector<Subpath>& subpaths, const Matrix& matrix);

// Whether every point of the subpaths is a finite number (a transform of
// large coordinates may overflow).
bool AllFinite(const std::vector<Subpath>& subpaths);

}  // namespace sim::svg


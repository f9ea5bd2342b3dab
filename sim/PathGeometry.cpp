#include "sim/PathGeometry.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

struct P {
  double x, y;
};

P Of(const AIRealPoint& point) { return {point.h, point.v}; }
P Mix(P a, P b, double t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }
double Distance(P a, P b) { return std::hypot(b.x - a.x, b.y - a.y); }

struct Curve {
  P p0, p1, p2, p3;
};

Curve Of(const AIRealBezier& b) { return {Of(b.p0), Of(b.p1), Of(b.p2), Of(b.p3)}; }

P PointAt(const Curve& c, double t) {
  const P a = Mix(c.p0, c.p1, t), b = Mix(c.p1, c.p2, t), d = Mix(c.p2, c.p3, t);
  return Mix(Mix(a, b, t), Mix(b, d, t), t);
}

void Split(const Curve& c, Curve& left, Curve& right) {
  const P a = Mix(c.p0, c.p1, 0.5), b = Mix(c.p1, c.p2, 0.5), d = Mix(c.p2, c.p3, 0.5);
  const P ab = Mix(a, b, 0.5), bd = Mix(b, d, 0.5), m = Mix(ab, bd, 0.5);
  left = {c.p0, a, ab, m};
  right = {m, bd, d, c.p3};
}

// The arc length lies between the chord and the control polygon; subdivide
// until the two agree closely, then take their mean.
double Length(const Curve& c, double tolerance, int depth) {
  const double chord = Distance(c.p0, c.p3);
  const double polygon = Distance(c.p0, c.p1) + Distance(c.p1, c.p2) + Distance(c.p2, c.p3);
  if (polygon - chord <= tolerance || depth >= 24) return (chord + polygon) / 2;
  Curve left, right;
  Split(c, left, right);
  return Length(left, tolerance / 2, depth + 1) + Length(right, tolerance / 2, depth + 1);
}

// Parameters in (0, 1) where one coordinate of the curve has a derivative of
// zero: roots of a t^2 + b t + c with the coefficients of the derivative.
void Extrema(double v0, double v1, double v2, double v3, std::vector<double>& ts) {
  const double a = -v0 + 3 * v1 - 3 * v2 + v3;
  const double b = 2 * (v0 - 2 * v1 + v2);
  const double c = v1 - v0;
  auto keep = [&ts](double t) {
    if (t > 0 && t < 1) ts.push_back(t);
  };
  if (std::abs(a) < 1e-12) {
    if (std::abs(b) > 1e-12) keep(-c / b);
    return;
  }
  const double disc = b * b - 4 * a * c;
  if (disc < 0) return;
  const double root = std::sqrt(disc);
  keep((-b + root) / (2 * a));
  keep((-b - root) / (2 * a));
}

}  // namespace

AIRealPoint BezierPointAt(const AIRealBezier& bezier, double t) {
  const P p = PointAt(Of(bezier), t);
  return {static_cast<AIReal>(p.x), static_cast<AIReal>(p.y)};
}

double BezierLength(const AIRealBezier& bezier, double flatness) {
  const double tolerance = std::clamp(flatness, 1e-3, 1.0) * 1e-3;
  return Length(Of(bezier), tolerance, 0);
}

AIRealRect BezierBounds(const AIRealBezier& bezier) {
  const Curve c = Of(bezier);
  std::vector<double> ts{0, 1};
  Extrema(c.p0.x, c.p1.x, c.p2.x, c.p3.x, ts);
  Extrema(c.p0.y, c.p1.y, c.p2.y, c.p3.y, ts);
  double left = c.p0.x, right = c.p0.x, top = c.p0.y, bottom = c.p0.y;
  for (double t : ts) {
    const P p = PointAt(c, t);
    left = std::min(left, p.x);
    right = std::max(right, p.x);
    bottom = std::min(bottom, p.y);
    top = std::max(top, p.y);
  }
  return {static_cast<AIReal>(left), static_cast<AIReal>(top), static_cast<AIReal>(right),
          static_cast<AIReal>(bottom)};
}

bool IsStraight(const AIRealBezier& b) {
  auto same = [](const AIRealPoint& p, const AIRealPoint& q) { return p.h == q.h && p.v == q.v; };
  return same(b.p0, b.p1) && same(b.p2, b.p3);
}

AIRealBezier SegmentCurve(const PathSegments& segments, size_t n) {
  const AIPathSegment& from = segments[n];
  const AIPathSegment& to = segments[(n + 1) % segments.size()];
  return {from.p, from.out, to.in, to.p};
}

size_t CurveCount(const PathSegments& segments, bool closed) {
  if (segments.size() < 2) return 0;
  return closed ? segments.size() : segments.size() - 1;
}

void UniteBounds(AIRealRect& bounds, bool& valid, const AIRealRect& other) {
  if (!valid) {
    bounds = other;
    valid = true;
    return;
  }
  bounds.left = std::min(bounds.left, other.left);
  bounds.right = std::max(bounds.right, other.right);
  bounds.bottom = std::min(bounds.bottom, other.bottom);
  bounds.top = std::max(bounds.top, other.top);
}

bool OutlineBounds(const PathSegments& segments, bool closed, AIRealRect* bounds) {
  if (segments.empty()) return false;
  const AIRealPoint first = segments.front().p;
  AIRealRect result{first.h, first.v, first.h, first.v};
  bool valid = true;
  const size_t curves = CurveCount(segments, closed);
  for (size_t n = 0; n < curves; ++n) UniteBounds(result, valid, BezierBounds(SegmentCurve(segments, n)));
  *bounds = result;
  return true;
}

double SignedArea(const PathSegments& segments) {
  if (segments.size() < 2) return 0;
  // Green's theorem: the integral of x dy around the outline. For a cubic it
  // is a polynomial of degree five in t, so three-point Gauss-Legendre is exact.
  static const double nodes[3] = {0.5 - 0.5 * std::sqrt(0.6), 0.5, 0.5 + 0.5 * std::sqrt(0.6)};
  static const double weights[3] = {5.0 / 18, 8.0 / 18, 5.0 / 18};
  double counterClockwise = 0;
  for (size_t n = 0; n < segments.size(); ++n) {
    const Curve c = Of(SegmentCurve(segments, n));
    for (int i = 0; i < 3; ++i) {
      const double t = nodes[i], u = 1 - t;
      const P p = PointAt(c, t);
      const double dy = 3 * (u * u * (c.p1.y - c.p0.y) + 2 * u * t * (c.p2.y - c.p1.y) + t * t * (c.p3.y - c.p2.y));
      counterClockwise += weights[i] * p.x * dy;
    }
  }
  return -counterClockwise;
}

double OutlineLength(const PathSegments& segments, bool closed, double flatness) {
  double length = 0;
  const size_t curves = CurveCount(segments, closed);
  for (size_t n = 0; n < curves; ++n) {
    const AIRealBezier curve = SegmentCurve(segments, n);
    length += IsStraight(curve) ? std::hypot(double(curve.p3.h) - curve.p0.h, double(curve.p3.v) - curve.p0.v)
                                : BezierLength(curve, flatness);
  }
  return length;
}

}  // namespace sim

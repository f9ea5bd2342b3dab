#include "georef/FourPointBilinear.h"

#include <cmath>

bool FourPointBilinear::Setup(const std::array<Point2D, 4>& source, const std::array<Point2D, 4>& target) {
  ready = false;
  const Point2D& s0 = source[0];
  const Point2D& s1 = source[1];
  const Point2D& s2 = source[2];
  const Point2D& s3 = source[3];
  const double l = (s3.x - s0.x) * (s1.y - s0.y) - (s1.x - s0.x) * (s3.y - s0.y);
  if (!std::isfinite(l) || l == 0) return false;
  const double h = ((s2.x - s0.x) * (s1.y - s0.y) - (s2.y - s0.y) * (s1.x - s0.x)) / l;
  const double g = ((s2.y - s0.y) * (s3.x - s0.x) - (s2.x - s0.x) * (s3.y - s0.y)) / l;
  // Convex in this order only when the fourth corner lies beyond the
  // diagonal P1–P3 inside the frame's first quadrant.
  if (!(g > 0 && h > 0 && g + h > 1)) return false;
  p0 = s0;
  p1 = s1;
  p3 = s3;
  g2 = g;
  h2 = h;
  frameDeterminant = l;
  q = target;
  ready = true;
  return true;
}

Point2D FourPointBilinear::Apply(Point2D point) const {
  const double dx = point.x - p0.x;
  const double dy = point.y - p0.y;
  const double g = ((p3.x - p0.x) * dy - (p3.y - p0.y) * dx) / frameDeterminant;
  const double h = ((p1.y - p0.y) * dx - (p1.x - p0.x) * dy) / frameDeterminant;
  const double k = (h2 - 1) * g - (g2 - 1) * h;
  const double m = k + 1;
  const double r = std::sqrt(m * m + 4 * h * (g2 - 1));
  const double s = 2 * h / (r + m);
  const double t = 2 * g / (1 - k + r);
  // Evaluated on the whole target patch; the cross term and the skew terms
  // vanish exactly when the target is an axis-parallel rectangle, leaving
  // Q0 + s·(Q3 − Q0) in x and Q0 + t·(Q1 − Q0) in y.
  const Point2D& q0 = q[0];
  const Point2D& q1 = q[1];
  const Point2D& q2 = q[2];
  const Point2D& q3 = q[3];
  const double crossX = (q2.x - q3.x) - (q1.x - q0.x);
  const double crossY = (q2.y - q1.y) - (q3.y - q0.y);
  return {q0.x + s * (q3.x - q0.x) + t * (q1.x - q0.x) + s * t * crossX,
          q0.y + t * (q1.y - q0.y) + s * (q3.y - q0.y) + s * t * crossY};
}

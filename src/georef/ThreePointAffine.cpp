#include "georef/ThreePointAffine.h"

#include <cmath>

namespace {

// Collinear up to rounding: the parallelogram spanned by the two edges has no
// area compared with the product of their lengths.
bool Degenerate(double determinant, const Point2D& e1, const Point2D& e2) {
  if (!std::isfinite(determinant) || determinant == 0) return true;
  const double lengths = std::hypot(e1.x, e1.y) * std::hypot(e2.x, e2.y);
  return std::fabs(determinant) <= lengths * 1e-12;
}

}  // namespace

bool ThreePointAffine::Setup(const std::array<Point2D, 3>& source, const std::array<Point2D, 3>& target) {
  ready = false;
  const Point2D e1{source[1].x - source[0].x, source[1].y - source[0].y};
  const Point2D e2{source[2].x - source[0].x, source[2].y - source[0].y};
  const double d = e2.y * e1.x - e1.y * e2.x;
  if (Degenerate(d, e1, e2)) return false;
  p0 = source[0];
  q0 = target[0];
  i00 = e2.y / d;
  i01 = -e2.x / d;
  i10 = -e1.y / d;
  i11 = e1.x / d;
  dq1 = {target[1].x - target[0].x, target[1].y - target[0].y};
  dq2 = {target[2].x - target[0].x, target[2].y - target[0].y};
  ready = true;
  return true;
}

Point2D ThreePointAffine::Apply(Point2D point) const {
  const double dx = point.x - p0.x;
  const double dy = point.y - p0.y;
  const double u = i00 * dx + i01 * dy;
  const double v = i10 * dx + i11 * dy;
  return {q0.x + u * dq1.x + v * dq2.x, q0.y + u * dq1.y + v * dq2.y};
}

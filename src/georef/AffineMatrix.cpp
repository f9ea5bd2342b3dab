#include "georef/AffineMatrix.h"

#include <cmath>

AffineMatrix AffineMatrix::Rotation(double degrees) {
  const double radians = degrees * 3.141592653589793 / 180;
  const double c = std::cos(radians);
  const double s = std::sin(radians);
  return {c, -s, s, c, 0, 0};
}

AffineMatrix AffineMatrix::Then(const AffineMatrix& next) const {
  AffineMatrix r;
  r.m00 = next.m00 * m00 + next.m01 * m10;
  r.m01 = next.m00 * m01 + next.m01 * m11;
  r.m10 = next.m10 * m00 + next.m11 * m10;
  r.m11 = next.m10 * m01 + next.m11 * m11;
  r.tx = next.m00 * tx + next.m01 * ty + next.tx;
  r.ty = next.m10 * tx + next.m11 * ty + next.ty;
  return r;
}

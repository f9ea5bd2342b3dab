// The affine mapping fixed by three point pairs P0..P2 → Q0..Q2.
#pragma once

#include <array>

#include "georef/Point2D.h"

class ThreePointAffine {
 public:
  // False when the source points are collinear (no affine mapping exists);
  // the engine is then left unusable.
  bool Setup(const std::array<Point2D, 3>& source, const std::array<Point2D, 3>& target);
  bool IsReady() const { return ready; }
  // Only meaningful after a successful Setup.
  Point2D Apply(Point2D point) const;

 private:
  bool ready = false;
  Point2D p0, q0;
  // Inverse of the 2 × 2 matrix [P1 − P0, P2 − P0], row-major.
  double i00 = 0, i01 = 0, i10 = 0, i11 = 0;
  Point2D dq1, dq2;  // Q1 − Q0, Q2 − Q0
};

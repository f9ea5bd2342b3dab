// The bilinear patch mapping of a quadrilateral P0..P3 (lower left, upper
// left, upper right, lower right) onto Q0..Q3 in the same order: a source
// point is located in the patch as (s along the bottom edge, t up the left
// edge) and evaluated on the target patch.
#pragma once

#include <array>

#include "georef/Point2D.h"

class FourPointBilinear {
 public:
  // False when the source quadrilateral has no area or is not convex (the
  // patch parameters would not be unique); the engine is then left unusable.
  bool Setup(const std::array<Point2D, 4>& source, const std::array<Point2D, 4>& target);
  bool IsReady() const { return ready; }
  // Only meaningful after a successful Setup.
  Point2D Apply(Point2D point) const;

 private:
  bool ready = false;
  Point2D p0, p1, p3;
  double g2 = 0, h2 = 0;  // P2 in the frame (P0; P1 − P0, P3 − P0)
  double frameDeterminant = 0;
  std::array<Point2D, 4> q;
};

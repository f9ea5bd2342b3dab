// A 2-D affine matrix (m00, m01, m10, m11, tx, ty): (x, y) maps to
// (m00·x + m01·y + tx, m10·x + m11·y + ty).
#pragma once

struct AffineMatrix {
  double m00 = 1, m01 = 0, m10 = 0, m11 = 1, tx = 0, ty = 0;

  static AffineMatrix Translation(double x, double y) { return {1, 0, 0, 1, x, y}; }
  static AffineMatrix Scaling(double factor) { return {factor, 0, 0, factor, 0, 0}; }
  // Counter-clockwise by the given degrees.
  static AffineMatrix Rotation(double degrees);

  // The matrix that applies this one first and then `next`.
  AffineMatrix Then(const AffineMatrix& next) const;
  void Apply(double& x, double& y) const {
    const double nx = m00 * x + m01 * y + tx;
    const double ny = m10 * x + m11 * y + ty;
    x = nx;
    y = ny;
  }
};

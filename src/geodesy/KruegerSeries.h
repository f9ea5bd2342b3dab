// Krüger's series in the third flattening n, to sixth order: the transverse
// Mercator projection of an ellipsoid, exact to a few nanometres within
// 4,000 km of the central meridian, with the meridian convergence and the
// point scale. Works in units of the rectifying radius A and without the
// central scale factor; TMProjection adds the origin, m0 and false easting.
#pragma once

#include <array>

class KruegerSeries {
 public:
  struct PlanePoint {
    double xi = 0;      // northing from the equator / A
    double eta = 0;     // easting from the central meridian / A
    double gamma = 0;   // convergence, radians, positive east of the meridian in the north
    double scale = 1;   // point scale for a central scale of 1
  };
  struct GeographicPoint {
    double phi = 0;      // radians
    double lambda = 0;   // from the central meridian, radians
    double gamma = 0;
    double scale = 1;
  };

  // a in metres, f the flattening.
  void Setup(double a, double f);
  double RectifyingRadius() const { return radius; }

  // False for a point 90° or more from the central meridian, or not finite.
  bool Forward(double phi, double lambda, PlanePoint& out) const;
  // False beyond the poles (|ξ′| > π/2), at or beyond 90° from the central
  // meridian, or for anything not finite.
  bool Inverse(double xi, double eta, GeographicPoint& out) const;

 private:
  double radius = 0;      // A
  double scaleRatio = 1;  // A / a
  double e2 = 0;
  // Each sine series in 2x, kept as the polynomial in cos 2x that it is.
  std::array<double, 6> alpha{};          // conformal sphere -> ellipsoid plane
  std::array<double, 6> beta{};           // ellipsoid plane -> conformal sphere
  std::array<double, 6> toConformal{};    // geodetic -> conformal latitude
  std::array<double, 6> fromConformal{};  // conformal -> geodetic latitude
};

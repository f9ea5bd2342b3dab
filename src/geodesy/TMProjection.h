// The Gauss-Krüger (transverse Mercator) projection of the plane rectangular
// systems and the UTM zones on the Bessel or GRS-80 ellipsoid, with meridian
// convergence and point scale, and the latitude/longitude plane.
#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "geodesy/DatumGrid.h"
#include "geodesy/Ellipsoid.h"

// A projected point. Convergence in degrees, positive west of the central
// meridian in the northern hemisphere.
struct ProjectedPoint {
  double northing = 0;
  double easting = 0;
  double convergence = 0;
  double scale = 1;
};

struct GeographicPoint {
  double latitude = 0;  // degrees
  double longitude = 0;
  double convergence = 0;
  double scale = 1;
};

class TMProjection {
 public:
  TMProjection();

  // Both return false and keep the current set-up for an unknown system or
  // zone; an unknown datum leaves the projection without an ellipsoid, so
  // every later projection fails until the next good set-up.
  bool SetupPlaneSystem(int32_t system, int32_t datum);
  bool SetupUtmZone(int32_t zone, int32_t datum);
  bool IsSetUp() const { return ellipsoidId >= 0; }

  bool ForwardPlane(double latitude, double longitude, ProjectedPoint& out) const;
  bool ForwardUtm(double latitude, double longitude, ProjectedPoint& out) const;
  // False when the footpoint latitude does not converge or there is no ellipsoid.
  bool InversePlane(double northing, double easting, GeographicPoint& out) const;
  bool InverseUtm(double northing, double easting, GeographicPoint& out) const;

  // a·(3 − f)/3 of the datum's ellipsoid; 0 and false for an unknown datum.
  bool MeanRadius(int32_t datum, double& radius) const;
  bool LatLongPlaneInverse(double x, double y, int32_t datum, GeographicPoint& out) const;

  // Bowring's method; latitude and longitude in radians.
  static void GeocentricToGeodetic(double x, double y, double z, const Ellipsoid& ellipsoid, double& latitude,
                                   double& longitude, double& height);

  const std::vector<std::pair<double, double>>& Origins() const { return origins; }
  const Ellipsoid& EllipsoidById(int id) const { return ellipsoids[id]; }
  DatumGrid& Grid() { return datumGrid; }
  const DatumGrid& Grid() const { return datumGrid; }

 private:
  bool SetupEllipsoid(int32_t datum);
  double MeridianArc(double sinPhi, double cosPhi, double phi) const;
  double FootpointSeries(double sinMu, double cosMu) const;
  // False when the longitude lies 90° or more from the central meridian.
  bool Forward(double latitude, double longitude, ProjectedPoint& out) const;
  bool Inverse(double northing, double easting, GeographicPoint& out) const;
  bool Footpoint(double northing, double& phi, double& sinPhi, double& cosPhi) const;

  std::array<Ellipsoid, 2> ellipsoids;
  DatumGrid datumGrid;
  std::vector<std::pair<double, double>> origins;

  double phi0 = 0;     // radians
  double sinPhi0 = 0;
  double cosPhi0 = 1;
  double lambda0 = 0;  // radians
  double m0 = 1;
  int ellipsoidId = -1;
  double a = 0;
  std::array<double, 9> e2n{};  // e2n[k] = e^(2k), k = 0..8
  double arcFactor = 0;         // a(1 − e²)
  double polarRadius = 0;       // c = a / √(1 − e²)
  double secondE2 = 0;          // e′²
  double inverseM0C = 0;        // 1/(m0·c)
  // Meridian arc series: S(φ) = arcFactor·(A·φ + Σ sinCoefficients[k]·sin 2kφ).
  double coefficientA = 0;
  std::array<double, 8> sinCoefficients{};
  double s0 = 0;
  std::array<double, 6> footpointCoefficients{};
};

// The Gauss-Krüger (transverse Mercator) projection of the plane rectangular
// systems and the UTM zones on the Bessel or GRS-80 ellipsoid, with meridian
// convergence and point scale, and the latitude/longitude plane.
#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "geodesy/Angles.h"
#include "geodesy/DatumGrid.h"
#include "geodesy/Ellipsoid.h"
#include "geodesy/KruegerSeries.h"

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
  // Degrees, of the current set-up.
  double CentralMeridian() const { return lambda0 * kRadToDeg; }

  bool ForwardPlane(double latitude, double longitude, ProjectedPoint& out) const;
  bool ForwardUtm(double latitude, double longitude, ProjectedPoint& out) const;
  // False without an ellipsoid, or for a point beyond the poles, 90° or more
  // from the central meridian, or not finite.
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
  // False when the longitude lies 90° or more from the central meridian.
  bool Forward(double latitude, double longitude, ProjectedPoint& out) const;
  bool Inverse(double northing, double easting, GeographicPoint& out) const;

  std::array<Ellipsoid, 2> ellipsoids;
  DatumGrid datumGrid;
  std::vector<std::pair<double, double>> origins;

  double phi0 = 0;     // radians
  double lambda0 = 0;  // radians
  double m0 = 1;
  int ellipsoidId = -1;
  KruegerSeries series;
  double planeRadius = 0;  // m0·A: metres per unit of ξ and η
  double xi0 = 0;          // ξ of the origin
};

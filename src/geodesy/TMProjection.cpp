#include "geodesy/TMProjection.h"

#include <cmath>

#include "geodesy/Angles.h"
#include "geodesy/CoordRef.h"
#include "geodesy/CoordTexts.h"

namespace {

constexpr double kUtmFalseEasting = 500000;
constexpr double kPiExact = 3.14159265358979323846;

}  // namespace

TMProjection::TMProjection() : ellipsoids(EllipsoidTable()), origins(DecodedOriginTable()) {}

bool TMProjection::SetupPlaneSystem(int32_t system, int32_t datum) {
  if (system < 1 || system > kPlaneSystemCount) return false;
  m0 = 0.9999;
  phi0 = origins[system].first * kDegToRad;
  lambda0 = origins[system].second * kDegToRad;
  return SetupEllipsoid(datum);
}

bool TMProjection::SetupUtmZone(int32_t zone, int32_t datum) {
  const auto meridian = UtmCentralMeridian(zone);
  if (!meridian) return false;
  phi0 = 0;
  m0 = 0.9996;
  lambda0 = *meridian * kDegToRad;
  return SetupEllipsoid(datum);
}

bool TMProjection::SetupEllipsoid(int32_t datum) {
  ellipsoidId = EllipsoidIdOfDatum(datum);
  if (ellipsoidId < 0) return false;
  const Ellipsoid& ellipsoid = ellipsoids[ellipsoidId];
  series.Setup(ellipsoid.a, ellipsoid.f);
  planeRadius = m0 * series.RectifyingRadius();
  // The origin's ξ comes through the same path as every point, so that the
  // origin itself lands on 0 exactly.
  KruegerSeries::PlanePoint origin;
  series.Forward(phi0, 0, origin);
  xi0 = origin.xi;
  return true;
}

bool TMProjection::Forward(double latitude, double longitude, ProjectedPoint& out) const {
  // The difference from the central meridian the short way round: a
  // longitude and the same plus 360° are one meridian.
  double dLambda = longitude * kDegToRad - lambda0;
  if (!(std::fabs(dLambda) <= kPiExact)) dLambda = std::remainder(dLambda, 2 * kPiExact);
  KruegerSeries::PlanePoint point;
  if (!series.Forward(latitude * kDegToRad, dLambda, point)) return false;
  out.northing = planeRadius * (point.xi - xi0);
  out.easting = planeRadius * point.eta;
  out.convergence = -point.gamma * kRadToDeg;
  out.scale = m0 * point.scale;
  return true;
}

bool TMProjection::ForwardPlane(double latitude, double longitude, ProjectedPoint& out) const {
  return IsSetUp() && Forward(latitude, longitude, out);
}

bool TMProjection::ForwardUtm(double latitude, double longitude, ProjectedPoint& out) const {
  if (!IsSetUp() || !Forward(latitude, longitude, out)) return false;
  out.easting += kUtmFalseEasting;
  return true;
}

bool TMProjection::Inverse(double northing, double easting, GeographicPoint& out) const {
  if (!IsSetUp()) return false;
  KruegerSeries::GeographicPoint point;
  if (!series.Inverse(northing / planeRadius + xi0, easting / planeRadius, point)) return false;
  out.latitude = point.phi * kRadToDeg;
  out.longitude = (lambda0 + point.lambda) * kRadToDeg;
  out.convergence = -point.gamma * kRadToDeg;
  out.scale = m0 * point.scale;
  return true;
}

bool TMProjection::InversePlane(double northing, double easting, GeographicPoint& out) const {
  return Inverse(northing, easting, out);
}

bool TMProjection::InverseUtm(double northing, double easting, GeographicPoint& out) const {
  return Inverse(northing, easting - kUtmFalseEasting, out);
}

bool TMProjection::MeanRadius(int32_t datum, double& radius) const {
  const int id = EllipsoidIdOfDatum(datum);
  if (id < 0) {
    radius = 0;
    return false;
  }
  const Ellipsoid& ellipsoid = ellipsoids[id];
  radius = ellipsoid.a * (3 - ellipsoid.f) / 3;
  return true;
}

bool TMProjection::LatLongPlaneInverse(double x, double y, int32_t datum, GeographicPoint& out) const {
  double radius = 0;
  if (!MeanRadius(datum, radius)) return false;
  out.longitude = x / (radius * kDegToRad);
  out.latitude = y / (radius * kDegToRad);
  out.convergence = 0;
  out.scale = 1;
  return true;
}

void TMProjection::GeocentricToGeodetic(double x, double y, double z, const Ellipsoid& ellipsoid, double& latitude,
                                        double& longitude, double& height) {
  constexpr double kHalfPi = 1.5707963267949;
  constexpr double kPi = 3.14159265358979;
  constexpr double kTwoPi = 6.28318530717959;
  const double a = ellipsoid.a;
  const double f = ellipsoid.f;
  const double e2 = ellipsoid.e2;
  const double p = std::sqrt(x * x + y * y);
  longitude = x == 0 ? kHalfPi : std::atan(y / x);
  if (x < 0) longitude += kPi;
  if (longitude > kPi) longitude -= kTwoPi;
  const double r = std::sqrt(z * z + p * p);
  const double u = std::atan((1 - f + e2 * a / r) * z / p);
  const double sinU = std::sin(u);
  const double cosU = std::cos(u);
  latitude = std::atan((e2 * a * sinU * sinU * sinU + (1 - f) * z) / ((p - e2 * a * cosU * cosU * cosU) * (1 - f)));
  const double sinPhi = std::sin(latitude);
  height = p * std::cos(latitude) + z * sinPhi - a * std::sqrt(1 - e2 * sinPhi * sinPhi);
}

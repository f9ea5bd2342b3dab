#include "geodesy/TMProjection.h"

#include <cmath>

#include "geodesy/Angles.h"
#include "geodesy/CoordRef.h"
#include "geodesy/CoordTexts.h"

namespace {

constexpr double kUtmFalseEasting = 500000;
constexpr int kMaxFootpointIterations = 100;
constexpr double kPiExact = 3.14159265358979323846;

// Series coefficients of the meridian arc, by power of e² (index 1 = e², 8 = e¹⁶).
struct Series {
  double terms[9];
  double Of(const std::array<double, 9>& e2n) const {
    double sum = 0;
    for (int k = 8; k >= 0; --k) sum += terms[k] * e2n[k];
    return sum;
  }
};

constexpr Series kA = {{1, 3.0 / 4, 45.0 / 64, 175.0 / 256, 11025.0 / 16384, 43659.0 / 65536, 693693.0 / 1048576,
                        2760615.0 / 4194304, 703956825.0 / 1073741824}};
constexpr Series kB = {{0, 3.0 / 4, 15.0 / 16, 525.0 / 512, 2205.0 / 2048, 72765.0 / 65536, 297297.0 / 262144,
                        19324305.0 / 16777216, 78217425.0 / 67108864}};
constexpr Series kC = {{0, 0, 15.0 / 64, 105.0 / 256, 2205.0 / 4096, 10395.0 / 16384, 1486485.0 / 2097152,
                        6441435.0 / 8388608, 109504395.0 / 134217728}};
constexpr Series kD = {{0, 0, 0, 35.0 / 512, 315.0 / 2048, 31185.0 / 131072, 165165.0 / 524288,
                        6441435.0 / 16777216, 29864835.0 / 67108864}};
constexpr Series kE = {{0, 0, 0, 0, 315.0 / 16384, 3465.0 / 65536, 99099.0 / 1048576, 585585.0 / 4194304,
                        49774725.0 / 268435456}};
constexpr Series kF = {{0, 0, 0, 0, 0, 693.0 / 131072, 9009.0 / 524288, 585585.0 / 16777216,
                        3828825.0 / 67108864}};
constexpr Series kG = {{0, 0, 0, 0, 0, 0, 3003.0 / 2097152, 45045.0 / 8388608, 1640925.0 / 134217728}};
constexpr Series kH = {{0, 0, 0, 0, 0, 0, 0, 6435.0 / 16777216, 109395.0 / 67108864}};
constexpr Series kI = {{0, 0, 0, 0, 0, 0, 0, 0, 109395.0 / 1073741824}};

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
  const double e2 = ellipsoid.e2;
  a = ellipsoid.a;
  e2n[0] = 1;
  for (int k = 1; k <= 8; ++k) e2n[k] = e2n[k - 1] * e2;
  arcFactor = a * (1 - e2);
  polarRadius = a / std::sqrt(1 - e2);
  secondE2 = e2 / (1 - e2);
  inverseM0C = 1 / (m0 * polarRadius);
  coefficientA = kA.Of(e2n);
  sinCoefficients = {-kB.Of(e2n) / 2, kC.Of(e2n) / 4,  -kD.Of(e2n) / 6,  kE.Of(e2n) / 8,
                     -kF.Of(e2n) / 10, kG.Of(e2n) / 12, -kH.Of(e2n) / 14, kI.Of(e2n) / 16};
  // Footpoint latitude from the rectifying latitude, in the third flattening n.
  const double n = ellipsoid.f / (2 - ellipsoid.f);
  const double n2 = n * n, n3 = n2 * n, n4 = n3 * n, n5 = n4 * n, n6 = n5 * n;
  footpointCoefficients = {3 * n / 2 - 27 * n3 / 32 + 269 * n5 / 512,
                           21 * n2 / 16 - 55 * n4 / 32 + 6759 * n6 / 4096,
                           151 * n3 / 96 - 417 * n5 / 128,
                           1097 * n4 / 512 - 15543 * n6 / 2560,
                           8011 * n5 / 2560,
                           293393 * n6 / 61440};
  sinPhi0 = std::sin(phi0);
  cosPhi0 = std::cos(phi0);
  s0 = MeridianArc(sinPhi0, cosPhi0, phi0);
  return true;
}

// φ − μ as a sine series in 2μ, summed like the meridian arc.
double TMProjection::FootpointSeries(double sinMu, double cosMu) const {
  const double sin2 = 2 * sinMu * cosMu;
  const double twoCos2 = 2 * (1 - 2 * sinMu * sinMu);
  double b1 = 0;
  double b2 = 0;
  for (int k = 5; k >= 0; --k) {
    const double b0 = footpointCoefficients[k] + twoCos2 * b1 - b2;
    b2 = b1;
    b1 = b0;
  }
  return b1 * sin2;
}

// The sine series is summed with Clenshaw's recurrence, so one sine and cosine
// of φ serve all eight terms.
double TMProjection::MeridianArc(double sinPhi, double cosPhi, double phi) const {
  const double sin2 = 2 * sinPhi * cosPhi;
  const double twoCos2 = 2 * (1 - 2 * sinPhi * sinPhi);
  double b1 = 0;
  double b2 = 0;
  for (int k = 7; k >= 0; --k) {
    const double b0 = sinCoefficients[k] + twoCos2 * b1 - b2;
    b2 = b1;
    b1 = b0;
  }
  return arcFactor * (coefficientA * phi + b1 * sin2);
}

bool TMProjection::Forward(double latitude, double longitude, ProjectedPoint& out) const {
  const double phi = latitude * kDegToRad;
  // The difference from the central meridian the short way round: a
  // longitude and the same plus 360° are one meridian. From 90° on the
  // projection has no meaning (its series run off to any number).
  const double dLambda = std::remainder(longitude * kDegToRad - lambda0, 2 * kPiExact);
  if (!(std::fabs(dLambda) < kPiExact / 2)) return false;
  const double sinPhi = std::sin(phi);
  const double cosPhi = std::cos(phi);
  const double t = sinPhi / cosPhi;
  const double t2 = t * t;
  const double t4 = t2 * t2;
  const double t6 = t4 * t2;
  const double cos2 = cosPhi * cosPhi;
  const double eta2 = secondE2 * cos2;
  const double eta4 = eta2 * eta2;
  const double n = polarRadius / std::sqrt(1 + eta2);
  const double m = n / (1 + eta2);
  const double l = dLambda * dLambda * cos2;

  const double northing =
      m0 * (MeridianArc(sinPhi, cosPhi, phi) - s0 +
            n * t * l *
                (0.5 + (5 - t2 + 9 * eta2 + 4 * eta4) * l / 24 +
                 (61 - 58 * t2 + t4 + 270 * eta2 - 330 * t2 * eta2) * l * l / 720 +
                 (1385 - 3111 * t2 + 543 * t4 - t6) * l * l * l / 40320));
  const double easting = m0 * n * cosPhi * dLambda *
                         (1 + (1 - t2 + eta2) * l / 6 + (5 - 18 * t2 + t4 + 14 * eta2 - 58 * t2 * eta2) * l * l / 120 +
                          (61 - 479 * t2 + 179 * t4 - t6) * l * l * l / 5040);
  const double gamma = dLambda * sinPhi * (1 + (1 + 3 * eta2 + 2 * eta4) * l / 3 + (2 - t2) * l * l / 15);
  const double y2 = easting * easting / (m * n * m0 * m0);

  out.northing = northing;
  out.easting = easting;
  out.convergence = -gamma * kRadToDeg;
  out.scale = m0 * (1 + y2 / 2 + y2 * y2 / 24);
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

namespace {

// An angle with its sine and cosine. A small turn updates them from the Taylor
// series of the step (exact to the last bit below 3e-3 rad), so that the
// footpoint iteration costs one sine and cosine instead of one per step.
struct Angle {
  double phi, sin, cos;

  void Turn(double step) {
    phi += step;
    if (std::fabs(step) < 3e-3) {
      const double d2 = step * step;
      const double cosStep = 1 - d2 / 2 + d2 * d2 / 24;
      const double sinStep = step * (1 - d2 / 6 + d2 * d2 / 120);
      const double turnedSin = sin * cosStep + cos * sinStep;
      cos = cos * cosStep - sin * sinStep;
      sin = turnedSin;
    } else {
      sin = std::sin(phi);
      cos = std::cos(phi);
    }
  }
};

}  // namespace

// Newton's iteration on the meridian arc. It starts from the latitude that the
// rectifying-latitude series gives, which is already within about 1e-15 rad, so
// that the first step normally meets the tolerance.
bool TMProjection::Footpoint(double northing, double& phi, double& sinPhi, double& cosPhi) const {
  const double e2 = e2n[1];
  const double target = northing / m0 + s0;
  const double mu = target / (arcFactor * coefficientA);
  Angle at{mu, std::sin(mu), std::cos(mu)};
  at.Turn(FootpointSeries(at.sin, at.cos));
  double arc = MeridianArc(at.sin, at.cos, at.phi);
  for (int iteration = 1;; ++iteration) {
    const double h = 1 - e2 * at.sin * at.sin;
    const double sqrtH = std::sqrt(h);
    const double d = arc - target;
    const double step = 2 * d * h * sqrtH / (3 * e2 * d * at.sin * at.cos * sqrtH - 2 * arcFactor);
    at.Turn(step);
    if (std::fabs(step) <= 1e-14) break;
    if (iteration >= kMaxFootpointIterations) return false;
    arc = MeridianArc(at.sin, at.cos, at.phi);
  }
  phi = at.phi;
  sinPhi = at.sin;
  cosPhi = at.cos;
  return true;
}

bool TMProjection::Inverse(double northing, double easting, GeographicPoint& out) const {
  if (!IsSetUp()) return false;
  double phi1 = 0, sin1 = 0, cos1 = 0;
  if (!Footpoint(northing, phi1, sin1, cos1)) return false;
  const double secant = 1 / cos1;
  const double t = sin1 * secant;
  const double t2 = t * t;
  const double t4 = t2 * t2;
  const double t6 = t4 * t2;
  const double eta2 = secondE2 * cos1 * cos1;
  const double eta4 = eta2 * eta2;
  // u/N with u = y/m0 and N = c/√(1 + η²).
  const double un = easting * std::sqrt(1 + eta2) * inverseM0C;
  const double un2 = un * un;
  const double un4 = un2 * un2;
  // Divisions by the series' constants become multiplications: they sit on
  // the critical path of every inverse.
  constexpr double k1_24 = 1.0 / 24, k1_720 = 1.0 / 720, k1_40320 = 1.0 / 40320;
  constexpr double k1_6 = 1.0 / 6, k1_120 = 1.0 / 120, k1_5040 = 1.0 / 5040, k1_3 = 1.0 / 3, k1_15 = 1.0 / 15;

  const double phi = phi1 - t * (1 + eta2) * un2 * 0.5 +
                     t * (5 + 3 * t2 + 6 * eta2 - 6 * t2 * eta2 - 3 * eta4 - 9 * t2 * eta4) * un4 * k1_24 -
                     t * (61 + 90 * t2 + 45 * t4 + 107 * eta2 - 162 * t2 * eta2 - 45 * t4 * eta2) * un4 * un2 * k1_720 +
                     t * (1385 + 3633 * t2 + 4095 * t4 + 1575 * t6) * un4 * un4 * k1_40320;
  const double lambda = lambda0 + (un - (1 + 2 * t2 + eta2) * un * un2 * k1_6 +
                                   (5 + 28 * t2 + 24 * t4 + 6 * eta2 + 8 * t2 * eta2) * un * un4 * k1_120 -
                                   (61 + 662 * t2 + 1320 * t4 + 720 * t6) * un * un4 * un2 * k1_5040) *
                                      secant;
  const double gamma = t * (un - (1 + t2 - eta2) * un * un2 * k1_3 + (2 + 3 * t2) * (1 + t2) * un * un4 * k1_15);

  // The scale is taken at the final latitude, not at the footpoint.
  Angle end{phi1, sin1, cos1};
  end.Turn(phi - phi1);
  // y²/(M·N·m0²) with M·N = c²/(1 + η²)².
  const double onePlusEta2 = 1 + secondE2 * end.cos * end.cos;
  const double y2 = easting * easting * onePlusEta2 * onePlusEta2 * inverseM0C * inverseM0C;

  GeographicPoint point;
  point.latitude = phi * kRadToDeg;
  point.longitude = lambda * kRadToDeg;
  point.convergence = -gamma * kRadToDeg;
  point.scale = m0 * (1 + y2 / 2 + y2 * y2 / 24);
  if (!std::isfinite(point.latitude) || !std::isfinite(point.longitude)) return false;
  out = point;
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

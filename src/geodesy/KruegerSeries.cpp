#include "geodesy/KruegerSeries.h"

#include <cmath>

namespace {

constexpr double kHalfPi = 1.57079632679489661923;
// Degrees turned into radians with the stored five-digit factor land up to a
// few units of the last place beyond ±π/2 at the poles.
constexpr double kPoleSlack = 1e-12;
// Beyond this |η| every longitude is 90° to the last bit, and the series
// terms (up to cosh 12η) would overflow.
constexpr double kEtaLimit = 20;

// Σ c[j]·sin(2(j+1)x) = sin 2x · P(cos 2x), with p the coefficients of P
// (see Polynomial), from sin x and cos x alone. Estrin's scheme keeps the
// chain of dependent multiplications short.
double SineSeries(const std::array<double, 6>& p, double sinX, double cosX) {
  const double t = (cosX - sinX) * (cosX + sinX);
  const double t2 = t * t;
  return 2 * sinX * cosX * ((p[0] + p[1] * t) + t2 * ((p[2] + p[3] * t) + t2 * (p[4] + p[5] * t)));
}

// Below this a turn by Turn() and the exponential's series are exact to the
// last bit.
constexpr double kSmallTurn = 4e-3;

// sin and cos of x + d for a small d (|d| below kSmallTurn, where the
// truncated Taylor series of d are exact to the last bit), without another
// sine.
void Turn(double& sinX, double& cosX, double d) {
  const double d2 = d * d;
  const double sinD = d * (1 - d2 / 6 * (1 - d2 / 20));
  const double cosD = 1 - d2 / 2 * (1 - d2 / 12 * (1 - d2 / 30));
  const double turned = sinX * cosD + cosX * sinD;
  cosX = cosX * cosD - sinX * sinD;
  sinX = turned;
}

// atan2 for a point in the right half-plane, where the plain arctangent of
// the quotient is the same angle at half the cost.
double RightAngle(double y, double x) { return x > 0 ? std::atan(y / x) : std::atan2(y, x); }

struct Complex {
  double re, im;
};

Complex operator*(Complex a, Complex b) { return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re}; }

Complex operator*(double a, Complex b) { return {a * b.re, a * b.im}; }
Complex operator+(Complex a, Complex b) { return {a.re + b.re, a.im + b.im}; }
Complex operator+(double a, Complex b) { return {a + b.re, b.im}; }

// Σ c[j]·sin(2(j+1)ζ) = sin 2ζ · P(cos 2ζ) for complex ζ, and its derivative
// Σ 2(j+1)·c[j]·cos(2(j+1)ζ) = 2(T·P(T) − (1 − T²)·P′(T)) with T = cos 2ζ.
// Plain arithmetic: the library's complex product checks for infinities on
// every call.
void ComplexSeries(const std::array<double, 6>& p, Complex sin2, Complex t, Complex& sum, Complex& derivative) {
  const Complex t2 = t * t;
  const Complex t4 = t2 * t2;
  const Complex value = (p[0] + p[1] * t) + t2 * (p[2] + p[3] * t) + t4 * (p[4] + p[5] * t);
  const Complex slope = (p[1] + 2 * p[2] * t) + t2 * (3 * p[3] + 4 * p[4] * t) + 5 * p[5] * t4;
  sum = sin2 * value;
  const Complex tValue = t * value;
  const Complex bent = Complex{1 - t2.re, -t2.im} * slope;
  derivative = {2 * (tValue.re - bent.re), 2 * (tValue.im - bent.im)};
}

// The coefficients of P with Σ c[j]·sin(2(j+1)x) = sin 2x · P(cos 2x), from
// sin 2kx = sin 2x · U(k−1)(cos 2x), U the Chebyshev polynomials of the second kind.
std::array<double, 6> Polynomial(const std::array<double, 6>& c) {
  return {c[0] - c[2] + c[4], 2 * c[1] - 4 * c[3] + 6 * c[5], 4 * c[2] - 12 * c[4], 8 * c[3] - 32 * c[5],
          16 * c[4], 32 * c[5]};
}

}  // namespace

void KruegerSeries::Setup(double a, double f) {
  const double n = f / (2 - f);
  const double n2 = n * n;
  e2 = f * (2 - f);
  radius = a / (1 + n) * (1 + n2 * (1.0 / 4 + n2 * (1.0 / 64 + n2 / 256)));
  scaleRatio = radius / a;
  // Krüger's coefficients (Karney 2011, eqs. 35 and 36), by powers of n.
  alpha = {n * (1.0 / 2 + n * (-2.0 / 3 + n * (5.0 / 16 + n * (41.0 / 180 + n * (-127.0 / 288 + n * 7891.0 / 37800))))),
           n2 * (13.0 / 48 + n * (-3.0 / 5 + n * (557.0 / 1440 + n * (281.0 / 630 + n * -1983433.0 / 1935360)))),
           n2 * n * (61.0 / 240 + n * (-103.0 / 140 + n * (15061.0 / 26880 + n * 167603.0 / 181440))),
           n2 * n2 * (49561.0 / 161280 + n * (-179.0 / 168 + n * 6601661.0 / 7257600)),
           n2 * n2 * n * (34729.0 / 80640 + n * -3418889.0 / 1995840),
           n2 * n2 * n2 * 212378941.0 / 319334400};
  beta = {n * (1.0 / 2 + n * (-2.0 / 3 + n * (37.0 / 96 + n * (-1.0 / 360 + n * (-81.0 / 512 + n * 96199.0 / 604800))))),
          n2 * (1.0 / 48 + n * (1.0 / 15 + n * (-437.0 / 1440 + n * (46.0 / 105 + n * -1118711.0 / 3870720)))),
          n2 * n * (17.0 / 480 + n * (-37.0 / 840 + n * (-209.0 / 4480 + n * 5569.0 / 90720))),
          n2 * n2 * (4397.0 / 161280 + n * (-11.0 / 504 + n * -830251.0 / 7257600)),
          n2 * n2 * n * (4583.0 / 161280 + n * -108847.0 / 3991680),
          n2 * n2 * n2 * 20648693.0 / 638668800};
  // Conformal latitude χ from the geodetic φ and back, as sine series in n.
  toConformal = {n * (-2 + n * (2.0 / 3 + n * (4.0 / 3 + n * (-82.0 / 45 + n * (32.0 / 45 + n * 4642.0 / 4725))))),
                 n2 * (5.0 / 3 + n * (-16.0 / 15 + n * (-13.0 / 9 + n * (904.0 / 315 + n * -1522.0 / 945)))),
                 n2 * n * (-26.0 / 15 + n * (34.0 / 21 + n * (8.0 / 5 + n * -12686.0 / 2835))),
                 n2 * n2 * (1237.0 / 630 + n * (-12.0 / 5 + n * -24832.0 / 14175)),
                 n2 * n2 * n * (-734.0 / 315 + n * 109598.0 / 31185),
                 n2 * n2 * n2 * 444337.0 / 155925};
  fromConformal = {n * (2 + n * (-2.0 / 3 + n * (-2 + n * (116.0 / 45 + n * (26.0 / 45 + n * -2854.0 / 675))))),
                   n2 * (7.0 / 3 + n * (-8.0 / 5 + n * (-227.0 / 45 + n * (2704.0 / 315 + n * 2323.0 / 945)))),
                   n2 * n * (56.0 / 15 + n * (-136.0 / 35 + n * (-1262.0 / 105 + n * 73814.0 / 2835))),
                   n2 * n2 * (4279.0 / 630 + n * (-332.0 / 35 + n * -399572.0 / 14175)),
                   n2 * n2 * n * (4174.0 / 315 + n * -144838.0 / 6237),
                   n2 * n2 * n2 * 601676.0 / 22275};
  for (auto* series : {&alpha, &beta, &toConformal, &fromConformal}) *series = Polynomial(*series);
}

bool KruegerSeries::Forward(double phi, double lambda, PlanePoint& out) const {
  if (!(std::fabs(lambda) < kHalfPi) || !(std::fabs(phi) <= kHalfPi + kPoleSlack)) return false;
  double sinChi = std::sin(phi), cosChi = std::cos(phi);
  const double sinPhi = sinChi, cosPhi = cosChi;
  Turn(sinChi, cosChi, SineSeries(toConformal, sinPhi, cosPhi));
  const double sinLambda = std::sin(lambda), cosLambda = std::cos(lambda);
  // The Gauss-Schreiber projection of the conformal sphere: ζ′ = ξ′ + iη′
  // with tanh η′ = cos χ sin λ; r² = 1 − tanh²η′ gives the double angles
  // without further sines.
  const double u = cosChi * sinLambda;
  const double c = cosChi * cosLambda;
  const double r2 = sinChi * sinChi + c * c;
  const double xiP = RightAngle(sinChi, c);
  const double etaP = std::log1p(2 * u / (1 - u)) / 2;  // atanh u
  const double inverseR2 = 1 / r2;
  const double sin2XiP = 2 * sinChi * c * inverseR2;
  const double cos2XiP = (c - sinChi) * (c + sinChi) * inverseR2;
  const double sinh2EtaP = 2 * u * inverseR2;
  const double cosh2EtaP = (1 + u * u) * inverseR2;
  Complex sum, derivative;
  ComplexSeries(alpha, {sin2XiP * cosh2EtaP, cos2XiP * sinh2EtaP}, {cos2XiP * cosh2EtaP, -sin2XiP * sinh2EtaP}, sum,
                derivative);
  // dζ/dζ′ = w: its argument turns the convergence, its modulus scales.
  const Complex w{1 + derivative.re, derivative.im};
  const Complex turned = Complex{cosLambda, sinChi * sinLambda} * Complex{w.re, -w.im};
  PlanePoint point;
  point.xi = xiP + sum.re;
  point.eta = etaP + sum.im;
  point.gamma = RightAngle(turned.im, turned.re);
  // True scale on the central meridian, exactly.
  point.scale = lambda == 0 ? 1
                            : scaleRatio * std::sqrt((w.re * w.re + w.im * w.im) * (1 - e2 * sinPhi * sinPhi) *
                                                     inverseR2) *
                                  cosChi / cosPhi;
  if (!std::isfinite(point.xi) || !std::isfinite(point.eta)) return false;
  out = point;
  return true;
}

bool KruegerSeries::Inverse(double xi, double eta, GeographicPoint& out) const {
  if (!(std::fabs(xi) <= 2 * kHalfPi) || !(std::fabs(eta) < kEtaLimit)) return false;
  double sinXi = std::sin(xi), cosXi = std::cos(xi);
  double expEta = std::exp(eta);
  const double exp2Eta = expEta * expEta;
  const double sinh2Eta = (exp2Eta - 1 / exp2Eta) / 2;
  const double cosh2Eta = (exp2Eta + 1 / exp2Eta) / 2;
  const double sin2Xi = 2 * sinXi * cosXi;
  const double cos2Xi = (cosXi - sinXi) * (cosXi + sinXi);
  Complex sum, derivative;
  ComplexSeries(beta, {sin2Xi * cosh2Eta, cos2Xi * sinh2Eta}, {cos2Xi * cosh2Eta, -sin2Xi * sinh2Eta}, sum,
                derivative);
  const double xiP = xi - sum.re;
  // dζ′/dζ = v
  const Complex v{1 - derivative.re, -derivative.im};
  // Past the pole the strip holds the far hemisphere, which this projection
  // does not reach.
  if (!(std::fabs(xiP) <= kHalfPi + kPoleSlack)) return false;
  // ζ′ lies within a few thousandths of ζ over the zone: its sine, cosine and
  // exponential follow from those of ζ without calling the library again.
  if (std::fabs(sum.re) < kSmallTurn) {
    Turn(sinXi, cosXi, -sum.re);
  } else {
    sinXi = std::sin(xiP);
    cosXi = std::cos(xiP);
  }
  const double eps = sum.im;
  expEta = std::fabs(eps) < kSmallTurn ? expEta * (1 - eps * (1 - eps / 2 * (1 - eps / 3 * (1 - eps / 4 * (1 - eps / 5)))))
                                       : std::exp(eta - eps);
  const double sinXiP = sinXi;
  const double cosXiP = std::fmax(cosXi, 0.0);
  const double sinhEtaP = (expEta - 1 / expEta) / 2;
  const double coshEtaP = (expEta + 1 / expEta) / 2;
  const double d = std::sqrt(sinhEtaP * sinhEtaP + cosXiP * cosXiP);
  const double chi = RightAngle(sinXiP, d);
  double sinPhi = sinXiP / coshEtaP, cosPhi = d / coshEtaP;
  const double cosChi = cosPhi;
  const double delta = SineSeries(fromConformal, sinPhi, cosPhi);
  Turn(sinPhi, cosPhi, delta);
  const Complex turned = Complex{cosXiP * coshEtaP, sinXiP * sinhEtaP} * v;
  GeographicPoint point;
  point.phi = chi + delta;
  point.lambda = RightAngle(sinhEtaP, cosXiP);
  point.gamma = RightAngle(turned.im, turned.re);
  point.scale = eta == 0 ? 1
                         : scaleRatio * std::sqrt((1 - e2 * sinPhi * sinPhi) / (v.re * v.re + v.im * v.im)) * cosChi *
                               coshEtaP / cosPhi;
  if (!std::isfinite(point.phi) || !(std::fabs(point.lambda) < kHalfPi)) return false;
  out = point;
  return true;
}

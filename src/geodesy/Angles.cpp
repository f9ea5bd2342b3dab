#include "geodesy/Angles.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

double DecodePackedDms(double packed) {
  const double v = std::fabs(packed);
  double whole = 0;
  const double fraction = std::modf(v, &whole);
  const long long digits = static_cast<long long>(whole);
  const double degrees = static_cast<double>(digits / 10000);
  const double minutes = static_cast<double>(digits / 100 % 100);
  const double seconds = static_cast<double>(digits % 100) + fraction;
  const double result = degrees + minutes / 60 + seconds / 3600;
  return packed < 0 ? -result : result;
}

namespace {

// Rounds the seconds the way they will be shown: printed with `decimals`
// decimals and read back.
double RoundSeconds(double seconds, int decimals) {
  char format[16];
  std::snprintf(format, sizeof format, "%%3.%df", decimals);
  char text[64];
  std::snprintf(text, sizeof text, format, seconds);
  return std::strtod(text, nullptr);
}

}  // namespace

Dms DegreesToDms(double degrees, int decimals) {
  if (decimals < 0) decimals = 0;
  if (decimals > 15) decimals = 15;
  const double c = std::fabs(degrees);
  const bool negative = degrees < 0;
  const double whole = std::trunc(c);
  Dms dms;
  dms.degrees = static_cast<int>(whole);
  dms.minutes = static_cast<int>((c - whole) * 60);
  dms.seconds = RoundSeconds((c - whole - dms.minutes / 60.0) * 3600, decimals);
  if (dms.seconds >= 60) {
    dms.seconds = 0;
    if (++dms.minutes == 60) {
      dms.minutes = 0;
      ++dms.degrees;
    }
  }
  if (negative) dms.degrees = -dms.degrees;
  return dms;
}

double DmsToDegrees(const Dms& dms) {
  const double value = std::abs(dms.degrees) + dms.minutes / 60.0 + dms.seconds / 3600;
  return dms.degrees < 0 ? -value : value;
}

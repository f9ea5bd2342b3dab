// Angle constants and conversions between decimal degrees and degrees,
// minutes and seconds.
#pragma once

// The conversion factors are the ones every stored coordinate was made with.
constexpr double kDegToRad = 0.0174532925199433;
constexpr double kRadToDeg = 57.2957795130823;

struct Dms {
  int degrees = 0;  // carries the sign of the angle
  int minutes = 0;
  double seconds = 0;
};

// A packed DDDMMSS.s value (1293000.0 is 129°30'00") in decimal degrees.
double DecodePackedDms(double packed);

// Splits degrees into degrees, minutes and seconds rounded to `decimals`
// second decimals, carrying a rounded 60 seconds into the minutes and degrees.
Dms DegreesToDms(double degrees, int decimals);

double DmsToDegrees(const Dms& dms);

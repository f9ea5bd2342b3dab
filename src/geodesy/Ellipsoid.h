// The two reference ellipsoids of the Japanese datums.
#pragma once

#include <array>
#include <cstdint>

struct Ellipsoid {
  const char* name = "";      // at most 19 characters
  double a = 0;               // semi-major axis, metres
  double inverseFlattening = 0;
  double f = 0;               // flattening
  double e2 = 0;              // first eccentricity squared
};

enum EllipsoidId : int { kEllipsoidBessel = 0, kEllipsoidGrs80 = 1 };

Ellipsoid MakeEllipsoid(const char* name, double a, double inverseFlattening);

// Both rows, indexed by EllipsoidId.
std::array<Ellipsoid, 2> EllipsoidTable();

// Datum 1 (and 3) is on Bessel, datums 2 and 4 on GRS-80; any other code has none (-1).
int EllipsoidIdOfDatum(int32_t datum);

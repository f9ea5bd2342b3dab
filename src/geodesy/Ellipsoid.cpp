#include "geodesy/Ellipsoid.h"

Ellipsoid MakeEllipsoid(const char* name, double a, double inverseFlattening) {
  Ellipsoid ellipsoid;
  ellipsoid.name = name;
  ellipsoid.a = a;
  ellipsoid.inverseFlattening = inverseFlattening;
  ellipsoid.f = 1 / inverseFlattening;
  ellipsoid.e2 = (2 * inverseFlattening - 1) / (inverseFlattening * inverseFlattening);
  return ellipsoid;
}

std::array<Ellipsoid, 2> EllipsoidTable() {
  return {MakeEllipsoid("Bessel", 6377397.155, 299.152813),
          MakeEllipsoid("GRS-80", 6378137.0, 298.257222101)};
}

int EllipsoidIdOfDatum(int32_t datum) {
  switch (datum) {
    case 1:
    case 3:
      return kEllipsoidBessel;
    case 2:
    case 4:
      return kEllipsoidGrs80;
    default:
      return -1;
  }
}

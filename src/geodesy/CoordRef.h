// A coordinate reference: which datum a coordinate is on and what kind of
// coordinate it is. The numeric codes are the ones stored in preferences,
// data frames and dialogs, so they never change.
#pragma once

#include <cstdint>

enum GeodeticDatum : int32_t {
  kDatumTokyo = 1,    // TKY97, Bessel ellipsoid
  kDatumJgd2000 = 2,  // GRS-80 ellipsoid
  // 3 is taken: stored references read it as Bessel.
  kDatumJgd2011 = 4,  // GRS-80 ellipsoid, after the 2011 Tohoku earthquake
  // WGS 84 as GIS files and GPS name it: its coordinates are taken as JGD2011
  // (the two agree to about 1 m), so it is only ever a label.
  kDatumWgs84 = 5,
};

// Datums on GRS-80 that the Tokyo grid shifts to and from.
constexpr bool IsJgdDatum(int32_t datum) { return datum == kDatumJgd2000 || datum == kDatumJgd2011; }

enum CoordKind : int32_t {
  kKindLatLong = 1,       // decimal degrees
  kKindUtm = 2,           // metres
  kKindPlane = 3,         // plane rectangular, metres
  kKindLatLongPlane = 5,  // internal: a latitude/longitude data frame's map, metres
};

constexpr int32_t kPlaneSystemCount = 19;
constexpr int32_t kUtmZoneCount = 60;

struct CoordRef {
  int32_t datum = 0;
  int32_t kind = 0;
  int32_t system = 0;  // 1..19 for kind 3, 0 = not chosen
  int32_t zone = 0;    // 1..60 for kind 2, 0 = not chosen

  bool operator==(const CoordRef&) const = default;
};

// The reference whose coordinates are converted: WGS 84 as JGD2011.
constexpr CoordRef AsConverted(CoordRef ref) {
  if (ref.datum == kDatumWgs84) ref.datum = kDatumJgd2011;
  return ref;
}

// The document's data frame record: coordinate reference of the drawn map,
// map position of one artboard point, scale and rotation.
#pragma once

struct DataFrameParams {
  int datum = 0;   // GeodeticDatum: 1 Tokyo, 2 JGD2000, 4 JGD2011
  int kind = 0;    // CoordKind: 1 latitude/longitude plane, 2 UTM, 3 plane rectangular
  int system = 0;  // plane rectangular system (kind 3)
  int zone = 0;    // UTM zone (kind 2)
  double originX = 0;   // map easting of the anchor, metres
  double originY = 0;   // map northing of the anchor, metres
  double rotation = 0;  // degrees
  double scale = 0;     // denominator S of 1:S
  float anchorX = 0;    // artboard point of (originX, originY)
  float anchorY = 0;
};

// Plain points of the georeference: map points in double precision (x =
// easting or longitude, y = northing or latitude) and artboard points in the
// host's single precision.
#pragma once

struct Point2D {
  double x = 0;
  double y = 0;
};

struct ArtboardPoint {
  float x = 0;
  float y = 0;
};

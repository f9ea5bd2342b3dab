// Three or four marked artboard points with their map coordinates.
#pragma once

#include <array>
#include <string>

#include "georef/Point2D.h"

struct MarkerSet {
  static constexpr int kFourPoint = 0;
  static constexpr int kThreePoint = 1;

  int kind = kFourPoint;
  // Reading order. Four-point: lower left, upper left, upper right, lower
  // right. Three-point: 1/3, 2/3, 3/3 with the fourth slot unused.
  std::array<ArtboardPoint, 4> anchors{};
  std::array<Point2D, 4> map{};  // x = easting or longitude, y = northing or latitude

  int Count() const { return kind == kFourPoint ? 4 : 3; }
};

// The two parts of one marker's text as read: northing or latitude first,
// then easting or longitude (8-bit text).
struct MarkerTextParts {
  std::string northing;
  std::string easting;
};
using MarkerTexts = std::array<MarkerTextParts, 4>;

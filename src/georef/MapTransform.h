// The mapping between artboard points and map coordinates that a document's
// georeference gives: affine for a data frame (mode 0), three-point affine or
// four-point bilinear for coordinate markers (mode 1).
#pragma once

#include <array>

#include "georef/AffineMatrix.h"
#include "georef/DataFrameParams.h"
#include "georef/FourPointBilinear.h"
#include "georef/MarkerSet.h"
#include "georef/ThreePointAffine.h"

class MapTransform {
 public:
  static constexpr int kNotSet = -1;
  static constexpr int kDataFrame = 0;
  static constexpr int kMarkers = 1;

  // False (and the transform not usable) when the scale is not a positive
  // finite number.
  bool SetFromDataFrame(const DataFrameParams& params);
  // False (and the transform not usable) when the markers fix no mapping:
  // collinear three-point anchors or map points, or a four-point set whose
  // anchors or map points are not a convex quadrilateral.
  [[nodiscard]] bool SetFromMarkers(const MarkerSet& markers);

  int Mode() const { return mode; }
  bool IsUsable() const { return mode != kNotSet; }

  // Both return false, leaving the outputs alone, while the transform is not usable.
  bool ArtboardToMap(float x, float y, double& mapX, double& mapY) const;
  bool MapToArtboard(double x, double y, float& artX, float& artY) const;

  const DataFrameParams& DataFrame() const { return frame; }
  const MarkerSet& Markers() const { return markers; }

 private:
  int mode = kNotSet;
  DataFrameParams frame;
  std::array<AffineMatrix, 3> toMap;
  std::array<AffineMatrix, 3> toArtboard;
  MarkerSet markers;
  ThreePointAffine affineToMap, affineToArtboard;
  FourPointBilinear bilinearToMap, bilinearToArtboard;
};

#include "georef/MapTransform.h"

#include <cmath>

#include "georef/Units.h"

bool MapTransform::SetFromDataFrame(const DataFrameParams& params) {
  mode = kNotSet;
  if (!std::isfinite(params.scale) || params.scale <= 0) return false;
  frame = params;
  const double s = params.scale;
  toMap[0] = AffineMatrix::Translation(-params.anchorX, -params.anchorY)
                 .Then(AffineMatrix::Scaling(s))
                 .Then(AffineMatrix::Scaling(kMetresPerPoint));
  toMap[1] = AffineMatrix::Rotation(-params.rotation);
  toMap[2] = AffineMatrix::Translation(params.originX, params.originY);
  toArtboard[0] = AffineMatrix::Translation(-params.originX, -params.originY);
  toArtboard[1] = AffineMatrix::Rotation(params.rotation);
  toArtboard[2] = AffineMatrix::Scaling(kPointsPerMetre)
                      .Then(AffineMatrix::Scaling(1 / s))
                      .Then(AffineMatrix::Translation(params.anchorX, params.anchorY));
  mode = kDataFrame;
  return true;
}

bool MapTransform::SetFromMarkers(const MarkerSet& set) {
  mode = kNotSet;
  markers = set;
  std::array<Point2D, 4> anchors;
  for (int i = 0; i < 4; ++i) anchors[i] = {set.anchors[i].x, set.anchors[i].y};
  bool ok = false;
  if (set.kind == MarkerSet::kThreePoint) {
    const std::array<Point2D, 3> a{anchors[0], anchors[1], anchors[2]};
    const std::array<Point2D, 3> m{set.map[0], set.map[1], set.map[2]};
    ok = affineToMap.Setup(a, m) && affineToArtboard.Setup(m, a);
  } else if (set.kind == MarkerSet::kFourPoint) {
    ok = bilinearToMap.Setup(anchors, set.map) && bilinearToArtboard.Setup(set.map, anchors);
  }
  if (ok) mode = kMarkers;
  return ok;
}

bool MapTransform::ArtboardToMap(float x, float y, double& mapX, double& mapY) const {
  if (mode == kDataFrame) {
    double px = x;
    double py = y;
    for (const AffineMatrix& m : toMap) m.Apply(px, py);
    mapX = px;
    mapY = py;
    return true;
  }
  if (mode == kMarkers) {
    const Point2D p{x, y};
    const Point2D r = markers.kind == MarkerSet::kThreePoint ? affineToMap.Apply(p) : bilinearToMap.Apply(p);
    mapX = r.x;
    mapY = r.y;
    return true;
  }
  return false;
}

bool MapTransform::MapToArtboard(double x, double y, float& artX, float& artY) const {
  if (mode == kDataFrame) {
    for (const AffineMatrix& m : toArtboard) m.Apply(x, y);
    artX = static_cast<float>(x);
    artY = static_cast<float>(y);
    return true;
  }
  if (mode == kMarkers) {
    const Point2D p{x, y};
    const Point2D r =
        markers.kind == MarkerSet::kThreePoint ? affineToArtboard.Apply(p) : bilinearToArtboard.Apply(p);
    artX = static_cast<float>(r.x);
    artY = static_cast<float>(r.y);
    return true;
  }
  return false;
}

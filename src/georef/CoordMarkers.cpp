#include "georef/CoordMarkers.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "geodesy/Angles.h"
#include "geodesy/CoordConverter.h"
#include "georef/GeorefLayers.h"
#include "georef/GeorefPointText.h"
#include "georef/MarkerText.h"

namespace {

enum Corner { kLowerLeft = 0, kUpperLeft = 1, kUpperRight = 2, kLowerRight = 3 };

bool AllLayersExist(const auto& titles, bool& exist) {
  exist = true;
  for (const char* title : titles) {
    AILayerHandle layer = nullptr;
    if (FindLayerByTitle(title, layer) != kNoErr) return false;
    if (!layer) exist = false;
  }
  return true;
}

bool ReadMarker(const char* title, ArtboardPoint& anchor, Point2D& map, MarkerTextParts& parts) {
  AIArtHandle text = nullptr;
  if (!FindLayerPointText(title, text)) return false;
  if (ReadPointTextAnchor(text, anchor) != kNoErr) return false;
  std::string contents;
  if (ReadPointTextContents(text, contents) != kNoErr) return false;
  return ParseMarkerText(contents, map, parts);
}

bool IsAxisParallelRectangle(const std::array<Point2D, 4>& map) {
  return map[kLowerLeft].x == map[kUpperLeft].x && map[kUpperRight].x == map[kLowerRight].x &&
         map[kLowerLeft].y == map[kLowerRight].y && map[kUpperLeft].y == map[kUpperRight].y;
}

DmsParts SplitDegrees(double degrees) {
  const Dms dms = DegreesToDms(degrees, 5);
  return {degrees < 0, std::abs(dms.degrees), dms.minutes, dms.seconds};
}

// A corner of the import area in the target reference: plane coordinates for
// a plane rectangular target, else (longitude, latitude) on the target datum.
bool ConvertCorner(const CoordConverter& converter, bool planeTarget, Point2D corner, Point2D& out) {
  if (planeTarget) return converter.Convert(corner.x, corner.y, out.x, out.y);
  double latitude = 0, longitude = 0;
  if (!converter.ToGeographic(corner.y, corner.x, latitude, longitude)) return false;
  return converter.ShiftDatum(latitude, longitude, out.y, out.x);
}

}  // namespace

AIErr CreateFourPointMarkerLayers(std::array<AILayerHandle, 4>* layers) {
  std::array<AILayerHandle, 4> created{};
  for (int corner : {kLowerRight, kLowerLeft, kUpperRight, kUpperLeft}) {
    if (AIErr err = InsertTitledLayer(kPlaceBelowAll, kFourPointMarkerTitles[corner], created[corner])) return err;
  }
  if (layers) *layers = created;
  return kNoErr;
}

AIErr CreateThreePointMarkerLayers() {
  for (const char* title : kThreePointMarkerTitles) {
    AILayerHandle layer = nullptr;
    if (AIErr err = InsertTitledLayer(kPlaceBelowAll, title, layer)) return err;
  }
  return kNoErr;
}

bool FindMarkerSet(int& kind) {
  bool exist = false;
  if (!AllLayersExist(kFourPointMarkerTitles, exist)) return false;
  if (exist) {
    kind = MarkerSet::kFourPoint;
    return true;
  }
  if (!AllLayersExist(kThreePointMarkerTitles, exist)) return false;
  if (exist) {
    kind = MarkerSet::kThreePoint;
    return true;
  }
  return false;
}

bool ReadMarkerSet(MarkerSet& set, MarkerTexts& texts) {
  MarkerSet read;
  if (!FindMarkerSet(read.kind)) return false;
  MarkerTexts parts;
  for (int i = 0; i < read.Count(); ++i) {
    const char* title =
        read.kind == MarkerSet::kFourPoint ? kFourPointMarkerTitles[i] : kThreePointMarkerTitles[i];
    if (!ReadMarker(title, read.anchors[i], read.map[i], parts[i])) return false;
  }
  if (read.kind == MarkerSet::kFourPoint && !IsAxisParallelRectangle(read.map)) return false;
  MapTransform usable;
  if (!usable.SetFromMarkers(read)) return false;
  set = read;
  texts = parts;
  return true;
}

AIErr PlaceImportMarkers(const CoordConverter& converter, const MapTransform& transform, double xmin, double xmax,
                         double ymin, double ymax) {
  const bool planeTarget = converter.Target().kind == kKindPlane;
  const std::array<Point2D, 4> area{{{xmin, ymin}, {xmin, ymax}, {xmax, ymax}, {xmax, ymin}}};
  std::array<Point2D, 4> converted;
  for (int i = 0; i < 4; ++i) {
    if (!ConvertCorner(converter, planeTarget, area[i], converted[i])) return kBadParameterErr;
  }
  const double west = std::min(converted[kLowerLeft].x, converted[kUpperLeft].x);
  const double east = std::max(converted[kUpperRight].x, converted[kLowerRight].x);
  const double south = std::min(converted[kLowerLeft].y, converted[kLowerRight].y);
  const double north = std::max(converted[kUpperLeft].y, converted[kUpperRight].y);
  const std::array<Point2D, 4> markers{{{west, south}, {west, north}, {east, north}, {east, south}}};

  // Everything is computed before the document is touched, so that a point
  // that can't be placed leaves no half-made markers behind.
  std::array<ArtboardPoint, 4> anchors;
  std::array<std::string, 4> contents;
  for (int i = 0; i < 4; ++i) {
    const Point2D& m = markers[i];
    Point2D projected = m;
    if (planeTarget) {
      contents[i] = FormatDecimalMarkerText(m.y, m.x);
    } else {
      contents[i] = FormatDmsMarkerText(SplitDegrees(m.y), SplitDegrees(m.x));
      if (!converter.FromGeographic(m.y, m.x, projected.x, projected.y)) return kBadParameterErr;
    }
    if (!transform.MapToArtboard(projected.x, projected.y, anchors[i].x, anchors[i].y)) return kBadParameterErr;
  }

  std::array<AILayerHandle, 4> layers{};
  if (AIErr err = CreateFourPointMarkerLayers(&layers)) return err;
  for (int i = 0; i < 4; ++i) {
    // Western labels run to the left of their point and eastern ones to the
    // right, so that no label covers the marked area.
    const bool western = i == kLowerLeft || i == kUpperLeft;
    const PointTextStyle style{AIColor::Four(0, 0, 0, 1.0f), true, western ? kRightJustify : kLeftJustify};
    if (AIErr err = NewLayerPointText(layers[i], anchors[i], contents[i], style)) return err;
  }
  return kNoErr;
}

// Coordinate markers: three or four layers with fixed titles, each holding
// one point text whose anchor is a marked artboard point and whose text is
// that point's map coordinates.
#pragma once

#include <array>

#include "georef/MapTransform.h"
#include "georef/MarkerSet.h"
#include "host/HostTypes.h"

class CoordConverter;

// Inserts the four marker layers below all layers (the lower left one ends
// lowest). `layers`, when given, receives them in reading order (lower left,
// upper left, upper right, lower right).
AIErr CreateFourPointMarkerLayers(std::array<AILayerHandle, 4>* layers = nullptr);
// Inserts the three marker layers 1/3, 2/3, 3/3 below all layers.
AIErr CreateThreePointMarkerLayers();

// True with MarkerSet::kFourPoint when all four four-point layers exist, else
// with MarkerSet::kThreePoint when all three three-point layers exist.
bool FindMarkerSet(int& kind);

// Reads the document's marker set. False when a marker is missing or
// unreadable, when a four-point set is not an axis-parallel rectangle in map
// coordinates, or when the set fixes no mapping (collinear three-point
// anchors or map points, a four-point set whose anchors are not a convex
// quadrilateral), so that callers fall back as for missing markers.
// `texts` receives the two text parts of every marker read.
bool ReadMarkerSet(MarkerSet& set, MarkerTexts& texts);

// The four filled markers of a new map at the corners of the import area
// (source coordinates xmin..xmax, ymin..ymax), placed through the new data
// frame's `transform`. Plane rectangular targets get "%f&%f" texts, all
// others latitude/longitude texts in degrees/minutes/seconds.
AIErr PlaceImportMarkers(const CoordConverter& converter, const MapTransform& transform, double xmin, double xmax,
                         double ymin, double ymax);

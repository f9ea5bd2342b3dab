// The rings of one polygon in the order and orientation Shapefile readers
// expect: every ring inside an odd number of other rings is a hole, every
// other ring an outer ring; outer rings run clockwise and holes counter-
// clockwise in the output coordinates (x east, y north); each outer ring is
// followed by the holes it directly contains.
#pragma once

#include <vector>

#include "export/MapPoint.h"

// Shoelace area: positive for counter-clockwise rings, negative for clockwise.
double SignedArea(const PointPart& ring);

// Reverses the ring unless it already runs the wanted way.
void Orient(PointPart& ring, bool clockwise);

// -1 outside, 0 on the boundary, 1 inside.
int PointInRing(const MapPoint& point, const PointPart& ring);

// True when `inner` lies inside `outer` (rings that do not cross).
bool RingInsideRing(const PointPart& inner, const PointPart& outer);

// Classifies, orients and orders the rings: the outer rings in their order,
// each followed by its holes.
std::vector<PointPart> ArrangeRings(std::vector<PointPart> rings);

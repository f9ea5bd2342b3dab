// Geometry of the stand-in host's paths: cubic Bézier curves, outlines made
// of segments, bounds, signed area and length. Computed in double precision.
#pragma once

#include <vector>

#include "host/AIPathSuite.h"
#include "host/AIRealBezierSuite.h"
#include "sim/PathSegments.h"

namespace sim {

AIRealPoint BezierPointAt(const AIRealBezier& bezier, double t);
// Arc length; the result is within a small fraction of the flatness.
double BezierLength(const AIRealBezier& bezier, double flatness);
// Exact bounds of the curve (its extreme points, not its control points).
AIRealRect BezierBounds(const AIRealBezier& bezier);
bool IsStraight(const AIRealBezier& bezier);

// The curve from anchor n to the next one (for the last anchor of a closed
// outline, back to the first). n must be a valid anchor number.
AIRealBezier SegmentCurve(const PathSegments& segments, size_t n);
// Number of curves of the outline: one less than the anchors when open, as
// many when closed (a single anchor gives none).
size_t CurveCount(const PathSegments& segments, bool closed);

// Bounds of the outline; false for an outline without anchors.
bool OutlineBounds(const PathSegments& segments, bool closed, AIRealRect* bounds);
// Area enclosed by the outline taken as closed: positive when it runs
// clockwise on the page (y up), negative when counter-clockwise.
double SignedArea(const PathSegments& segments);
double OutlineLength(const PathSegments& segments, bool closed, double flatness);

// Grows bounds to hold other; valid says whether bounds holds anything yet.
void UniteBounds(AIRealRect& bounds, bool& valid, const AIRealRect& other);

}  // namespace sim

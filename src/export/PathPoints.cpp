#include "export/PathPoints.h"

#include <algorithm>
#include <cmath>

#include "host/AIRealBezierSuite.h"
#include "host/AIRealMathSuite.h"
#include "host/SuitePointers.h"

namespace {

// Control points this close to their anchors make a straight segment.
constexpr AIReal kStraightTolerance = 0.03f;
constexpr AIReal kLengthFlatness = 1.0f;

bool Close(const AIRealPoint& a, const AIRealPoint& b) {
  AIBoolean close = false;
  return sAIRealMath->AIRealPointClose(&a, &b, kStraightTolerance, &close) == kNoErr && close;
}

}  // namespace

int32_t PieceCount(double length, int32_t accuracy) {
  const int32_t k = std::clamp(accuracy, 1, 9);
  const double longest = 10 - k;
  const double shortest = (5 - k) / 20.0 + 0.3;
  double pieces = k + 1;
  if (pieces * shortest > length)
    pieces = std::trunc(length / shortest);
  else if (length > pieces * longest)
    pieces = std::trunc(length / longest);
  // Also catches a length that is not a number.
  if (!(pieces >= 1)) return 1;
  return static_cast<int32_t>(std::min<double>(pieces, kMaxPiecesPerSegment));
}

PathPoints::PathPoints() : buffer(kMaxPathSegments) {}

AIErr PathPoints::Anchors(AIArtHandle path, bool closeRing, std::vector<AIRealPoint>& points) {
  points.clear();
  int16_t count = 0;
  AIBoolean closed = false;
  if (AIErr error = sAIPath->GetPathSegmentCount(path, &count)) return error;
  if (AIErr error = sAIPath->GetPathClosed(path, &closed)) return error;
  // Paths longer than the buffer are read a buffer at a time.
  for (int16_t first = 0; first < count;) {
    const int16_t chunk = static_cast<int16_t>(std::min<int32_t>(count - first, static_cast<int32_t>(buffer.size())));
    if (AIErr error = sAIPath->GetPathSegments(path, first, chunk, buffer.data())) return error;
    for (int16_t i = 0; i < chunk; ++i) points.push_back(buffer[static_cast<size_t>(i)].p);
    first = static_cast<int16_t>(first + chunk);
  }
  if (!points.empty() && (closeRing || closed)) points.push_back(points.front());
  return kNoErr;
}

AIErr PathPoints::FlattenSegment(AIArtHandle path, int16_t segment, int32_t accuracy,
                                 std::vector<AIRealPoint>& points) const {
  AIRealBezier curve;
  if (AIErr error = sAIPath->GetPathBezier(path, segment, &curve)) return error;
  if (Close(curve.p1, curve.p0) && Close(curve.p2, curve.p3)) {
    points.push_back(curve.p3);
    return kNoErr;
  }
  AIReal length = 0;
  if (AIErr error = sAIRealBezier->Length(&curve, kLengthFlatness, &length)) return error;
  const int32_t pieces = PieceCount(length, accuracy);
  for (int32_t j = 1; j < pieces; ++j) {
    AIRealPoint point;
    const AIReal t = static_cast<AIReal>(static_cast<double>(j) / pieces);
    if (AIErr error = sAIRealBezier->PointAt(&curve, t, &point)) return error;
    points.push_back(point);
  }
  // The end anchor itself rather than the curve evaluated at 1.
  points.push_back(curve.p3);
  return kNoErr;
}

AIErr PathPoints::Flatten(AIArtHandle path, int32_t accuracy, bool closeRing, std::vector<AIRealPoint>& points) {
  points.clear();
  int16_t count = 0;
  AIBoolean closed = false;
  if (AIErr error = sAIPath->GetPathSegmentCount(path, &count)) return error;
  if (AIErr error = sAIPath->GetPathClosed(path, &closed)) return error;
  if (count <= 0) return kNoErr;
  if (AIErr error = sAIPath->GetPathSegments(path, 0, 1, buffer.data())) return error;
  points.push_back(buffer[0].p);
  const int32_t segments = count - 1 + (closed ? 1 : 0);
  for (int32_t segment = 0; segment < segments; ++segment) {
    if (AIErr error = FlattenSegment(path, static_cast<int16_t>(segment), accuracy, points)) return error;
  }
  if (closeRing && !closed) points.push_back(points.front());
  return kNoErr;
}

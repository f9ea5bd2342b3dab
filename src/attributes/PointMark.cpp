#include "attributes/PointMark.h"

#include <algorithm>
#include <cmath>

namespace {

// Single-precision anchors of a mark far from the origin differ from the
// exact size by a few units in the last place.
constexpr double kSizeTolerance = 0.01;

bool IsCorner(const AIPathSegment& s) {
  return s.p.h == s.in.h && s.p.v == s.in.v && s.p.h == s.out.h && s.p.v == s.out.v;
}

}  // namespace

bool IsPointMarkOutline(const AIPathSegment* segments, size_t count, bool closed) {
  if (!closed || count != 4 || !segments) return false;
  double left = segments[0].p.h, right = left, bottom = segments[0].p.v, top = bottom;
  for (size_t i = 0; i < count; ++i) {
    if (!IsCorner(segments[i]) || !std::isfinite(segments[i].p.h) || !std::isfinite(segments[i].p.v)) return false;
    left = std::min<double>(left, segments[i].p.h);
    right = std::max<double>(right, segments[i].p.h);
    bottom = std::min<double>(bottom, segments[i].p.v);
    top = std::max<double>(top, segments[i].p.v);
  }
  if (std::fabs(right - left - kPointMarkSize) > kSizeTolerance || std::fabs(top - bottom - kPointMarkSize) > kSizeTolerance)
    return false;
  // Every anchor on a corner of the square.
  for (size_t i = 0; i < count; ++i) {
    const bool onSide = segments[i].p.h == left || segments[i].p.h == right;
    const bool onEnd = segments[i].p.v == bottom || segments[i].p.v == top;
    if (!onSide || !onEnd) return false;
  }
  return true;
}

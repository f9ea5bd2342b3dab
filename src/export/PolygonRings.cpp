#include "export/PolygonRings.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numeric>

namespace {

struct Box {
  double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
  bool Contains(const Box& other) const {
    return other.xmin >= xmin && other.xmax <= xmax && other.ymin >= ymin && other.ymax <= ymax;
  }
};

Box BoxOf(const PointPart& ring) {
  Box box;
  if (ring.empty()) return box;
  box = {ring[0].x, ring[0].y, ring[0].x, ring[0].y};
  for (const MapPoint& p : ring) {
    box.xmin = std::min(box.xmin, p.x);
    box.xmax = std::max(box.xmax, p.x);
    box.ymin = std::min(box.ymin, p.y);
    box.ymax = std::max(box.ymax, p.y);
  }
  return box;
}

// Vertices of the inner ring that decide containment; a few spread over the
// ring are enough for rings that do not cross, and keep big rings cheap.
constexpr size_t kSamples = 9;

}  // namespace

double SignedArea(const PointPart& ring) {
  const size_t n = ring.size();
  if (n < 3) return 0;
  // Relative to the first point, so that large map coordinates keep their digits.
  const MapPoint origin = ring[0];
  double twice = 0;
  for (size_t i = 0; i < n; ++i) {
    const MapPoint& a = ring[i];
    const MapPoint& b = ring[(i + 1) % n];
    twice += (a.x - origin.x) * (b.y - origin.y) - (b.x - origin.x) * (a.y - origin.y);
  }
  return twice / 2;
}

void Orient(PointPart& ring, bool clockwise) {
  const double area = SignedArea(ring);
  if ((clockwise && area > 0) || (!clockwise && area < 0)) std::reverse(ring.begin(), ring.end());
}

int PointInRing(const MapPoint& point, const PointPart& ring) {
  const size_t n = ring.size();
  if (n < 3) return -1;
  bool inside = false;
  for (size_t i = 0, j = n - 1; i < n; j = i++) {
    const MapPoint& a = ring[i];
    const MapPoint& b = ring[j];
    // On the segment a-b: collinear and within its box.
    const double cross = (b.x - a.x) * (point.y - a.y) - (b.y - a.y) * (point.x - a.x);
    if (cross == 0 && point.x >= std::min(a.x, b.x) && point.x <= std::max(a.x, b.x) &&
        point.y >= std::min(a.y, b.y) && point.y <= std::max(a.y, b.y))
      return 0;
    if ((a.y > point.y) != (b.y > point.y)) {
      const double x = a.x + (point.y - a.y) * (b.x - a.x) / (b.y - a.y);
      if (point.x < x) inside = !inside;
    }
  }
  return inside ? 1 : -1;
}

bool RingInsideRing(const PointPart& inner, const PointPart& outer) {
  if (inner.empty() || outer.size() < 3) return false;
  const size_t step = std::max<size_t>(1, inner.size() / kSamples);
  int votes = 0;
  for (size_t i = 0; i < inner.size(); i += step) votes += PointInRing(inner[i], outer);
  return votes > 0;
}

std::vector<PointPart> ArrangeRings(std::vector<PointPart> rings) {
  const size_t n = rings.size();
  std::vector<double> area(n);
  std::vector<Box> box(n);
  for (size_t i = 0; i < n; ++i) {
    area[i] = std::fabs(SignedArea(rings[i]));
    box[i] = BoxOf(rings[i]);
  }
  // The parent of a ring is the smallest ring that contains it; the depth
  // counts every ring that contains it.
  std::vector<ptrdiff_t> parent(n, -1);
  std::vector<size_t> depth(n, 0);
  for (size_t i = 0; i < n; ++i) {
    for (size_t j = 0; j < n; ++j) {
      if (i == j || !(area[j] > area[i]) || !box[j].Contains(box[i])) continue;
      if (!RingInsideRing(rings[i], rings[j])) continue;
      ++depth[i];
      if (parent[i] < 0 || area[j] < area[static_cast<size_t>(parent[i])]) parent[i] = static_cast<ptrdiff_t>(j);
    }
  }
  // A hole whose container is not an outer ring (rings that cross) stays an
  // outer ring of its own rather than being lost.
  std::vector<bool> hole(n, false);
  for (size_t i = 0; i < n; ++i) {
    hole[i] = depth[i] % 2 == 1 && parent[i] >= 0 && depth[static_cast<size_t>(parent[i])] % 2 == 0;
  }
  std::vector<size_t> outers;
  for (size_t i = 0; i < n; ++i) {
    if (!hole[i]) outers.push_back(i);
  }
  // Outer rings keep their order, so the parts of a record come back in the
  // order of the file they were read from; each is followed by its holes, so
  // the first ring is always an outer ring.
  std::vector<PointPart> arranged;
  arranged.reserve(n);
  for (size_t outer : outers) {
    Orient(rings[outer], true);
    arranged.push_back(std::move(rings[outer]));
    for (size_t i = 0; i < n; ++i) {
      if (hole[i] && parent[i] == static_cast<ptrdiff_t>(outer)) {
        Orient(rings[i], false);
        arranged.push_back(std::move(rings[i]));
      }
    }
  }
  return arranged;
}

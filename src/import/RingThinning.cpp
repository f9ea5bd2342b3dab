#include "import/RingThinning.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Distance from p to the segment a-b.
double SegmentDistance(const AIRealPoint& p, const AIRealPoint& a, const AIRealPoint& b) {
  const double dx = double(b.h) - a.h, dy = double(b.v) - a.v;
  const double px = double(p.h) - a.h, py = double(p.v) - a.v;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? (px * dx + py * dy) / length2 : 0;
  t = t < 0 ? 0 : (t > 1 ? 1 : t);
  return std::hypot(px - t * dx, py - t * dy);
}

// Marks the anchors to keep between first and last (both kept) so that no
// anchor left out lies further than tolerance from the kept outline.
void Simplify(const std::vector<AIRealPoint>& ring, size_t first, size_t last, double tolerance,
              std::vector<bool>& keep, double& deviation) {
  std::vector<std::pair<size_t, size_t>> spans{{first, last}};
  while (!spans.empty()) {
    const auto [from, to] = spans.back();
    spans.pop_back();
    double farthest = -1;
    size_t at = from;
    for (size_t i = from + 1; i < to; ++i) {
      const double d = SegmentDistance(ring[i], ring[from], ring[to % ring.size()]);
      if (d > farthest) {
        farthest = d;
        at = i;
      }
    }
    if (farthest <= tolerance) {
      deviation = std::max(deviation, farthest);
      continue;
    }
    keep[at] = true;
    spans.emplace_back(from, at);
    spans.emplace_back(at, to);
  }
}

std::vector<AIRealPoint> Thin(const std::vector<AIRealPoint>& ring, double tolerance, double& deviation) {
  // The ring runs from anchor 0 round to anchor 0 again; the anchor farthest
  // from the first splits it into two halves that are thinned apart.
  const size_t n = ring.size();
  size_t split = 0;
  double farthest = -1;
  for (size_t i = 1; i < n; ++i) {
    const double d = std::hypot(double(ring[i].h) - ring[0].h, double(ring[i].v) - ring[0].v);
    if (d > farthest) {
      farthest = d;
      split = i;
    }
  }
  std::vector<bool> keep(n, false);
  keep[0] = keep[split] = true;
  deviation = 0;
  Simplify(ring, 0, split, tolerance, keep, deviation);
  Simplify(ring, split, n, tolerance, keep, deviation);  // index n stands for anchor 0
  std::vector<AIRealPoint> kept;
  for (size_t i = 0; i < n; ++i) {
    if (keep[i]) kept.push_back(ring[i]);
  }
  return kept;
}

}  // namespace

std::vector<AIRealPoint> ThinClosedRing(const std::vector<AIRealPoint>& ring, size_t maxAnchors, double& tolerance,
                                        double& deviation) {
  tolerance = 0;
  deviation = 0;
  if (ring.size() <= maxAnchors || maxAnchors < 3) return ring;
  for (tolerance = kFirstThinningTolerance;; tolerance *= 2) {
    std::vector<AIRealPoint> kept = Thin(ring, tolerance, deviation);
    if (kept.size() <= maxAnchors) return kept;
  }
}

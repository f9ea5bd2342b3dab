// The artboard points of one path: its anchors as they are, or its curves
// flattened into straight pieces through the host's Bézier service.
#pragma once

#include <cstdint>
#include <vector>

#include "host/AIPathSuite.h"
#include "host/HostTypes.h"

// The most pieces one curved segment is cut into, whatever its length.
inline constexpr int32_t kMaxPiecesPerSegment = 10000;

// Pieces of a curved segment of length L (artboard units) at accuracy k
// (1 rough .. 9 precise; other values are taken as the nearer end): k + 1
// pieces, fewer when they would be shorter than (5 − k) / 20 + 0.3, more
// when they would be longer than 10 − k. Never fewer than one piece, so that
// the segment's end anchor is always kept.
int32_t PieceCount(double length, int32_t accuracy);

class PathPoints {
 public:
  // The segment buffer is allocated once and reused for every path.
  PathPoints();

  // Every anchor in order; the first again at the end when `closeRing` or
  // when the path is closed.
  AIErr Anchors(AIArtHandle path, bool closeRing, std::vector<AIRealPoint>& points);
  // The first anchor, then each segment's end: straight segments as they
  // are, curved ones cut into PieceCount pieces. A closed path includes its
  // closing segment; an open one gets its first point again when `closeRing`.
  AIErr Flatten(AIArtHandle path, int32_t accuracy, bool closeRing, std::vector<AIRealPoint>& points);

 private:
  AIErr FlattenSegment(AIArtHandle path, int16_t segment, int32_t accuracy, std::vector<AIRealPoint>& points) const;

  std::vector<AIPathSegment> buffer;
};

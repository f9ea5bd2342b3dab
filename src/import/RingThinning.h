// Thinning of a closed outline that has more anchors than one path can
// hold: Douglas-Peucker on the artboard, with the smallest tolerance of the
// series 0.01, 0.02, 0.04 ... points that brings it within the limit, so that
// no drawn edge strays further than that from the outline read.
#pragma once

#include <cstddef>
#include <vector>

#include "host/HostTypes.h"

inline constexpr double kFirstThinningTolerance = 0.01;  // points on the artboard

// The ring (first anchor not repeated at the end) with at most maxAnchors
// anchors, the first anchor always kept; tolerance receives the tolerance used
// and deviation the largest distance of an anchor left out from the outline kept.
std::vector<AIRealPoint> ThinClosedRing(const std::vector<AIRealPoint>& ring, size_t maxAnchors, double& tolerance,
                                        double& deviation);

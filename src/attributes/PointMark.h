// The mark an import draws for a point feature, and how a label stands
// beside it: labels of points go beside their mark, labels of lines and
// areas are centred on them.
#pragma once

#include <cstddef>

#include "host/AIPathSuite.h"
#include "host/HostTypes.h"

// The mark: a square this many points on a side, centred on the point,
// stroked this wide and not filled.
inline constexpr AIReal kPointMarkSize = 2.5f;
inline constexpr AIReal kPointMarkStroke = 1.0f;

// New point text is set 12 points high. Its visual middle (the middle of a
// Japanese font's em box, which runs from 0.12 em below the baseline to
// 0.88 em above it) lies this far above the baseline.
inline constexpr AIReal kLabelFontSize = 12.0f;
inline constexpr AIReal kLabelMiddleAboveBaseline = 0.38f * kLabelFontSize;
// Room between a point (or its mark's outer edge) and its label.
inline constexpr AIReal kLabelGap = 2.0f;

// Whether the path's anchors are the point mark's square: four corner
// points, closed, on an axis-parallel square of the mark's size.
bool IsPointMarkOutline(const AIPathSegment* segments, size_t count, bool closed);

// Path geometry: segments, closed flag, area, length and the guide and
// clipping flags.
#pragma once

#include "host/AIRealBezierSuite.h"
#include "host/HostTypes.h"

#define kAIPathSuite "AI Path Suite"
#define kAIPathSuiteVersion 10

// One anchor with its two direction points (28 bytes). The in point shapes
// the curve arriving at the anchor, the out point the curve leaving it; a
// straight segment has both equal to the anchor.
struct AIPathSegment {
  AIRealPoint p;
  AIRealPoint in;
  AIRealPoint out;
  AIBoolean corner = true;
};

// The most segments one path holds.
inline constexpr int16_t kMaxPathSegments = 32000;

struct AIPathSuite {
  AIErr (*GetPathSegmentCount)(AIArtHandle path, int16_t* count);
  // Truncates or extends (new segments repeat the last anchor, or the origin).
  AIErr (*SetPathSegmentCount)(AIArtHandle path, int16_t count);
  // count segments from first (zero-based) into/out of the buffer. Setting
  // segments beyond the end extends the path.
  AIErr (*GetPathSegments)(AIArtHandle path, int16_t first, int16_t count, AIPathSegment* segments);
  AIErr (*SetPathSegments)(AIArtHandle path, int16_t first, int16_t count, const AIPathSegment* segments);
  AIErr (*GetPathClosed)(AIArtHandle path, AIBoolean* closed);
  AIErr (*SetPathClosed)(AIArtHandle path, AIBoolean closed);

  // The curve from anchor n to anchor n + 1 (for the last anchor of a closed
  // path, back to anchor 0).
  AIErr (*GetPathBezier)(AIArtHandle path, int16_t segmentNumber, AIRealBezier* bezier);

  // Signed area of the outline taken as closed, in square points: positive
  // when the path runs clockwise on the page (y up), negative counter-
  // clockwise. For a compound path, the sum over its paths.
  AIErr (*GetPathArea)(AIArtHandle path, AIReal* area);
  // Length of the outline (with the closing segment when closed), measured
  // to within the flatness.
  AIErr (*GetPathLength)(AIArtHandle path, AIReal* length, AIReal flatness);

  AIErr (*GetPathGuide)(AIArtHandle path, AIBoolean* isGuide);
  AIErr (*SetPathGuide)(AIArtHandle path, AIBoolean isGuide);
  // For paths and compound paths.
  AIErr (*GetPathIsClip)(AIArtHandle path, AIBoolean* isClip);
  AIErr (*SetPathIsClip)(AIArtHandle path, AIBoolean isClip);
};

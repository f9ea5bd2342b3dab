// Cubic Bézier curves in page coordinates.
#pragma once

#include "host/HostTypes.h"

#define kAIRealBezierSuite "AI Real Bezier Suite"
#define kAIRealBezierSuiteVersion 3

// From p0 to p3 with the control points p1 (leaving p0) and p2 (entering p3).
struct AIRealBezier {
  AIRealPoint p0, p1, p2, p3;
};

struct AIRealBezierSuite {
  // Arc length, measured to within the flatness (page units).
  AIErr (*Length)(const AIRealBezier* bezier, AIReal flatness, AIReal* length);
  // The point at the curve parameter t (0 at p0, 1 at p3).
  AIErr (*PointAt)(const AIRealBezier* bezier, AIReal t, AIRealPoint* point);
};

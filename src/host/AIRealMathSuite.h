// Comparisons of host reals and points.
#pragma once

#include "host/HostTypes.h"

#define kAIRealMathSuite "AI Real Math Suite"
#define kAIRealMathSuiteVersion 2

struct AIRealMathSuite {
  // |a - b| <= tolerance.
  AIErr (*EqualWithinTol)(AIReal a, AIReal b, AIReal tolerance, AIBoolean* equal);
  // Both coordinates equal within the tolerance.
  AIErr (*AIRealPointClose)(const AIRealPoint* a, const AIRealPoint* b, AIReal tolerance, AIBoolean* close);
};

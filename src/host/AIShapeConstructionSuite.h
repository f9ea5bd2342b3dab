// Ready-made closed shapes. New shapes go on top of the current layer; the
// caller moves them where they belong.
#pragma once

#include "host/HostTypes.h"

#define kAIShapeConstructionSuite "AI Shape Construction Suite"
#define kAIShapeConstructionSuiteVersion 5

struct AIShapeConstructionSuite {
  // A closed rectangle path of the size centred on the point.
  AIErr (*NewCentredRect)(AIRealPoint centre, AIReal width, AIReal height, AIArtHandle* newArt);
  // A closed four-curve ellipse path of the size centred on the point.
  AIErr (*NewCentredOval)(AIRealPoint centre, AIReal width, AIReal height, AIArtHandle* newArt);
};

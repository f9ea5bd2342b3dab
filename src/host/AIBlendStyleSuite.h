// Transparency of art.
#pragma once

#include "host/HostTypes.h"

#define kAIBlendStyleSuite "AI Blend Style Suite"
#define kAIBlendStyleSuiteVersion 4

struct AIBlendStyleSuite {
  // 0 (transparent) to 1 (opaque).
  AIErr (*GetOpacity)(AIArtHandle art, AIReal* opacity);
  AIErr (*SetOpacity)(AIArtHandle art, AIReal opacity);
};

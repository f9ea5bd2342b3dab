// Conversion between host colours and text-engine paints.
#pragma once

#include "host/HostTypes.h"

#define kAIATEPaintSuite "AIATE Paint Suite"
#define kAIATEPaintSuiteVersion 2

struct AIATEPaintSuite {
  // A new paint (released through the ApplicationPaint suite).
  AIErr (*CreateATEApplicationPaint)(const AIColor* color, ATEApplicationPaintRef* paint);
  AIErr (*GetAIColor)(ATEApplicationPaintRef paint, AIColor* color);
};

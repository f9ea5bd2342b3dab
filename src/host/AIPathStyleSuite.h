// Paint of paths and compound paths: fill and stroke.
#pragma once

#include "host/HostTypes.h"

#define kAIPathStyleSuite "AI Path Style Suite"
#define kAIPathStyleSuiteVersion 12

inline constexpr int kMaxDashComponents = 6;

struct AIDashStyle {
  int16_t length = 0;  // 0: solid line
  AIReal offset = 0;
  AIReal array[kMaxDashComponents] = {};
};

struct AIFillStyle {
  AIColor color;
  AIBoolean overprint = false;
};

using AILineCap = int32_t;   // 0 butt, 1 round, 2 projecting
using AILineJoin = int32_t;  // 0 miter, 1 round, 2 bevel

struct AIStrokeStyle {
  AIColor color;
  AIBoolean overprint = false;
  AIReal width = 1;
  AIDashStyle dash;
  AILineCap cap = 0;
  AILineJoin join = 0;
  AIReal miterLimit = 4;
};

struct AIPathStyle {
  AIBoolean fillPaint = false;
  AIBoolean strokePaint = false;
  AIFillStyle fill;
  AIStrokeStyle stroke;
  AIBoolean evenOdd = false;
};

struct AIPathStyleSuite {
  AIErr (*GetPathStyle)(AIArtHandle art, AIPathStyle* style);
  AIErr (*SetPathStyle)(AIArtHandle art, const AIPathStyle* style);
};

// Text frames (art type kTextFrameArt): point texts with an anchor, reached
// through their text range.
#pragma once

#include "host/HostTypes.h"

#define kAITextFrameSuite "AI Text Frame Suite"
#define kAITextFrameSuiteVersion 3

using AITextFrameType = int32_t;
enum : AITextFrameType {
  kPointTextType = 0,
  kInPathTextType = 1,
  kOnPathTextType = 2,
};

using AITextOrientation = int32_t;
enum : AITextOrientation {
  kHorizontalTextOrientation = 0,
  kVerticalTextOrientation = 1,
};

struct AITextFrameSuite {
  // A new, empty point text anchored at the point, placed by the paint order
  // relative to prep (as AIArtSuite NewArt).
  AIErr (*NewPointText)(AIPaintOrder paintOrder, AIArtHandle prep, AITextOrientation orientation,
                        AIRealPoint anchor, AIArtHandle* newText);
  AIErr (*GetType)(AIArtHandle textFrame, AITextFrameType* type);
  AIErr (*GetPointTextAnchor)(AIArtHandle textFrame, AIRealPoint* anchor);
  // The range of the whole text; released through the ATE TextRange suite.
  AIErr (*GetATETextRange)(AIArtHandle textFrame, ATETextRangeRef* range);
};

// Text-engine paints (see AIATEPaintSuite for conversion to host colours).
#pragma once

#include "host/HostTypes.h"

#define kATEApplicationPaintSuite "ATE ApplicationPaint Suite"
#define kATEApplicationPaintSuiteVersion 1

struct ATEApplicationPaintSuite {
  AIErr (*AddRef)(ATEApplicationPaintRef paint);
  AIErr (*Release)(ATEApplicationPaintRef paint);
};

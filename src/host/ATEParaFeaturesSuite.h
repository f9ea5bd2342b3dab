// Paragraph features: a set of optional paragraph attributes. Only the
// justification is used here.
#pragma once

#include "host/HostTypes.h"

#define kATEParaFeaturesSuite "ATE ParaFeatures Suite"
#define kATEParaFeaturesSuiteVersion 101

using ATEParagraphJustification = int32_t;
enum : ATEParagraphJustification {
  kLeftJustify = 0,
  kRightJustify = 1,
  kCenterJustify = 2,
};

struct ATEParaFeaturesSuite {
  // New features with nothing assigned.
  AIErr (*Initialize)(ATEParaFeaturesRef* features);
  AIErr (*AddRef)(ATEParaFeaturesRef features);
  AIErr (*Release)(ATEParaFeaturesRef features);
  AIErr (*GetJustification)(ATEParaFeaturesRef features, AIBoolean* isAssigned,
                            ATEParagraphJustification* justification);
  AIErr (*SetJustification)(ATEParaFeaturesRef features, ATEParagraphJustification justification);
};

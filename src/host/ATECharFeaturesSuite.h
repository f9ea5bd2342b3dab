// Character features: a set of optional character attributes. Only the fill
// colour is used here.
#pragma once

#include "host/HostTypes.h"

#define kATECharFeaturesSuite "ATE CharFeatures Suite"
#define kATECharFeaturesSuiteVersion 101

struct ATECharFeaturesSuite {
  // New features with nothing assigned.
  AIErr (*Initialize)(ATECharFeaturesRef* features);
  AIErr (*AddRef)(ATECharFeaturesRef features);
  AIErr (*Release)(ATECharFeaturesRef features);
  // The fill paint (a counted reference released through the ApplicationPaint
  // suite); isAssigned false and paint null when not assigned.
  AIErr (*GetFillColor)(ATECharFeaturesRef features, AIBoolean* isAssigned, ATEApplicationPaintRef* paint);
  AIErr (*SetFillColor)(ATECharFeaturesRef features, ATEApplicationPaintRef paint);
};

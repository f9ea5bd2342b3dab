// A range of text in a text frame: its characters and their features.
// References are counted and released through Release.
#pragma once

#include "host/HostTypes.h"

#define kATETextRangeSuite "ATE TextRange Suite"
#define kATETextRangeSuiteVersion 1

struct ATETextRangeSuite {
  AIErr (*AddRef)(ATETextRangeRef range);
  AIErr (*Release)(ATETextRangeRef range);
  // Length in UTF-16 code units.
  AIErr (*GetSize)(ATETextRangeRef range, int32_t* size);
  // Copies at most maxLength code units (no terminator); length receives the
  // number copied.
  AIErr (*GetContentsAsUnicode)(ATETextRangeRef range, uint16_t* text, int32_t maxLength, int32_t* length);
  // The same as 8-bit text in the platform's multibyte code page; copies at
  // most maxLength bytes (no terminator, no split characters).
  AIErr (*GetContentsAsChar)(ATETextRangeRef range, char* text, int32_t maxLength, int32_t* length);
  // Replaces the characters of the range.
  AIErr (*SetContentsAsUnicode)(ATETextRangeRef range, const uint16_t* text, int32_t length);

  // Features shared by every character (unassigned where they differ); the
  // caller releases them through the CharFeatures or ParaFeatures suite.
  AIErr (*GetUniqueCharFeatures)(ATETextRangeRef range, ATECharFeaturesRef* features);
  // Applies the assigned features to every character of the range.
  AIErr (*SetLocalCharFeatures)(ATETextRangeRef range, ATECharFeaturesRef features);
  AIErr (*GetUniqueParaFeatures)(ATETextRangeRef range, ATEParaFeaturesRef* features);
  AIErr (*SetLocalParaFeatures)(ATETextRangeRef range, ATEParaFeaturesRef features);
};

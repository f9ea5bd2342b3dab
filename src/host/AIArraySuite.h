// Arrays of entries, stored in dictionaries. Array references are counted:
// every reference the caller receives (Create, Clone, Get...ArrayEntry) is
// released through Release. Changes go straight into the stored array.
// Positions are zero-based; a position outside the array gives
// kIndexOutOfRangeErr, an entry of another kind kWrongEntryTypeErr.
#pragma once

#include "host/AIEntrySuite.h"
#include "host/HostTypes.h"

#define kAIArraySuite "AI Array Suite"
#define kAIArraySuiteVersion 5

struct AIArraySuite {
  AIErr (*CreateArray)(AIArrayRef* array);
  AIErr (*AddRef)(AIArrayRef array);
  AIErr (*Release)(AIArrayRef array);
  // A deep copy: nested arrays and dictionaries are copied too.
  AIErr (*Clone)(AIArrayRef source, AIArrayRef* copy);

  AIErr (*Count)(AIArrayRef array, int32_t* count);
  AIErr (*DeleteEntry)(AIArrayRef array, int32_t index);
  // Inserts before the position (index == count appends).
  AIErr (*InsertEntry)(AIArrayRef array, int32_t index, AIEntryRef entry);
  AIErr (*AppendEntry)(AIArrayRef array, AIEntryRef entry);
  AIErr (*GetEntry)(AIArrayRef array, int32_t index, AIEntryRef* entry);
  AIErr (*SetEntry)(AIArrayRef array, int32_t index, AIEntryRef entry);
  AIErr (*GetEntryType)(AIArrayRef array, int32_t index, AIEntryType* type);

  AIErr (*GetIntegerEntry)(AIArrayRef array, int32_t index, int32_t* value);
  AIErr (*SetIntegerEntry)(AIArrayRef array, int32_t index, int32_t value);
  AIErr (*GetBooleanEntry)(AIArrayRef array, int32_t index, AIBoolean* value);
  AIErr (*SetBooleanEntry)(AIArrayRef array, int32_t index, AIBoolean value);
  AIErr (*GetRealEntry)(AIArrayRef array, int32_t index, AIReal* value);
  AIErr (*SetRealEntry)(AIArrayRef array, int32_t index, AIReal value);
  // A new string that the caller disposes.
  AIErr (*GetUnicodeStringEntry)(AIArrayRef array, int32_t index, AIUnicodeStringRef* value);
  AIErr (*SetUnicodeStringEntry)(AIArrayRef array, int32_t index, AIUnicodeStringRef value);
  // A counted reference to the stored array (not a copy).
  AIErr (*GetArrayEntry)(AIArrayRef array, int32_t index, AIArrayRef* value);
  AIErr (*SetArrayEntry)(AIArrayRef array, int32_t index, AIArrayRef value);
};

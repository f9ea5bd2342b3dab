// Dictionary and array entries: typed values that are stored in dictionaries
// and arrays. Entry references are counted; every entry the caller receives
// is released through Release.
#pragma once

#include "host/HostTypes.h"

#define kAIEntrySuite "AI Entry Suite"
#define kAIEntrySuiteVersion 6

using AIEntryType = int32_t;
enum : AIEntryType {
  kNoEntryType = 0,
  kIntegerEntryType = 1,
  kBooleanEntryType = 2,
  kRealEntryType = 3,
  kUnicodeStringEntryType = 4,
  kArrayEntryType = 5,
  kDictionaryEntryType = 6,
};

struct AIEntrySuite {
  AIErr (*AddRef)(AIEntryRef entry);
  AIErr (*Release)(AIEntryRef entry);
  AIErr (*GetType)(AIEntryRef entry, AIEntryType* type);

  // New entries. Arrays and dictionaries are held by reference: the entry
  // and the array share one object (Clone makes a separate copy).
  AIErr (*FromInteger)(int32_t value, AIEntryRef* entry);
  AIErr (*FromBoolean)(AIBoolean value, AIEntryRef* entry);
  AIErr (*FromReal)(AIReal value, AIEntryRef* entry);
  AIErr (*FromUnicodeString)(AIUnicodeStringRef value, AIEntryRef* entry);
  AIErr (*FromArray)(AIArrayRef value, AIEntryRef* entry);
  AIErr (*FromDictionary)(AIDictionaryRef value, AIEntryRef* entry);

  // Values. A value of another kind gives kWrongEntryTypeErr. Strings are
  // new strings that the caller disposes; arrays and dictionaries are counted
  // references that the caller releases.
  AIErr (*ToInteger)(AIEntryRef entry, int32_t* value);
  AIErr (*ToBoolean)(AIEntryRef entry, AIBoolean* value);
  AIErr (*ToReal)(AIEntryRef entry, AIReal* value);
  AIErr (*ToUnicodeString)(AIEntryRef entry, AIUnicodeStringRef* value);
  AIErr (*ToArray)(AIEntryRef entry, AIArrayRef* value);
  AIErr (*ToDictionary)(AIEntryRef entry, AIDictionaryRef* value);

  // A new entry with a deep copy of the value.
  AIErr (*Clone)(AIEntryRef entry, AIEntryRef* copy);
};

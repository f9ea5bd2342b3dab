// Dictionaries: entries under keys. Art objects carry one (AIArtSuite
// GetDictionary). Dictionary references are counted and released through
// Release. A missing key gives kNoSuchKeyErr, an entry of another kind
// kWrongEntryTypeErr.
#pragma once

#include "host/AIEntrySuite.h"
#include "host/HostTypes.h"

#define kAIDictionarySuite "AI Dictionary Suite"
#define kAIDictionarySuiteVersion 7

struct AIDictionarySuite {
  // The key for a name; the same name always gives the same key.
  AIErr (*Key)(const char* name, AIDictKey* key);
  AIErr (*GetKeyString)(AIDictKey key, const char** name);

  AIErr (*CreateDictionary)(AIDictionaryRef* dictionary);
  AIErr (*AddRef)(AIDictionaryRef dictionary);
  AIErr (*Release)(AIDictionaryRef dictionary);
  // A deep copy.
  AIErr (*Clone)(AIDictionaryRef source, AIDictionaryRef* copy);

  AIErr (*Size)(AIDictionaryRef dictionary, int32_t* count);
  AIErr (*IsKnown)(AIDictionaryRef dictionary, AIDictKey key, AIBoolean* known);
  AIErr (*DeleteEntry)(AIDictionaryRef dictionary, AIDictKey key);
  AIErr (*GetEntryType)(AIDictionaryRef dictionary, AIDictKey key, AIEntryType* type);

  AIErr (*GetEntry)(AIDictionaryRef dictionary, AIDictKey key, AIEntryRef* entry);
  AIErr (*SetEntry)(AIDictionaryRef dictionary, AIDictKey key, AIEntryRef entry);

  AIErr (*GetIntegerEntry)(AIDictionaryRef dictionary, AIDictKey key, int32_t* value);
  AIErr (*SetIntegerEntry)(AIDictionaryRef dictionary, AIDictKey key, int32_t value);
  AIErr (*GetBooleanEntry)(AIDictionaryRef dictionary, AIDictKey key, AIBoolean* value);
  AIErr (*SetBooleanEntry)(AIDictionaryRef dictionary, AIDictKey key, AIBoolean value);
  AIErr (*GetRealEntry)(AIDictionaryRef dictionary, AIDictKey key, AIReal* value);
  AIErr (*SetRealEntry)(AIDictionaryRef dictionary, AIDictKey key, AIReal value);
  // A new string that the caller disposes.
  AIErr (*GetUnicodeStringEntry)(AIDictionaryRef dictionary, AIDictKey key, AIUnicodeStringRef* value);
  AIErr (*SetUnicodeStringEntry)(AIDictionaryRef dictionary, AIDictKey key, AIUnicodeStringRef value);
  // A counted reference to the stored array (not a copy).
  AIErr (*GetArrayEntry)(AIDictionaryRef dictionary, AIDictKey key, AIArrayRef* value);
  AIErr (*SetArrayEntry)(AIDictionaryRef dictionary, AIDictKey key, AIArrayRef value);
  AIErr (*GetDictEntry)(AIDictionaryRef dictionary, AIDictKey key, AIDictionaryRef* value);
  AIErr (*SetDictEntry)(AIDictionaryRef dictionary, AIDictKey key, AIDictionaryRef value);
};

// The host's preference store: typed values under a prefix and a key. A
// missing (or differently typed) preference gives kNoSuchKeyErr and leaves
// the out-value untouched.
#pragma once

#include "host/HostTypes.h"

#define kAIPreferenceSuite "AI Preference Suite"
#define kAIPreferenceSuiteVersion 5

struct AIPreferenceSuite {
  AIErr (*GetBooleanPreference)(const char* prefix, const char* key, AIBoolean* value);
  AIErr (*PutBooleanPreference)(const char* prefix, const char* key, AIBoolean value);
  AIErr (*GetIntegerPreference)(const char* prefix, const char* key, int32_t* value);
  AIErr (*PutIntegerPreference)(const char* prefix, const char* key, int32_t value);
  AIErr (*GetRealPreference)(const char* prefix, const char* key, double* value);
  AIErr (*PutRealPreference)(const char* prefix, const char* key, double value);
  // A new path that the caller disposes.
  AIErr (*GetFilePathPreference)(const char* prefix, const char* key, AIFilePathRef* value);
  AIErr (*PutFilePathPreference)(const char* prefix, const char* key, AIFilePathRef value);
  AIErr (*RemovePreference)(const char* prefix, const char* key);
};

// Tags: named values that older documents keep on art objects.
#pragma once

#include "host/HostTypes.h"

#define kAITagSuite "AI Tag Suite"
#define kAITagSuiteVersion 3

// Tag types.
#define kTagString "string"
#define kTagBoolean "boolean"
#define kTagReal "real"

struct AITagSuite {
  AIErr (*CountTags)(AIArtHandle art, int32_t* count);
  // The name of the n-th tag (zero-based, in the order the tags were set);
  // valid while the tag exists.
  AIErr (*GetNthTagName)(AIArtHandle art, int32_t index, const char** name);
  // kTagString, kTagBoolean or kTagReal; kNoSuchKeyErr when there is no such tag.
  AIErr (*GetTagType)(AIArtHandle art, const char* name, const char** type);
  // The 8-bit text of a string tag; valid while the tag is unchanged.
  AIErr (*GetTagString)(AIArtHandle art, const char* name, const char** value);
  AIErr (*SetTagString)(AIArtHandle art, const char* name, const char* value);
  AIErr (*GetTagReal)(AIArtHandle art, const char* name, AIReal* value);
  AIErr (*SetTagReal)(AIArtHandle art, const char* name, AIReal value);
  AIErr (*GetTagBoolean)(AIArtHandle art, const char* name, AIBoolean* value);
  AIErr (*SetTagBoolean)(AIArtHandle art, const char* name, AIBoolean value);
  AIErr (*DeleteTag)(AIArtHandle art, const char* name);
};

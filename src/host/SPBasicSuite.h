// The basic suite broker through which every other suite is acquired.
#pragma once

#include "host/HostTypes.h"

#define kSPBasicSuite "SP Basic Suite"
#define kSPBasicSuiteVersion 4

struct SPBasicSuite {
  AIErr (*AcquireSuite)(const char* name, int32_t version, const void** suite);
  AIErr (*ReleaseSuite)(const char* name, int32_t version);
  // Non-zero when the two C strings are equal.
  int32_t (*IsEqual)(const char* token1, const char* token2);
};

// Web pages in the user's browser.
#pragma once

#include "host/HostTypes.h"

#define kAIURLSuite "AI URL Suite"
#define kAIURLSuiteVersion 2

struct AIURLSuite {
  AIErr (*OpenURL)(const char* url);
};

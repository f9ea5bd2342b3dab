// Colours of the host's user interface, which follow its brightness setting.
#pragma once

#include "host/HostTypes.h"

#define kAIUserInterfaceThemeSuite "AI User Interface Theme Suite"
#define kAIUserInterfaceThemeSuiteVersion 1

// A colour as four components, each 0..1.
struct AIUIThemeColor {
  AIReal alpha = 1;
  AIReal red = 0;
  AIReal green = 0;
  AIReal blue = 0;
};

struct AIUserInterfaceThemeSuite {
  // The colour colorKind of the user-interface area uiArea; kBadParameterErr
  // for an area or kind the host does not know.
  AIErr (*GetUIThemeColor)(int32_t uiArea, int32_t colorKind, AIUIThemeColor* color);
};

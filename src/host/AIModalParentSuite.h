// The window that host alerts are modal to, for alerts shown while a
// plug-in dialog is open.
#pragma once

#include "host/HostTypes.h"

#define kAIModalParentSuite "AI Modal Parent Suite"
#define kAIModalParentSuiteVersion 1

struct AIModalParentSuite {
  // Makes the window the modal parent; previous receives the one before.
  AIErr (*SetModalParent)(AIWindowRef window, AIWindowRef* previous);
  // Puts back the parent that SetModalParent reported.
  AIErr (*RestoreModalParent)(AIWindowRef previous);
};

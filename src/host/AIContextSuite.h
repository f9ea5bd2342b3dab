// The application context in which a plug-in talks to the host, and the
// host's main window.
#pragma once

#include "host/HostTypes.h"

#define kAIContextSuite "AI Context Suite"
#define kAIContextSuiteVersion 6

struct AIContextSuite {
  // Enters the plug-in's application context; contexts nest and each push is
  // popped with the handle it gave, in reverse order.
  AIErr (*PushAppContext)(SPPluginRef plugin, AIAppContextHandle* context);
  AIErr (*PopAppContext)(AIAppContextHandle context);
  AIErr (*GetPlatformAppWindow)(AIWindowRef* window);
};

// Enters the host's application context for the plug-in for the life of the
// object. Entry points the host calls directly (panel and flyout callbacks,
// window procedures) open one before they use any other suite.
#pragma once

#include "host/HostTypes.h"

namespace ai {

class AppContextScope {
 public:
  explicit AppContextScope(SPPluginRef plugin);
  ~AppContextScope();
  AppContextScope(const AppContextScope&) = delete;
  AppContextScope& operator=(const AppContextScope&) = delete;

  // The host's result of entering; 0 when the context is held.
  AIErr Result() const { return result; }

 private:
  AIAppContextHandle context = nullptr;
  AIErr result = kNoErr;
  bool entered = false;
};

}  // namespace ai

using ai::AppContextScope;

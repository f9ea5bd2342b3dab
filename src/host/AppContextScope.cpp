#include "host/AppContextScope.h"

#include "host/AIContextSuite.h"
#include "host/SuitePointers.h"

namespace ai {

AppContextScope::AppContextScope(SPPluginRef plugin) {
  if (!sAIContext) {
    result = kSPSuiteNotFoundError;
    return;
  }
  result = sAIContext->PushAppContext(plugin, &context);
  entered = result == kNoErr;
}

AppContextScope::~AppContextScope() {
  if (entered && sAIContext) sAIContext->PopAppContext(context);
}

}  // namespace ai

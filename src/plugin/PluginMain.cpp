// The plug-in's one exported entry point: every host message arrives here.
#include <cstring>

#include "host/HostTypes.h"
#include "host/PluginCallers.h"
#include "host/PluginMessages.h"
#include "host/SuitePointers.h"
#include "plugin/ErrorReport.h"
#include "plugin/Plugin.h"

namespace {

bool Same(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

AIErr Startup(SPMessageData* header, void* message) {
  Plugin* plugin = CreatePlugin(header->self);
  if (!plugin) {
    DefaultErrorReport(kOutOfMemoryErr);
    return kOutOfMemoryErr;
  }
  header->globals = plugin;
  const AIErr error = plugin->OnStartup(static_cast<SPInterfaceMessage*>(message));
  if (!error) return kNoErr;
  delete plugin;
  header->globals = nullptr;
  DefaultErrorReport(error);
  return error;
}

AIErr Shutdown(Plugin* plugin, SPMessageData* header, void* message) {
  const AIErr error = plugin->OnShutdown(static_cast<SPInterfaceMessage*>(message));
  delete plugin;
  header->globals = nullptr;
  if (error) DefaultErrorReport(error);
  return error;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) AIErr PluginMain(const char* caller, const char* selector,
                                                                    void* message) {
  if (!caller || !selector || !message) return kBadParameterErr;
  auto* header = static_cast<SPMessageData*>(message);
  auto* plugin = static_cast<Plugin*>(header->globals);
  sSPBasic = header->basic;

  const bool isInterface = Same(caller, kSPInterfaceCaller);
  // A second start-up while the object lives is routed like any other
  // message (and answered with 0) instead of building a second object.
  if (isInterface && Same(selector, kSPInterfaceStartupSelector) && !plugin) return Startup(header, message);
  if (isInterface && Same(selector, kSPInterfaceShutdownSelector))
    return plugin ? Shutdown(plugin, header, message) : kNoErr;
  if (!plugin) return kNoErr;

  AIErr result = kNoErr;
  if (Same(caller, kSPAccessCaller) && Same(selector, kSPAccessReloadSelector)) {
    RebindPlugin(plugin);
    result = plugin->OnReload(static_cast<SPInterfaceMessage*>(message));
  } else if (!plugin->HoldsSuites()) {
    return kNoErr;
  } else {
    result = plugin->Dispatch(caller, selector, message);
  }
  if (result == kUnhandledMsgErr) return kNoErr;
  if (result) plugin->ReportError(result, caller, selector, message);
  return result;
}

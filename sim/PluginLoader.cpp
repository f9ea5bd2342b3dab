#include "sim/PluginLoader.h"

#include <dlfcn.h>

#include <filesystem>

#include "host/PluginCallers.h"
#include "sim/Host.h"
#include "sim/PluginRegistry.h"
#include "sim/SuiteBroker.h"

namespace sim {

PluginLoader::PluginLoader(SuiteBroker& broker, PluginRegistry& registry) : broker(broker), registry(registry) {}

PluginLoader::~PluginLoader() {
  if (entry && global) Shutdown();
  if (ref) registry.Disconnect(ref);
  if (library) dlclose(library);
}

bool PluginLoader::Load(const std::string& libraryPath) {
  if (library) {
    loadError = "a plug-in is already loaded";
    return false;
  }
  // A bare file name is looked up along the library search path, as dlopen does.
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(libraryPath, error);
  const bool bare = libraryPath.find('/') == std::string::npos;
  path = bare || error ? libraryPath : absolute.lexically_normal().string();
  library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    const char* reason = dlerror();
    loadError = reason ? reason : "cannot open " + path;
    return false;
  }
  entry = reinterpret_cast<PluginEntry>(dlsym(library, "PluginMain"));
  if (!entry) {
    loadError = "no PluginMain in " + path;
    dlclose(library);
    library = nullptr;
    return false;
  }
  ref = registry.AddPlugin(path);
  registry.Connect(ref, [this](const char* type, AINotifierHandle notifier) { return Notify(type, notifier); });
  return true;
}

AIErr PluginLoader::Send(const char* caller, const char* selector, SPMessageData& header) {
  if (!entry) return kBadParameterErr;
  header.SPCheck = kSPValidSPMessageData;
  header.self = ref;
  header.globals = global;
  header.basic = broker.Basic();
  const bool outermost = depth == 0;
  if (outermost) registry.Idle();
  // The global slot is read after the idle time, whose deliveries may change it.
  header.globals = global;
  ++depth;
  const AIErr result = entry(caller, selector, &header);
  --depth;
  global = header.globals;
  log.push_back({caller, selector, result});
  if (outermost) {
    registry.Idle();
    if (Host* host = Host::Current()) host->SweepOpenedRows();
  }
  return result;
}

AIErr PluginLoader::Send(const char* caller, const char* selector) {
  SPInterfaceMessage message;
  return Send(caller, selector, message.d);
}

AIErr PluginLoader::Startup() { return Send(kSPInterfaceCaller, kSPInterfaceStartupSelector); }

AIErr PluginLoader::Shutdown() { return Send(kSPInterfaceCaller, kSPInterfaceShutdownSelector); }

AIErr PluginLoader::Unload() { return Send(kSPAccessCaller, kSPAccessUnloadSelector); }

AIErr PluginLoader::Reload() { return Send(kSPAccessCaller, kSPAccessReloadSelector); }

AIErr PluginLoader::About() { return Send(kSPInterfaceCaller, kSPInterfaceAboutSelector); }

AIErr PluginLoader::Notify(const char* type, AINotifierHandle notifier) {
  AINotifierMessage message;
  message.notifier = notifier;
  message.type = type;
  return Send(kCallerAINotify, kSelectorAINotify, message.d);
}

AIErr PluginLoader::Broadcast(const char* type) {
  AIErr first = kNoErr;
  for (AINotifierHandle notifier : registry.NotifiersFor(type)) {
    if (notifier->plugin != ref) continue;
    const AIErr result = Notify(type, notifier);
    if (!first) first = result;
  }
  return first;
}

AIErr PluginLoader::MenuGo(AIMenuItemHandle item) {
  AIMenuMessage message;
  message.menuItem = item;
  return Send(kCallerAIMenu, kSelectorAIGoMenuItem, message.d);
}

AIErr PluginLoader::MenuUpdate(AIMenuItemHandle item) {
  AIMenuMessage message;
  message.menuItem = item;
  return Send(kCallerAIMenu, kSelectorAIUpdateMenuItem, message.d);
}

}  // namespace sim

// The host's plug-in registry.
#pragma once

#include "host/HostTypes.h"

#define kSPPluginsSuite "SP Plug-ins Suite"
#define kSPPluginsSuiteVersion 4

struct SPPluginsSuite {
  AIErr (*SetPluginName)(SPPluginRef plugin, const char* name);
  // The registered name; valid while the plug-in is loaded.
  AIErr (*GetPluginName)(SPPluginRef plugin, const char** name);
  // The plug-in's library file as a new host file path, owned by the caller.
  AIErr (*GetPluginFilePath)(SPPluginRef plugin, AIFilePathRef* path);
};

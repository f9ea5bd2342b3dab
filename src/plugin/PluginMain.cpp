// The plug-in's one exported entry point.
#include "host/HostTypes.h"

extern "C" __attribute__((visibility("default"))) AIErr PluginMain(const char* caller, const char* selector,
                                                                    void* message) {
  return kNoErr;
}

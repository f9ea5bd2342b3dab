// The host's load lock: while a plug-in holds an access reference to itself
// the host keeps its library loaded.
#pragma once

#include "host/HostTypes.h"

#define kSPAccessSuite "SP Access Suite"
#define kSPAccessSuiteVersion 3

struct SPAccessSuite {
  AIErr (*AcquirePlugin)(SPPluginRef plugin, SPAccessRef* access);
  AIErr (*ReleasePlugin)(SPAccessRef access);
};

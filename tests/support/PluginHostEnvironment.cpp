#include "support/PluginHostEnvironment.h"

#include "host/SuitePointers.h"
#include "sim/HostSuites.h"
#include "sim/StringSuites.h"

namespace kztest {

PluginHostEnvironment::PluginHostEnvironment() {
  sSPBasic = broker.Basic();
  sAIUnicodeString = sim::UnicodeStringSuite();
  sAIFilePath = sim::FilePathSuite();
  sAIContext = sim::ContextSuite();
}

PluginHostEnvironment::~PluginHostEnvironment() {
  sAIUnicodeString = nullptr;
  sAIFilePath = nullptr;
  sAIContext = nullptr;
  sSPBasic = nullptr;
}

void LoadedPluginTest::SetUp() { ASSERT_TRUE(loader.Load(KZ_PLUGIN_FILE)) << loader.LoadError(); }

}  // namespace kztest

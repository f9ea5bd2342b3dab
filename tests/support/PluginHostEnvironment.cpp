#include "support/PluginHostEnvironment.h"

#include "host/AIFilePathSuite.h"
#include "host/AIUnicodeStringSuite.h"
#include "host/SuitePointers.h"
#include "sim/PlaceholderSuites.h"
#include "sim/StringSuites.h"

namespace kztest {

PluginHostEnvironment::PluginHostEnvironment() {
  broker.Register(kAIUnicodeStringSuite, kAIUnicodeStringSuiteVersion, sim::UnicodeStringSuite());
  broker.Register(kAIFilePathSuite, kAIFilePathSuiteVersion, sim::FilePathSuite());
  registry.RegisterSuites(broker);
  sim::RegisterPlaceholderSuites(broker);
  sSPBasic = broker.Basic();
  sAIUnicodeString = sim::UnicodeStringSuite();
  sAIFilePath = sim::FilePathSuite();
}

PluginHostEnvironment::~PluginHostEnvironment() {
  sAIUnicodeString = nullptr;
  sAIFilePath = nullptr;
  sSPBasic = nullptr;
}

void LoadedPluginTest::SetUp() { ASSERT_TRUE(loader.Load(KZ_PLUGIN_FILE)) << loader.LoadError(); }

}  // namespace kztest

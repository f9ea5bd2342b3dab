// A headless host for the plug-in's own tests: the suite broker with every
// suite of the host suite table, the plug-in registry with its four suites,
// and the loader that opens the plug-in library. While it lives, this test
// program's own suite pointers talk to the same broker, so plug-in classes
// linked directly can run beside the loaded library.
#pragma once

#include <gtest/gtest.h>

#include "sim/PluginLoader.h"
#include "sim/PluginRegistry.h"
#include "sim/SuiteBroker.h"

namespace kztest {

class PluginHostEnvironment {
 public:
  PluginHostEnvironment();
  ~PluginHostEnvironment();

  sim::SuiteBroker broker;
  sim::PluginRegistry registry;
  sim::PluginLoader loader{broker, registry};
};

// A fixture whose loader has opened the plug-in library (not started yet).
class LoadedPluginTest : public ::testing::Test {
 protected:
  void SetUp() override;

  PluginHostEnvironment host;
  sim::SuiteBroker& broker = host.broker;
  sim::PluginRegistry& registry = host.registry;
  sim::PluginLoader& loader = host.loader;
};

}  // namespace kztest

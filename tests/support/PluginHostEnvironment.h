// A headless host for the plug-in's own tests: sim::Host with every suite of
// the host suite table, and the loader that opens the plug-in library. While
// it lives, this test program's own basic-suite pointer talks to the same
// broker, so plug-in classes linked directly can run beside the loaded
// library; its suite pointers are filled only by what such a class acquires
// (and by strings, paths and the application context), so that the broker's
// counts show exactly what the plug-in holds.
#pragma once

#include <gtest/gtest.h>

#include "sim/Host.h"
#include "sim/PluginLoader.h"
#include "sim/PluginRegistry.h"
#include "sim/SuiteBroker.h"

namespace kztest {

class PluginHostEnvironment {
 public:
  PluginHostEnvironment();
  ~PluginHostEnvironment();

  PluginHostEnvironment(const PluginHostEnvironment&) = delete;
  PluginHostEnvironment& operator=(const PluginHostEnvironment&) = delete;

  sim::Host host;
  sim::SuiteBroker& broker = host.Broker();
  sim::PluginRegistry& registry = host.Plugins();
  sim::PluginLoader loader{broker, registry};
};

// A fixture whose loader has opened the plug-in library (not started yet).
class LoadedPluginTest : public ::testing::Test {
 protected:
  void SetUp() override;

  PluginHostEnvironment environment;
  sim::Host& host = environment.host;
  sim::SuiteBroker& broker = environment.broker;
  sim::PluginRegistry& registry = environment.registry;
  sim::PluginLoader& loader = environment.loader;
};

}  // namespace kztest

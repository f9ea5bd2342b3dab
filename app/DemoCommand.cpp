// kzmap demo: loads the plug-in library into the headless host, starts it,
// sends it a few of the host's messages, shuts it down, and tells what the
// plug-in did.
#include <CLI/CLI.hpp>

#include <cctype>
#include <memory>
#include <cstdio>
#include <string>

#include "app/Command.h"
#include "app/Translate.h"
#include "host/AINotifierSuite.h"
#include "host/PluginCallers.h"
#include "host/SuitePointers.h"
#include "sim/Host.h"
#include "sim/PluginLoader.h"

namespace {

// A result as the host's people read it: four characters when it spells them.
std::string CodeText(AIErr code) {
  if (code == kNoErr) return "0";
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const unsigned char c = static_cast<unsigned char>(static_cast<uint32_t>(code) >> shift);
    if (!std::isprint(c)) return std::to_string(code);
    text += static_cast<char>(c);
  }
  return "'" + text + "'";
}

int HeldSuites(const sim::SuiteBroker& broker) {
  int held = 0;
#define KZ_COUNT_HELD(Id, Name, Version) held += broker.HeldCount(Name) > 0;
  KZ_HOST_SUITES(KZ_COUNT_HELD)
#undef KZ_COUNT_HELD
  return held;
}

void Step(const char* what, AIErr result) { std::printf("%-38s %s\n", what, CodeText(result).c_str()); }

int RunDemo(const std::string& pluginFile) {

  sim::Host host;
  sim::SuiteBroker& broker = host.Broker();
  sim::PluginRegistry& registry = host.Plugins();
  sim::PluginLoader loader(broker, registry);

  std::printf("Plug-in library: %s\n", pluginFile.c_str());
  if (!loader.Load(pluginFile)) {
    std::fprintf(stderr, "kzmap demo: %s\n", loader.LoadError().c_str());
    return 1;
  }
  const int tableSize = kBaseSuiteCount + kPluginSuiteCount;

  const AIErr started = loader.Startup();
  Step("Start-up", started);
  if (started) return 1;
  std::printf("  suites held:           %d of %d\n", HeldSuites(broker), tableSize);
  std::printf("  registered name:       %s\n", registry.PluginName(loader.Ref()).c_str());
  for (const AINotifierHandleOpaque* notifier : registry.Notifiers())
    std::printf("  notifier:              \"%s\" for \"%s\"\n", notifier->name.c_str(), notifier->type.c_str());
  std::printf("  host access locks:     %d\n", registry.AccessLockCount(loader.Ref()));

  Step("About", loader.About());
  Step("Application started notification", loader.Broadcast(kAIApplicationStartedNotifier));
  Step("Document changed notification", loader.Notify(kAIDocumentChangedNotifier));
  std::printf("  application contexts entered: %lld\n", static_cast<long long>(host.UI().contextEntries));
  Step("Menu update (no item)", loader.MenuUpdate(nullptr));
  Step("Cache purge", loader.Send(kSPCacheCaller, kSPPluginPurgeCachesSelector));
  Step("Unknown caller", loader.Send("Unknown Caller", "Unknown Selector"));

  Step("Unload", loader.Unload());
  std::printf("  suites held:           %d of %d\n", HeldSuites(broker), tableSize);
  Step("Reload", loader.Reload());
  std::printf("  suites held:           %d of %d\n", HeldSuites(broker), tableSize);

  const AIErr stopped = loader.Shutdown();
  Step("Shut-down", stopped);
  std::printf("  suites held:           %d of %d\n", HeldSuites(broker), tableSize);
  std::printf("  plug-in object:        %s\n", loader.Global() ? "still there" : "destroyed");
  std::printf("  messages sent:         %zu, suite acquisitions: %d\n", loader.Log().size(),
              broker.TotalAcquisitions());
  return stopped == kNoErr && broker.TotalHeld() == 0 ? 0 : 1;
}

const kzmap::CommandRegistration registration({
    "demo",
    "[--plugin PATH]",
    kzmap::TrLater("load the plug-in into the headless host and show what it does"),
    [](CLI::App& app) -> kzmap::CommandRun {
      auto pluginFile = std::make_shared<std::string>(kzmap::PluginFile());
      app.add_option("--plugin", *pluginFile, kzmap::Tr("the plug-in library to load"))
          ->type_name("PATH")
          ->capture_default_str();
      return [pluginFile] { return RunDemo(*pluginFile); };
    },
    "kzmap demo",
});

}  // namespace

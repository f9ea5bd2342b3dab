#include "app/ToolHost.h"

#include "app/Command.h"
#include "host/SuitePointers.h"

namespace kzmap {

namespace {

// Acquires the suite as the plug-in's suite set does; one the host lacks stays null.
template <typename Suite>
void Fill(sim::SuiteBroker& broker, const HostSuiteInfo& info, const Suite*& slot) {
  const void* suite = nullptr;
  slot = broker.Acquire(info.name, info.version, &suite) == kNoErr ? static_cast<const Suite*>(suite) : nullptr;
}

}  // namespace

ToolHost::ToolHost() {
  sSPBasic = host.Basic();
#define KZ_FILL(Id, Name, Version) Fill(host.Broker(), k##Id##SuiteInfo, s##Id);
  KZ_HOST_SUITES(KZ_FILL)
#undef KZ_FILL
  plugin = host.Plugins().AddPlugin(PluginFile());
}

ToolHost::~ToolHost() {
#define KZ_CLEAR(Id, Name, Version) s##Id = nullptr;
  KZ_HOST_SUITES(KZ_CLEAR)
#undef KZ_CLEAR
  sSPBasic = nullptr;
}

std::string ToolHost::LastAlert() {
  const auto& alerts = host.User().alerts;
  return alerts.empty() ? std::string() : alerts.back().text;
}

}  // namespace kzmap

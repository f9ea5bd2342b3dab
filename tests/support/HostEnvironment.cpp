#include "support/HostEnvironment.h"

#include "host/SuitePointers.h"

namespace kztest {

namespace {

// Acquires the suite from the stand-in broker as the plug-in's suite set
// does; a suite the broker lacks stays null so the test that needs it fails.
template <typename Suite>
void Fill(sim::SuiteBroker& broker, const HostSuiteInfo& info, const Suite*& slot) {
  const void* suite = nullptr;
  slot = broker.Acquire(info.name, info.version, &suite) == kNoErr ? static_cast<const Suite*>(suite) : nullptr;
}

}  // namespace

HostEnvironment::HostEnvironment() {
  sSPBasic = host.Basic();
#define KZ_FILL(Id, Name, Version) Fill(host.Broker(), k##Id##SuiteInfo, s##Id);
  KZ_HOST_SUITES(KZ_FILL)
#undef KZ_FILL
}

HostEnvironment::~HostEnvironment() {
#define KZ_CLEAR(Id, Name, Version) s##Id = nullptr;
  KZ_HOST_SUITES(KZ_CLEAR)
#undef KZ_CLEAR
  sSPBasic = nullptr;
}

}  // namespace kztest

#include "sim/PlaceholderSuites.h"

#include "host/SuitePointers.h"
#include "sim/SuiteBroker.h"

namespace sim {

namespace {

// Large enough for any suite's table of operations; every entry is null.
void (*const placeholder[256])() = {};

}  // namespace

void RegisterPlaceholderSuites(SuiteBroker& broker) {
#define KZ_REGISTER_PLACEHOLDER(Id, Name, Version) \
  if (!broker.Has(Name, Version)) broker.Register(Name, Version, placeholder);
  KZ_HOST_SUITES(KZ_REGISTER_PLACEHOLDER)
#undef KZ_REGISTER_PLACEHOLDER
}

}  // namespace sim

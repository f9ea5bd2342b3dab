#include "support/HostEnvironment.h"

#include "host/AIFilePathSuite.h"
#include "host/AIUnicodeStringSuite.h"
#include "host/SuitePointers.h"
#include "sim/StringSuites.h"

namespace kztest {

HostEnvironment::HostEnvironment() {
  broker.Register(kAIUnicodeStringSuite, kAIUnicodeStringSuiteVersion, sim::UnicodeStringSuite());
  broker.Register(kAIFilePathSuite, kAIFilePathSuiteVersion, sim::FilePathSuite());
  sSPBasic = broker.Basic();
  sAIUnicodeString = sim::UnicodeStringSuite();
  sAIFilePath = sim::FilePathSuite();
}

HostEnvironment::~HostEnvironment() {
  sAIUnicodeString = nullptr;
  sAIFilePath = nullptr;
  sSPBasic = nullptr;
}

}  // namespace kztest

// Georeference tests run in the headless host with one open document.
#pragma once

#include "support/HostEnvironment.h"

namespace kztest {

class GeorefHostTest : public HostTest {
 protected:
  GeorefHostTest() { Sim().NewDocument(); }
  sim::Host& Sim() { return host.Host(); }
};

}  // namespace kztest

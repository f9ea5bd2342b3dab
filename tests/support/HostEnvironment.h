// A stand-in host for tests that link the system's folders directly: a
// sim::Host with every suite, and the system's suite pointers filled from it
// for the life of the object.
#pragma once

#include <gtest/gtest.h>

#include "sim/Host.h"

namespace kztest {

class HostEnvironment {
 public:
  HostEnvironment();
  ~HostEnvironment();
  HostEnvironment(const HostEnvironment&) = delete;
  HostEnvironment& operator=(const HostEnvironment&) = delete;

  sim::Host& Host() { return host; }
  sim::SuiteBroker& Broker() { return host.Broker(); }

 private:
  sim::Host host;
};

// Base fixture for tests that need the host: strings, paths, documents.
class HostTest : public ::testing::Test {
 protected:
  HostEnvironment host;
};

}  // namespace kztest

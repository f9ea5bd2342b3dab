// A stand-in host for tests that link the system's folders directly: the
// suite broker with the stand-in suites, and the system's suite pointers
// filled from it for the life of the object.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "sim/SuiteBroker.h"

namespace kztest {

class HostEnvironment {
 public:
  HostEnvironment();
  ~HostEnvironment();
  sim::SuiteBroker& Broker() { return broker; }

 private:
  sim::SuiteBroker broker;
};

// Base fixture for tests that need host strings and paths.
class HostTest : public ::testing::Test {
 protected:
  HostEnvironment host;
};

}  // namespace kztest

// What the two Shapefile commands share: host strings for the system's
// classes, encoding names, and a plain explanation of why a triple did not open.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "sim/SuiteBroker.h"

namespace kzmap {

// The stand-in Unicode String and File Path suites, for the life of the object.
class StringHost {
 public:
  StringHost();
  ~StringHost();
  StringHost(const StringHost&) = delete;
  StringHost& operator=(const StringHost&) = delete;

 private:
  sim::SuiteBroker broker;
};

// "sjis" is 17, "utf8" is 1.
std::optional<int32_t> EncodingCodeOf(const std::string& name);

// Why CShapeFileReader could not open the triple at shpPath.
std::string WhyNotOpened(const std::string& shpPath);

}  // namespace kzmap

// The stand-in host's basic suite broker: hands out suites by name and
// version, counts acquisitions, and lets a test make a suite unavailable.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>

#include "host/SPBasicSuite.h"

namespace sim {

class SuiteBroker {
 public:
  SuiteBroker();
  ~SuiteBroker();
  SuiteBroker(const SuiteBroker&) = delete;
  SuiteBroker& operator=(const SuiteBroker&) = delete;

  // The broker that the C entry points of the basic suite talk to.
  static SuiteBroker* Current();

  void Register(const std::string& name, int32_t version, const void* suite);
  bool Has(const std::string& name, int32_t version) const { return suites.count({name, version}) > 0; }
  // Acquisition of this suite fails with kSPSuiteNotFoundError from now on.
  void MakeUnavailable(const std::string& name) { unavailable.insert(name); }
  void MakeAvailable(const std::string& name) { unavailable.erase(name); }

  const SPBasicSuite* Basic() const;
  AIErr Acquire(const char* name, int32_t version, const void** suite);
  AIErr Release(const char* name, int32_t version);

  // Acquisitions not yet released, by suite name.
  int HeldCount(const std::string& name) const;
  int TotalHeld() const;
  int TotalAcquisitions() const { return acquisitions; }

 private:
  std::map<std::pair<std::string, int32_t>, const void*> suites;
  std::map<std::string, int> held;
  std::set<std::string> unavailable;
  int acquisitions = 0;
  SuiteBroker* previous = nullptr;
};

}  // namespace sim

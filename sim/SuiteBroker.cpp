#include "sim/SuiteBroker.h"

#include <cstring>

namespace sim {

namespace {

SuiteBroker* current = nullptr;

AIErr AcquireSuite(const char* name, int32_t version, const void** suite) {
  if (!current) return kSPSuiteNotFoundError;
  return current->Acquire(name, version, suite);
}

AIErr ReleaseSuite(const char* name, int32_t version) {
  if (!current) return kSPSuiteNotFoundError;
  return current->Release(name, version);
}

int32_t IsEqual(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

const SPBasicSuite basicSuite = {AcquireSuite, ReleaseSuite, IsEqual};

}  // namespace

SuiteBroker::SuiteBroker() : previous(current) { current = this; }

SuiteBroker::~SuiteBroker() { current = previous; }

SuiteBroker* SuiteBroker::Current() { return current; }

void SuiteBroker::Register(const std::string& name, int32_t version, const void* suite) {
  suites[{name, version}] = suite;
}

const SPBasicSuite* SuiteBroker::Basic() const { return &basicSuite; }

AIErr SuiteBroker::Acquire(const char* name, int32_t version, const void** suite) {
  if (!name || !suite) return kBadParameterErr;
  *suite = nullptr;
  if (unavailable.count(name)) return kSPSuiteNotFoundError;
  auto found = suites.find({name, version});
  if (found == suites.end()) return kSPSuiteNotFoundError;
  *suite = found->second;
  ++held[name];
  ++acquisitions;
  return kNoErr;
}

AIErr SuiteBroker::Release(const char* name, int32_t version) {
  if (!name) return kBadParameterErr;
  auto found = held.find(name);
  if (found == held.end() || found->second == 0) return kSPSuiteNotFoundError;
  --found->second;
  return kNoErr;
}

int SuiteBroker::HeldCount(const std::string& name) const {
  auto found = held.find(name);
  return found == held.end() ? 0 : found->second;
}

int SuiteBroker::TotalHeld() const {
  int total = 0;
  for (const auto& entry : held) total += entry.second;
  return total;
}

}  // namespace sim

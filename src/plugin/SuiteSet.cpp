#include "plugin/SuiteSet.h"

#include <iterator>

#include "host/SuitePointers.h"

namespace {

uint16_t acquisitionCount = 0;

#define KZ_SUITE_ENTRY(Id, Name, Version)                                        \
  SuiteEntry{Name, Version, [](const void* suite) { s##Id = static_cast<const Id##Suite*>(suite); }, \
             [] { return s##Id != nullptr; }},
const SuiteEntry suiteTable[] = {KZ_HOST_SUITES(KZ_SUITE_ENTRY) SuiteEntry{nullptr, 0, nullptr, nullptr}};
#undef KZ_SUITE_ENTRY

static_assert(std::size(suiteTable) == kBaseSuiteCount + kPluginSuiteCount + 1);

}  // namespace

SuiteSet::SuiteSet() {
  for (const SuiteEntry* entry = PluginSuites(); entry->name; ++entry) ++pluginSuiteCount;
  if (acquisitionCount != 0) {
    ++acquisitionCount;
    return;
  }
  for (int i = 0; i < kBaseSuiteCount && !error; ++i) error = Acquire(suiteTable[i]);
  for (const SuiteEntry* entry = PluginSuites(); entry->name && !error; ++entry) error = Acquire(*entry);
  // On failure what was acquired stays held until the set is destroyed.
  if (!error) ++acquisitionCount;
}

SuiteSet::~SuiteSet() {
  const uint16_t was = acquisitionCount;
  if (acquisitionCount > 0) --acquisitionCount;
  if (was == 1) ReleaseAll();
}

AIErr SuiteSet::Acquire(const SuiteEntry& entry) {
  if (!sSPBasic) return kBadParameterErr;
  const void* suite = nullptr;
  const AIErr result = sSPBasic->AcquireSuite(entry.name, entry.version, &suite);
  if (result) return result;
  if (!suite) return kSPSuiteNotFoundError;
  entry.store(suite);
  return kNoErr;
}

// Released newest first; every pointer is cleared so that nothing calls a
// suite the host may already have dropped.
void SuiteSet::ReleaseAll() {
  for (int i = static_cast<int>(std::size(suiteTable)) - 2; i >= 0; --i) {
    const SuiteEntry& entry = suiteTable[i];
    if (!entry.held()) continue;
    if (sSPBasic) sSPBasic->ReleaseSuite(entry.name, entry.version);
    entry.store(nullptr);
  }
}

uint16_t SuiteSet::AcquisitionCount() { return acquisitionCount; }

void SuiteSet::SetAcquisitionCount(uint16_t count) { acquisitionCount = count; }

const SuiteEntry* SuiteSet::BaseSuites() { return suiteTable; }

int SuiteSet::BaseSuiteCount() { return kBaseSuiteCount; }

const SuiteEntry* SuiteSet::PluginSuites() { return suiteTable + kBaseSuiteCount; }

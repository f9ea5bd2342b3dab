// SuiteSet: the host suites the plug-in holds for its whole life. Building
// one acquires every suite of the suite table (unless another set already
// holds them); destroying the last one releases them.
#pragma once

#include <cstdint>

#include "host/HostTypes.h"

// One entry of the suite table: a suite by name and version, and the
// process-wide pointer it fills.
struct SuiteEntry {
  const char* name;  // null ends the plug-in's list
  int32_t version;
  void (*store)(const void* suite);
  bool (*held)();
};

class SuiteSet {
 public:
  SuiteSet();
  ~SuiteSet();
  SuiteSet(const SuiteSet&) = delete;
  SuiteSet& operator=(const SuiteSet&) = delete;

  // The first acquisition failure, or 0.
  AIErr Error() const { return error; }
  int PluginSuiteCount() const { return pluginSuiteCount; }

  // The process-wide acquisition count: 0 means no suites are held.
  static uint16_t AcquisitionCount();
  static void SetAcquisitionCount(uint16_t count);

  // The base class's entries, always acquired first, then the plug-in's own
  // list ended by an entry with a null name.
  static const SuiteEntry* BaseSuites();
  static int BaseSuiteCount();
  static const SuiteEntry* PluginSuites();

 private:
  AIErr Acquire(const SuiteEntry& entry);
  void ReleaseAll();

  AIErr error = kNoErr;
  int pluginSuiteCount = 0;
};

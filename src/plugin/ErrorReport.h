// The plug-in's last word on a failed message. Nothing is shown to the user
// here: handlers show their own messages. The default report only keeps a
// trace of what reached it, for diagnosis.
#pragma once

#include <cstdint>

#include "host/HostTypes.h"

// Codes that are normal answers of the protocol rather than failures.
bool IsSilentError(AIErr code);

// The zero-terminated list of silent codes.
const AIErr* SilentErrors();

void DefaultErrorReport(AIErr code);

// What the default report has recorded in this process.
struct ErrorTrace {
  int32_t count = 0;
  AIErr lastCode = kNoErr;
};
const ErrorTrace& DefaultErrorTrace();
void ResetDefaultErrorTrace();

// The process-wide suite pointers through which the system reaches the host.
// Filled by the plug-in's suite set at start-up and reload; null while no
// suites are held.
#pragma once

#include "host/AIFilePathSuite.h"
#include "host/AIUnicodeStringSuite.h"
#include "host/SPBasicSuite.h"

extern const SPBasicSuite* sSPBasic;
extern const AIUnicodeStringSuite* sAIUnicodeString;
extern const AIFilePathSuite* sAIFilePath;

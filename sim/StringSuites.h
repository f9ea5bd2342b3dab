// The stand-in host's Unicode String and File Path suites.
#pragma once

#include "host/AIFilePathSuite.h"
#include "host/AIUnicodeStringSuite.h"

namespace sim {

const AIUnicodeStringSuite* UnicodeStringSuite();
const AIFilePathSuite* FilePathSuite();

}  // namespace sim

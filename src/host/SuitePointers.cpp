#include "host/SuitePointers.h"

const SPBasicSuite* sSPBasic = nullptr;
const AIUnicodeStringSuite* sAIUnicodeString = nullptr;
const AIFilePathSuite* sAIFilePath = nullptr;

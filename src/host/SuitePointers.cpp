#include "host/SuitePointers.h"

const SPBasicSuite* sSPBasic = nullptr;

#define KZ_DEFINE_SUITE(Id, Name, Version) const Id##Suite* s##Id = nullptr;
KZ_HOST_SUITES(KZ_DEFINE_SUITE)
#undef KZ_DEFINE_SUITE

#include "app/LeftAtExit.h"

#include <cstdlib>
#include <cstring>

namespace kzmap {

namespace {

bool enabled = false;

}  // namespace

void LeftAtExit::Enable() {
#ifdef KZ_SANITIZE
  bool leave = false;
#else
  bool leave = true;
#endif
  if (const char* given = std::getenv("KZMAP_FREE_AT_EXIT"); given && *given)
    leave = std::strcmp(given, "0") == 0;
  enabled = leave;
}

bool LeftAtExit::Enabled() { return enabled; }

}  // namespace kzmap

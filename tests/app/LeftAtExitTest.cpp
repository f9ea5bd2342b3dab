// Whether the tool leaves its model at exit: never by default under the
// sanitizers, or LeakSanitizer would no longer see what the model failed to
// free; KZMAP_FREE_AT_EXIT decides over the build's default either way.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/LeftAtExit.h"

namespace {

struct Setting {
  const char* value;  // KZMAP_FREE_AT_EXIT, or null for unset
  bool leaves;
};

#ifdef KZ_SANITIZE
constexpr bool kLeavesByDefault = false;
#else
constexpr bool kLeavesByDefault = true;
#endif

class LeftAtExitSetting : public testing::TestWithParam<Setting> {
 protected:
  void TearDown() override { ::unsetenv("KZMAP_FREE_AT_EXIT"); }
};

TEST_P(LeftAtExitSetting, DecidesWhetherTheModelIsFreed) {
  if (GetParam().value)
    ::setenv("KZMAP_FREE_AT_EXIT", GetParam().value, 1);
  else
    ::unsetenv("KZMAP_FREE_AT_EXIT");
  kzmap::LeftAtExit::Enable();
  EXPECT_EQ(kzmap::LeftAtExit::Enabled(), GetParam().leaves);
}

INSTANTIATE_TEST_SUITE_P(Values, LeftAtExitSetting,
                         testing::Values(Setting{nullptr, kLeavesByDefault}, Setting{"", kLeavesByDefault},
                                         Setting{"0", true}, Setting{"1", false}, Setting{"yes", false}));

}  // namespace
